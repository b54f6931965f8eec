#include "tools/virtual-scoreboard/Session.h"

#include <algorithm>
#include <cmath>

#include "platform/os/PseudoTerminal.h"

namespace scoreboard {

Session::Session(std::vector<int> lineNumbers, double statsSeconds)
    : mStart(Clock::now()),
      mBus(std::move(lineNumbers)),
      mStatsSeconds(statsSeconds),
      mNextStats(statsSeconds) {}

double Session::Now() const { return std::chrono::duration<double>(Clock::now() - mStart).count(); }

double Session::Monotonic(double t) const {
  return std::chrono::duration<double>(mStart.time_since_epoch()).count() + t;
}

void Session::Write(const std::string& line) {
  if (mLog) mLog->Write(line);
}

void Session::Emit(std::vector<FrameEvent>& events, double t) {
  for (const FrameEvent& e : events) {
    mLastBytes = e.bytes;
    Write(EventJson(e, t, Monotonic(t)));
    if (onEvent) onEvent(e);
  }
  events.clear();
}

bool Session::Pump(os::PseudoTerminal& pty) {
  char buffer[4096];
  for (;;) {
    const long n = pty.Read(buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    Take(std::string_view(buffer, static_cast<std::size_t>(n)));
  }
}

void Session::Take(std::string_view bytes) {
  if (bytes.empty()) return;
  const double t = Now();
  mMeter.Add(t, bytes.size());
  mStatsBytes += bytes.size();
  mLastInput = t;
  mQuietFlushed = false;
  mBus.Feed(bytes, mEvents);
  Emit(mEvents, t);
}

void Session::Tick() {
  const double t = Now();
  if (!mQuietFlushed && t - mLastInput >= kQuietSeconds) {
    mBus.FlushStretch(mEvents);
    Emit(mEvents, t);
    mQuietFlushed = true;
  }
  if (mStatsSeconds > 0 && t >= mNextStats) {
    if (mStatsBytes > 0) {
      Write(JsonLine()
                .Text("kind", "utilisation")
                .Number("time", t, 6)
                .Number("interval", mStatsSeconds, 3)
                .Int("bytes", static_cast<long long>(mStatsBytes))
                .Number("percent", LineMeter::PercentOf(static_cast<double>(mStatsBytes), mStatsSeconds), 2)
                .Number("peak", mMeter.PeakPercent(), 2)
                .Str());
    }
    mStatsBytes = 0;
    // Catch up after a stall without writing a line for every missed period.
    mNextStats += mStatsSeconds * std::floor((t - mNextStats) / mStatsSeconds + 1);
  }
}

int Session::MillisecondsToNextTick() const {
  const double t = Now();
  double next = 3600;
  if (!mQuietFlushed) next = std::min(next, mLastInput + kQuietSeconds - t);
  if (mStatsSeconds > 0) next = std::min(next, mNextStats - t);
  return next <= 0 ? 0 : static_cast<int>(std::ceil(next * 1000));
}

void Session::Finish() {
  const double t = Now();
  mBus.Finish(mEvents);
  Emit(mEvents, t);
  Write(JsonLine()
            .Text("kind", "exit")
            .Number("time", t, 6)
            .Int("frames", static_cast<long long>(mBus.FrameCount()))
            .Int("bytes", static_cast<long long>(mBus.ByteCount()))
            .Int("malformed", static_cast<long long>(mBus.MalformedCount()))
            .Number("average", mMeter.AveragePercent(t), 2)
            .Number("peak", mMeter.PeakPercent(), 2)
            .Str());
}

void Session::LogReady(int port, const std::string& link, const std::string& device) {
  std::vector<int> lines;
  for (const Display& d : mBus.Displays()) lines.push_back(d.line);
  Write(JsonLine()
            .Text("kind", "ready")
            .Number("time", Now(), 6)
            .Text("port", "Com" + std::to_string(port))
            .Text("link", link)
            .Text("device", device)
            .Int("baud", 9600)
            .Text("format", "8-N-1")
            .Ints("displays", lines)
            .Str());
}

}  // namespace scoreboard
