#include "platform/os/PortNames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

class PortNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("ports-" + std::to_string(getpid()));
    fs::create_directories(dir);
    setenv("ORVANE_PORTS_DIR", dir.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("ORVANE_PORTS_DIR");
    fs::remove_all(dir);
  }
  fs::path dir;
};

TEST_F(PortNamesTest, EnvironmentSelectsTheFolder) {
  EXPECT_EQ(os::PortsDirectory(), dir.string());
  EXPECT_EQ(os::PortLinkPath(5), (dir / "com5").string());
  EXPECT_EQ(os::PortLinkPath(0), "");
  EXPECT_EQ(os::PortLinkPath(27), "");
}

TEST_F(PortNamesTest, LinkWinsOverTheConventionalDevice) {
  EXPECT_EQ(os::DevicePathForPortName("Com1"), "/dev/ttyS0");
  EXPECT_EQ(os::DevicePathForPortName("Com26"), "/dev/ttyS25");
  fs::create_symlink("/dev/null", dir / "com1");
  EXPECT_EQ(os::DevicePathForPortName("Com1"), (dir / "com1").string());
  fs::create_symlink(dir / "gone", dir / "com2");  // dangling: still this port's link
  EXPECT_EQ(os::DevicePathForPortName("Com2"), (dir / "com2").string());
}

TEST_F(PortNamesTest, NamesThatAreNoPortGiveNoPath) {
  for (const char* name : {"N.C.", "", "Com0", "Com27", "Com01", "Com", "Cam1", "Com1x"})
    EXPECT_EQ(os::DevicePathForPortName(name), "") << name;
  EXPECT_EQ(os::DevicePathForPortName("COM3"), "/dev/ttyS2");
}

TEST(PortNames, DefaultFolderFollowsXdgThenHome) {
  unsetenv("ORVANE_PORTS_DIR");
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  std::string keep = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", "/x/cfg", 1);
  EXPECT_EQ(os::PortsDirectory(), "/x/cfg/orvane/ports");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(os::PortsDirectory(), std::string(std::getenv("HOME")) + "/.config/orvane/ports");
  if (!keep.empty()) setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
}
