#pragma once
// Conversions and string helpers of the framework: integers, floating point with the locale
// decimal separator, dates over the day count from 30 December 1899, case folding in code page 1252.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/vcl/System.h"

// The decimal separator StrToFloat accepts and FloatToStr writes. Starts as the user's locale's
// (LC_NUMERIC / LANG), '.' when that is not one byte; tests and programs may change it.
extern char DecimalSeparator;
extern char ThousandSeparator;

std::string IntToStr(std::int64_t value);
std::string IntToHex(std::int64_t value, int digits);

// Integer text: leading blanks, an optional sign, then decimal digits, or hexadecimal after "$",
// "0x" or "x". Nothing may follow. 32-bit range (hexadecimal up to $FFFFFFFF, taken modulo 2^32).
bool TryStrToInt(std::string_view s, int& value);
int StrToInt(std::string_view s);  // throws EConvertError
int StrToIntDef(std::string_view s, int defaultValue);

// Floating-point text: blanks, an optional sign, digits with DecimalSeparator, an optional
// exponent (E or e, optional sign, digits), blanks. At least one digit.
bool TryStrToFloat(std::string_view s, double& value);
double StrToFloat(std::string_view s);  // throws EConvertError
double StrToFloatDef(std::string_view s, double defaultValue);
// Up to 15 significant digits, DecimalSeparator as the point.
std::string FloatToStr(double value);

// printf-style formatting (the C library's conversions: "%.*f" always writes '.').
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Dates: a TDateTime's integer part counts days from 30 December 1899 (1 January 1900 is 2).
// Years 1 to 9999, Gregorian calendar.
bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);  // 0 when the month is not 1-12
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime EncodeDate(int year, int month, int day);  // throws EConvertError
void DecodeDate(TDateTime date, WORD& year, WORD& month, WORD& day);  // 0,0,0 before year 1
TDateTime Date();  // today, local time, at midnight
TDateTime Now();   // local time

// Strings (code page 1252).
std::string Trim(std::string_view s);  // removes characters <= ' ' at both ends
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string UpperCase(std::string_view s);  // ASCII letters only
std::string LowerCase(std::string_view s);
std::string AnsiUpperCase(std::string_view s);  // code page 1252 letters
std::string AnsiLowerCase(std::string_view s);
int CompareStr(std::string_view a, std::string_view b);   // bytes
int CompareText(std::string_view a, std::string_view b);  // ASCII case-insensitive
bool SameText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
std::string QuotedStr(std::string_view s);

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
// Replaces the first (or every) occurrence; the search goes on after each inserted text.
std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, int flags);
