#include "Common/Kalib/Kalibcustomcommunication.h"

#include <cstring>

#include "platform/os/Tick.h"

namespace {

constexpr std::uint32_t kRxCapacity = 1024;

bool IsOneOf(std::uint8_t byte, const TKaCustomCommunication::FrameChars& list) {
  for (std::uint8_t i = 0; i < list.Count && i < sizeof list.Chars; ++i)
    if (static_cast<std::uint8_t>(list.Chars[i]) == byte) return true;
  return false;
}

// Copies at most ten characters of a zero-terminated text; a null text is an empty list.
void CopyFrameChars(TKaCustomCommunication::FrameChars& list, const char* text) {
  list.Count = 0;
  if (!text) return;
  while (text[list.Count] != '\0' && list.Count < sizeof list.Chars) {
    list.Chars[list.Count] = text[list.Count];
    ++list.Count;
  }
}

}  // namespace

TKaCustomCommunication::TKaCustomCommunication()
    : RxBuffer(new std::uint8_t[kRxCapacity]()), RxCapacity(kRxCapacity), RxCount(0), FrameLength(0) {}

TKaCustomCommunication::~TKaCustomCommunication() { delete[] RxBuffer; }

void TKaCustomCommunication::ClearReceiveBuffer() {
  std::memset(RxBuffer, 0, RxCapacity);
  RxCount = 0;
}

void TKaCustomCommunication::SetFraming(const char* startChars, const char* endChars, std::uint8_t frameLength) {
  CopyFrameChars(StartChars, startChars);
  CopyFrameChars(EndChars, endChars);
  FrameLength = frameLength;
}

bool TKaCustomCommunication::ScanFrame(std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t& count,
                                       const FrameChars& startChars, const FrameChars& endChars,
                                       std::uint8_t frameLength) {
  if (!IsOpen()) return false;
  // One byte of the area stays free for the zero that ends the delivered text.
  if (!buffer || capacity < 2) return false;
  const std::uint32_t maxFrame = capacity - 1;
  // Dropping a frame clears the whole area, so none of its bytes can trail a later, shorter frame.
  auto drop = [&] {
    std::memset(buffer, 0, capacity);
    count = 0;
  };
  if (count >= maxFrame) drop();

  for (;;) {
    if (!ReadByte(buffer + count)) return false;
    ++count;
    if (startChars.Count != 0 && count == 1) {
      if (!IsOneOf(buffer[0], startChars)) {
        buffer[0] = 0;
        count = 0;
      }
      continue;  // a start character is never also the end of its frame
    }
    const bool complete = (endChars.Count == 0 || IsOneOf(buffer[count - 1], endChars)) &&
                          (frameLength == 0 || count == frameLength);
    if (complete) return true;
    if (count >= maxFrame) drop();  // full without an end: start over with the next byte
  }
}

bool TKaCustomCommunication::ReadDuring(std::uint8_t* buffer, std::uint32_t maxCount, std::uint32_t durationMs) {
  std::uint32_t n = 0;
  std::uint8_t overflow = 0;  // bytes beyond maxCount are read and discarded, never stored
  const std::uint32_t t0 = os::GetTickCount();
  while (static_cast<std::int64_t>(static_cast<std::int32_t>(os::GetTickCount() - t0)) <
         static_cast<std::int64_t>(durationMs)) {
    std::uint8_t* target = (buffer && n < maxCount) ? buffer + n : &overflow;
    if (ReadByte(target) && target != &overflow) ++n;
  }
  return true;
}

bool TKaCustomCommunication::ReceiveFrame(std::string& text) {
  if (!IsOpen()) return false;
  text.clear();
  if (!ScanFrame(RxBuffer, RxCapacity, RxCount, StartChars, EndChars, FrameLength)) return false;
  const void* zero = std::memchr(RxBuffer, 0, RxCount);
  const std::uint32_t length =
      zero ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(zero) - RxBuffer) : RxCount;
  text.assign(reinterpret_cast<const char*>(RxBuffer), length);
  ClearReceiveBuffer();
  return true;
}
