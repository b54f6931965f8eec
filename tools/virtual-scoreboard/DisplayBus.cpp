#include "tools/virtual-scoreboard/DisplayBus.h"

#include <utility>

namespace scoreboard {
namespace {

constexpr char kStx = '\x02';
constexpr char kLf = '\x0A';
constexpr char kLineNumberMark = '\xA0';
constexpr std::string_view kLineWord = "line  ";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DisplayBus::DisplayBus(std::vector<int> lineNumbers) {
  mDisplays.resize(lineNumbers.size());
  for (std::size_t i = 0; i < lineNumbers.size(); ++i) mDisplays[i].line = lineNumbers[i];
}

// Checks the bytes seen so far against both frame shapes; candidate starts at an STX.
DisplayBus::Shape DisplayBus::Check(std::string_view c) {
  const std::size_t n = c.size() < kFrameSize ? c.size() : kFrameSize;
  if (n >= 2 && !IsDigit(c[1]) && c[1] != kLineNumberMark) return Shape::Invalid;
  const bool lineNumber = n >= 2 && c[1] == kLineNumberMark;
  if (n >= 3) {
    if (lineNumber ? c[2] != '3' : (c[2] < '1' || c[2] > '3')) return Shape::Invalid;
  }
  if (lineNumber) {
    for (std::size_t i = 3; i < 9 && i < n; ++i)
      if (c[i] != kLineWord[i - 3]) return Shape::Invalid;
    if (n >= 10 && !IsDigit(c[9])) return Shape::Invalid;
    if (n >= 11 && c[10] != ' ') return Shape::Invalid;
  }
  if (n < kFrameSize) return Shape::Incomplete;
  return c[11] == kLf ? Shape::Valid : Shape::Invalid;
}

void DisplayBus::Decode(std::string_view frame, std::vector<FrameEvent>& events) {
  FrameEvent e;
  e.bytes.assign(frame);
  e.text.assign(frame.substr(3, 8));
  e.luminosity = frame[2] - '0';
  if (frame[1] == kLineNumberMark) {
    // Every display on the bus hears it: each one takes the new number.
    e.kind = FrameKind::LineNumber;
    e.line = frame[9] - '0';
    for (std::size_t i = 0; i < mDisplays.size(); ++i) {
      mDisplays[i].line = e.line;
      e.displays.push_back(static_cast<int>(i));
    }
  } else {
    e.kind = FrameKind::Display;
    e.line = frame[1] - '0';
    for (std::size_t i = 0; i < mDisplays.size(); ++i) {
      Display& d = mDisplays[i];
      if (d.line != e.line) continue;
      d.text = e.text;
      d.luminosity = e.luminosity;
      ++d.frames;
      e.displays.push_back(static_cast<int>(i));
    }
  }
  ++mFrames;
  events.push_back(std::move(e));
}

void DisplayBus::Skip(std::size_t from, std::size_t to, std::vector<FrameEvent>& events) {
  if (to <= from) return;
  FrameEvent e;
  e.kind = FrameKind::Malformed;
  e.bytes = mPending.substr(from, to - from);
  ++mMalformed;
  events.push_back(std::move(e));
}

void DisplayBus::Scan(std::vector<FrameEvent>& events, bool quiet) {
  constexpr std::size_t kNone = std::string::npos;
  std::size_t pos = 0;
  std::size_t skipFrom = kNone;  // start of the stretch being skipped, reported as one
  auto endSkip = [&](std::size_t to) {
    if (skipFrom != kNone) Skip(skipFrom, to, events);
    skipFrom = kNone;
  };
  while (pos < mPending.size()) {
    std::size_t searchFrom = pos;
    if (mPending[pos] == kStx) {
      const std::string_view candidate = std::string_view(mPending).substr(pos, kFrameSize);
      const Shape shape = Check(candidate);
      if (shape == Shape::Valid) {
        endSkip(pos);
        Decode(candidate, events);
        pos += kFrameSize;
        continue;
      }
      if (shape == Shape::Incomplete) {
        endSkip(pos);
        break;
      }
      // A bad start: the frame may have been cut short, and the next frame may begin inside
      // these bytes, so look again from the byte after this STX.
      searchFrom = pos + 1;
    }
    if (skipFrom == kNone) skipFrom = pos;
    const std::size_t next = mPending.find(kStx, searchFrom);
    if (next == kNone) {
      if (quiet || mPending.size() - skipFrom >= kMaxStretch) {
        endSkip(mPending.size());
        pos = mPending.size();
      } else {
        pos = skipFrom;  // the stretch may go on in the next read: keep it and look again then
      }
      break;
    }
    pos = next;
  }
  mPending.erase(0, pos);
}

void DisplayBus::Feed(std::string_view bytes, std::vector<FrameEvent>& events) {
  mBytes += bytes.size();
  mPending.append(bytes);
  Scan(events, false);
}

void DisplayBus::FlushStretch(std::vector<FrameEvent>& events) { Scan(events, true); }

void DisplayBus::Finish(std::vector<FrameEvent>& events) {
  Scan(events, true);
  Skip(0, mPending.size(), events);
  mPending.clear();
}

}  // namespace scoreboard
