#include "platform/os/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Wait = os::PseudoTerminal::WaitResult;

int OpenFarEnd(const os::PseudoTerminal& pty) {
  return open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
}

// Everything the far end wrote, read until `count` bytes came or a second passed.
std::string Collect(os::PseudoTerminal& pty, std::size_t count) {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
    if (pty.Wait(100) != Wait::Input) continue;
    char buffer[512];
    const long n = pty.Read(buffer, sizeof buffer);
    EXPECT_GE(n, 0) << pty.Error();
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

}  // namespace

TEST(PseudoTerminal, OpenersSeeARaw9600EightN1Line) {
  os::PseudoTerminal pty;
  ASSERT_TRUE(pty.Open()) << pty.Error();
  EXPECT_EQ(pty.SlavePath().rfind("/dev/pts/", 0), 0u) << pty.SlavePath();
  const int fd = OpenFarEnd(pty);
  ASSERT_GE(fd, 0);
  termios t{};
  ASSERT_EQ(tcgetattr(fd, &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(cfgetispeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
  EXPECT_FALSE(t.c_iflag & (IXON | ICRNL | ISTRIP));
  EXPECT_FALSE(t.c_oflag & OPOST);
  close(fd);
}

TEST(PseudoTerminal, EveryByteValueArrivesUnchanged) {
  os::PseudoTerminal pty;
  ASSERT_TRUE(pty.Open()) << pty.Error();
  const int fd = OpenFarEnd(pty);
  ASSERT_GE(fd, 0);
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  all += "\r\n\n\x03\x11\x13\x04";  // line ends, interrupt, flow control and end-of-file bytes again
  ASSERT_EQ(write(fd, all.data(), all.size()), static_cast<ssize_t>(all.size()));
  EXPECT_EQ(Collect(pty, all.size()), all);
  char c;
  EXPECT_EQ(pty.Read(&c, 1), 0);  // nothing more waiting: at once, without blocking
  close(fd);
}

TEST(PseudoTerminal, OpenersComeAndGoWithoutHangingUpTheMaster) {
  os::PseudoTerminal pty;
  ASSERT_TRUE(pty.Open()) << pty.Error();
  for (const std::string text : {"first", "second", "third"}) {
    const int fd = OpenFarEnd(pty);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);  // before we read: the bytes stay, the master sees no hang-up
    EXPECT_EQ(Collect(pty, text.size()), text);
  }
  // With nobody attached, waiting waits instead of spinning on a hang-up.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(pty.Wait(150), Wait::Timeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(140));
  char c;
  EXPECT_EQ(pty.Read(&c, 1), 0);
}

TEST(PseudoTerminal, ExclusiveUseEndsWhenTheOpenerCloses) {
  // An opener's exclusive mark outlives it on a pseudo-terminal; unlifted it would lock every
  // later opener (except root) out of the port.
  os::PseudoTerminal pty;
  ASSERT_TRUE(pty.Open()) << pty.Error();
  if (pty.WatchFd() < 0) GTEST_SKIP() << "no inotify";
  const int fd = OpenFarEnd(pty);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ioctl(fd, TIOCEXCL), 0);
  int exclusive = 0;
  ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
  ASSERT_NE(exclusive, 0);
  close(fd);
  EXPECT_EQ(pty.Wait(200), Wait::Timeout);  // handles the watch's news while waiting
  const int again = OpenFarEnd(pty);
  ASSERT_GE(again, 0);  // as root the mark would not stop us, so look at it directly
  ASSERT_EQ(ioctl(again, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  close(again);
}

TEST(PseudoTerminal, KeepsWorkingAfterAnOpenerHangsUpTheLine) {
  os::PseudoTerminal pty;
  ASSERT_TRUE(pty.Open()) << pty.Error();
  const int fd = OpenFarEnd(pty);
  ASSERT_GE(fd, 0);
  if (ioctl(fd, TIOCVHANGUP) != 0) {
    close(fd);
    GTEST_SKIP() << "hanging up a terminal needs CAP_SYS_ADMIN";
  }
  close(fd);
  char c;
  EXPECT_EQ(pty.Read(&c, 1), 0);
  const int next = OpenFarEnd(pty);
  ASSERT_GE(next, 0);
  ASSERT_EQ(write(next, "ok", 2), 2);
  close(next);
  EXPECT_EQ(Collect(pty, 2), "ok");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(pty.Wait(100), Wait::Timeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
}

TEST(PseudoTerminal, ClosedTerminalRefuses) {
  os::PseudoTerminal pty;
  char c;
  EXPECT_EQ(pty.Read(&c, 1), -1);
  EXPECT_EQ(pty.Wait(0), Wait::Error);
  ASSERT_TRUE(pty.Open()) << pty.Error();
  ASSERT_TRUE(pty.Open()) << pty.Error();  // reopening replaces the terminal
  const std::string path = pty.SlavePath();
  EXPECT_EQ(access(path.c_str(), F_OK), 0);
  pty.Close();
  EXPECT_FALSE(pty.IsOpen());
  EXPECT_TRUE(pty.SlavePath().empty());
  EXPECT_EQ(access(path.c_str(), F_OK), -1);  // the device goes with the terminal
}
