#include <gtest/gtest.h>

#include "platform/vcl/Cp1252.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/SysUtils.h"

namespace {

// Restores the process-wide separator a test changes.
class SeparatorGuard {
 public:
  explicit SeparatorGuard(char sep) : old_(DecimalSeparator) { DecimalSeparator = sep; }
  ~SeparatorGuard() { DecimalSeparator = old_; }

 private:
  char old_;
};

TEST(StrToIntDef, FollowsTheFrameworkIntegerSyntax) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"42", 42},          {"-42", -42},         {"+7", 7},          {"  7", 7},
      {" -3", -3},         {"$1F", 31},          {"0x1f", 31},       {"-$10", -16},
      {"2147483647", 2147483647},                {"-2147483648", -2147483647 - 1},
      {"$FFFFFFFF", -1},   {"", -99},            {"   ", -99},        {"-", -99},
      {"12 ", -99},        {"1a", -99},          {"2147483648", -99}, {"$", -99},
      {"1.5", -99},        {"\t5", -99},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, -99), c.expected) << '"' << c.text << '"';
  EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(StrToFloat, UsesTheDecimalSeparatorSetting) {
  {
    SeparatorGuard dot('.');
    EXPECT_DOUBLE_EQ(StrToFloat("123.45"), 123.45);
    EXPECT_DOUBLE_EQ(StrToFloat(" -0.25 "), -0.25);
    EXPECT_DOUBLE_EQ(StrToFloat("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
    EXPECT_EQ(FloatToStr(2.5), "2.5");
  }
  {
    SeparatorGuard comma(',');
    EXPECT_DOUBLE_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
    EXPECT_EQ(FloatToStr(2.5), "2,5");
  }
  for (const char* bad : {"", " ", "abc", "1e", "--1", "1.2.3"}) {
    double v = 7;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    EXPECT_EQ(v, 7);
  }
  // The C library keeps writing '.' (what "%.*f" users rely on), whatever the user's locale.
  EXPECT_EQ(Format("%.*f", 2, 123.45), "123.45");
}

TEST(Dates, CountDaysFrom30December1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2006, 3, 5), 38781.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  TDateTime d;
  EXPECT_TRUE(TryEncodeDate(2004, 2, 29, d));
  EXPECT_FALSE(TryEncodeDate(2005, 2, 29, d));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
  EXPECT_FALSE(TryEncodeDate(2005, 13, 1, d));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, d));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, d));
  EXPECT_THROW(EncodeDate(2005, 2, 31), EConvertError);

  // Every day of a few centuries round-trips.
  for (int day = -1000; day < 80000; ++day) {
    WORD y, m, dd;
    DecodeDate(day, y, m, dd);
    ASSERT_TRUE(TryEncodeDate(y, m, dd, d)) << day;
    ASSERT_EQ(d, day);
  }
  WORD y, m, dd;
  DecodeDate(1.0, y, m, dd);
  EXPECT_EQ(y * 10000 + m * 100 + dd, 18991231);
  DecodeDate(EncodeDate(9999, 12, 31), y, m, dd);
  EXPECT_EQ(y * 10000 + m * 100 + dd, 99991231);
}

TEST(Cp1252, EveryByteRoundTripsThroughUnicodeAndQtText) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(vcl::Utf8ToCp1252(vcl::Cp1252ToUtf8(all)), all);
  EXPECT_EQ(vcl::Cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(vcl::Cp1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(vcl::UnicodeToCp1252(U'\u2122'), 0x99);
  EXPECT_EQ(vcl::UnicodeToCp1252(U'\u0100'), -1);
  EXPECT_EQ(vcl::Utf8ToCp1252("\xC4\x80"), "?");

  // Through a Qt widget and back: the edit holds the text as Qt text.
  TEdit edit(nullptr);
  std::string printable = all.substr(1);  // a line edit cannot hold NUL
  edit.SetText(printable);
  EXPECT_EQ(edit.GetText(), printable);
}

TEST(CaseFolding, KnowsCodePage1252Letters) {
  EXPECT_EQ(AnsiUpperCase("\xE9t\xE9 \x9C"), "\xC9T\xC9 \x8C");
  EXPECT_TRUE(AnsiSameText("\xC9T\xC9", "\xE9t\xE9"));
  EXPECT_EQ(UpperCase("\xE9t\xE9"), "\xE9T\xE9");
  EXPECT_EQ(StringReplace("a-b-c", "-", "--", rfReplaceAll), "a--b--c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
}

}  // namespace
