#include "tools/virtual-scoreboard/PortLink.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "platform/os/PortNames.h"

namespace fs = std::filesystem;

namespace scoreboard {

bool PortLink::Create(int port, const std::string& device, bool replace, std::string& error) {
  Remove();
  const std::string path = os::PortLinkPath(port);
  if (path.empty()) {
    error = "no port Com" + std::to_string(port);
    return false;
  }
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (ec) {
    error = "cannot create the port folder " + fs::path(path).parent_path().string() + ": " + ec.message();
    return false;
  }
  const fs::file_status st = fs::symlink_status(path, ec);
  if (fs::exists(st)) {
    if (!fs::is_symlink(st)) {
      error = path + " exists and is not a link; remove it first";
      return false;
    }
    const fs::path target = fs::read_symlink(path, ec);
    if (fs::exists(path, ec) && !replace) {
      error = "Com" + std::to_string(port) + " is already linked to " + target.string() +
              " (another virtual scoreboard or an adapter?); choose another --port, or --replace";
      return false;
    }
  }
  // Link under a temporary name, then rename over: an opener never sees a missing or half-made link.
  const std::string temp = path + ".new-" +
                           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  fs::create_symlink(device, temp, ec);
  if (!ec) fs::rename(temp, path, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    error = "cannot create the link " + path + ": " + ec.message();
    return false;
  }
  mPath = path;
  mDevice = device;
  return true;
}

void PortLink::Remove() {
  if (mPath.empty()) return;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(mPath, ec)) && fs::read_symlink(mPath, ec) == fs::path(mDevice))
    fs::remove(mPath, ec);
  mPath.clear();
  mDevice.clear();
}

}  // namespace scoreboard
