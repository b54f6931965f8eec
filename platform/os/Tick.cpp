#include "platform/os/Tick.h"

#include <time.h>

namespace os {
namespace {

TickSource& Source() {
  static TickSource source;
  return source;
}

std::uint32_t MonotonicMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const std::uint64_t ms = std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);  // wraps as the 32-bit counter does
}

}  // namespace

std::uint32_t GetTickCount() {
  const TickSource& s = Source();
  return s ? s() : MonotonicMilliseconds();
}

void SetTickSource(TickSource source) { Source() = std::move(source); }

VirtualTicks::VirtualTicks(std::uint32_t start) : mNow(start) {
  SetTickSource([this] { return mNow; });
}

VirtualTicks::~VirtualTicks() { SetTickSource({}); }

}  // namespace os
