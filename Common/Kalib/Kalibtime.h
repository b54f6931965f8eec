#pragma once
// Time values and their fixed-width rendering.
//
// A time value is a signed 32-bit count of units: 'm' milliseconds or 'S' seconds.
// A time format is text in which H, M, S (hours, minutes, seconds, as wide as their
// first-to-last occurrence) and the first d, c, m (tenths, hundredths, thousandths)
// are fields; every other character is literal. A separator follows the hours,
// minutes and seconds fields.
#include <string>

// Renders value with format and the process-wide separator set.
// blank: leading zero fields (and a zero value) become spaces.
// blankFraction: trailing zero fraction digits become spaces.
std::string KaformatTime(int value, const std::string& format, bool blank, bool blankFraction, char unit);

// The same with an explicit separator set (3 characters); used by the time edit,
// which keeps a set of its own.
std::string KaformatTimeWith(int value, const std::string& format, bool blank, bool blankFraction, char unit,
                             const std::string& separators);

// The format with the separators inserted after its last H, last M and last S.
std::string KainsertTimeSeparators(const std::string& format, const std::string& separators);

// Replaces the process-wide separator set when given exactly 3 characters ("h:." at start).
void KasetTimeSeparators(const std::string& separators);
const std::string& KagetTimeSeparators();

// Splits a time value; for a unit other than 'm' and 'S' the outputs are not written.
void KasplitTime(int value, int& hours, int& minutes, int& seconds, int& milliseconds, char unit);

// Local time of day in milliseconds since midnight, 0 .. 86 399 999.
int KagetTimeOfDay();
