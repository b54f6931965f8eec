#pragma once
// The 5x7 dot-matrix character set of the LED panels.
#include <array>
#include <cstdint>

namespace scoreboard {

// Five columns, left to right; bit 0 of a column is its top dot, bit 6 its bottom dot.
using Glyph = std::array<std::uint8_t, 5>;

// The glyph for one byte of code page 1252: printable ASCII as it stands, accented letters as
// their base letter, anything else (control bytes included) as a hollow box so it shows.
Glyph GlyphFor(unsigned char c);

}  // namespace scoreboard
