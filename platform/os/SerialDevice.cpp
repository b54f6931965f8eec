#include "platform/os/SerialDevice.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace os {
namespace {

bool SpeedFor(int baudRate, speed_t& speed) {
  struct Entry {
    int rate;
    speed_t code;
  };
  static constexpr Entry kSpeeds[] = {
      {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
      {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
      {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
      {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
      {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
      {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
      {3500000, B3500000}, {4000000, B4000000},
  };
  for (const Entry& e : kSpeeds)
    if (e.rate == baudRate) {
      speed = e.code;
      return true;
    }
  return false;
}

bool IsDeviceGone(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

// Bytes in the driver's output queue; -1 when the device has failed.
long DriverQueue(int fd) {
  int queued = 0;
  if (ioctl(fd, TIOCOUTQ, &queued) == 0) return queued > 0 ? queued : 0;
  return IsDeviceGone(errno) ? -1 : 0;
}

}  // namespace

bool SetLineAttributes(termios& attrs, const SerialLine& line) {
  speed_t speed;
  if (!SpeedFor(line.BaudRate, speed)) return false;

  tcflag_t size;
  switch (line.ByteSize) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return false;
  }

  // The UART sends one and a half stop bits for "two" when the word has five bits.
  tcflag_t stop;
  switch (line.StopBits) {
    case 0: stop = 0; break;
    case 1: if (line.ByteSize != 5) return false; stop = CSTOPB; break;
    case 2: if (line.ByteSize == 5) return false; stop = CSTOPB; break;
    default: return false;
  }

  tcflag_t parity;
  switch (line.Parity) {
    case 0: parity = 0; break;
    case 1: parity = PARENB | PARODD; break;
    case 2: parity = PARENB; break;
    case 3: parity = PARENB | CMSPAR | PARODD; break;  // mark: the parity bit is always 1
    case 4: parity = PARENB | CMSPAR; break;           // space: always 0
    default: return false;
  }

  termios t = attrs;
  cfmakeraw(&t);
  t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
  t.c_cflag |= size | stop | parity | CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) return false;
  attrs = t;
  return true;
}

SerialDevice::~SerialDevice() { Close(); }

bool SerialDevice::Open(const std::string& path, const SerialLine& line) {
  Close();
  termios probe{};
  if (path.empty() || !SetLineAttributes(probe, line)) return false;

  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool exclusive = false;
  auto fail = [&] {
    if (exclusive) ioctl(fd, TIOCNXCL);
    ::close(fd);
    return false;
  };
  if (!isatty(fd)) return fail();
  // TIOCEXCL keeps out later openers without privileges; the lock also holds against root.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail();
  if (ioctl(fd, TIOCEXCL) != 0) return fail();
  exclusive = true;

  termios attrs{};
  if (tcgetattr(fd, &attrs) != 0 || !SetLineAttributes(attrs, line)) return fail();
  if (tcsetattr(fd, TCSANOW, &attrs) != 0) return fail();
  // A driver that cannot run at the rate falls back to another one; that is no success.
  termios applied{};
  if (tcgetattr(fd, &applied) != 0 || cfgetospeed(&applied) != cfgetospeed(&attrs)) return fail();

  // Pseudo-terminals have no modem lines.
  int lines = TIOCM_DTR | TIOCM_RTS;
  if (ioctl(fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL) return fail();

  mFd = fd;
  return true;
}

void SerialDevice::Close() {
  if (mFd < 0) return;
  StopWriter();
  {
    std::lock_guard<std::mutex> lock(mLock);
    FlushLocked();  // a last try, without waiting, for what the writer still held
    mKept.clear();
  }
  ioctl(mFd, TIOCNXCL);
  ::close(mFd);
  mFd = -1;
}

bool SerialDevice::ReadByte(std::uint8_t& byte) {
  if (mFd < 0) return false;
  for (;;) {
    const ssize_t r = ::read(mFd, &byte, 1);
    if (r == 1) return true;
    if (r < 0 && errno == EINTR) continue;
    return false;
  }
}

SerialDevice::WriteResult SerialDevice::Write(const std::uint8_t* data, std::size_t n, std::size_t limit) {
  if (mFd < 0) return WriteResult::Failed;
  if (n > limit) return WriteResult::Refused;
  std::lock_guard<std::mutex> lock(mLock);
  // What was kept goes first, so the device can make room and the order stays.
  if (!FlushLocked()) return WriteResult::Failed;
  const long queued = DriverQueue(mFd);
  if (queued < 0) {
    mKept.clear();
    return WriteResult::Failed;
  }
  if (static_cast<std::size_t>(queued) + mKept.size() + n > limit) return WriteResult::Refused;

  std::size_t done = 0;
  if (mKept.empty()) {
    while (done < n) {
      const ssize_t w = ::write(mFd, data + done, n - done);
      if (w > 0) {
        done += static_cast<std::size_t>(w);
      } else if (w < 0 && errno == EINTR) {
        continue;
      } else if (w == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
        break;  // the device is full for now: the writer takes the rest
      } else {
        return WriteResult::Failed;
      }
    }
  }
  if (done < n) {
    mKept.append(reinterpret_cast<const char*>(data) + done, n - done);
    StartWriterLocked();
    mWork.notify_one();
  }
  return WriteResult::Accepted;
}

std::size_t SerialDevice::PendingOutput() {
  if (mFd < 0) return 0;
  std::lock_guard<std::mutex> lock(mLock);
  const long queued = DriverQueue(mFd);
  return (queued > 0 ? static_cast<std::size_t>(queued) : 0) + mKept.size();
}

bool SerialDevice::FlushLocked() {
  while (!mKept.empty()) {
    const ssize_t w = ::write(mFd, mKept.data(), mKept.size());
    if (w > 0) {
      mKept.erase(0, static_cast<std::size_t>(w));
    } else if (w < 0 && errno == EINTR) {
      continue;
    } else if (w == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
      return true;
    } else {
      mKept.clear();  // the device is gone: nothing can take these bytes any more
      return false;
    }
  }
  return true;
}

void SerialDevice::StartWriterLocked() {
  if (mWriter.joinable()) return;
  if (mWake[0] < 0 && pipe2(mWake, O_NONBLOCK | O_CLOEXEC) != 0) {
    mWake[0] = mWake[1] = -1;  // the writer then polls the device on a short time-out
  }
  mStop = false;
  mWriter = std::thread(&SerialDevice::WriterLoop, this);
}

void SerialDevice::StopWriter() {
  {
    std::lock_guard<std::mutex> lock(mLock);
    mStop = true;
  }
  mWork.notify_all();
  if (mWake[1] >= 0) {
    const char x = 0;
    [[maybe_unused]] const ssize_t w = ::write(mWake[1], &x, 1);
  }
  if (mWriter.joinable()) mWriter.join();
  for (int& fd : mWake) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  mStop = false;
}

void SerialDevice::WriterLoop() {
  std::unique_lock<std::mutex> lock(mLock);
  while (!mStop) {
    if (mKept.empty()) {
      mWork.wait(lock, [this] { return mStop || !mKept.empty(); });
      continue;
    }
    lock.unlock();
    pollfd fds[2] = {{mFd, POLLOUT, 0}, {mWake[0], POLLIN, 0}};
    const int ready = ::poll(fds, mWake[0] >= 0 ? 2 : 1, 100);
    lock.lock();
    if (mStop) break;
    const std::size_t before = mKept.size();
    FlushLocked();
    if (ready > 0 && !mKept.empty() && mKept.size() == before) {
      // Reported writable yet took nothing: do not spin on it.
      lock.unlock();
      ::poll(nullptr, 0, 5);
      lock.lock();
    }
  }
}

}  // namespace os
