#include "platform/os/LocalTime.h"

#include <time.h>

namespace os {
namespace {

std::function<LocalTime()>& Source() {
  static std::function<LocalTime()> source;
  return source;
}

}  // namespace

LocalTime GetLocalTime() {
  if (const auto& s = Source()) return s();
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm parts{};
  localtime_r(&ts.tv_sec, &parts);
  LocalTime t;
  t.Hour = parts.tm_hour;
  t.Minute = parts.tm_min;
  t.Second = parts.tm_sec > 59 ? 59 : parts.tm_sec;  // a leap second stays inside the day
  t.Milliseconds = int(ts.tv_nsec / 1000000);
  return t;
}

void SetLocalTimeSource(std::function<LocalTime()> source) { Source() = std::move(source); }

}  // namespace os
