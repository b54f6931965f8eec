#pragma once
// The abstract byte channel: open/close life cycle, byte and text writing, non-blocking
// byte reading, and a receive side that assembles delimited frames.
#include <cstdint>
#include <string>

class TKaCustomCommunication {
 public:
  // Accepted first or last characters of a frame: a count (0-10) and the characters.
  struct FrameChars {
    std::uint8_t Count = 0;
    char Chars[10] = {};
  };

  TKaCustomCommunication();
  TKaCustomCommunication(const TKaCustomCommunication&) = delete;
  TKaCustomCommunication& operator=(const TKaCustomCommunication&) = delete;

  // Virtual operations, in this order.
  virtual void ClearReceiveBuffer();
  virtual bool ScanFrame(std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t& count,
                         const FrameChars& startChars, const FrameChars& endChars, std::uint8_t frameLength);
  // Reads into buffer for durationMs; stores at most maxCount bytes.
  virtual bool ReadDuring(std::uint8_t* buffer, std::uint32_t maxCount, std::uint32_t durationMs);
  virtual ~TKaCustomCommunication();
  virtual void SetFraming(const char* startChars, const char* endChars, std::uint8_t frameLength);
  virtual bool Open() = 0;
  virtual bool Close() = 0;
  virtual bool IsOpen() = 0;
  virtual bool ReadByte(std::uint8_t* destination) = 0;
  virtual bool ReceiveFrame(std::string& text);
  virtual bool WriteByte(std::uint8_t byte) = 0;
  virtual bool Send(const std::string& text) = 0;

 protected:
  std::uint8_t* RxBuffer;
  std::uint32_t RxCapacity;
  std::uint32_t RxCount;
  FrameChars StartChars;
  FrameChars EndChars;
  std::uint8_t FrameLength;
};
