#pragma once
// A serial device on POSIX termios: exclusive open, raw line settings, reads that never
// block, and writes that never wait and never cut a text.
//
// Output that the device does not take at once is kept here, behind everything accepted
// earlier, and a writer thread hands it over as the device makes room. The driver's queue
// (as TIOCOUTQ reports it) plus what is kept here never exceeds the limit given to Write.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

struct termios;

namespace os {

// Line settings with the Win32 codes the library stores.
struct SerialLine {
  int BaudRate = 9600;
  int ByteSize = 8;  // 5 to 8
  int StopBits = 0;  // 0 one, 1 one and a half (5 data bits only), 2 two (6 to 8 data bits)
  int Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
};

// Puts attrs into raw mode with the given line, no hardware or software handshake, modem
// lines ignored, and reads that return at once. False, attrs untouched, for a setting termios
// cannot express.
bool SetLineAttributes(termios& attrs, const SerialLine& line);

class SerialDevice {
 public:
  enum class WriteResult {
    Accepted,  // every byte is handed over or kept for the writer
    Refused,   // nothing written: it would overrun the limit
    Failed,    // nothing written: closed, or the device has failed (EIO, ENXIO)
  };

  SerialDevice() = default;
  ~SerialDevice();
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  // Opens the device at path for exclusive use (also against other processes) and sets the
  // line; DTR and RTS are raised where the device has them. False, and closed, on any failure.
  bool Open(const std::string& path, const SerialLine& line);
  // Output the device has not taken yet is dropped; what the driver holds goes out.
  void Close();
  bool IsOpen() const { return mFd >= 0; }

  // One waiting byte, if any; never blocks.
  bool ReadByte(std::uint8_t& byte);

  // All n bytes, or none: refused when the pending output plus n would exceed limit.
  WriteResult Write(const std::uint8_t* data, std::size_t n, std::size_t limit);

  // Bytes written but not yet on the line: the driver's queue plus those kept here.
  std::size_t PendingOutput();

 private:
  // Under mLock: hands over as much kept output as the device takes; false when it failed.
  bool FlushLocked();
  void WriterLoop();
  void StartWriterLocked();
  void StopWriter();

  int mFd = -1;
  int mWake[2] = {-1, -1};  // wakes the writer out of its wait for the device
  std::mutex mLock;
  std::condition_variable mWork;
  std::string mKept;  // accepted, not yet taken by the device, in order
  bool mStop = false;
  std::thread mWriter;
};

}  // namespace os
