// The console engine's tick cost and the traffic it puts on the 9600-baud line.
//
// BM_TimerTimer_AllBusy: one tick with all ten lines started and busy, into a channel that takes
// everything. BM_Traffic_*: 60 virtual seconds of a line mix, counted per second against the
// line's capacity of 960 bytes (80 display frames) a second, once as offered to a channel that
// takes everything and once through a model of the line: a 1000-byte output queue (the console's
// setting) drained at 960 bytes a second, refusing what does not fit, as the serial port does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

#include "Common/Kalib/Kalibcustomcommunication.h"
#include "Common/Kalib/Kalibtime.h"
#include "console/LineTable.h"
#include "platform/os/LocalTime.h"
#include "platform/os/Tick.h"

namespace {

constexpr double kLineBytesPerMs = 0.96;  // 9600 baud, 10 bits a byte
constexpr double kLineBytesPerSecond = 960.0;
constexpr std::size_t kOutputQueue = 1000;

// Takes every frame; counts them.
class NullChannel : public TKaCustomCommunication {
 public:
  std::uint64_t Frames = 0, Bytes = 0;
  bool Open() override { return true; }
  bool Close() override { return true; }
  bool IsOpen() override { return true; }
  bool ReadByte(std::uint8_t*) override { return false; }
  bool WriteByte(std::uint8_t) override { return Send(std::string(1, ' ')); }
  bool Send(const std::string& text) override {
    ++Frames;
    Bytes += text.size();
    return true;
  }
};

// The line as the serial port presents it: a bounded queue in front of a 960 bytes/s drain.
class LineModel : public NullChannel {
 public:
  double Pending = 0;  // bytes not yet on the line
  std::uint64_t Refused = 0;
  double MaxDelayMs = 0;  // how long the newest accepted byte waits for the line

  void Drain(double ms) { Pending = std::max(0.0, Pending - ms * kLineBytesPerMs); }
  bool Send(const std::string& text) override {
    if (Pending + static_cast<double>(text.size()) > kOutputQueue) {
      ++Refused;
      return false;
    }
    Pending += static_cast<double>(text.size());
    MaxDelayMs = std::max(MaxDelayMs, Pending / kLineBytesPerMs);
    return NullChannel::Send(text);
  }
};

// The window as the engine sees it, with the editor showing the selected line.
class BenchView : public TConsoleView {
 public:
  explicit BenchView(TLineTable& table) : Table(table) {}
  std::string Editor;
  int Type = ltText;
  std::string GetEditorText() override { return Editor; }
  void SetEditorText(const std::string& text) override {
    Editor = text;
    Table.SetLineText(text);
  }
  int GetTypeValue() override { return Type; }
  int GetLuminosityValue() override { return 3; }

