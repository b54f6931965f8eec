#include "console/LineProtocol.h"

std::string FitToEight(std::string text) {
  if (text.size() > 8) text.erase(0, text.size() - 8);
  text.resize(8, ' ');
  return text;
}

std::string MakeDisplayFrame(int line, int luminosity, const std::string& text) {
  std::string frame(1, '\x02');
  frame += std::to_string(line);
  frame += std::to_string(luminosity);
  frame += FitToEight(text);
  frame += '\x0A';
  return frame;
}

std::string MakeLineNumberFrame(int number) {
  std::string frame("\x02\xA0" "3line  ");
  frame += std::to_string(number);
  frame += " \x0A";
  return frame;
}
