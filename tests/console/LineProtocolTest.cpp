#include "console/LineProtocol.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

}  // namespace

TEST(FitToEight, KeepsTheLastEightAndFillsOnTheRight) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", "        "},
      {"ABC", "ABC     "},
      {"ABCDEFGH", "ABCDEFGH"},
      {"12:34:56.", "2:34:56."},
      {"0123456789", "23456789"},
      {std::string("a\x02\x0A") + "b", std::string("a\x02\x0A") + "b    "},  // nothing is escaped
  };
  for (const auto& c : cases) EXPECT_EQ(FitToEight(c.in), c.out) << '"' << c.in << '"';
}

TEST(Frames, DisplayFrameByteForByte) {
  EXPECT_EQ(MakeDisplayFrame(4, 3, "12:05:09"),
            Bytes({0x02, 0x34, 0x33, 0x31, 0x32, 0x3A, 0x30, 0x35, 0x3A, 0x30, 0x39, 0x0A}));
  EXPECT_EQ(MakeDisplayFrame(2, 3, "HELLO"),
            Bytes({0x02, 0x32, 0x33, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x20, 0x20, 0x20, 0x0A}));
  EXPECT_EQ(MakeDisplayFrame(0, 1, "").substr(0, 3), Bytes({0x02, 0x30, 0x31}));
  // A clear frame is the display frame of eight blanks, the same bytes as an empty text.
  EXPECT_EQ(MakeDisplayFrame(7, 2, "        "), MakeDisplayFrame(7, 2, ""));
  EXPECT_EQ(MakeDisplayFrame(7, 2, "").size(), 12u);
}

TEST(Frames, LineNumberFrameByteForByte) {
  EXPECT_EQ(MakeLineNumberFrame(5), Bytes({0x02, 0xA0, 0x33, 0x6C, 0x69, 0x6E, 0x65, 0x20, 0x20, 0x35, 0x20, 0x0A}));
  EXPECT_EQ(MakeLineNumberFrame(0), Bytes({0x02, 0xA0, 0x33, 0x6C, 0x69, 0x6E, 0x65, 0x20, 0x20, 0x30, 0x20, 0x0A}));
}
