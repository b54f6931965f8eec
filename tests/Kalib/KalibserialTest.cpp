#include "Common/Kalib/Kalibserial.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/os/SerialDevice.h"
#include "tests/support/PseudoTerminal.h"

namespace {

using testsupport::PortLinks;
using testsupport::PseudoTerminal;

// A display frame with a running number in its text, so that order and wholeness show.
std::string Frame(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "%08d", i % 100000000);
  return std::string("\x02") + char('0' + i % 10) + "3" + text + "\n";
}

// Bytes from the far end take a moment to cross the pseudo-terminal.
bool ReadWithin(TKaSerial& serial, std::uint8_t& b) {
  for (int i = 0; i < 500; ++i) {
    if (serial.ReadByte(&b)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

TEST(SerialPortName, NumbersMapToNames) {
  const std::pair<int, const char*> cases[] = {
      {0, "N.C."}, {1, "Com1"}, {9, "Com9"}, {10, "Com10"}, {26, "Com26"}, {27, ""}, {-1, ""}, {1000, ""}};
  for (const auto& [port, name] : cases) EXPECT_EQ(TKaSerial::PortName(port), name) << port;
}

TEST(SerialLineAttributes, WinCodesMapOntoTermios) {
  struct Case {
    os::SerialLine line;
    speed_t speed;
    tcflag_t set;    // expected among the control flags
    tcflag_t clear;  // expected absent
  };
  const tcflag_t all = CSTOPB | PARENB | PARODD | CMSPAR;
  const Case cases[] = {
      {{9600, 8, 0, 0}, B9600, CS8, all},
      {{19200, 7, 2, 2}, B19200, CS7 | CSTOPB | PARENB, PARODD | CMSPAR},
      {{115200, 8, 0, 1}, B115200, CS8 | PARENB | PARODD, CSTOPB | CMSPAR},
      {{2400, 7, 0, 3}, B2400, CS7 | PARENB | CMSPAR | PARODD, CSTOPB},
      {{4800, 6, 0, 4}, B4800, CS6 | PARENB | CMSPAR, CSTOPB | PARODD},
      {{110, 5, 1, 0}, B110, CS5 | CSTOPB, PARENB},
  };
  for (const Case& c : cases) {
    termios t{};
    t.c_iflag = IXON | IXOFF | ICRNL;
    t.c_lflag = ICANON | ECHO | ISIG;
    t.c_cflag = CRTSCTS | CS8 | CSTOPB | PARENB | PARODD | CMSPAR;
    ASSERT_TRUE(os::SetLineAttributes(t, c.line)) << c.line.BaudRate;
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(cfgetispeed(&t), c.speed);
    EXPECT_EQ(t.c_cflag & CSIZE, c.set & CSIZE) << c.line.BaudRate;
    EXPECT_EQ(t.c_cflag & (c.set & ~CSIZE), c.set & ~CSIZE) << c.line.BaudRate;
    EXPECT_EQ(t.c_cflag & c.clear, 0u) << c.line.BaudRate;
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
  }

  const os::SerialLine refused[] = {
      {12345, 8, 0, 0}, {0, 8, 0, 0}, {9600, 9, 0, 0}, {9600, 4, 0, 0}, {9600, 8, 1, 0},
      {9600, 5, 2, 0},  {9600, 8, 3, 0}, {9600, 8, 0, 5}, {9600, 8, 0, -1},
  };
  for (const os::SerialLine& line : refused) {
    termios t{};
    t.c_cflag = CS7;
    EXPECT_FALSE(os::SetLineAttributes(t, line)) << line.BaudRate << " " << line.ByteSize << " "
                                                   << line.StopBits << " " << line.Parity;
    EXPECT_EQ(t.c_cflag, tcflag_t(CS7));
  }
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    links.Link(3, pty.Path());
    serial.Configure(3, 9600, 8, 0, 0, 1000, 1000);
  }

  PortLinks links;
  PseudoTerminal pty;
  TKaSerial serial;
};

TEST_F(SerialPortTest, OpensWithTheConsoleLine) {
  ASSERT_TRUE(serial.Open());
  EXPECT_TRUE(serial.IsOpen());
  termios t{};
  ASSERT_EQ(tcgetattr(pty.Slave(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(cfgetispeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST_F(SerialPortTest, SettingsTakeEffectAtTheNextOpen) {
  ASSERT_TRUE(serial.Open());
  serial.Configure(3, 19200, 8, 2, 1, 1000, 1000);
  termios t{};
  ASSERT_EQ(tcgetattr(pty.Slave(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  ASSERT_TRUE(serial.Open());
  ASSERT_EQ(tcgetattr(pty.Slave(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B19200);
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
  EXPECT_NE(t.c_cflag & PARODD, 0u);  // a pseudo-terminal keeps the parity sense, not PARENB

  serial.Configure(3, 12345, 8, 0, 0, 1000, 1000);  // a rate termios has no code for
  EXPECT_FALSE(serial.Open());
  EXPECT_FALSE(serial.IsOpen());
}

TEST_F(SerialPortTest, FramesArriveWholeAndInOrder) {
  ASSERT_TRUE(serial.Open());
  std::string expected;
  for (int i = 0; i < 60; ++i) {
    ASSERT_TRUE(serial.Send(Frame(i)));
    expected += Frame(i);
    if (i % 7 == 0) {
      ASSERT_TRUE(serial.WriteByte(static_cast<std::uint8_t>(0xA0)));
      expected += '\xA0';
    }
  }
  const std::string raw("\x02\x00\x0A\xFF", 4);  // no byte is translated on the way
  ASSERT_TRUE(serial.Send(raw));
  expected += raw;
  EXPECT_EQ(pty.Receive(expected.size()), expected);
  EXPECT_TRUE(serial.Send(""));
}

TEST_F(SerialPortTest, ReadsNeverWaitAndFeedTheFrameAssembler) {
  ASSERT_TRUE(serial.Open());
  std::uint8_t b = 0x55;
  EXPECT_FALSE(serial.ReadByte(&b));
  EXPECT_EQ(b, 0x55);
  EXPECT_FALSE(serial.ReadByte(nullptr));

  pty.Transmit("AB");
  ASSERT_TRUE(ReadWithin(serial, b));
  EXPECT_EQ(b, 'A');
  ASSERT_TRUE(ReadWithin(serial, b));
  EXPECT_EQ(b, 'B');
  EXPECT_FALSE(serial.ReadByte(&b));

  serial.SetFraming("\x02", "\n", 0);
  pty.Transmit("x\x02" "12");
  std::string text;
  for (int i = 0; i < 20; ++i) {
    EXPECT_FALSE(serial.ReceiveFrame(text));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pty.Transmit("3\n");
  bool done = false;
  for (int i = 0; i < 500 && !done; ++i) {
    done = serial.ReceiveFrame(text);
    if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(done);
  EXPECT_EQ(text, "\x02" "123\n");
}

TEST_F(SerialPortTest, PortIsExclusive) {
  ASSERT_TRUE(serial.Open());
  TKaSerial second;
  second.Configure(3, 9600, 8, 0, 0, 1000, 1000);
  EXPECT_FALSE(second.Open());
  EXPECT_FALSE(second.IsOpen());

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TKaSerial other;
    other.Configure(3, 9600, 8, 0, 0, 1000, 1000);
    _exit(other.Open() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "another process opened the port";

  EXPECT_TRUE(serial.Send(Frame(1)));  // the failed openers did not disturb the owner
  EXPECT_EQ(pty.Receive(12), Frame(1));
  EXPECT_TRUE(serial.Close());
  EXPECT_TRUE(second.Open());
}

TEST_F(SerialPortTest, OpenCloseReopen) {
  ASSERT_TRUE(serial.Open());
  ASSERT_TRUE(serial.Open());  // would meet its own lock had it not closed first
  EXPECT_TRUE(serial.Close());
  EXPECT_FALSE(serial.IsOpen());
  EXPECT_FALSE(serial.Close());
  ASSERT_TRUE(serial.Open());
  EXPECT_TRUE(serial.Send(Frame(7)));
  EXPECT_EQ(pty.Receive(12), Frame(7));
}

TEST_F(SerialPortTest, ClosedOrMissingPortRefusesEverything) {
  std::uint8_t b = 0;
  EXPECT_FALSE(serial.Send(Frame(0)));
  EXPECT_FALSE(serial.WriteByte('x'));
  EXPECT_FALSE(serial.ReadByte(&b));
  EXPECT_FALSE(serial.Close());
  EXPECT_EQ(pty.ReceiveWaiting(), "");

  links.Link(4, "/nonexistent/device");
  links.Link(5, "/dev/null");  // opens, but is no terminal
  for (int port : {0, 4, 5, 27}) {
    serial.Configure(port, 9600, 8, 0, 0, 1000, 1000);
    EXPECT_FALSE(serial.Open()) << port;
    EXPECT_FALSE(serial.IsOpen()) << port;
  }
}

TEST_F(SerialPortTest, TextLongerThanTheOutputQueueIsRefused) {
  serial.Configure(3, 9600, 8, 0, 0, 1000, 100);
  ASSERT_TRUE(serial.Open());
  EXPECT_FALSE(serial.Send(std::string(101, 'a')));
  EXPECT_TRUE(serial.Send(std::string(100, 'b')));
  EXPECT_EQ(pty.Receive(101, 300), std::string(100, 'b'));
}

TEST_F(SerialPortTest, OutputStaysBoundedWhenNobodyReads) {
  ASSERT_TRUE(serial.Open());
  std::string accepted;
  int refused = 0;
  for (int i = 0; i < 100000 && refused < 20; ++i) {
    if (serial.Send(Frame(i)))
      accepted += Frame(i);
    else
      ++refused;
    ASSERT_LE(serial.PendingOutput(), 1000u) << "after frame " << i;
  }
  ASSERT_EQ(refused, 20) << "the device never filled up";
  EXPECT_EQ(accepted.size() % 12, 0u);

  // Reading the far end lets the kept tail out without any further call, intact.
  const std::string got = pty.Receive(accepted.size());
  ASSERT_EQ(got.size(), accepted.size());
  const auto diff = std::mismatch(got.begin(), got.end(), accepted.begin());
  EXPECT_TRUE(diff.first == got.end()) << "bytes differ from offset " << (diff.first - got.begin());
  for (int wait = 0; wait < 200 && serial.PendingOutput() != 0; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(serial.PendingOutput(), 0u);
  EXPECT_TRUE(serial.Send(Frame(1)));
  EXPECT_EQ(pty.Receive(12), Frame(1));
}

TEST_F(SerialPortTest, FarEndClosingMidStreamFailsSendsButNotTheObject) {
  ASSERT_TRUE(serial.Open());
  int i = 0;
  while (i < 100000 && serial.Send(Frame(i))) ++i;  // fill the line so that output is kept
  pty.CloseMaster();

  bool failed = false;
  for (int tries = 0; tries < 200 && !failed; ++tries) {
    failed = !serial.Send(Frame(i++));
    if (!failed) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(failed);
  EXPECT_FALSE(serial.Send(Frame(0)));
  EXPECT_FALSE(serial.WriteByte('x'));
  std::uint8_t b;
  EXPECT_FALSE(serial.ReadByte(&b));
  EXPECT_TRUE(serial.IsOpen());
  EXPECT_EQ(serial.PendingOutput(), 0u);
  EXPECT_TRUE(serial.Close());
  EXPECT_FALSE(serial.IsOpen());
}

}  // namespace
