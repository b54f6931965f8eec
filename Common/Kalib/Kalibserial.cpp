#include "Common/Kalib/Kalibserial.h"

#include "platform/os/PortNames.h"

TKaSerial::TKaSerial() = default;

TKaSerial::~TKaSerial() { Close(); }

void TKaSerial::Configure(int port, int baudRate, int byteSize, int stopBits, int parity, int inQueue,
                          int outQueue) {
  PortNumber = port;
  BaudRate = baudRate;
  ByteSize = byteSize;
  StopBits = stopBits;
  Parity = parity;
  InQueue = inQueue;
  OutQueue = outQueue;
}

std::string TKaSerial::PortName(int port) {
  if (port == 0) return "N.C.";
  if (port >= 1 && port <= 26) return "Com" + std::to_string(port);
  return {};
}

bool TKaSerial::Open() {
  if (IsOpen()) Close();
  const std::string path = os::DevicePathForPortName(PortName(PortNumber));
  if (path.empty()) return false;
  os::SerialLine line;
  line.BaudRate = BaudRate;
  line.ByteSize = ByteSize;
  line.StopBits = StopBits;
  line.Parity = Parity;
  if (!Device.Open(path, line)) return false;
  ClearReceiveBuffer();
  return true;
}

bool TKaSerial::Close() {
  if (!IsOpen()) return false;
  Device.Close();
  return true;
}

bool TKaSerial::IsOpen() { return Device.IsOpen(); }

bool TKaSerial::ReadByte(std::uint8_t* destination) {
  if (!destination || !IsOpen()) return false;
  return Device.ReadByte(*destination);
}

bool TKaSerial::WriteByte(std::uint8_t byte) { return Write(&byte, 1); }

bool TKaSerial::Send(const std::string& text) {
  return Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::size_t TKaSerial::PendingOutput() { return Device.PendingOutput(); }

bool TKaSerial::Write(const std::uint8_t* data, std::size_t n) {
  if (!IsOpen() || OutQueue < 0) return false;
  return Device.Write(data, n, static_cast<std::size_t>(OutQueue)) == os::SerialDevice::WriteResult::Accepted;
}
