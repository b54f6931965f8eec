#include "platform/vcl/SysUtils.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/vcl/Cp1252.h"

namespace {

char LocaleSeparator(nl_item item, char fallback) {
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (!loc) return fallback;
  const char* s = nl_langinfo_l(item, loc);
  char c = fallback;
  // Only a one-byte separator can be used in code page 1252 text.
  if (s && std::strlen(s) == 1) c = s[0];
  freelocale(loc);
  return c;
}

}  // namespace

char DecimalSeparator = LocaleSeparator(RADIXCHAR, '.');
char ThousandSeparator = LocaleSeparator(THOUSEP, ',');

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

std::string IntToHex(std::int64_t value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(value));
  return buf;
}

bool TryStrToInt(std::string_view s, int& value) {
  std::size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (s[i] == '-' || s[i] == '+')) {
    neg = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i < n && (s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  std::uint64_t acc = 0;
  for (; i < n; ++i) {
    char c = s[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    acc = acc * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
    if (acc > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    auto v = static_cast<std::int32_t>(static_cast<std::uint32_t>(acc));
    value = neg ? static_cast<int>(0u - static_cast<std::uint32_t>(v)) : v;
    return true;
  }
  if (neg) {
    if (acc > 2147483648ull) return false;
    value = static_cast<int>(-static_cast<std::int64_t>(acc));
  } else {
    if (acc > 2147483647ull) return false;
    value = static_cast<int>(acc);
  }
  return true;
}

int StrToInt(std::string_view s) {
  int v;
  if (!TryStrToInt(s, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

int StrToIntDef(std::string_view s, int defaultValue) {
  int v;
  return TryStrToInt(s, v) ? v : defaultValue;
}

bool TryStrToFloat(std::string_view s, double& value) {
  std::size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  std::string norm;
  if (i < n && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') norm += '-';
    ++i;
  }
  int digits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') {
    norm += s[i++];
    ++digits;
  }
  if (i < n && s[i] == DecimalSeparator) {
    norm += '.';
    ++i;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      norm += s[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    norm += 'e';
    ++i;
    if (i < n && (s[i] == '-' || s[i] == '+')) norm += s[i++];
    int expDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      norm += s[i++];
      ++expDigits;
    }
    if (expDigits == 0) return false;
  }
  while (i < n && s[i] == ' ') ++i;
  if (i != n) return false;
  double v = 0;
  auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v);
  if (res.ec != std::errc() || res.ptr != norm.data() + norm.size()) return false;
  value = v;
  return true;
}

double StrToFloat(std::string_view s) {
  double v;
  if (!TryStrToFloat(s, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view s, double defaultValue) {
  double v;
  return TryStrToFloat(s, v) ? v : defaultValue;
}

std::string FloatToStr(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", value);
  std::string s = buf;
  // The C library may follow LC_NUMERIC; normalise, then use our separator.
  for (char& c : s)
    if (c == '.' || c == ',') c = DecimalSeparator;
  auto e = s.find('E');
  if (e != std::string::npos) {
    std::string mant = s.substr(0, e), ex = s.substr(e + 1);
    bool neg = !ex.empty() && ex[0] == '-';
    if (!ex.empty() && (ex[0] == '+' || ex[0] == '-')) ex.erase(0, 1);
    while (ex.size() > 1 && ex[0] == '0') ex.erase(0, 1);
    s = mant + "E" + (neg ? "-" : "") + ex;
  }
  return s;
}

std::string Format(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, format, ap);
  va_end(ap);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, ap2);
    out.resize(static_cast<std::size_t>(n));
  }
  va_end(ap2);
  return out;
}

// --- dates ------------------------------------------------------------------------------------

namespace {
constexpr int kDateDelta = 693594;  // days from 1 January 0001 to 30 December 1899
constexpr int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  const int* table = kMonthDays[IsLeapYear(year) ? 1 : 0];
  if (day < 1 || day > table[month - 1]) return false;
  for (int m = 1; m < month; ++m) day += table[m - 1];
  int y = year - 1;
  date = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + day - kDateDelta);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

void DecodeDate(TDateTime date, WORD& year, WORD& month, WORD& day) {
  constexpr long long D1 = 365, D4 = D1 * 4 + 1, D100 = D4 * 25 - 1, D400 = D100 * 4 + 1;
  long long t = static_cast<long long>(std::trunc(date)) + kDateDelta;
  if (t <= 0 || t > 3652059) {  // outside 1 January 0001 .. 31 December 9999
    year = month = day = 0;
    return;
  }
  t -= 1;
  long long y = 1;
  y += (t / D400) * 400;
  t %= D400;
  long long i = t / D100, d = t % D100;
  if (i == 4) {
    --i;
    d += D100;
  }
  y += i * 100;
  i = d / D4;
  d %= D4;
  y += i * 4;
  i = d / D1;
  d %= D1;
  if (i == 4) {
    --i;
    d += D1;
  }
  y += i;
  const int* table = kMonthDays[IsLeapYear(static_cast<int>(y)) ? 1 : 0];
  int m = 1;
  while (d >= table[m - 1]) {
    d -= table[m - 1];
    ++m;
  }
  year = static_cast<WORD>(y);
  month = static_cast<WORD>(m);
  day = static_cast<WORD>(d + 1);
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Now() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  TDateTime d = EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  return d + (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) / 86400.0;
}

// --- strings ---------------------------------------------------------------------------------

std::string TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string LowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::string AnsiUpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(vcl::Cp1252Upper(static_cast<unsigned char>(c)));
  return out;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(vcl::Cp1252Lower(static_cast<unsigned char>(c)));
  return out;
}

int CompareStr(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b) { return CompareStr(UpperCase(a), UpperCase(b)); }

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

int AnsiCompareStr(std::string_view a, std::string_view b) { return CompareStr(a, b); }

int AnsiCompareText(std::string_view a, std::string_view b) {
  return CompareStr(AnsiLowerCase(a), AnsiLowerCase(b));
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

std::string QuotedStr(std::string_view s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, int flags) {
  if (oldPattern.empty()) return std::string(s);
  std::string hay = (flags & rfIgnoreCase) ? AnsiUpperCase(s) : std::string(s);
  std::string needle =
      (flags & rfIgnoreCase) ? AnsiUpperCase(oldPattern) : std::string(oldPattern);
  std::string out;
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = hay.find(needle, pos);
    if (hit == std::string::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(newPattern);
    pos = hit + needle.size();
    if (!(flags & rfReplaceAll)) break;
  }
  out.append(s.substr(pos));
  return out;
}
