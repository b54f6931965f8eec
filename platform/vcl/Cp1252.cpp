#include "platform/vcl/Cp1252.h"

namespace vcl {
namespace {

// 0x80-0x9F; the undefined bytes keep their own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
  return c;
}

int UnicodeToCp1252(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) return 0x80 + i;
  return -1;
}

std::string Cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view s, char replacement) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0, n = s.size();
  while (i < n) {
    auto b = static_cast<unsigned char>(s[i]);
    char32_t u;
    int len;
    if (b < 0x80) {
      u = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      u = b & 0x1F;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      u = b & 0x0F;
      len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      u = b & 0x07;
      len = 4;
    } else {
      out += replacement;
      ++i;
      continue;
    }
    if (i + static_cast<std::size_t>(len) > n) {
      out += replacement;
      break;
    }
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      auto cb = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((cb & 0xC0) != 0x80) ok = false;
      u = (u << 6) | (cb & 0x3F);
    }
    if (!ok) {
      out += replacement;
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(len);
    int c = UnicodeToCp1252(u);
    out += c < 0 ? replacement : static_cast<char>(c);
  }
  return out;
}

unsigned char Cp1252Upper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

unsigned char Cp1252Lower(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

}  // namespace vcl
