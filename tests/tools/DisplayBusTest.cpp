#include "tools/virtual-scoreboard/DisplayBus.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "console/LineProtocol.h"

using scoreboard::DisplayBus;
using scoreboard::FrameEvent;
using scoreboard::FrameKind;

namespace {

// "D2/3:HELLO   " for a display frame, "N5" for a line-number frame, "M:<bytes>" for a skipped stretch.
std::string Summary(const FrameEvent& e) {
  switch (e.kind) {
    case FrameKind::Display:
      return "D" + std::to_string(e.line) + "/" + std::to_string(e.luminosity) + ":" + e.text;
    case FrameKind::LineNumber:
      return "N" + std::to_string(e.line);
    case FrameKind::Malformed:
      break;
  }
  return "M:" + e.bytes;
}

std::vector<int> TenLines() { return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}; }

const std::string kHello = MakeDisplayFrame(2, 3, "HELLO");
const std::string kClock = MakeDisplayFrame(4, 3, "12:05:09");
const std::string kAbc = MakeDisplayFrame(7, 1, "ABC");

struct Case {
  const char* name;
  std::vector<std::string> reads;    // the bytes as they arrive, read by read
  std::vector<std::string> events;   // what the bus reports, in order
  std::map<int, std::string> shown;  // display index -> text; every other display stays dark
};

std::string M(const std::string& bytes) { return "M:" + bytes; }

std::vector<Case> Cases() {
  const std::string withStx = MakeDisplayFrame(3, 2, std::string("A\x02" "32BCDE", 8));
  const std::string withLf = MakeDisplayFrame(5, 3, std::string("12\n4567\n", 8));
  // Text that itself looks like the start of frames.
  const std::string lookalikeText("\x02" "93\x0A" "\x02\x0A\x02" "1", 8);
  const std::string lookalike = MakeDisplayFrame(6, 3, lookalikeText);
  const std::string lumZero = "\x02" "20ABCDEFGH\n", lumFour = "\x02" "24ABCDEFGH\n";
  const std::string letterLine = "\x02" "A3ABCDEFGH\n", noLf = "\x02" "23ABCDEFGHX";
  const std::string lnLum2 = "\x02\xA0" "2line  5 \n", lnWord = "\x02\xA0" "3lime  5 \n";
  const std::string lnDigit = "\x02\xA0" "3line  X \n", lnBlank = "\x02\xA0" "3line  55\n";
  const std::string abc = "D7/1:ABC     ";
  std::vector<std::string> byteByByte;
  for (char c : kHello + kClock) byteByByte.emplace_back(1, c);

  return {
      {"whole frame", {kHello}, {"D2/3:HELLO   "}, {{2, "HELLO   "}}},
      {"two frames in one read", {kHello + kClock}, {"D2/3:HELLO   ", "D4/3:12:05:09"},
       {{2, "HELLO   "}, {4, "12:05:09"}}},
      {"split after STX", {kHello.substr(0, 1), kHello.substr(1)}, {"D2/3:HELLO   "}, {{2, "HELLO   "}}},
      {"split before LF", {kHello.substr(0, 11), kHello.substr(11)}, {"D2/3:HELLO   "}, {{2, "HELLO   "}}},
      {"byte by byte", byteByByte, {"D2/3:HELLO   ", "D4/3:12:05:09"}, {{2, "HELLO   "}, {4, "12:05:09"}}},
      {"frame boundary inside a read", {kHello + kClock.substr(0, 5), kClock.substr(5) + kAbc},
       {"D2/3:HELLO   ", "D4/3:12:05:09", abc}, {{2, "HELLO   "}, {4, "12:05:09"}, {7, "ABC     "}}},
      {"garbage before, between and after", {"xy" + kHello + "\n\n" + kClock + "z"},
       {M("xy"), "D2/3:HELLO   ", M("\n\n"), "D4/3:12:05:09", M("z")}, {{2, "HELLO   "}, {4, "12:05:09"}}},
      {"garbage across reads is one stretch", {"ab", "cd", kHello}, {M("abcd"), "D2/3:HELLO   "},
       {{2, "HELLO   "}}},
      {"truncated frame, then a whole one", {kHello.substr(0, 6) + kClock},
       {M(kHello.substr(0, 6)), "D4/3:12:05:09"}, {{4, "12:05:09"}}},
      {"truncated frame across reads", {kHello.substr(0, 9), kClock}, {M(kHello.substr(0, 9)), "D4/3:12:05:09"},
       {{4, "12:05:09"}}},
      {"truncated frame with an STX in what came of its text", {withStx.substr(0, 6), kAbc},
       {M(withStx.substr(0, 6)), abc}, {{7, "ABC     "}}},
      {"STX inside the text", {withStx}, {"D3/2:A\x02" "32BCDE"}, {{3, std::string("A\x02" "32BCDE", 8)}}},
      {"LF inside the text, split after the first LF", {withLf.substr(0, 6), withLf.substr(6)},
       {"D5/3:12\n4567\n"}, {{5, "12\n4567\n"}}},
      {"text that looks like frames", {lookalike + kAbc}, {"D6/3:" + lookalikeText, abc},
       {{6, lookalikeText}, {7, "ABC     "}}},
      {"luminosity 0 and 4 are no frames", {lumZero + lumFour + kAbc}, {M(lumZero + lumFour), abc},
       {{7, "ABC     "}}},
      {"a letter is no line", {letterLine + kAbc}, {M(letterLine), abc}, {{7, "ABC     "}}},
      {"no LF at offset 11", {noLf + kAbc}, {M(noLf), abc}, {{7, "ABC     "}}},
      {"line-number frame", {MakeLineNumberFrame(5)}, {"N5"}, {}},
      {"line-number frame with luminosity 2", {lnLum2 + kAbc}, {M(lnLum2), abc}, {{7, "ABC     "}}},
      {"line-number frame with another word", {lnWord + kAbc}, {M(lnWord), abc}, {{7, "ABC     "}}},
      {"line-number frame without its number", {lnDigit + kAbc}, {M(lnDigit), abc}, {{7, "ABC     "}}},
      {"line-number frame without the last blank", {lnBlank + kAbc}, {M(lnBlank), abc}, {{7, "ABC     "}}},
  };
}

}  // namespace

