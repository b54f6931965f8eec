#include "Common/Kalib/Kalibcustomcommunication.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/os/Tick.h"

namespace {

// A channel fed from a script of bytes; every read costs one millisecond of virtual time.
class ScriptedChannel : public TKaCustomCommunication {
 public:
  explicit ScriptedChannel(os::VirtualTicks& clock) : mClock(clock) {}
  ~ScriptedChannel() override = default;

  void Feed(const std::string& bytes) { mIn.insert(mIn.end(), bytes.begin(), bytes.end()); }
  std::size_t Waiting() const { return mIn.size(); }
  int Reads() const { return mReads; }

  bool Open() override { return mOpen = true; }
  bool Close() override {
    const bool was = mOpen;
    mOpen = false;
    return was;
  }
  bool IsOpen() override { return mOpen; }
  bool ReadByte(std::uint8_t* destination) override {
    ++mReads;
    mClock.Advance(1);
    if (!mOpen || mIn.empty()) return false;
    *destination = static_cast<std::uint8_t>(mIn.front());
    mIn.pop_front();
    return true;
  }
  bool WriteByte(std::uint8_t byte) override { return mOpen; }
  bool Send(const std::string& text) override { return mOpen; }

  // All frames the waiting bytes make, in order.
  std::vector<std::string> Drain() {
    std::vector<std::string> frames;
    std::string text;
    while (ReceiveFrame(text)) frames.push_back(text);
    return frames;
  }

 private:
  os::VirtualTicks& mClock;
  std::deque<char> mIn;
  bool mOpen = true;
  int mReads = 0;
};

class CommunicationTest : public ::testing::Test {
 protected:
  os::VirtualTicks clock;
  ScriptedChannel channel{clock};
};

struct FramingCase {
  const char* name;
  const char* start;
  const char* end;
  std::uint8_t length;
  std::string input;
  std::vector<std::string> frames;
};

TEST_F(CommunicationTest, FramingRulesSplitTheStream) {
  const std::vector<FramingCase> cases = {
      {"every byte is a frame", "", "", 0, "AB", {"A", "B"}},
      {"start only: start and the byte after", "\x02", "", 0, "x\x02HI\x02J", {"\x02H", "\x02J"}},
      {"bytes before a start are dropped", "\x02", "\n", 0, "A\x02HI\n", {"\x02HI\n"}},
      {"start is never the end", "\n", "\n", 0, "\n\n", {"\n\n"}},
      {"any of several starts", "\x02\x03", "\n", 0, "\x03" "a\nz\x02" "b\n", {"\x03" "a\n", "\x02" "b\n"}},
      {"end only: first end closes", "", "\n", 0, "AB\nC\n", {"AB\n", "C\n"}},
      {"end at wrong position is content", "", "\n", 4, "\x02\nA\n", {"\x02\nA\n"}},
      {"end needed at the length", "", "\n", 3, "ABCD\n", {}},
      {"length only", "", "", 3, "abcdefg", {"abc", "def"}},
      {"start and length", "\x02", "", 3, "q\x02xy\x02", {"\x02xy"}},
      {"display frames back to back", "\x02", "\n", 12,
       std::string("\x02" "23HELLO   \n\x02" "4312:05:09\n"), {"\x02" "23HELLO   \n", "\x02" "4312:05:09\n"}},
  };
  for (const auto& c : cases) {
    ScriptedChannel ch(clock);
    ch.SetFraming(c.start, c.end, c.length);
    ch.Feed(c.input);
    EXPECT_EQ(ch.Drain(), c.frames) << c.name;
    EXPECT_EQ(ch.Waiting(), 0u) << c.name;
  }
}

TEST_F(CommunicationTest, SetFramingKeepsTenCharactersAndNullMeansNone) {
  channel.SetFraming(nullptr, "ABCDEFGHIJKL", 0);
  channel.Feed("xJyKzL");
  EXPECT_EQ(channel.Drain(), std::vector<std::string>{"xJ"});  // K and L were beyond the tenth

  channel.SetFraming(nullptr, nullptr, 0);
  channel.ClearReceiveBuffer();
  channel.Feed("pq");
  EXPECT_EQ(channel.Drain(), (std::vector<std::string>{"p", "q"}));
}

TEST_F(CommunicationTest, FrameGathersOverSeveralCalls) {
  channel.SetFraming("\x02", "\n", 0);
  std::string text = "stale";
  channel.Feed("\x02" "AB");
  EXPECT_FALSE(channel.ReceiveFrame(text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(channel.ReceiveFrame(text));  // nothing waiting at all
  channel.Feed("C\n");
  ASSERT_TRUE(channel.ReceiveFrame(text));
  EXPECT_EQ(text, "\x02" "ABC\n");
}

TEST_F(CommunicationTest, PartialFrameSurvivesSetFramingButNotClear) {
  channel.SetFraming("", "\n", 0);
  channel.Feed("AB");
  EXPECT_TRUE(channel.Drain().empty());
  channel.SetFraming("", "C", 0);
  channel.Feed("C");
  EXPECT_EQ(channel.Drain(), std::vector<std::string>{"ABC"});

  channel.Feed("XY");
  EXPECT_TRUE(channel.Drain().empty());
  channel.ClearReceiveBuffer();
  channel.Feed("ZC");
  EXPECT_EQ(channel.Drain(), std::vector<std::string>{"ZC"});
}

TEST_F(CommunicationTest, ZeroByteCutsTheDeliveredText) {
  channel.SetFraming("", "\n", 0);
  channel.Feed(std::string("A\0B\n", 4));
  channel.Feed("CD\n");
  EXPECT_EQ(channel.Drain(), (std::vector<std::string>{"A", "CD\n"}));
}

TEST_F(CommunicationTest, OverlongFrameIsDroppedWhole) {
  channel.SetFraming("", "\n", 0);
  channel.Feed(std::string(1022, 'x') + "\n");  // the longest frame the buffer holds
  auto frames = channel.Drain();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].size(), 1023u);

  channel.Feed(std::string(1023, 'y') + "AB\n");  // 1023 bytes without an end: gone
  EXPECT_EQ(channel.Drain(), std::vector<std::string>{"AB\n"});

  channel.Feed(std::string(2 * 1023, 'z'));  // dropped twice over
  EXPECT_TRUE(channel.Drain().empty());
  channel.Feed("k\n");
  EXPECT_EQ(channel.Drain(), std::vector<std::string>{"k\n"});
}

TEST_F(CommunicationTest, ScanFrameDropsIntoTheCallersArea) {
  // A small caller area: 3 bytes of frame at most, and nothing of a dropped frame survives.
  std::uint8_t area[4] = {};
  std::uint32_t count = 0;
  TKaCustomCommunication::FrameChars none, end;
  end.Count = 1;
  end.Chars[0] = '\n';
  channel.Feed("abcde\n");
  ASSERT_TRUE(channel.ScanFrame(area, sizeof area, count, none, end, 0));
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(area), 4), std::string("de\n\0", 4));
  EXPECT_FALSE(channel.ScanFrame(area, 1, count, none, none, 0));  // no room for a frame
}

