#include "tools/virtual-scoreboard/Options.h"

#include <cstdlib>

namespace scoreboard {
namespace {

constexpr int kMaxDisplays = 32;

bool ParseInt(const std::string& text, int lo, int hi, int& value) {
  if (text.empty() || text.size() > 9) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  value = v;
  return true;
}

bool ParseSeconds(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !(v >= 0) || v > 86400) return false;
  value = v;
  return true;
}

bool ParseNumbers(const std::string& text, std::vector<int>& numbers) {
  numbers.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    int n = 0;
    if (!ParseInt(item, 0, 9, n)) return false;
    numbers.push_back(n);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return numbers.size() <= kMaxDisplays;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  int displays = -1;
  bool haveNumbers = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool inlineValue = false;
    if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.erase(eq);
      inlineValue = true;
    }
    auto takeValue = [&]() {
      if (inlineValue) return true;
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      value = args[++i];
      return true;
    };
    auto noValue = [&]() {
      if (inlineValue) error = name + " takes no value";
      return !inlineValue;
    };

    if (name == "--help" || name == "-h") {
      if (!noValue()) return false;
      options.help = true;
    } else if (name == "--headless") {
      if (!noValue()) return false;
      options.headless = true;
    } else if (name == "--replace") {
      if (!noValue()) return false;
      options.replace = true;
    } else if (name == "--port") {
      if (!takeValue()) return false;
      if (!ParseInt(value, 1, 26, options.port)) {
        error = "--port wants a port number 1-26, not \"" + value + "\"";
        return false;
      }
    } else if (name == "--displays") {
      if (!takeValue()) return false;
      if (!ParseInt(value, 1, 10, displays)) {
        error = "--displays wants a count 1-10, not \"" + value + "\" (use --numbers for more)";
        return false;
      }
    } else if (name == "--numbers") {
      if (!takeValue()) return false;
      if (!ParseNumbers(value, options.numbers)) {
        error = "--numbers wants 1-32 line numbers 0-9 separated by commas, not \"" + value + "\"";
        return false;
      }
      haveNumbers = true;
    } else if (name == "--log") {
      if (!takeValue()) return false;
      if (value.empty()) {
        error = "--log needs a file name";
        return false;
      }
      options.logPath = value;
    } else if (name == "--stats") {
      if (!takeValue()) return false;
      if (!ParseSeconds(value, options.statsSeconds)) {
        error = "--stats wants seconds (0 for none), not \"" + value + "\"";
        return false;
      }
    } else {
      error = "unknown argument \"" + args[i] + "\"";
      return false;
    }
  }
  if (displays > 0) {
    if (haveNumbers && static_cast<int>(options.numbers.size()) != displays) {
      error = "--displays " + std::to_string(displays) + " does not match the " +
              std::to_string(options.numbers.size()) + " numbers of --numbers";
      return false;
    }
    if (!haveNumbers) {
      options.numbers.clear();
      for (int n = 0; n < displays; ++n) options.numbers.push_back(n);
    }
  }
  return true;
}

std::string UsageText() {
  return "Usage: virtual-scoreboard [options]\n"
         "A bus of LED scoreboard displays on a pseudo-terminal, offered as serial port ComN.\n"
         "\n"
         "  --port N         offer the displays as ComN, N = 1-26 (default 1)\n"
         "  --displays N     N displays answering to lines 0 .. N-1 (default 10)\n"
         "  --numbers LIST   one display per entry with that line number, e.g. 0 or 3,3,7\n"
         "  --headless       no window: write one JSON line per frame to standard output\n"
         "  --log FILE       write the JSON lines to FILE (also with the window)\n"
         "  --stats SECONDS  period of the line-utilisation JSON lines (default 1, 0 = none)\n"
         "  --replace        take over a comN link that points at a live device\n"
         "  --help           this text\n"
         "\n"
         "The port link lives in $ORVANE_PORTS_DIR, else $XDG_CONFIG_HOME/orvane/ports,\n"
         "else ~/.config/orvane/ports; it is removed when the program ends.\n";
}

}  // namespace scoreboard
