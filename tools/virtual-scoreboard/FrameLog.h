#pragma once
// The JSON lines the virtual scoreboard writes: one object per line, flushed line by line, so a
// test or a benchmark can follow the log while it grows.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/virtual-scoreboard/DisplayBus.h"

namespace scoreboard {

// 8-bit code page 1252 text as a quoted JSON string (UTF-8, control characters escaped).
std::string JsonText(std::string_view cp1252);
// Bytes as upper-case hexadecimal pairs separated by blanks: "02 32 33".
std::string HexBytes(std::string_view bytes);
// "display", "line_number" or "malformed".
const char* KindName(FrameKind kind);

// One JSON object, its members in the order they are added.
class JsonLine {
 public:
  JsonLine& Text(std::string_view key, std::string_view cp1252);
  JsonLine& Int(std::string_view key, long long value);
  JsonLine& Number(std::string_view key, double value, int decimals);
  JsonLine& Ints(std::string_view key, const std::vector<int>& values);
  std::string Str() const { return "{" + mBody + "}"; }

 private:
  void Key(std::string_view key);
  std::string mBody;
};

// The object for one decoded frame or malformed stretch; time in seconds since the start,
// monotonic in seconds of the system's monotonic clock (comparable between processes).
std::string EventJson(const FrameEvent& e, double time, double monotonic);

// Where the lines go: standard output or a file.
class JsonLog {
 public:
  JsonLog() = default;
  ~JsonLog();
  JsonLog(const JsonLog&) = delete;
  JsonLog& operator=(const JsonLog&) = delete;

  void UseStdout();
  bool OpenFile(const std::string& path);  // truncates; false when it cannot be written
  bool IsOpen() const { return mFile != nullptr; }
  // Writes the line and flushes it; false once a write failed (the reader went away).
  bool Write(const std::string& line);
  bool Failed() const { return mFailed; }

 private:
  std::FILE* mFile = nullptr;
  bool mOwned = false;
  bool mFailed = false;
};

}  // namespace scoreboard
