#include "console/LineTable.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "Common/Kalib/Kalibtime.h"
#include "console/LineProtocol.h"
#include "platform/os/LocalTime.h"
#include "platform/os/Tick.h"
#include "tests/console/EngineFakes.h"

namespace {

const std::string kBlank8(8, ' ');

std::string Frame(int line, int luminosity, const std::string& text) {
  return MakeDisplayFrame(line, luminosity, text);
}

// The engine on a virtual clock; the time of day runs with the clock from 12:05:09.000.
class LineTableTick : public ::testing::Test {
 protected:
  void SetUp() override {
    KasetTimeSeparators("::.");
    os::SetLocalTimeSource([this] {
      const int ms = 43509000 + static_cast<int>(Clock.Now() - 1000);
      return os::LocalTime{ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
    });
    Table.SetView(&View);
  }
  void TearDown() override { os::SetLocalTimeSource({}); }

  // What the window does on a tab change and a type selection.
  void Select(int line) {
    Table.SelectLine(line);
    View.Type = Table.LineType(line);
    View.SetEditorText(Table.LineText(line));
  }
  void SetType(int type) {
    View.Type = type;
    Table.SetLineType(type);
  }
  void Setup(int line, int type, const std::string& text = "", int startValue = 0, bool loop = false) {
    Select(line);
    SetType(type);
    if (!text.empty()) View.SetEditorText(text);
    Table.SetStartValue(startValue);
    Table.SetLoopFlag(loop);
  }

  // Advances the clock, ticks once and returns the frames the channel accepted in that tick.
  std::vector<std::string> Tick(std::uint32_t ms = 50) {
    Clock.Advance(ms);
    const std::size_t before = Channel.Accepted.size();
    Table.TimerTimer();
    return {Channel.Accepted.begin() + static_cast<std::ptrdiff_t>(before), Channel.Accepted.end()};
  }
  // Ticks for ms milliseconds in 50 ms steps; all frames accepted meanwhile.
  std::vector<std::string> Run(std::uint32_t ms) {
    std::vector<std::string> all;
    for (std::uint32_t t = 0; t < ms; t += 50)
      for (auto& f : Tick()) all.push_back(f);
    return all;
  }

  os::VirtualTicks Clock{1000};
  FakeChannel Channel;
  TLineTable Table{Channel};
  FakeView View{Table};
};

using Frames = std::vector<std::string>;

TEST_F(LineTableTick, FirstTickSendsEveryLineWithContentThenOnlyChanges) {
  Setup(0, ltText, "HELLO");
  Setup(2, ltText);  // empty: never sent
  Setup(4, ltLapCounter, "       7");
  Setup(7, ltPcTime);
  Select(0);
  Table.Start();

  EXPECT_EQ(Tick(), (Frames{Frame(0, 3, "HELLO"), Frame(4, 3, "       7"), Frame(7, 3, "12:05:09")}));
  EXPECT_EQ(Run(850), Frames{});                       // up to 12:05:09.900: nothing changed
  EXPECT_EQ(Run(100), Frames{Frame(7, 3, "12:05:10")});  // only the clock line

  View.SetEditorText("HELLO!");
  EXPECT_EQ(Tick(), Frames{Frame(0, 3, "HELLO!")});
  EXPECT_EQ(Tick(), Frames{});
  View.SetEditorText("");  // clearing a sent text blanks the display
  EXPECT_EQ(Tick(), Frames{Frame(0, 3, kBlank8)});
  EXPECT_EQ(Table.LastSent(0), "");
}

TEST_F(LineTableTick, LuminosityChangeResendsEveryLineWithContentWithTheNewDigit) {
  Setup(1, ltText, "ABC");
  Setup(5, ltLapCounter, "      12");
  Setup(6, ltText);
  Table.Start();
  Tick();

  View.Luminosity = 1;
  Table.LuminosityChanged();
  EXPECT_EQ(Tick(), (Frames{Frame(1, 1, "ABC"), Frame(5, 1, "      12")}));
  EXPECT_EQ(Tick(), Frames{});
}

TEST_F(LineTableTick, CountUpAndCountDownStartFromTheirStartValues) {
  Setup(1, ltCountUp, "", 5000);
  Setup(2, ltCountDown, "", 3000);
  // Stopped: the editor shows the start value.
  Tick();
  EXPECT_EQ(View.Editor, "       3");
  Select(1);
  Tick();
  EXPECT_EQ(View.Editor, "       5");
  EXPECT_TRUE(Channel.Accepted.empty());

  Table.Start();
  EXPECT_EQ(Tick(0), (Frames{Frame(1, 3, "       5"), Frame(2, 3, "       3")}));
  Frames down;
  for (const std::string& f : Run(5000))
    if (f[1] == '2') down.push_back(f.substr(3, 8));
  // Without loop the count-down stops at zero, which shows as blanks.
  EXPECT_EQ(down, (Frames{"       2", "       1", "       0", kBlank8}));
  EXPECT_EQ(Table.LineText(2), std::string(9, ' '));
  EXPECT_EQ(Table.LineText(1), "      10");
}

// A looping count-down restarts the shared origin: every count line restarts with it. The pass
// restarts at the tick itself; the editor preview of the selected count-down 999 ms later.
TEST_F(LineTableTick, LoopingCountDownRestartsTheSharedStartTick) {
  for (const bool previewed : {false, true}) {
    SCOPED_TRACE(previewed ? "count-down selected" : "text line selected");
    Setup(1, ltCountDown, "", 2000, true);
    Setup(2, ltCountDown, "", 5000, false);
    Setup(3, ltCountUp, "", 0);
    Select(previewed ? 1 : 0);
    Table.Start();
    const std::uint32_t t0 = Clock.Now();
    Run(1950);
    EXPECT_EQ(Table.LineText(1), "       0");
    EXPECT_EQ(Table.LineText(2), "       3");
    EXPECT_EQ(Table.LineText(3), "       1");

    Tick();  // 2000 ms after START
    const std::uint32_t restart = previewed ? t0 + 2000 + 999 : t0 + 2000;
    EXPECT_EQ(Table.StartTick(), restart);
    EXPECT_EQ(Table.LineText(1), "       2");
    EXPECT_EQ(Table.LineText(2), "       5");
    // A zero count-up is blank; one 999 ms before its origin shows the magnitude.
    EXPECT_EQ(Table.LineText(3), previewed ? "       0" : std::string(9, ' '));
    if (previewed) {
      EXPECT_EQ(View.Editor, "       2");
    }
    Run(1000);
    EXPECT_EQ(Table.StartTick(), restart);
    Table.Stop();
    Table.LuminosityChanged();
  }
}

TEST_F(LineTableTick, StoppedConsoleKeepsPreviewingAndSendsNothing) {
  Setup(1, ltCountUp, "", 5000);
  Setup(2, ltCountDown, "", 2000, true);
  Setup(3, ltPcTime);
  Setup(4, ltCountDown, "", 3000, false);
  Table.Start();
  Run(2000);
  Table.Stop();
  EXPECT_EQ(Table.StartTick(), 0u);
  const std::size_t sent = Channel.Accepted.size();

  Select(1);
  Tick();
  EXPECT_EQ(View.Editor, "       5");
  Select(4);
  Tick();
  EXPECT_EQ(View.Editor, "       3");
  Select(3);
  Tick();
  const std::string before = View.Editor;
  Run(1000);
  EXPECT_NE(View.Editor, before);

  // A looping count-down restarts even while stopped, and its editor counts down.
  Select(2);
  Tick();
  EXPECT_NE(Table.StartTick(), 0u);
  EXPECT_EQ(View.Editor, "       2");  // 2999 ms
  Run(1000);
  EXPECT_EQ(View.Editor, "       1");
  EXPECT_FALSE(Table.Running());
  EXPECT_EQ(Channel.Accepted.size(), sent);
}

TEST_F(LineTableTick, TestLinesStepThroughTheAlphabetFromB) {
  Setup(3, ltTest);
  Setup(9, ltTest);
  Table.Start();
  EXPECT_EQ(Tick(), (Frames{Frame(3, 3, "BBBBBBBB"), Frame(9, 3, "BBBBBBBB")}));
  EXPECT_EQ(View.Editor, "BBBBBBBB");
  EXPECT_EQ(Run(750), Frames{});  // 750 ms later the step is not yet due
  EXPECT_EQ(Tick(), (Frames{Frame(3, 3, "CCCCCCCC"), Frame(9, 3, "CCCCCCCC")}));

  while (Table.TestStep() < 68) Tick();
  EXPECT_EQ(Table.LineText(3), "////////");
  Run(800);
  EXPECT_EQ(Table.LineText(3), "AAAAAAAA");
  EXPECT_EQ(View.Editor, "AAAAAAAA");
}

// Steps every 800 ms on a 50 ms tick, also while the tick count wraps past 2^32.
TEST_F(LineTableTick, TestStepKeepsItsPaceAcrossTheTickCountWrap) {
  for (const std::uint32_t first : {0xFFFFFFFFu - 400u, 0xFFFFFFFFu - 779u, 0xFFFFFFFFu - 50u}) {
    SCOPED_TRACE(first);
    TLineTable table(Channel);
    Clock.Set(first);
    table.TimerTimer();
    ASSERT_EQ(table.TestStep(), 1);
    for (int i = 1; i <= 64; ++i) {
      Clock.Advance(50);
      table.TimerTimer();
      EXPECT_EQ(table.TestStep(), 1 + i / 16) << "tick " << i;
    }
  }
}

TEST_F(LineTableTick, EditorPreviewFollowsTheTypeSelectorAndLeavesTextAndLapAlone) {
  for (const int type : {ltText, ltLapCounter}) {
    Setup(0, type, "typed");
    const int writes = View.EditorWrites;
    Run(1000);
    EXPECT_EQ(View.Editor, "typed");
    EXPECT_EQ(View.EditorWrites, writes);
  }
  // What is typed into a computed line is overwritten by the next tick.
  Setup(0, ltTest);
  View.SetEditorText("typed");
  Tick();
  EXPECT_EQ(View.Editor, std::string(8, TestAlphabet[static_cast<std::size_t>(Table.TestStep() % 69)]));
  EXPECT_EQ(Table.LineText(0), View.Editor);
}

TEST_F(LineTableTick, TwoDemoLinesAndThePreviewAlwaysShowTheSameText) {
  std::srand(1234);
  Setup(3, ltDemo);
  Setup(8, ltDemo);
  Select(3);
  Table.Start();
  int pairs = 0;
  for (int i = 0; i < 1200; ++i) {  // a minute
    const Frames frames = Tick();
    ASSERT_EQ(Table.LineText(3), Table.LineText(8));
    ASSERT_EQ(View.Editor, Table.LineText(3));
    if (frames.empty()) continue;
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].substr(2), frames[1].substr(2));
    ++pairs;
  }
  EXPECT_GT(pairs, 10);
}