TEST_F(CommunicationTest, ClosedChannelTouchesNothing) {
  channel.Feed("\x02" "A\n");
  channel.Close();
  std::string text = "kept";
  EXPECT_FALSE(channel.ReceiveFrame(text));
  EXPECT_EQ(text, "kept");
  std::uint8_t area[8] = {};
  std::uint32_t count = 0;
  EXPECT_FALSE(channel.ScanFrame(area, sizeof area, count, {}, {}, 0));
  EXPECT_EQ(channel.Reads(), 0);

  const std::uint32_t t0 = clock.Now();
  std::uint8_t buf[4] = {9, 9, 9, 9};
  EXPECT_TRUE(channel.ReadDuring(buf, 4, 20));
  EXPECT_GE(clock.Now() - t0, 20u);
  EXPECT_EQ(buf[0], 9);
  EXPECT_EQ(channel.Waiting(), 3u);
}

TEST_F(CommunicationTest, ReadDuringPollsForItsTimeAndStoresAtMostMaxCount) {
  for (std::uint32_t start : {1000u, 0xFFFFFFF8u}) {  // also across the wrap of the tick count
    ScriptedChannel ch(clock);
    clock.Set(start);
    ch.Feed("abcdefghijklmnopqrst");
    std::uint8_t buf[5] = {'-', '-', '-', '-', '#'};
    EXPECT_TRUE(ch.ReadDuring(buf, 4, 10));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 5), "abcd#") << start;  // buf[4] untouched
    EXPECT_EQ(ch.Waiting(), 10u) << start;  // one read per millisecond for 10 ms
  }
  std::uint8_t none = '#';
  channel.Feed("xyz");
  EXPECT_TRUE(channel.ReadDuring(&none, 0, 3));
  EXPECT_EQ(none, '#');
  EXPECT_EQ(channel.Waiting(), 0u);
}

}  // namespace
