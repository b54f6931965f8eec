#include "tools/virtual-scoreboard/LineMeter.h"

namespace scoreboard {

double LineMeter::PercentOf(double bytes, double seconds) {
  return seconds > 0 ? 100.0 * bytes / (kBytesPerSecond * seconds) : 0.0;
}

void LineMeter::Prune(double now) {
  // A sample at exactly now - window still belongs to the window (closed interval).
  while (!mSamples.empty() && mSamples.front().t < now - mWindow) {
    mInWindow -= mSamples.front().bytes;
    mSamples.pop_front();
  }
}

void LineMeter::Add(double t, std::size_t bytes) {
  if (bytes == 0) return;
  if (mFirst < 0) mFirst = t;
  mSamples.push_back({t, bytes});
  mInWindow += bytes;
  mTotal += bytes;
  Prune(t);
  // Windows that end at an arrival are the busiest ones.
  const double p = PercentOf(static_cast<double>(mInWindow), mWindow);
  if (p > mPeak) mPeak = p;
}

double LineMeter::Percent(double now) {
  Prune(now);
  return PercentOf(static_cast<double>(mInWindow), mWindow);
}

double LineMeter::AveragePercent(double now) const {
  if (mFirst < 0) return 0.0;
  // At least one window long, so a single burst does not read as an infinite rate.
  const double span = now - mFirst > mWindow ? now - mFirst : mWindow;
  return PercentOf(static_cast<double>(mTotal), span);
}

}  // namespace scoreboard
