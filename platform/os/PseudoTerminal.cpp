#include "platform/os/PseudoTerminal.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace os {
namespace {

bool SetCloseOnExec(int fd) {
  const int flags = fcntl(fd, F_GETFD);
  return flags >= 0 && fcntl(fd, F_SETFD, flags | FD_CLOEXEC) == 0;
}

bool ConfigureLine(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (cfsetispeed(&t, B9600) != 0 || cfsetospeed(&t, B9600) != 0) return false;
  if (tcsetattr(fd, TCSANOW, &t) != 0) return false;
  termios check{};  // tcsetattr succeeds if any one setting took: read them back
  return tcgetattr(fd, &check) == 0 && cfgetospeed(&check) == B9600 && (check.c_cflag & CSIZE) == CS8 &&
         !(check.c_cflag & (PARENB | CSTOPB)) && !(check.c_lflag & (ICANON | ECHO)) && !(check.c_oflag & OPOST);
}

}  // namespace

PseudoTerminal::~PseudoTerminal() { Close(); }

bool PseudoTerminal::Fail(const std::string& what) {
  mError = what + ": " + std::strerror(errno);
  Close();
  return false;
}

bool PseudoTerminal::Open() {
  Close();
  mError.clear();
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    mError = std::string("openpty: ") + std::strerror(errno);
    return false;
  }
  mMaster = master;
  mHold = slave;
  char name[PATH_MAX] = {};
  if (ttyname_r(mHold, name, sizeof name) != 0) return Fail("ttyname");
  mSlavePath = name;
  if (!SetCloseOnExec(mMaster) || !SetCloseOnExec(mHold)) return Fail("fcntl");
  if (!ConfigureLine(mHold)) return Fail("line settings");
  const int flags = fcntl(mMaster, F_GETFL);
  if (flags < 0 || fcntl(mMaster, F_SETFL, flags | O_NONBLOCK) != 0) return Fail("non-blocking master");

  // Without the watch everything works except lifting a stale exclusive mark.
  mWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (mWatch >= 0 && inotify_add_watch(mWatch, mSlavePath.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    close(mWatch);
    mWatch = -1;
  }
  return true;
}

void PseudoTerminal::Close() {
  for (int* fd : {&mWatch, &mHold, &mMaster}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
  mSlavePath.clear();
}

long PseudoTerminal::Read(char* buffer, std::size_t size) {
  if (mMaster < 0) {
    mError = "not open";
    return -1;
  }
  for (;;) {
    const ssize_t n = read(mMaster, buffer, size);
    if (n > 0) return static_cast<long>(n);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    if (n == 0 || errno == EIO) return 0;  // nobody has the far end open: nothing to read
    mError = std::string("read: ") + std::strerror(errno);
    return -1;
  }
}

int PseudoTerminal::HandleWatch() {
  if (mWatch < 0) return 0;
  int closes = 0;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = read(mWatch, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) ++closes;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (closes > 0 && mHold >= 0) ioctl(mHold, TIOCNXCL);
  return closes;
}

PseudoTerminal::WaitResult PseudoTerminal::Wait(int timeoutMs, int extraFd) {
  if (mMaster < 0) {
    mError = "not open";
    return WaitResult::Error;
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int remaining = -1;
    if (timeoutMs >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      remaining = left > 0 ? static_cast<int>(left) : 0;
    }
    pollfd fds[3] = {{mMaster, POLLIN, 0}, {mWatch, POLLIN, 0}, {extraFd, POLLIN, 0}};
    const int r = poll(fds, 3, remaining);
    if (r < 0 && errno == EINTR) {
      if (remaining == 0) return WaitResult::Timeout;
      continue;
    }
    if (r < 0) {
      mError = std::string("poll: ") + std::strerror(errno);
      return WaitResult::Error;
    }
    if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) return WaitResult::Extra;
    if (fds[1].revents & POLLIN) HandleWatch();
    if (fds[0].revents & POLLIN) return WaitResult::Input;
    if (fds[0].revents & (POLLHUP | POLLERR)) {
      // Our hold keeps this from happening; should the far end still read as hung up, wait a
      // little instead of spinning on it.
      pollfd extra{extraFd, POLLIN, 0};
      poll(&extra, 1, remaining < 0 || remaining > 20 ? 20 : remaining);
      if (extra.revents & (POLLIN | POLLHUP | POLLERR)) return WaitResult::Extra;
    }
    if (r == 0 || (timeoutMs >= 0 && Clock::now() >= deadline)) return WaitResult::Timeout;
  }
}

}  // namespace os
