#include "tools/virtual-scoreboard/LineMeter.h"

#include <gtest/gtest.h>

using scoreboard::LineMeter;

TEST(LineMeter, MeasuresAgainstNineHundredSixtyBytesASecond) {
  LineMeter m;  // one-second window
  EXPECT_EQ(m.Percent(0), 0);
  EXPECT_EQ(m.AveragePercent(5), 0);
  for (int i = 0; i < 80; ++i) m.Add(10 + i * 0.0125, 12);  // a frame every 12.5 ms fills the line
  EXPECT_NEAR(m.Percent(10 + 79 * 0.0125), 100.0, 1e-9);
  EXPECT_NEAR(m.PeakPercent(), 100.0, 1e-9);
  EXPECT_NEAR(m.Percent(11.5), 50.0, 1e-9);  // the first half of the burst has left the window
  EXPECT_EQ(m.Percent(20), 0);
  EXPECT_NEAR(m.PeakPercent(), 100.0, 1e-9);
  EXPECT_NEAR(m.AveragePercent(20), 10.0, 1e-9);  // 960 bytes over ten seconds
  m.Add(20, 1920);  // more than the line carries: shown as it is
  EXPECT_NEAR(m.PeakPercent(), 200.0, 1e-9);
  EXPECT_EQ(m.TotalBytes(), 80u * 12 + 1920);
}
