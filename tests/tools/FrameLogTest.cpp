#include "tools/virtual-scoreboard/FrameLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "console/LineProtocol.h"

using namespace scoreboard;

TEST(FrameLog, TextBecomesUtf8JsonWithControlBytesEscaped) {
  const struct {
    std::string cp1252, json;
  } cases[] = {
      {"HELLO   ", "\"HELLO   \""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {std::string("\x02\x0A\x00\x7F", 4), "\"\\u0002\\u000A\\u0000\\u007F\""},
      {"\xE9t\xE9", "\"\xC3\xA9t\xC3\xA9\""},       // é
      {"\x80\x9C", "\"\xE2\x82\xAC\xC5\x93\""},      // € œ: the code page's own letters
      {"\x81\xA0\xFF", "\"\\u0081\xC2\xA0\xC3\xBF\""},  // unassigned byte, no-break space, ÿ
  };
  for (const auto& c : cases) EXPECT_EQ(JsonText(c.cp1252), c.json) << c.json;
  EXPECT_EQ(HexBytes(std::string("\x02\xA0\x0A", 3)), "02 A0 0A");
  EXPECT_EQ(HexBytes(""), "");
}

TEST(FrameLog, OneLinePerFrameWithEveryField) {
  DisplayBus bus({4, 4});
  std::vector<FrameEvent> events;
  bus.Feed(MakeDisplayFrame(4, 3, "12:05:09") + "x" + MakeLineNumberFrame(5), events);
  bus.FlushStretch(events);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(EventJson(events[0], 1.5, 100.25),
            R"({"kind":"display","time":1.500000,"monotonic":100.250000,"line":4,"luminosity":3,)"
            R"("text":"12:05:09","length":12,"bytes":"02 34 33 31 32 3A 30 35 3A 30 39 0A","displays":[0,1]})");
  EXPECT_EQ(EventJson(events[1], 2, 3),
            R"({"kind":"malformed","time":2.000000,"monotonic":3.000000,"length":1,"bytes":"78"})");
  EXPECT_EQ(EventJson(events[2], 2, 3),
            R"({"kind":"line_number","time":2.000000,"monotonic":3.000000,"line":5,"luminosity":3,)"
            R"("text":"line  5 ","length":12,"bytes":"02 A0 33 6C 69 6E 65 20 20 35 20 0A","displays":[0,1]})");
}

TEST(FrameLog, FileLogKeepsEveryLineAndStopsAfterAFailedWrite) {
  const auto path = std::filesystem::temp_directory_path() / "vsb-framelog-test.jsonl";
  {
    JsonLog log;
    ASSERT_TRUE(log.OpenFile(path.string()));
    EXPECT_TRUE(log.Write("{\"a\":1}"));
    // Flushed at once: a reader sees the line while the log is still open.
    std::ifstream in(path);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "{\"a\":1}");
  }
  std::filesystem::remove(path);
  JsonLog full;
  ASSERT_TRUE(full.OpenFile("/dev/full"));
  EXPECT_FALSE(full.Write("{}"));
  EXPECT_TRUE(full.Failed());
  JsonLog none;
  EXPECT_FALSE(none.OpenFile("/nonexistent-dir/log.jsonl"));
}