TEST(DisplayBus, DecodesTheStreamAndNeverLightsADisplayFromBadBytes) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    DisplayBus bus(TenLines());
    std::vector<FrameEvent> events;
    std::size_t bytes = 0;
    for (const std::string& r : c.reads) {
      bus.Feed(r, events);
      bytes += r.size();
    }
    bus.FlushStretch(events);  // stray bytes at the end would otherwise wait for the next STX
    std::vector<std::string> got;
    for (const FrameEvent& e : events) got.push_back(Summary(e));
    EXPECT_EQ(got, c.events);

    std::size_t malformed = 0;
    for (const std::string& w : c.events) malformed += w[0] == 'M';
    EXPECT_EQ(bus.MalformedCount(), malformed);
    EXPECT_EQ(bus.FrameCount(), c.events.size() - malformed);
    EXPECT_EQ(bus.ByteCount(), bytes);
    EXPECT_EQ(bus.PendingBytes(), 0u);
    for (std::size_t i = 0; i < bus.Displays().size(); ++i) {
      const auto& d = bus.Displays()[i];
      auto it = c.shown.find(static_cast<int>(i));
      EXPECT_EQ(d.text, it == c.shown.end() ? std::string(8, ' ') : it->second) << "display " << i;
      EXPECT_EQ(d.luminosity == 0, it == c.shown.end()) << "display " << i;
    }
  }
}

TEST(DisplayBus, AFrameSplitAtAnyPointDecodesOnce) {
  const std::string frames = kHello + std::string("\x02" "5\x33" "\x02\n\x02\n\x02\n\x02\n" "\x0A", 12) + kAbc;
  for (std::size_t cut1 = 1; cut1 < frames.size(); ++cut1) {
    for (std::size_t cut2 = cut1; cut2 < frames.size(); cut2 += 5) {
      DisplayBus bus(TenLines());
      std::vector<FrameEvent> events;
      bus.Feed(frames.substr(0, cut1), events);
      bus.Feed(frames.substr(cut1, cut2 - cut1), events);
      bus.Feed(frames.substr(cut2), events);
      ASSERT_EQ(events.size(), 3u) << cut1 << "," << cut2;
      EXPECT_EQ(bus.Displays()[5].text, std::string("\x02\n\x02\n\x02\n\x02\n", 8));
      EXPECT_EQ(bus.MalformedCount(), 0u);
    }
  }
}

TEST(DisplayBus, APartialFrameWaitsUntilTheStreamEnds) {
  DisplayBus bus(TenLines());
  std::vector<FrameEvent> events;
  bus.Feed("zz" + kHello.substr(0, 7), events);
  bus.FlushStretch(events);  // the stray bytes go, the partial frame may still complete
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(Summary(events[0]), "M:zz");
  EXPECT_EQ(bus.PendingBytes(), 7u);
  bus.Finish(events);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].bytes, kHello.substr(0, 7));
  EXPECT_EQ(bus.MalformedCount(), 2u);
  EXPECT_EQ(bus.Displays()[2].luminosity, 0);
}

TEST(DisplayBus, ALongRunWithoutStxIsReportedBeforeItEnds) {
  DisplayBus bus(TenLines());
  std::vector<FrameEvent> events;
  bus.Feed(std::string(DisplayBus::kMaxStretch - 1, 'x'), events);
  EXPECT_TRUE(events.empty());
  bus.Feed("x", events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].bytes.size(), DisplayBus::kMaxStretch);
  EXPECT_EQ(bus.PendingBytes(), 0u);
}

TEST(DisplayBus, LineNumberFrameRenumbersEveryDisplayOnTheBus) {
  // One display, as when the operator programs a new one.
  DisplayBus one({0});
  std::vector<FrameEvent> events;
  one.Feed(MakeDisplayFrame(5, 3, "NOT YET") + MakeLineNumberFrame(5) + MakeDisplayFrame(0, 3, "OLD") +
               MakeDisplayFrame(5, 2, "NEW"),
           events);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_TRUE(events[0].displays.empty());
  EXPECT_EQ(events[1].displays, std::vector<int>{0});
  EXPECT_TRUE(events[2].displays.empty());
  EXPECT_EQ(events[3].displays, std::vector<int>{0});
  EXPECT_EQ(one.Displays()[0].line, 5);
  EXPECT_EQ(one.Displays()[0].text, "NEW     ");
  EXPECT_EQ(one.Displays()[0].luminosity, 2);
  EXPECT_EQ(one.Displays()[0].frames, 1u);

  // Every display hears a line-number frame, so a whole bus ends up on one line.
  DisplayBus bus({0, 3, 3, 9});
  events.clear();
  bus.Feed(MakeDisplayFrame(3, 1, "SHARED"), events);
  EXPECT_EQ(events[0].displays, (std::vector<int>{1, 2}));
  EXPECT_EQ(bus.Displays()[0].text, std::string(8, ' '));
  bus.Feed(MakeLineNumberFrame(7) + MakeDisplayFrame(7, 3, "ALL"), events);
  for (const auto& d : bus.Displays()) {
    EXPECT_EQ(d.line, 7);
    EXPECT_EQ(d.text, "ALL     ");
  }
  EXPECT_EQ(events.back().displays, (std::vector<int>{0, 1, 2, 3}));
}
