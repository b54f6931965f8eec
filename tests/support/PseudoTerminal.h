#pragma once
// Test helpers: a real pseudo-terminal to stand for a serial line, and a private folder of
// port links so that "ComN" names it.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace testsupport {

class PseudoTerminal {
 public:
  PseudoTerminal() {
    char name[256] = {};
    if (openpty(&mMaster, &mSlave, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    mPath = name;
    fcntl(mMaster, F_SETFL, fcntl(mMaster, F_GETFL) | O_NONBLOCK);
  }
  ~PseudoTerminal() {
    CloseMaster();
    if (mSlave >= 0) ::close(mSlave);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // The device path of the port side.
  const std::string& Path() const { return mPath; }
  // The far end, where the displays would be.
  int Master() const { return mMaster; }
  // The test's own handle on the port side: keeps the line alive and shows its settings.
  int Slave() const { return mSlave; }

  void CloseMaster() {
    if (mMaster >= 0) ::close(mMaster);
    mMaster = -1;
  }

  // What the far end receives: reads until `want` bytes came or nothing came for quietMs.
  std::string Receive(std::size_t want, int quietMs = 2000) {
    std::string got;
    char buf[4096];
    while (got.size() < want) {
      pollfd p{mMaster, POLLIN, 0};
      if (::poll(&p, 1, quietMs) <= 0) break;
      const ssize_t r = ::read(mMaster, buf, sizeof buf);
      if (r <= 0) break;
      got.append(buf, static_cast<std::size_t>(r));
    }
    return got;
  }

  // Everything the far end can read right now.
  std::string ReceiveWaiting() {
    std::string got;
    char buf[4096];
    for (;;) {
      const ssize_t r = ::read(mMaster, buf, sizeof buf);
      if (r <= 0) return got;
      got.append(buf, static_cast<std::size_t>(r));
    }
  }

  // The far end sends bytes to the port.
  void Transmit(const std::string& bytes) {
    if (::write(mMaster, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      throw std::runtime_error("pseudo-terminal write failed");
  }

 private:
  int mMaster = -1;
  int mSlave = -1;
  std::string mPath;
};

// A private folder of port links, installed through ORVANE_PORTS_DIR for its lifetime.
class PortLinks {
 public:
  PortLinks() {
    mDir = std::filesystem::temp_directory_path() /
           ("ports-" + std::to_string(getpid()) + "-" + std::to_string(Counter()++));
    std::filesystem::create_directories(mDir);
    setenv("ORVANE_PORTS_DIR", mDir.c_str(), 1);
  }
  ~PortLinks() {
    unsetenv("ORVANE_PORTS_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(mDir, ignored);
  }
  PortLinks(const PortLinks&) = delete;
  PortLinks& operator=(const PortLinks&) = delete;

  // ComN now names target.
  void Link(int number, const std::string& target) {
    const auto link = mDir / ("com" + std::to_string(number));
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_symlink(target, link);
  }

 private:
  static int& Counter() {
    static int n = 0;
    return n;
  }
  std::filesystem::path mDir;
};

}  // namespace testsupport
