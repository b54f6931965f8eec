#pragma once
// The local wall-clock time of day, injectable for tests.
#include <functional>

namespace os {

struct LocalTime {
  int Hour = 0;          // 0-23
  int Minute = 0;        // 0-59
  int Second = 0;        // 0-59
  int Milliseconds = 0;  // 0-999
};

LocalTime GetLocalTime();

// An empty function restores the real clock.
void SetLocalTimeSource(std::function<LocalTime()> source);

}  // namespace os