TEST_F(LineTableTick, ClosedPortLosesFramesButAFullQueueGetsThemResent) {
  // Closed: the pass still records the lines as sent.
  Setup(0, ltText, "HELLO");
  Channel.Opened = false;
  Table.Start();
  Tick();
  EXPECT_EQ(Channel.Refused, 1);
  EXPECT_EQ(Table.LastSent(0), "HELLO");
  Channel.Opened = true;
  EXPECT_EQ(Run(500), Frames{});
  View.SetEditorText("HI");
  EXPECT_EQ(Tick(), Frames{Frame(0, 3, "HI")});

  // Open with a full output queue: nothing is recorded, and once the queue has room the line
  // goes out with what it shows then, not what it showed when it was refused.
  Setup(7, ltPcTime);
  Select(0);
  View.SetEditorText("BUSY");
  Channel.QueueFull = true;
  Run(1000);  // 12:05:09 becomes 12:05:10 meanwhile
  EXPECT_EQ(Table.LastSent(0), "HI");
  EXPECT_EQ(Table.LastSent(7), "");
  Channel.QueueFull = false;
  EXPECT_EQ(Tick(), (Frames{Frame(0, 3, "BUSY"), Frame(7, 3, "12:05:10")}));
  EXPECT_EQ(Tick(), Frames{});
}

