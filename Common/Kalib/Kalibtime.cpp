#include "Common/Kalib/Kalibtime.h"

#include <cstdint>
#include <vector>

#include "platform/os/LocalTime.h"

namespace {

std::string& TimeSeparators() {
  static std::string separators = "h:.";
  return separators;
}

// A set of any other length is cut or padded with spaces to three characters, so that
// every field letter group is always followed by exactly one separator.
char SeparatorAt(const std::string& separators, std::size_t i) {
  return i < separators.size() ? separators[i] : ' ';
}

// The format with its separators inserted, and for every character whether it may still
// be taken as a field letter. Inserted separators never count as field letters, even when
// they are one of H, M, S, d, c, m.
struct WorkingCopy {
  std::string text;
  std::vector<bool> letter;

  std::size_t Last(char c) const {
    for (std::size_t i = text.size(); i-- > 0;)
      if (letter[i] && text[i] == c) return i;
    return std::string::npos;
  }
  std::size_t First(char c) const {
    for (std::size_t i = 0; i < text.size(); ++i)
      if (letter[i] && text[i] == c) return i;
    return std::string::npos;
  }
  void InsertAfter(std::size_t pos, char c) {
    text.insert(text.begin() + std::ptrdiff_t(pos + 1), c);
    letter.insert(letter.begin() + std::ptrdiff_t(pos + 1), false);
  }
  // Writes one character; what has been written is no longer a field letter.
  void Put(std::size_t pos, char c) {
    if (pos >= text.size()) return;
    text[pos] = c;
    letter[pos] = false;
  }
};

WorkingCopy InsertSeparators(const std::string& format, const std::string& separators) {
  WorkingCopy w{format, std::vector<bool>(format.size(), true)};
  const char fields[3] = {'H', 'M', 'S'};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t last = w.Last(fields[i]);
    if (last != std::string::npos) w.InsertAfter(last, SeparatorAt(separators, i));
  }
  return w;
}

// Writes number right-aligned into the w characters at p: only its rightmost w digits
// when it is wider, padded on the left with pad when narrower.
void PutNumber(WorkingCopy& w, std::size_t p, std::size_t width, std::int64_t number, char pad) {
  std::string digits = std::to_string(number);
  if (digits.size() > width) digits.erase(0, digits.size() - width);
  digits.insert(0, width - digits.size(), pad);
  for (std::size_t i = 0; i < width; ++i) w.Put(p + i, digits[i]);
}

void PutSpaces(WorkingCopy& w, std::size_t p, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) w.Put(p + i, ' ');
}

struct Parts {
  std::int64_t hours = 0;
  int minutes = 0;
  int seconds = 0;
  int milliseconds = 0;
};

// Works on the magnitude in 64 bits so that the most negative value splits like any other.
bool Split(int value, char unit, Parts& out) {
  const std::int64_t magnitude = value < 0 ? -std::int64_t(value) : std::int64_t(value);
  std::int64_t total;
  if (unit == 'm') {
    total = magnitude / 1000;
    out.milliseconds = int(magnitude - total * 1000);
  } else if (unit == 'S') {
    total = magnitude;
    out.milliseconds = 0;
  } else {
    return false;
  }
  out.hours = total / 3600;
  out.minutes = int((total - out.hours * 3600) / 60);
  out.seconds = int(total - out.hours * 3600 - std::int64_t(out.minutes) * 60);
  return true;
}

}  // namespace

std::string KainsertTimeSeparators(const std::string& format, const std::string& separators) {
  return InsertSeparators(format, separators).text;
}

std::string KaformatTimeWith(int value, const std::string& format, bool blank, bool blankFraction, char unit,
                             const std::string& separators) {
  Parts t;
  if (!Split(value, unit, t)) return std::string();

  WorkingCopy w = InsertSeparators(format, separators);
  if (blank && value == 0) return std::string(w.text.size(), ' ');

  // Fields are located in order on what is left of the letters: a field that spans
  // another letter (occurrences not adjacent) takes that letter's place.
  auto field = [&w](char c, std::size_t& p, std::size_t& width) {
    p = w.First(c);
    if (p == std::string::npos) return false;
    width = w.Last(c) - p + 1;
    return true;
  };
  std::size_t p = 0, width = 0;

  if (field('H', p, width)) {
    if (blank && t.hours == 0)
      PutSpaces(w, p, width + 1);
    else
      PutNumber(w, p, width, t.hours, blank ? ' ' : '0');
  }
  if (field('M', p, width)) {
    if (blank && t.hours == 0 && t.minutes == 0)
      PutSpaces(w, p, width + 1);
    else
      PutNumber(w, p, width, t.minutes, blank && t.hours == 0 ? ' ' : '0');
  }
  if (field('S', p, width)) {
    if (blank && t.hours == 0 && t.minutes == 0 && t.seconds == 0) {
      PutSpaces(w, p, width - 1);
      w.Put(p + width - 1, '0');
    } else {
      PutNumber(w, p, width, t.seconds, blank && t.hours == 0 && t.minutes == 0 ? ' ' : '0');
    }
  }

  const int ms = t.milliseconds;
  if ((p = w.First('d')) != std::string::npos)
    w.Put(p, blankFraction && ms == 0 ? ' ' : char('0' + ms / 100));
  if ((p = w.First('c')) != std::string::npos)
    w.Put(p, blankFraction && ms % 100 == 0 ? ' ' : char('0' + ms / 10 % 10));
  if ((p = w.First('m')) != std::string::npos)
    w.Put(p, blankFraction && ms % 10 == 0 ? ' ' : char('0' + ms % 10));
  return w.text;
}

std::string KaformatTime(int value, const std::string& format, bool blank, bool blankFraction, char unit) {
  return KaformatTimeWith(value, format, blank, blankFraction, unit, TimeSeparators());
}

void KasetTimeSeparators(const std::string& separators) {
  if (separators.size() == 3) TimeSeparators() = separators;
}

const std::string& KagetTimeSeparators() { return TimeSeparators(); }

void KasplitTime(int value, int& hours, int& minutes, int& seconds, int& milliseconds, char unit) {
  Parts t;
  if (!Split(value, unit, t)) return;
  hours = int(t.hours);
  minutes = t.minutes;
  seconds = t.seconds;
  milliseconds = t.milliseconds;
}

int KagetTimeOfDay() {
  const os::LocalTime now = os::GetLocalTime();
  return ((now.Hour * 60 + now.Minute) * 60 + now.Second) * 1000 + now.Milliseconds;
}
