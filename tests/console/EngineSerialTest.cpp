// The engine on a virtual clock driving the real serial port into a pseudo-terminal: what the
// displays' end of the line receives.
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "Common/Kalib/Kalibserial.h"
#include "Common/Kalib/Kalibtime.h"
#include "console/LineProtocol.h"
#include "console/LineTable.h"
#include "platform/os/LocalTime.h"
#include "platform/os/Tick.h"
#include "tests/console/EngineFakes.h"
#include "tests/support/PseudoTerminal.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

class EngineOnSerial : public ::testing::Test {
 protected:
  void SetUp() override {
    KasetTimeSeparators("::.");
    // 12:05:09.000 at the clock's start, running with it.
    os::SetLocalTimeSource([this] {
      const int ms = 43509000 + static_cast<int>(Clock.Now() - 1000);
      return os::LocalTime{ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
    });
    Links.Link(3, Pty.Path());
    Serial.Configure(3, 9600, 8, 0, 0, 1000, 1000);  // as the window configures it
    Table.SetView(&View);
  }
  void TearDown() override { os::SetLocalTimeSource({}); }

  void Setup(int line, int type, const std::string& text = "") {
    Table.SelectLine(line);
    View.Type = type;
    Table.SetLineType(type);
    if (!text.empty()) View.SetEditorText(text);
  }
  void Run(std::uint32_t ms) {
    for (std::uint32_t t = 0; t < ms; t += 50) {
      Clock.Advance(50);
      Table.TimerTimer();
    }
  }
  void WaitUntilDrained() {
    for (int i = 0; i < 400 && Serial.PendingOutput() != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(Serial.PendingOutput(), 0u);
  }

  os::VirtualTicks Clock{1000};
  testsupport::PortLinks Links;
  testsupport::PseudoTerminal Pty;
  TKaSerial Serial;
  TLineTable Table{Serial};
  FakeView View{Table};
};

TEST_F(EngineOnSerial, FramesOfChangedLinesArriveByteForByte) {
  Setup(2, ltText, "HELLO");
  Setup(4, ltPcTime);
  Setup(6, ltTest);
  Table.SelectLine(2);
  View.Type = ltText;
  ASSERT_TRUE(Serial.Open());
  Table.Start();

  Run(1000);  // 12:05:09.050 to 12:05:10.050
  std::string expected =
      Bytes({0x02, 0x32, 0x33, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x20, 0x20, 0x20, 0x0A}) +  // HELLO
      Bytes({0x02, 0x34, 0x33, 0x31, 0x32, 0x3A, 0x30, 0x35, 0x3A, 0x30, 0x39, 0x0A}) +  // 12:05:09
      MakeDisplayFrame(6, 3, "BBBBBBBB") +
      MakeDisplayFrame(6, 3, "CCCCCCCC") +  // 800 ms later
      MakeDisplayFrame(4, 3, "12:05:10");
  Table.Clear();
  for (int n = 0; n < 10; ++n) expected += MakeDisplayFrame(n, 3, "        ");

  EXPECT_EQ(Pty.Receive(expected.size()), expected);
  EXPECT_EQ(Pty.Receive(1, 200), "");
}

TEST_F(EngineOnSerial, FrameRefusedByAFullLineGoesOutWhenItDrains) {
  Setup(4, ltPcTime);
  ASSERT_TRUE(Serial.Open());
  // Nobody reads the far end: fill the line until the port refuses.
  const std::string filler(12, 'x');
  std::size_t filled = 0;
  while (filled < 1000000 && Serial.Send(filler)) filled += filler.size();
  ASSERT_LT(filled, 1000000u) << "the line never filled up";

  Table.Start();
  Run(1000);  // 12:05:09 and 12:05:10 are both refused
  EXPECT_EQ(Table.LastSent(4), "");

  // The far end reads again: the filler comes out, then the line's content of the moment.
  EXPECT_EQ(Pty.Receive(filled), std::string(filled, 'x'));
  WaitUntilDrained();
  Run(50);
  EXPECT_EQ(Pty.Receive(12), MakeDisplayFrame(4, 3, "12:05:10"));
  EXPECT_EQ(Table.LastSent(4), "12:05:10");
  Run(500);
  EXPECT_EQ(Pty.Receive(1, 200), "");
}

TEST_F(EngineOnSerial, FramesIntoAClosedPortAreLost) {
  Setup(2, ltText, "HELLO");
  Table.Start();
  Run(100);  // "Aucun": nothing open
  ASSERT_TRUE(Serial.Open());
  Run(500);
  EXPECT_EQ(Pty.Receive(1, 200), "");  // HELLO counts as sent
  View.SetEditorText("WORLD");
  Run(50);
  EXPECT_EQ(Pty.Receive(12), MakeDisplayFrame(2, 3, "WORLD"));
}

}  // namespace
