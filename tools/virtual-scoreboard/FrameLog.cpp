#include "tools/virtual-scoreboard/FrameLog.h"

#include <cstdint>

namespace scoreboard {
namespace {

// Code points of 0x80-0x9F in code page 1252; its five unassigned bytes keep their own value.
constexpr std::uint16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr char kHex[] = "0123456789ABCDEF";

}  // namespace

std::string JsonText(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += ch;
    } else if (b < 0x20 || b == 0x7F) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else if (b < 0x80) {
      out += ch;
    } else if (b < 0xA0) {
      const std::uint16_t cp = kHigh1252[b - 0x80];
      if (cp < 0xA0) {  // unassigned: a C1 control, escaped like the others
        out += "\\u00";
        out += kHex[cp >> 4];
        out += kHex[cp & 0xF];
      } else {
        AppendUtf8(out, cp);
      }
    } else {
      AppendUtf8(out, b);  // 0xA0-0xFF are Latin-1
    }
  }
  out += '"';
  return out;
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (!out.empty()) out += ' ';
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

const char* KindName(FrameKind kind) {
  switch (kind) {
    case FrameKind::Display: return "display";
    case FrameKind::LineNumber: return "line_number";
    case FrameKind::Malformed: break;
  }
  return "malformed";
}

void JsonLine::Key(std::string_view key) {
  if (!mBody.empty()) mBody += ',';
  mBody += JsonText(key);
  mBody += ':';
}

JsonLine& JsonLine::Text(std::string_view key, std::string_view cp1252) {
  Key(key);
  mBody += JsonText(cp1252);
  return *this;
}

JsonLine& JsonLine::Int(std::string_view key, long long value) {
  Key(key);
  mBody += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::Number(std::string_view key, double value, int decimals) {
  Key(key);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  mBody += buffer;
  return *this;
}

JsonLine& JsonLine::Ints(std::string_view key, const std::vector<int>& values) {
  Key(key);
  mBody += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) mBody += ',';
    mBody += std::to_string(values[i]);
  }
  mBody += ']';
  return *this;
}

std::string EventJson(const FrameEvent& e, double time, double monotonic) {
  JsonLine j;
  j.Text("kind", KindName(e.kind)).Number("time", time, 6).Number("monotonic", monotonic, 6);
  if (e.kind != FrameKind::Malformed) {
    j.Int("line", e.line).Int("luminosity", e.luminosity).Text("text", e.text);
  }
  j.Int("length", static_cast<long long>(e.bytes.size())).Text("bytes", HexBytes(e.bytes));
  if (e.kind != FrameKind::Malformed) j.Ints("displays", e.displays);
  return j.Str();
}

JsonLog::~JsonLog() {
  if (mOwned && mFile) std::fclose(mFile);
}

void JsonLog::UseStdout() {
  if (mOwned && mFile) std::fclose(mFile);
  mFile = stdout;
  mOwned = false;
}

bool JsonLog::OpenFile(const std::string& path) {
  if (mOwned && mFile) std::fclose(mFile);
  mFile = std::fopen(path.c_str(), "w");
  mOwned = mFile != nullptr;
  return mFile != nullptr;
}

bool JsonLog::Write(const std::string& line) {
  if (!mFile || mFailed) return false;
  if (std::fputs(line.c_str(), mFile) < 0 || std::fputc('\n', mFile) == EOF || std::fflush(mFile) != 0)
    mFailed = true;
  return !mFailed;
}

}  // namespace scoreboard
