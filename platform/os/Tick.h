#pragma once
// The system's millisecond tick count: unsigned 32-bit, wraps modulo 2^32.
// Differences between two readings are taken in unsigned (or signed 32-bit) arithmetic.
#include <cstdint>
#include <functional>

namespace os {

std::uint32_t GetTickCount();

// Replaces the clock behind GetTickCount (tests run on a virtual clock);
// an empty function restores the monotonic clock.
using TickSource = std::function<std::uint32_t()>;
void SetTickSource(TickSource source);

// A manually advanced clock for tests: installs itself for its lifetime.
class VirtualTicks {
 public:
  explicit VirtualTicks(std::uint32_t start = 1000);
  ~VirtualTicks();
  VirtualTicks(const VirtualTicks&) = delete;
  VirtualTicks& operator=(const VirtualTicks&) = delete;

  std::uint32_t Now() const { return mNow; }
  void Set(std::uint32_t now) { mNow = now; }
  void Advance(std::uint32_t ms) { mNow += ms; }

 private:
  std::uint32_t mNow;
};

}  // namespace os
