#include "console/DemoSequencer.h"

#include <cstdlib>
#include <set>

#include <gtest/gtest.h>

#include "Common/Kalib/Kalibtime.h"
#include "console/LineProtocol.h"
#include "console/LineTable.h"
#include "tests/console/EngineFakes.h"

namespace {

TEST(RandomBetween, MapsTheGeneratorOntoTheWholeRange) {
  const struct {
    int lo, hi, g, result;
  } cases[] = {
      {0, 6, 0, 0},       {0, 6, 32767, 6},     {0, 6, 4681, 0},  {0, 6, 4682, 1},
      {0, 300, 16384, 150}, {100, 500, 32767, 500}, {1, 9, 0, 1},  {5, 5, 32767, 5},
      {5, 2, 0, 2},       {5, 2, 32767, 2},     // hi < lo gives hi
      {0, 6, 40000, 6},   {0, 6, -5, 0},        // out-of-range source values stay inside
  };
  for (const auto& c : cases)
    EXPECT_EQ(RandomBetween(c.lo, c.hi, [&] { return c.g; }), c.result) << c.lo << ".." << c.hi << " g=" << c.g;

  std::set<int> seen;
  for (int g = 0; g < 32768; ++g) seen.insert(RandomBetween(1, 9, [g] { return g; }));
  EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(RandomBetween, CLibraryGeneratorIsBroughtTo15Bits) {
  std::srand(42);
  int high = 0;
  std::set<int> scenes;
  for (int i = 0; i < 20000; ++i) {
    const int g = CRandom();
    ASSERT_GE(g, 0);
    ASSERT_LE(g, 32767);
    high = std::max(high, g);
    scenes.insert(RandomBetween(0, 6));
  }
  EXPECT_GT(high, 32000);
  EXPECT_EQ(scenes, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(CaseConversion, FollowsCodePage1252) {
  EXPECT_EQ(UpperCase1252("abz \xE0\xE9\xFE\xF7\xFF\x9A\x9C\x9E\xDF\xB5."), "ABZ \xC0\xC9\xDE\xF7\x9F\x8A\x8C\x8E\xDF\xB5.");
  EXPECT_EQ(LowerCase1252("ABZ \xC0\xC9\xDE\xD7\x9F\x8A\x8C\x8E."), "abz \xE0\xE9\xFE\xD7\xFF\x9A\x9C\x9E.");
}

TEST(DemoNames, EightCharactersInMixedCase) {
  for (int i = 0; i < 8; ++i) {
    const std::string full = FullNames[i], shortName = ShortNames[i];
    EXPECT_EQ(full.size(), 8u) << i;
    EXPECT_EQ(shortName.size(), 8u) << i;
    EXPECT_NE(UpperCase1252(full), full) << i;
    EXPECT_NE(LowerCase1252(full), full) << i;
    EXPECT_NE(UpperCase1252(shortName.substr(0, 4)), shortName.substr(0, 4)) << i;
    EXPECT_NE(LowerCase1252(shortName.substr(0, 4)), shortName.substr(0, 4)) << i;
  }
}

// The sequencer on a chosen sequence of random draws; running out of draws fails the test.
class DemoScenes : public ::testing::Test {
 protected:
  void SetUp() override { KasetTimeSeparators("::."); }
  void TearDown() override { EXPECT_TRUE(Random.Empty()) << "draws left over"; }

  // The first call: the initial scene (2-6, only so that the first pick is random), then a scene change.
  void FirstScene(int scene, int chronoSteps = 0, int name = 0, int speed = 100, int rank = 1) {
    Random.Push(2, 6, 4);
    Random.PushScene(scene, chronoSteps, name, speed, rank);
  }
  std::string At(std::uint32_t now) { return Sequencer.DemoText(now, kTimeOfDay); }
  // The text with r milliseconds left in the scene.
  std::string Left(std::uint32_t r) { return At(Sequencer.SceneEnd() - r); }

  static constexpr int kTimeOfDay = 43509000;  // 12:05:09
  static constexpr std::uint32_t T = 100000;
  ScriptedRandom Random;
  TDemoSequencer Sequencer{Random.Source()};
};

TEST_F(DemoScenes, ChronoRunsThenFreezesAndSceneOneNeverComesAtRandom) {
  FirstScene(0, 3);  // a chrono already at 3 x 1003 ms
  EXPECT_EQ(At(T), "   3.0  ");
  EXPECT_EQ(Sequencer.SceneEnd(), T + 8000);
  EXPECT_EQ(At(T + 1000), "   4.0  ");
  EXPECT_EQ(At(T + 8000), "  11.0  ");
  // The first call after the end freezes the chrono at its reading.
  EXPECT_EQ(At(T + 8050), "  11.059");
  EXPECT_EQ(Sequencer.Scene(), 1);
  EXPECT_EQ(At(T + 16050), "  11.059");

  Random.Push(0, 6, 1);  // drawn again: scene 1 only follows scene 0
  Random.PushScene(2, 0, 1);
  const std::string name = FullNames[1];
  EXPECT_EQ(At(T + 16100), name);
  EXPECT_EQ(Sequencer.Scene(), 2);
  EXPECT_EQ(Left(4050), name);
  EXPECT_EQ(Left(4000), UpperCase1252(name));
  EXPECT_EQ(Left(2050), UpperCase1252(name));
  EXPECT_EQ(Left(2000), LowerCase1252(name));
  EXPECT_EQ(Left(0), LowerCase1252(name));
}

TEST_F(DemoScenes, SpeedInKmhThenMph) {
  FirstScene(4, 0, 0, 100);
  EXPECT_EQ(At(T), "100 km/h");
  EXPECT_EQ(Sequencer.SceneEnd(), T + 4000);
  EXPECT_EQ(Left(2050), "100 km/h");
  EXPECT_EQ(Left(2000), "62 mph  ");
  Random.PushScene(4, 0, 0, 500);
  EXPECT_EQ(At(T + 4050), "500 km/h");
  EXPECT_EQ(Left(1000), "310 mph ");
}

TEST_F(DemoScenes, TimeOfDayAsThePcTimeLineShowsIt) {
  FirstScene(3);
  EXPECT_EQ(At(T), "12:05:09");
  EXPECT_EQ(At(T), LineTimeText(kTimeOfDay));
  EXPECT_EQ(Sequencer.SceneEnd(), T + 4000);
}

TEST_F(DemoScenes, RankingBlinksItsPositionThenShowsTheLastTwoSeconds) {
  FirstScene(5, 0, 0, 100, 3);  // short name "Alba."
  const struct {
    std::uint32_t r;
    std::string text;
  } cases[] = {
      {8000, "(3) Alba"}, {7750, "    Alba"}, {7550, "    Alba"}, {7500, "(3) Alba"}, {7200, "(3) Alba"}, {6050, "(3) Alba"},
      {6000, "(3) ALBA"}, {5950, "    ALBA"}, {4050, "    ALBA"}, {4000, "    alba"}, {3600, "(3) alba"},
      {2050, "(3) alba"}, {2000, "3. ALBA."}, {1950, "3. ALBA."}, {0, "3. ALBA."},
  };
  At(T);
  for (const auto& c : cases) EXPECT_EQ(Left(c.r), c.text) << "r=" << c.r;
}

TEST_F(DemoScenes, NameIsWrittenInLetterByLetterThenBlinks) {
  FirstScene(6, 0, 4);
  const std::string s = UpperCase1252(FullNames[4]);
  EXPECT_EQ(At(T), FitToEight(s.substr(0, 1)));  // one letter at the scene's first call
  for (std::uint32_t r = 8000; r >= 4000; r -= 50)
    EXPECT_EQ(Left(r), FitToEight(s.substr(0, (8000 - r) / 500 + 1))) << "r=" << r;
  EXPECT_EQ(Left(4000), s);
  for (int r = 3950; r >= 0; r -= 50)
    EXPECT_EQ(Left(std::uint32_t(r)), r % 500 < 250 ? s : std::string(8, ' ')) << "r=" << r;
}

TEST_F(DemoScenes, ALongPauseEndsTheOldSceneAtOnce) {
  FirstScene(0, 3);
  At(T);
  // After scene 0: the frozen chrono holds the whole time since it started.
  EXPECT_EQ(At(T + 100000), "1:43.009");
  EXPECT_EQ(Sequencer.Scene(), 1);
  EXPECT_EQ(Sequencer.SceneEnd(), T + 108000);
  // After any other scene: a new random scene.
  Random.PushScene(3);
  EXPECT_EQ(At(T + 400000), "12:05:09");
  EXPECT_EQ(Sequencer.SceneEnd(), T + 404000);
}

TEST_F(DemoScenes, ScenesKeepTheirLengthAcrossTheTickCountWrap) {
  const std::uint32_t start = 0xFFFFFFFFu - 2999u;  // the scene ends 5000 ms after the wrap
  FirstScene(2);
  At(start);
  for (std::uint32_t t = 50; t <= 8000; t += 50) {
    At(start + t);
    ASSERT_EQ(Sequencer.Scene(), 2) << t;
  }
  Random.PushScene(4);
  At(start + 8050);
  EXPECT_EQ(Sequencer.Scene(), 4);
  EXPECT_EQ(Sequencer.SceneEnd(), start + 8050 + 4000);
}

}  // namespace