TEST_F(LineTableTick, ClearBlanksEveryLineAndLeavesTheTableAlone) {
  Setup(0, ltText, "HELLO");
  Setup(7, ltPcTime);
  Table.Start();
  Tick();
  View.Luminosity = 2;
  const std::size_t before = Channel.Accepted.size();
  Table.Clear();
  Frames clear;
  for (int n = 0; n < 10; ++n) clear.push_back(Frame(n, 2, kBlank8));
  EXPECT_EQ(Frames(Channel.Accepted.begin() + static_cast<std::ptrdiff_t>(before), Channel.Accepted.end()), clear);
  EXPECT_EQ(Table.LastSent(0), "HELLO");

  // The text line stays blank; the clock line is back within a second.
  const Frames after = Run(1000);
  EXPECT_EQ(after, Frames{Frame(7, 2, "12:05:10")});

  // Also while stopped, and without a window the luminosity is High.
  Table.Stop();
  Table.SetView(nullptr);
  Table.Clear();
  EXPECT_EQ(Channel.Accepted.back(), Frame(9, 3, kBlank8));
}

TEST_F(LineTableTick, PlusAndMinusStepTheEditorNumber) {
  const struct {
    std::string text;
    bool plus;
    std::string result;
  } cases[] = {
      {"       9", true, "      10"}, {"", true, "       1"},       {"abc", true, "       1"},
      {"", false, "      -1"},       {"  -5", true, "      -4"},   {"      10", false, "       9"},
      {"99999999", true, "100000000"}, {"2147483647", true, "-2147483648"},
  };
  Setup(4, ltLapCounter);
  for (const auto& c : cases) {
    View.Editor = c.text;
    EXPECT_EQ(c.plus ? Table.Plus() : Table.Minus(), c.result) << '"' << c.text << '"';
    EXPECT_EQ(View.Editor, c.result);
    EXPECT_EQ(Table.LineText(4), c.result);
  }
  // A lap line goes out when its number changes, and only then.
  Table.Start();
  EXPECT_EQ(Tick(), Frames{Frame(4, 3, "-2147483648")});
  EXPECT_EQ(Run(1000), Frames{});
  Table.Plus();
  EXPECT_EQ(Tick(), Frames{Frame(4, 3, "-2147483647")});
}

TEST(TextToInteger, ReadsAnOptionallySignedNumberAfterLeadingBlanks) {
  const struct {
    std::string text;
    int value;
  } cases[] = {
      {"42", 42},       {"   7", 7},         {"-12", -12},       {"+5", 5},
      {"  -0", 0},      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"", -1},         {"   ", -1},         {"-", -1},          {"12a", -1},
      {"1 ", -1},       {"1 2", -1},         {"--1", -1},        {"2147483648", -1},
      {"99999999999999999999", -1},          {"\t3", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToInteger(c.text, -1), c.value) << '"' << c.text << '"';
}

TEST(LineTimeText, EightCharactersWithoutTheSecondsPoint) {
  KasetTimeSeparators("::.");
  EXPECT_EQ(LineTimeText(43509000), "12:05:09");
  EXPECT_EQ(LineTimeText(5000), "       5");
  EXPECT_EQ(LineTimeText(65000), "    1:05");
  EXPECT_EQ(LineTimeText(0), std::string(9, ' '));  // zero formats as blanks, with no point to remove
}

}  // namespace
