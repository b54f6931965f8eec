#include "tools/virtual-scoreboard/Options.h"

#include <gtest/gtest.h>

using namespace scoreboard;

TEST(Options, CommandLines) {
  const struct {
    std::vector<std::string> args;
    bool ok;
    int port = 0;
    std::vector<int> numbers = {};
    bool headless = false;
    std::string log = {};
    double stats = 0;
  } cases[] = {
      {{}, true, 1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false, "", 1.0},
      {{"--port", "3", "--displays", "1"}, true, 3, {0}, false, "", 1.0},
      {{"--numbers", "0"}, true, 1, {0}, false, "", 1.0},
      {{"--numbers=3,3,7", "--displays=3", "--headless", "--log", "f.jsonl", "--stats", "0"},
       true, 1, {3, 3, 7}, true, "f.jsonl", 0.0},
      {{"--port=26", "--stats=0.25"}, true, 26, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false, "", 0.25},
      {{"--port", "0"}, false},
      {{"--port", "27"}, false},
      {{"--port"}, false},
      {{"--displays", "11"}, false},
      {{"--displays", "2", "--numbers", "1"}, false},
      {{"--numbers", "1,,2"}, false},
      {{"--numbers", "10"}, false},
      {{"--stats", "-1"}, false},
      {{"--log", ""}, false},
      {{"--headless=yes"}, false},
      {{"-platform", "offscreen"}, false},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    Options o;
    std::string error;
    ASSERT_EQ(ParseOptions(c.args, o, error), c.ok) << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(o.port, c.port);
    EXPECT_EQ(o.numbers, c.numbers);
    EXPECT_EQ(o.headless, c.headless);
    EXPECT_EQ(o.logPath, c.log);
    EXPECT_EQ(o.statsSeconds, c.stats);
  }
  std::string list = "0";
  for (int i = 1; i < 32; ++i) list += "," + std::to_string(i % 10);
  Options o;
  std::string error;
  EXPECT_TRUE(ParseOptions({"--numbers", list}, o, error)) << error;
  EXPECT_EQ(o.numbers.size(), 32u);
  EXPECT_FALSE(ParseOptions({"--numbers", list + ",1"}, o, error));
}
