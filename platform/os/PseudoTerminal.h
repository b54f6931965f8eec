#pragma once
// A pseudo-terminal whose far end stands in for a serial device: a program opens the far end
// (the slave path) as it would open a serial port, and we read what it writes from the master.
//
// The far end is set to 9600 baud, 8 data bits, no parity, one stop bit, raw (no echo, no line
// editing, no output translation), so the bytes arrive exactly as written. We keep the far end
// open ourselves for the terminal's whole life: its settings then never fall back to the
// defaults, and the master never reads end-of-file or EIO between one opener closing and the
// next one opening. An opener that asked for exclusive use (TIOCEXCL) leaves that mark on the
// terminal after it closes; we lift it when we see the opener close, so the port can be opened
// again.
#include <cstddef>
#include <string>

namespace os {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Creates and configures the terminal; false with Error() on failure. Open on an open
  // terminal closes it first.
  bool Open();
  void Close();
  bool IsOpen() const { return mMaster >= 0; }

  // The device path an opener uses, e.g. /dev/pts/3; empty while closed.
  const std::string& SlavePath() const { return mSlavePath; }
  // The reason of the last failure.
  const std::string& Error() const { return mError; }

  // Descriptors to wait on (poll, a socket notifier): the master is readable when bytes are
  // waiting; the watch is readable when an opener of the far end opened or closed it (-1 when
  // the system offers no such watch).
  int MasterFd() const { return mMaster; }
  int WatchFd() const { return mWatch; }

  // Reads what is waiting without blocking: the number of bytes read, 0 when nothing is waiting,
  // -1 on failure (Error()).
  long Read(char* buffer, std::size_t size);

  // Takes the watch's news; after an opener closed, lifts an exclusive-use mark left behind.
  // Returns how many closes it saw.
  int HandleWatch();

  enum class WaitResult { Input, Extra, Timeout, Error };
  // Waits up to timeoutMs (negative: without limit) until bytes are waiting or extraFd
  // (when >= 0) is readable, handling the watch meanwhile.
  WaitResult Wait(int timeoutMs, int extraFd = -1);

 private:
  bool Fail(const std::string& what);

  int mMaster = -1;
  int mHold = -1;   // our descriptor of the far end
  int mWatch = -1;  // inotify descriptor watching the far end's opens and closes
  std::string mSlavePath;
  std::string mError;
};

}  // namespace os
