#include "console/LineTable.h"

#include <limits>

#include "Common/Kalib/Kalibtime.h"
#include "console/LineProtocol.h"
#include "platform/os/Tick.h"

const std::string TestAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789*+-'()/";

namespace {

constexpr std::uint32_t kTestStepMs = 750;
constexpr int kDefaultLuminosity = 3;

}  // namespace

std::string LineTimeText(int value) {
  std::string text = KaformatTime(value, "HHMMSS", true, false, 'm');
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.erase(point, 1);
  return text;
}

int TextToInteger(const std::string& text, int defaultValue) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return defaultValue;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return defaultValue;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return defaultValue;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return defaultValue;
  return static_cast<int>(value);
}

std::string LapCounterText(const std::string& text, int step) {
  // 32-bit wrap-around, as the counter's integer would on the original platform.
  const int v = static_cast<int>(static_cast<std::uint32_t>(TextToInteger(text, 0)) + static_cast<std::uint32_t>(step));
  std::string s = std::to_string(v);
  if (s.size() < 8) s.insert(0, 8 - s.size(), ' ');
  return s;
}

TLineTable::TLineTable(TKaCustomCommunication& channel, RandomSource random)
    : Comm(channel), Sequencer(std::move(random)) {}

void TLineTable::Start() {
  IsRunning = true;
  Started = os::GetTickCount();
}

void TLineTable::Stop() {
  IsRunning = false;
  Started = 0;
}

void TLineTable::SelectLine(int line) {
  if (line >= 0 && line < LineCount) Selected = line;
}

void TLineTable::SetLineType(int type) {
  if (type >= ltText && type <= ltDemo) Lines[Selected].Type = type;
}

void TLineTable::SetLineText(const std::string& text) { Lines[Selected].Text = text; }

void TLineTable::SetStartValue(int milliseconds) { Lines[Selected].Start = milliseconds; }

void TLineTable::SetLoopFlag(bool loop) { Lines[Selected].Loop = loop; }

void TLineTable::LuminosityChanged() {
  for (Entry& e : Lines) e.Sent.clear();
}

void TLineTable::ResetLines() {
  for (Entry& e : Lines) {
    e.Type = ltText;
    e.Start = 0;
    e.Loop = false;
  }
}

int TLineTable::Luminosity() const { return View ? View->GetLuminosityValue() : kDefaultLuminosity; }

void TLineTable::Clear() {
  const int luminosity = Luminosity();
  for (int n = 0; n < LineCount; ++n) Comm.Send(MakeDisplayFrame(n, luminosity, "        "));
}

std::string TLineTable::StepLapCounter(int step) {
  const std::string s = LapCounterText(View ? View->GetEditorText() : Lines[Selected].Text, step);
  if (View) View->SetEditorText(s);
  Lines[Selected].Text = s;
  return s;
}

std::string TLineTable::TestText() const {
  const int n = static_cast<int>(TestAlphabet.size());
  return std::string(8, TestAlphabet[static_cast<std::size_t>((Step % n + n) % n)]);
}

int TLineTable::TimeOfDay() {
  if (!HaveTimeOfDay) {
    TickTimeOfDay = KagetTimeOfDay();
    HaveTimeOfDay = true;
  }
  return TickTimeOfDay;
}

int TLineTable::CountUpValue(int line, std::uint32_t now) const {
  const Entry& e = Lines[static_cast<std::size_t>(line)];
  if (Started == 0) return e.Start;
  return static_cast<int>(now + static_cast<std::uint32_t>(e.Start) - Started);
}

int TLineTable::CountDownValue(int line, std::uint32_t now, std::uint32_t restartDelay) {
  const Entry& e = Lines[static_cast<std::size_t>(line)];
  const auto remainingNow = [&] { return static_cast<int>(static_cast<std::uint32_t>(e.Start) - (now - Started)); };
  int remaining = remainingNow();
  if (remaining <= 0) {
    if (e.Loop) {
      // The restart moves the shared origin: every Count-up and Count-down line restarts with it.
      Started = now + restartDelay;
      remaining = remainingNow();
    } else {
      remaining = 0;
    }
  }
  return Started != 0 ? remaining : e.Start;
}

void TLineTable::Preview(std::uint32_t now) {
  std::string text;
  switch (View->GetTypeValue()) {
    case ltPcTime: text = LineTimeText(TimeOfDay()); break;
    case ltCountUp: text = LineTimeText(CountUpValue(Selected, now)); break;
    case ltCountDown: text = LineTimeText(CountDownValue(Selected, now, 999)); break;
    case ltTest: text = TestText(); break;
    case ltDemo: text = Sequencer.DemoText(now, TimeOfDay()); break;
    default: return;  // Text and Lap counter belong to the operator
  }
  View->SetEditorText(text);
}

void TLineTable::RefreshPass(std::uint32_t now) {
  const int luminosity = Luminosity();
  for (int n = 0; n < LineCount; ++n) {
    Entry& e = Lines[static_cast<std::size_t>(n)];
    switch (e.Type) {
      case ltPcTime: e.Text = LineTimeText(TimeOfDay()); break;
      case ltCountUp: e.Text = LineTimeText(CountUpValue(n, now)); break;
      case ltCountDown: e.Text = LineTimeText(CountDownValue(n, now, 0)); break;
      case ltTest: e.Text = TestText(); break;
      case ltDemo: e.Text = Sequencer.DemoText(now, TimeOfDay()); break;
      default: break;
    }
    if (e.Sent == e.Text) continue;
    // A frame refused by an open port (its output queue is full) is not recorded as sent, so the
    // line goes out again on the next tick with whatever it shows then. A closed port loses it.
    const bool accepted = Comm.Send(MakeDisplayFrame(n, luminosity, e.Text));
    if (accepted || !Comm.IsOpen()) e.Sent = e.Text;
  }
}

void TLineTable::TimerTimer() {
  const std::uint32_t now = os::GetTickCount();
  HaveTimeOfDay = false;

  // Before the first step NextTestStep is 0 and the first tick steps at once. After that the
  // step is due once the tick count has passed NextTestStep, judged modulo 2^32 so that the
  // wrap of the tick count does not stop the test pattern for 49 days.
  if (Step == 0 ? now > NextStep : NextStep - now > kTestStepMs) {
    ++Step;
    NextStep = now + kTestStepMs;
  }

  if (View) Preview(now);
  if (IsRunning) RefreshPass(now);
}
