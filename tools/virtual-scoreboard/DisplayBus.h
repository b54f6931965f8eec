#pragma once
// The displays on one serial line, and the decoder of the byte stream they all receive.
//
// Every frame is 12 bytes: STX, a line digit (or 0xA0 for a line-number frame), a luminosity
// digit, eight characters, LF. The eight characters go out unfiltered, so they may hold STX or
// LF themselves: a frame is recognised by its fixed shape at an STX, never by searching for LF.
// Bytes that do not form a frame are skipped up to the next STX and reported as one malformed
// stretch; a display only ever changes on a frame of the right shape.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scoreboard {

struct Display {
  int line = 0;        // the line number it answers to, 0-9
  int luminosity = 0;  // 1 Low, 2 Medium, 3 High; 0 while no frame has reached it
  std::string text = std::string(8, ' ');
  std::uint64_t frames = 0;  // display frames it took
};

enum class FrameKind { Display, LineNumber, Malformed };

struct FrameEvent {
  FrameKind kind = FrameKind::Malformed;
  int line = -1;        // Display: the line addressed; LineNumber: the number given
  int luminosity = 0;   // the luminosity digit's value (3 in a line-number frame)
  std::string text;     // the eight characters; empty when malformed
  std::string bytes;    // the frame, or the skipped stretch
  std::vector<int> displays;  // indices of the displays that took the frame
};

class DisplayBus {
 public:
  static constexpr std::size_t kFrameSize = 12;
  // A run of bytes without any STX is reported once it grows this long, not only at the next STX.
  static constexpr std::size_t kMaxStretch = 4096;

  // One display per entry, answering to that line number (0-9).
  explicit DisplayBus(std::vector<int> lineNumbers);

  // Takes bytes as they arrive (frames may be split anywhere) and appends what they completed.
  void Feed(std::string_view bytes, std::vector<FrameEvent>& events);
  // The line went quiet: bytes that cannot begin a frame are reported now instead of at the
  // next STX. A partial frame keeps waiting for its remaining bytes.
  void FlushStretch(std::vector<FrameEvent>& events);
  // The stream ended: whatever is still waiting, partial frame included, is malformed.
  void Finish(std::vector<FrameEvent>& events);

  const std::vector<Display>& Displays() const { return mDisplays; }
  std::uint64_t FrameCount() const { return mFrames; }  // well-formed frames of both kinds
  std::uint64_t ByteCount() const { return mBytes; }
  std::uint64_t MalformedCount() const { return mMalformed; }
  std::size_t PendingBytes() const { return mPending.size(); }

 private:
  enum class Shape { Valid, Incomplete, Invalid };
  static Shape Check(std::string_view candidate);
  void Decode(std::string_view frame, std::vector<FrameEvent>& events);
  void Skip(std::size_t from, std::size_t to, std::vector<FrameEvent>& events);
  void Scan(std::vector<FrameEvent>& events, bool quiet);

  std::vector<Display> mDisplays;
  std::string mPending;
  std::uint64_t mFrames = 0;
  std::uint64_t mBytes = 0;
  std::uint64_t mMalformed = 0;
};

}  // namespace scoreboard
