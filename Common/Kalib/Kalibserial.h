#pragma once
// The serial-port channel: a COM port ("Com1" ... "Com26") opened for exclusive use, with
// reads that never block and writes that never wait.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Common/Kalib/Kalibcustomcommunication.h"
#include "platform/os/SerialDevice.h"

class TKaSerial : public TKaCustomCommunication {
 public:
  TKaSerial();
  ~TKaSerial() override;

  // Stores the settings for the next Open; an open port keeps its line until then.
  // stopBits and parity are the Win32 codes (0 = one stop bit, 0 = no parity); outQueue
  // bounds the output not yet on the line and so the longest text Send takes.
  void Configure(int port, int baudRate, int byteSize, int stopBits, int parity, int inQueue, int outQueue);

  // "N.C." for 0, "Com1" ... "Com26", else empty.
  static std::string PortName(int port);

  bool Open() override;
  bool Close() override;
  bool IsOpen() override;
  bool ReadByte(std::uint8_t* destination) override;
  // Hands the byte, or every byte of text, to the port, or none: false when closed, when the
  // output not yet sent plus the new bytes would exceed the output queue, or when the device
  // has failed.
  bool WriteByte(std::uint8_t byte) override;
  bool Send(const std::string& text) override;

  // Bytes accepted but not yet on the line.
  std::size_t PendingOutput();

 private:
  bool Write(const std::uint8_t* data, std::size_t n);

  os::SerialDevice Device;
  int PortNumber = 0;
  int BaudRate = 9600;
  int ByteSize = 8;
  int StopBits = 0;
  int Parity = 0;
  int InQueue = 1000;  // a recommendation the termios drivers have no use for
  int OutQueue = 1000;
};
