#include "Common/Kalib/Kalibtime.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/os/LocalTime.h"

namespace {

// Runs with the console's separators and puts the initial set back afterwards.
class KalibtimeTest : public ::testing::Test {
 protected:
  void SetUp() override { KasetTimeSeparators("::."); }
  void TearDown() override { KasetTimeSeparators("h:."); }
};

struct FormatCase {
  int value;
  const char* format;
  bool blank;
  bool blankFraction;
  const char* expected;
};

TEST_F(KalibtimeTest, RendersTheReferenceTable) {
  const FormatCase cases[] = {
      {3723456, "HHMMSSdcm", false, false, "01:02:03.456"},
      {3723456, "HHMMSSdcm", true, false, " 1:02:03.456"},
      {32707000, "HHMMSS", true, false, " 9:05:07."},
      {5000, "HHMMSS", true, false, "       5."},
      {0, "HHMMSS", true, false, "         "},
      {500, "MSSdcm", true, false, "   0.500"},
      {75300, "MSSd  ", true, false, "1:15.3  "},
      {750000, "MSSd  ", true, false, "2:30.0  "},
      {-1500, "MSSdcm", true, false, "   1.500"},
      {1500, "MSSdcm", true, true, "   1.5  "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KaformatTime(c.value, c.format, c.blank, c.blankFraction, 'm'), c.expected)
        << c.value << " / " << c.format << " blank=" << c.blank << " blankFraction=" << c.blankFraction;
}

TEST_F(KalibtimeTest, EdgeCasesOfFieldsAndBlanking) {
  const FormatCase cases[] = {
      // A nonzero value under one second keeps a visible 0 in the seconds field.
      {1, "MSSdcm", true, false, "   0.001"},
      // Too narrow fields keep the rightmost digits; 100 hours show 00.
      {100 * 3600000, "HHMMSS", false, false, "00:00:00."},
      {100 * 3600000, "HHMMSS", true, false, "00:00:00."},
      {7 * 60000, "MSS", false, false, "7:00."},
      {17 * 60000, "MSS", false, false, "7:00."},
      // Fraction digits are cut, never rounded up.
      {1999, "MSSd  ", true, false, "   1.9  "},
      // Sign is ignored.
      {-61000, "HHMMSS", true, false, "    1:01."},
      {61000, "HHMMSS", true, false, "    1:01."},
      // Padding: spaces only while every higher field is zero, zeros otherwise.
      {3600000 + 5000, "HHMMSS", true, false, " 1:00:05."},
      {65000, "HHMMSS", false, false, "00:01:05."},
      // Each fraction digit blanks on its own trailing zeros.
      {1020, "MSSdcm", true, true, "   1.02 "},
      {1000, "MSSdcm", true, true, "   1.   "},
      {1000, "MSSdcm", false, false, "0:01.000"},
      // Only the first d, c, m are fields; other characters stay literal.
      {1234, "SSdd-cc mm", false, false, "01.2d-3c 4m"},
      // A format without fields comes back as it is, blanked only for a zero value.
      {1234, "ab-xy", true, false, "ab-xy"},
      {0, "ab-xy", true, false, "     "},
      {0, "", true, false, ""},
      // Zero value without blank shows every digit.
      {0, "HHMMSSdcm", false, false, "00:00:00.000"},
      // Occurrences that are not adjacent: the field spans from first to last.
      {3723000, "HxH MSS", false, false, "001: 2:03."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KaformatTime(c.value, c.format, c.blank, c.blankFraction, 'm'), c.expected)
        << c.value << " / " << c.format << " blank=" << c.blank << " blankFraction=" << c.blankFraction;
}

TEST_F(KalibtimeTest, WidthIsFormatPlusOneSeparatorPerFieldGroup) {
  const char* formats[] = {"HHMMSS", "HHMMSSdcm", "MSSdcm", "MSSd  ", "SS", "Hm", "dcm", "HHH"};
  const int values[] = {0, 1, 999, 59999, 3599999, 86399999, 2000000000, INT_MIN, INT_MAX};
  for (const char* f : formats) {
    const std::string format = f;
    std::size_t groups = 0;
    for (char letter : {'H', 'M', 'S'}) groups += format.find(letter) != std::string::npos;
    for (int v : values)
      for (bool blank : {false, true})
        for (bool blankFraction : {false, true})
          EXPECT_EQ(KaformatTime(v, format, blank, blankFraction, 'm').size(), format.size() + groups)
              << f << " " << v;
  }
  // HHMMSS always ends with the seconds separator.
  EXPECT_EQ(KaformatTime(86399999, "HHMMSS", false, false, 'm'), "23:59:59.");
}

TEST_F(KalibtimeTest, SecondsUnitAndUnknownUnit) {
  EXPECT_EQ(KaformatTime(3725, "HHMMSSdcm", false, false, 'S'), "01:02:05.000");
  EXPECT_EQ(KaformatTime(3725, "HHMMSS", true, true, 'S'), " 1:02:05.");
  EXPECT_EQ(KaformatTime(3725, "HHMMSS", true, false, 'x'), "");
  EXPECT_EQ(KaformatTime(0, "HHMMSS", true, false, 'M'), "");  // units are case-sensitive
}

TEST_F(KalibtimeTest, MostNegativeValueRendersItsMagnitude) {
  // 2 147 483 648 ms = 596 h 31 min 23.648 s.
  EXPECT_EQ(KaformatTime(INT_MIN, "HHHMMSSdcm", false, false, 'm'), "596:31:23.648");
  // 2 147 483 648 s = 596 523 h 14 min 8 s.
  EXPECT_EQ(KaformatTime(INT_MIN, "HHHHHHMMSS", false, false, 'S'), "596523:14:08.");
  int h = -1, m = -1, s = -1, ms = -1;
  KasplitTime(INT_MIN, h, m, s, ms, 'S');
  EXPECT_EQ(h, 596523);
  EXPECT_EQ(m, 14);
  EXPECT_EQ(s, 8);
  EXPECT_EQ(ms, 0);
}

TEST_F(KalibtimeTest, SeparatorSetOnlyTakesThreeCharacters) {
  EXPECT_EQ(KagetTimeSeparators(), "::.");
  KasetTimeSeparators("ab");
  KasetTimeSeparators("abcd");
  KasetTimeSeparators("");
  EXPECT_EQ(KagetTimeSeparators(), "::.");
  KasetTimeSeparators("h'\"");
  EXPECT_EQ(KaformatTime(3723456, "HHMMSSdcm", false, false, 'm'), "01h02'03\"456");
}

TEST(KalibtimeInitial, InitialSeparatorsAreHColonDot) {
  // Every fixture test puts this set back when it ends.
  EXPECT_EQ(KagetTimeSeparators(), "h:.");
  EXPECT_EQ(KaformatTime(3723456, "HHMMSSdcm", false, false, 'm'), "01h02:03.456");
}

TEST_F(KalibtimeTest, ExplicitSeparatorSetLeavesTheGlobalOneAlone) {
  EXPECT_EQ(KaformatTimeWith(3723456, "HHMMSSdcm", false, false, 'm', "h:."), "01h02:03.456");
  EXPECT_EQ(KagetTimeSeparators(), "::.");
  EXPECT_EQ(KaformatTimeWith(0, "HHMMSS", true, false, 'm', "h:."), "         ");
  EXPECT_EQ(KaformatTimeWith(5, "MSSdcm", true, false, 'S', "h:."), "   5.000");
}

TEST_F(KalibtimeTest, SeparatorsThatAreFieldLettersStayLiteral) {
  // The hours separator is an M and the minutes one an S: neither becomes a field.
  EXPECT_EQ(KainsertTimeSeparators("HHMMSS", "MSd"), "HHMMMSSSd");
  EXPECT_EQ(KaformatTimeWith(3723456, "HHMMSSdcm", false, false, 'm', "MSd"), "01M02S03d456");
  EXPECT_EQ(KaformatTimeWith(3723000, "HHMMSS", true, false, 'm', "HMS"), " 1H02M03S");
  EXPECT_EQ(KaformatTimeWith(3000, "HHMMSS", true, false, 'm', "HMS"), "       3S");
}

TEST_F(KalibtimeTest, InsertSeparatorsAfterTheLastLetterOfEachGroup) {
  EXPECT_EQ(KainsertTimeSeparators("HHMMSSdcm", "::."), "HH:MM:SS.dcm");
  EXPECT_EQ(KainsertTimeSeparators("MSSd  ", "::."), "M:SS.d  ");
  EXPECT_EQ(KainsertTimeSeparators("HHMMSS", "::."), "HH:MM:SS.");
  EXPECT_EQ(KainsertTimeSeparators("-HHMMSS", "h:."), "-HHhMM:SS.");
  EXPECT_EQ(KainsertTimeSeparators("dcm", "::."), "dcm");
  EXPECT_EQ(KainsertTimeSeparators("HMH", "ab."), "HMbHa");
  EXPECT_EQ(KainsertTimeSeparators("SS", "::."), "SS.");
}

TEST(KasplitTime, SplitsByUnitAndLeavesOutputsAloneOtherwise) {
  struct Case {
    int value;
    char unit;
    int h, m, s, ms;
  } cases[] = {
      {3725, 'S', 1, 2, 5, 0},
      {3723456, 'm', 1, 2, 3, 456},
      {-3723456, 'm', 1, 2, 3, 456},
      {-999, 'm', 0, 0, 0, 999},
      {90000000, 'm', 25, 0, 0, 0},  // hours are not limited to a day
      {0, 'S', 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    int h = -1, m = -1, s = -1, ms = -1;
    KasplitTime(c.value, h, m, s, ms, c.unit);
    EXPECT_EQ(h, c.h) << c.value;
    EXPECT_EQ(m, c.m) << c.value;
    EXPECT_EQ(s, c.s) << c.value;
    EXPECT_EQ(ms, c.ms) << c.value;
  }
  int h = 7, m = 7, s = 7, ms = 7;
  KasplitTime(3725, h, m, s, ms, 's');
  EXPECT_EQ(h + m + s + ms, 28);
}

TEST(KagetTimeOfDay, ComposesTheLocalTime) {
  os::SetLocalTimeSource([] { return os::LocalTime{23, 59, 59, 999}; });
  EXPECT_EQ(KagetTimeOfDay(), 86399999);
  os::SetLocalTimeSource([] { return os::LocalTime{0, 0, 0, 0}; });
  EXPECT_EQ(KagetTimeOfDay(), 0);
  os::SetLocalTimeSource([] { return os::LocalTime{10, 20, 30, 40}; });
  EXPECT_EQ(KagetTimeOfDay(), ((10 * 60 + 20) * 60 + 30) * 1000 + 40);
  os::SetLocalTimeSource({});
  const int now = KagetTimeOfDay();
  EXPECT_GE(now, 0);
  EXPECT_LE(now, 86399999);
}

}  // namespace
