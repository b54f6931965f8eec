#pragma once
// Code page 1252 (the system's 8-bit text) to and from Unicode. Every byte maps to one code
// point and back: 0x80-0x9F as Windows defines them, the five undefined bytes (81, 8D, 8F, 90, 9D)
// to the C1 control code points of the same value, as Windows does.
#include <string>
#include <string_view>

namespace vcl {

char32_t Cp1252ToUnicode(unsigned char c);
// The byte for a code point; -1 when code page 1252 has none.
int UnicodeToCp1252(char32_t u);
std::string Cp1252ToUtf8(std::string_view s);
// Code points without a byte become `replacement`.
std::string Utf8ToCp1252(std::string_view s, char replacement = '?');

unsigned char Cp1252Upper(unsigned char c);
unsigned char Cp1252Lower(unsigned char c);

}  // namespace vcl