 private:
  TLineTable& Table;
};

struct LineSetup {
  int type;
  std::string text;
  int startValue;
  bool loop;
};

void Configure(TLineTable& table, BenchView& view, const std::vector<LineSetup>& lines, int selected) {
  for (int n = 0; n < static_cast<int>(lines.size()); ++n) {
    table.SelectLine(n);
    view.Type = lines[n].type;
    table.SetLineType(lines[n].type);
    view.SetEditorText(lines[n].text);
    table.SetStartValue(lines[n].startValue);
    table.SetLoopFlag(lines[n].loop);
  }
  table.SelectLine(selected);
  view.Type = table.LineType(selected);
  view.SetEditorText(table.LineText(selected));
}

// The time of day runs with the virtual clock from 12:05:09.
void FollowTheClock(const os::VirtualTicks& clock) {
  os::SetLocalTimeSource([&clock] {
    const int ms = 43509000 + static_cast<int>(clock.Now() % 36000000u);
    return os::LocalTime{ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
  });
}

const std::vector<LineSetup> kAllBusy = {
    {ltPcTime, "", 0, false},      {ltCountUp, "", 90000, false}, {ltCountDown, "", 7000, true},
    {ltTest, "", 0, false},        {ltDemo, "", 0, false},        {ltPcTime, "", 0, false},
    {ltCountUp, "", 0, false},     {ltCountDown, "", 600000, true}, {ltTest, "", 0, false},
    {ltDemo, "", 0, false},
};

void BM_TimerTimer_AllBusy(benchmark::State& state) {
  const bool virtualTimeOfDay = state.range(0) != 0;
  KasetTimeSeparators("::.");
  std::srand(1);
  os::VirtualTicks clock(1000);
  if (virtualTimeOfDay) FollowTheClock(clock);
  NullChannel channel;
  TLineTable table(channel);
  BenchView view(table);
  table.SetView(&view);
  Configure(table, view, kAllBusy, 4);  // the editor previews a DEMO line
  table.Start();
  for (auto _ : state) {
    clock.Advance(50);
    table.TimerTimer();
  }
  os::SetLocalTimeSource({});
  state.SetItemsProcessed(state.iterations());
  state.counters["frames_per_tick"] = static_cast<double>(channel.Frames) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TimerTimer_AllBusy)->ArgName("virtual_time_of_day")->Arg(1)->Arg(0);

struct Traffic {
  double framesPerSecond = 0, bytesPerSecond = 0, peakBytesPerSecond = 0;
  double refused = 0, maxDelayMs = 0;
  double maxStaleMs = 0;  // longest time a line's display lagged behind its content
};

// 60 virtual seconds of the mix; the lap counter (if any) is stepped every 15 s.
template <class Channel>
Traffic RunMinute(const std::vector<LineSetup>& lines, unsigned seed) {
  KasetTimeSeparators("::.");
  std::srand(seed);
  os::VirtualTicks clock(1000 + seed * 7919u);
  FollowTheClock(clock);
  Channel channel;
  TLineTable table(channel);
  BenchView view(table);
  table.SetView(&view);
  Configure(table, view, lines, 0);
  int lapLine = -1;
  for (int n = 0; n < static_cast<int>(lines.size()); ++n)
    if (lines[n].type == ltLapCounter) lapLine = n;
  table.Start();

  constexpr int kTicks = 60 * 20;
  std::vector<std::uint64_t> bytesPerTick(kTicks);
  std::vector<double> stale(lines.size(), 0.0);
  double maxStale = 0;
  for (int i = 0; i < kTicks; ++i) {
    clock.Advance(50);
    if constexpr (std::is_same_v<Channel, LineModel>) channel.Drain(50);
    if (lapLine >= 0 && i % 300 == 299) {
      table.SelectLine(lapLine);
      view.Type = ltLapCounter;
      view.Editor = table.LineText(lapLine);
      table.Plus();
      table.SelectLine(0);
      view.Type = table.LineType(0);
      view.Editor = table.LineText(0);
    }
    const std::uint64_t before = channel.Bytes;
    table.TimerTimer();
    bytesPerTick[static_cast<std::size_t>(i)] = channel.Bytes - before;
    for (std::size_t n = 0; n < lines.size(); ++n) {
      const int line = static_cast<int>(n);
      stale[n] = table.LastSent(line) == table.LineText(line) ? 0.0 : stale[n] + 50.0;
      maxStale = std::max(maxStale, stale[n]);
    }
  }
  os::SetLocalTimeSource({});

  Traffic t;
  t.framesPerSecond = static_cast<double>(channel.Frames) / 60.0;
  t.bytesPerSecond = static_cast<double>(channel.Bytes) / 60.0;
  std::uint64_t window = 0;
  for (int i = 0; i < kTicks; ++i) {
    window += bytesPerTick[static_cast<std::size_t>(i)];
    if (i >= 20) window -= bytesPerTick[static_cast<std::size_t>(i - 20)];
    t.peakBytesPerSecond = std::max(t.peakBytesPerSecond, static_cast<double>(window));
  }
  if constexpr (std::is_same_v<Channel, LineModel>) {
    t.refused = static_cast<double>(channel.Refused);
    t.maxDelayMs = channel.MaxDelayMs;
    t.maxStaleMs = maxStale;
  }
  return t;
}

// Two fixed texts, two clocks, a count-up, a ten-minute count-down, a lap counter, one DEMO
// line, one Test line, one line unused.
const std::vector<LineSetup> kRealistic = {
    {ltText, "HOME", 0, false},     {ltText, "GUEST", 0, false},     {ltPcTime, "", 0, false},
    {ltPcTime, "", 0, false},       {ltCountUp, "", 0, false},       {ltCountDown, "", 600000, false},
    {ltLapCounter, "       0", 0, false}, {ltDemo, "", 0, false},   {ltTest, "", 0, false},
    {ltText, "", 0, false},
};
const std::vector<LineSetup> kAllDemo(10, LineSetup{ltDemo, "", 0, false});

template <class Channel>
void ReportMinute(benchmark::State& state, const std::vector<LineSetup>& lines) {
  // Averaged over twenty random demo sequences; peak and delay are the worst of them.
  constexpr unsigned kSeeds = 20;
  Traffic sum, worst;
  for (auto _ : state) {
    sum = worst = Traffic{};
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
      const Traffic t = RunMinute<Channel>(lines, seed);
      sum.framesPerSecond += t.framesPerSecond / kSeeds;
      sum.bytesPerSecond += t.bytesPerSecond / kSeeds;
      sum.refused += t.refused / kSeeds;
      worst.bytesPerSecond = std::max(worst.bytesPerSecond, t.bytesPerSecond);
      worst.peakBytesPerSecond = std::max(worst.peakBytesPerSecond, t.peakBytesPerSecond);
      worst.maxDelayMs = std::max(worst.maxDelayMs, t.maxDelayMs);
      worst.maxStaleMs = std::max(worst.maxStaleMs, t.maxStaleMs);
    }
  }
  state.counters["frames_per_s"] = sum.framesPerSecond;
  state.counters["bytes_per_s"] = sum.bytesPerSecond;
  state.counters["line_load_pct"] = sum.bytesPerSecond * 100.0 / kLineBytesPerSecond;
  state.counters["worst_minute_bytes_per_s"] = worst.bytesPerSecond;
  state.counters["peak_1s_bytes"] = worst.peakBytesPerSecond;
  if constexpr (std::is_same_v<Channel, LineModel>) {
    state.counters["refused_per_min"] = sum.refused;
    state.counters["max_queue_delay_ms"] = worst.maxDelayMs;
    state.counters["max_line_lag_ms"] = worst.maxStaleMs;
  }
}

void BM_Traffic_Realistic_Offered(benchmark::State& state) { ReportMinute<NullChannel>(state, kRealistic); }
void BM_Traffic_Realistic_OnLine(benchmark::State& state) { ReportMinute<LineModel>(state, kRealistic); }
void BM_Traffic_AllDemo_Offered(benchmark::State& state) { ReportMinute<NullChannel>(state, kAllDemo); }
void BM_Traffic_AllDemo_OnLine(benchmark::State& state) { ReportMinute<LineModel>(state, kAllDemo); }
BENCHMARK(BM_Traffic_Realistic_Offered)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Traffic_Realistic_OnLine)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Traffic_AllDemo_Offered)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Traffic_AllDemo_OnLine)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
