#pragma once
// The console engine: the ten-line table, the START/STOP state and the 50 ms tick that refreshes
// the editor preview and sends a display frame for every line whose content changed since it was
// last sent. The window forwards its handlers here and only shows what this computes.
#include <array>
#include <cstdint>
#include <string>

#include "Common/Kalib/Kalibcustomcommunication.h"
#include "console/DemoSequencer.h"

// Line types, as the type selector carries them.
enum : int {
  ltText = 0,
  ltPcTime = 1,
  ltCountUp = 2,
  ltCountDown = 3,
  ltLapCounter = 4,
  ltTest = 5,
  ltDemo = 6,
};

constexpr int LineCount = 10;

// 69 characters; a Test line shows eight copies of one of them, stepping every 750 ms.
extern const std::string TestAlphabet;

// What the engine needs of the window. The window implements it and attaches itself.
class TConsoleView {
 public:
  virtual ~TConsoleView() = default;
  virtual std::string GetEditorText() = 0;
  // Writing fires the window's change handler, which hands the editor text to SetLineText.
  virtual void SetEditorText(const std::string& text) = 0;
  // The values the type and luminosity selectors carry (0-6 and 1-3).
  virtual int GetTypeValue() = 0;
  virtual int GetLuminosityValue() = 0;
};

// A time value (ms) as HH:MM:SS: "HHMMSS" with leading zero fields blanked, first "." removed.
std::string LineTimeText(int value);

// Leading blanks, an optional sign, decimal digits to the end of the text; anything else
// (the empty text, trailing characters, a value outside 32 bits) gives defaultValue.
int TextToInteger(const std::string& text, int defaultValue);

// The lap counter rule: the text read as an integer (0 if it is not one) plus step, right-aligned
// in eight characters (a longer number stays whole).
std::string LapCounterText(const std::string& text, int step);

class TLineTable {
 public:
  // The channel outlives the table. An empty random source means the C library's generator.
  explicit TLineTable(TKaCustomCommunication& channel, RandomSource random = {});
  TLineTable(const TLineTable&) = delete;
  TLineTable& operator=(const TLineTable&) = delete;

  // The window attaches itself once built and detaches (nullptr) before it goes. Without a view
  // the tick makes no preview and frames carry the luminosity the selector starts with (3).
  void SetView(TConsoleView* view) { View = view; }
  TConsoleView* GetView() const { return View; }

  // The 50 ms tick: test step, editor preview, then (while started) the refresh pass.
  void TimerTimer();

  void Start();  // Running, StartTick <- now
  void Stop();   // stopped, StartTick <- 0; nothing is sent

  // Handler effects; the edits apply to the selected line.
  void SelectLine(int line);  // the tab index; outside 0-9 ignored
  void SetLineType(int type);  // 0-6; other values ignored
  void SetLineText(const std::string& text);
  void SetStartValue(int milliseconds);
  void SetLoopFlag(bool loop);
  void LuminosityChanged();  // every line with content goes out again on the next tick
  void Clear();              // the clear frame of lines 0-9 at the current luminosity
  // The + and - buttons: write the stepped number into the editor (and the line); return it.
  std::string Plus() { return StepLapCounter(+1); }
  std::string Minus() { return StepLapCounter(-1); }
  // Type 0, start value 0, loop off for every line; texts stay (they start empty).
  void ResetLines();

  // The table and the shared state.
  int LineType(int line) const { return Lines.at(line).Type; }
  const std::string& LineText(int line) const { return Lines.at(line).Text; }
  const std::string& LastSent(int line) const { return Lines.at(line).Sent; }
  int StartValue(int line) const { return Lines.at(line).Start; }
  bool LoopFlag(int line) const { return Lines.at(line).Loop; }
  int SelectedLine() const { return Selected; }
  bool Running() const { return IsRunning; }
  std::uint32_t StartTick() const { return Started; }
  int TestStep() const { return Step; }
  std::uint32_t NextTestStep() const { return NextStep; }

  TDemoSequencer& Demo() { return Sequencer; }
  TKaCustomCommunication& Channel() { return Comm; }

 private:
  struct Entry {
    int Type = ltText;
    std::string Text;
    std::string Sent;
    int Start = 0;
    bool Loop = false;
  };

  std::string StepLapCounter(int step);
  std::string TestText() const;
  int CountUpValue(int line, std::uint32_t now) const;
  int CountDownValue(int line, std::uint32_t now, std::uint32_t restartDelay);
  int Luminosity() const;
  void Preview(std::uint32_t now);
  void RefreshPass(std::uint32_t now);
  int TimeOfDay();

  TKaCustomCommunication& Comm;
  TConsoleView* View = nullptr;
  TDemoSequencer Sequencer;
  std::array<Entry, LineCount> Lines;
  int Selected = 0;
  bool IsRunning = false;
  std::uint32_t Started = 0;
  int Step = 0;
  std::uint32_t NextStep = 0;
  // The time of day, read at most once per tick.
  int TickTimeOfDay = 0;
  bool HaveTimeOfDay = false;
};
