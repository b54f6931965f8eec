#include "platform/os/LocalTime.h"
#include "platform/os/Tick.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(Tick, MonotonicClockAdvancesInMilliseconds) {
  const std::uint32_t t0 = os::GetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const std::uint32_t elapsed = os::GetTickCount() - t0;
  EXPECT_GE(elapsed, 29u);
  EXPECT_LT(elapsed, 5000u);
}

TEST(Tick, VirtualTicksReplaceTheClockAndWrap) {
  {
    os::VirtualTicks clock(0xFFFFFFF0u);
    EXPECT_EQ(os::GetTickCount(), 0xFFFFFFF0u);
    clock.Advance(0x20);
    EXPECT_EQ(os::GetTickCount(), 0x10u);  // wrapped modulo 2^32
    EXPECT_EQ(std::uint32_t(os::GetTickCount() - 0xFFFFFFF0u), 0x20u);
  }
  // Gone with its scope: the real clock is back (it is nowhere near the virtual value).
  const std::uint32_t a = os::GetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_NE(os::GetTickCount(), a);
}

TEST(LocalTime, RealClockIsInRangeAndSourceCanBeInjected) {
  const os::LocalTime now = os::GetLocalTime();
  EXPECT_GE(now.Hour, 0);
  EXPECT_LE(now.Hour, 23);
  EXPECT_LE(now.Minute, 59);
  EXPECT_LE(now.Second, 59);
  EXPECT_LE(now.Milliseconds, 999);

  os::SetLocalTimeSource([] { return os::LocalTime{12, 5, 9, 250}; });
  const os::LocalTime fixed = os::GetLocalTime();
  os::SetLocalTimeSource({});
  EXPECT_EQ(fixed.Hour, 12);
  EXPECT_EQ(fixed.Minute, 5);
  EXPECT_EQ(fixed.Second, 9);
  EXPECT_EQ(fixed.Milliseconds, 250);
}
