#pragma once
// The command line of the virtual scoreboard.
#include <string>
#include <vector>

namespace scoreboard {

struct Options {
  int port = 1;                                          // the link comN it offers, 1-26
  std::vector<int> numbers = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};  // one display per entry: its line number
  bool headless = false;
  std::string logPath;        // JSON lines go here instead of standard output
  double statsSeconds = 1.0;  // period of the utilisation lines; 0 = none
  bool replace = false;       // take over a link that points at a live device
  bool help = false;
};

// Fills options from the arguments (without the program name); false with a message on error.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

std::string UsageText();

}  // namespace scoreboard
