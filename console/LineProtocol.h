#pragma once
// The three frames the console writes to the scoreboard displays (12 bytes each).
#include <string>

// Exactly eight characters: the last eight of a longer text, a shorter one blank-filled on the right.
std::string FitToEight(std::string text);

// STX, line digit, luminosity digit, FitToEight(text), LF.
std::string MakeDisplayFrame(int line, int luminosity, const std::string& text);

// STX, 0xA0, "3line  ", number digit, blank, LF: gives the one connected display its line number.
std::string MakeLineNumberFrame(int number);
