#pragma once
// How busy the serial line is: the bytes that arrived, against what 9600 baud carries
// (10 bits a byte: start bit, eight data bits, stop bit, so 960 bytes a second).
//
// A pseudo-terminal does not pace the bytes as a real line would, so the figure can pass
// 100 %: that is a sender offering more than the real line could carry.
#include <cstddef>
#include <cstdint>
#include <deque>

namespace scoreboard {

class LineMeter {
 public:
  static constexpr double kBytesPerSecond = 9600.0 / 10.0;

  explicit LineMeter(double windowSeconds = 1.0) : mWindow(windowSeconds) {}

  // Bytes arrived at time t (seconds, never decreasing).
  void Add(double t, std::size_t bytes);

  // Percent of the line's capacity used over the window that ends at now.
  double Percent(double now);
  // The highest Percent over any window so far.
  double PeakPercent() const { return mPeak; }
  // Percent of the capacity used between the first byte and now (0 before any byte).
  double AveragePercent(double now) const;
  std::uint64_t TotalBytes() const { return mTotal; }

  static double PercentOf(double bytes, double seconds);

 private:
  struct Sample {
    double t;
    std::size_t bytes;
  };
  void Prune(double now);

  double mWindow;
  std::deque<Sample> mSamples;
  std::uint64_t mInWindow = 0;
  std::uint64_t mTotal = 0;
  double mFirst = -1;
  double mPeak = 0;
};

}  // namespace scoreboard
