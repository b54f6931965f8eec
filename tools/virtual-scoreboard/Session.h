#pragma once
// One run of the virtual scoreboard: bytes from the terminal go through the display bus, the
// line meter and, when a log is attached, out as JSON lines. The window and the headless loop
// both drive it; it knows nothing of either.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/virtual-scoreboard/DisplayBus.h"
#include "tools/virtual-scoreboard/FrameLog.h"
#include "tools/virtual-scoreboard/LineMeter.h"

namespace os {
class PseudoTerminal;
}

namespace scoreboard {

class Session {
 public:
  using Clock = std::chrono::steady_clock;
  // How long the line stays quiet before bytes that cannot start a frame are reported.
  static constexpr double kQuietSeconds = 0.1;

  Session(std::vector<int> lineNumbers, double statsSeconds);

  void SetLog(JsonLog* log) { mLog = log; }
  // Called for every decoded frame and malformed stretch, after the bus took it.
  std::function<void(const FrameEvent&)> onEvent;

  // Reads everything waiting on the terminal; false on a read failure.
  bool Pump(os::PseudoTerminal& pty);
  // Bytes that arrived now.
  void Take(std::string_view bytes);
  // Reports a quiet line's stray bytes and writes the periodic utilisation line when due.
  void Tick();
  // When Tick next has something to do, in milliseconds from now.
  int MillisecondsToNextTick() const;
  // Reports what is still waiting and writes the final line.
  void Finish();

  void LogReady(int port, const std::string& link, const std::string& device);

  double Now() const;  // seconds since the start
  const DisplayBus& Bus() const { return mBus; }
  LineMeter& Meter() { return mMeter; }
  const std::string& LastBytes() const { return mLastBytes; }  // the latest frame or stretch

 private:
  void Emit(std::vector<FrameEvent>& events, double t);
  void Write(const std::string& line);
  double Monotonic(double t) const;

  Clock::time_point mStart;
  DisplayBus mBus;
  LineMeter mMeter;
  JsonLog* mLog = nullptr;
  double mStatsSeconds;
  double mNextStats;
  std::uint64_t mStatsBytes = 0;  // bytes since the last utilisation line
  double mLastInput = -1;
  bool mQuietFlushed = true;
  std::string mLastBytes;
  std::vector<FrameEvent> mEvents;
};

}  // namespace scoreboard
