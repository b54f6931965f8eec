#include "platform/os/PortNames.h"

#include <cctype>
#include <cstdlib>
#include <sys/stat.h>

namespace os {
namespace {

constexpr int kMaxPort = 26;

// "Com12" -> 12; 0 for anything that is not a port name in range.
int PortNumberOf(const std::string& name) {
  if (name.size() < 4 || name.size() > 5) return 0;
  if (std::tolower(static_cast<unsigned char>(name[0])) != 'c' ||
      std::tolower(static_cast<unsigned char>(name[1])) != 'o' ||
      std::tolower(static_cast<unsigned char>(name[2])) != 'm')
    return 0;
  int n = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    n = n * 10 + (name[i] - '0');
  }
  if (name[3] == '0') return 0;  // "Com01" is not a port name
  return n >= 1 && n <= kMaxPort ? n : 0;
}

}  // namespace

std::string PortsDirectory() {
  if (const char* dir = std::getenv("ORVANE_PORTS_DIR"); dir && *dir) return dir;
  if (const char* cfg = std::getenv("XDG_CONFIG_HOME"); cfg && *cfg) return std::string(cfg) + "/orvane/ports";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/orvane/ports";
}

std::string PortLinkPath(int number) {
  if (number < 1 || number > kMaxPort) return {};
  return PortsDirectory() + "/com" + std::to_string(number);
}

std::string DevicePathForPortName(const std::string& name) {
  const int n = PortNumberOf(name);
  if (n == 0) return {};
  std::string link = PortLinkPath(n);
  struct stat st{};
  if (lstat(link.c_str(), &st) == 0) return link;  // a dangling link still names this port: opening it fails
  return "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace os
