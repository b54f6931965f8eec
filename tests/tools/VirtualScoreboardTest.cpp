// The real program, headless, in a temporary port folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "console/LineProtocol.h"
#include "tests/tools/ScoreboardProcess.h"
#include "tools/virtual-scoreboard/FrameLog.h"

using namespace vsbtest;

namespace {

class VirtualScoreboard : public ::testing::Test {
 protected:
  // Starts the program and waits until it says the port is ready.
  std::string StartReady(std::vector<std::string> args) {
    args.insert(args.begin(), "--headless");
    if (!vsb.Start(args, ports.dir / "out.jsonl", ports.dir / "err.txt")) return "";
    auto ready = vsb.WaitForKind("ready");
    return ready ? *ready : "";
  }

  // Writes bytes to a port the way a program that opens, writes and closes it does.
  void Send(int port, const std::string& bytes) {
    const int fd = open(ports.Link(port).c_str(), O_WRONLY | O_NOCTTY);
    ASSERT_GE(fd, 0) << ports.Link(port);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
  }

  std::vector<std::string> Frames() {
    std::vector<std::string> out;
    for (const std::string& l : vsb.Lines()) {
      const std::string kind = Field(l, "kind");
      if (kind == "display" || kind == "line_number" || kind == "malformed") out.push_back(l);
    }
    return out;
  }

  // Waits until n frame lines are in the log.
  std::vector<std::string> WaitFrames(std::size_t n) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Frames().size() < n && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return Frames();
  }

  PortsFolder ports;
  ScoreboardProcess vsb;
};

class VirtualScoreboardSignals : public VirtualScoreboard, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(VirtualScoreboardSignals, LinksAConfiguredTerminalAndRemovesTheLinkWhenStopped) {
  const std::string ready = StartReady({"--port", "4"});
  ASSERT_FALSE(ready.empty()) << vsb.ErrorText();
  EXPECT_EQ(Field(ready, "port"), "Com4");
  EXPECT_EQ(Field(ready, "link"), ports.Link(4).string());
  EXPECT_EQ(Field(ready, "displays"), "[0,1,2,3,4,5,6,7,8,9]");

  // The link is there as soon as ready is said, and leads to the terminal, configured.
  ASSERT_TRUE(fs::is_symlink(ports.Link(4)));
  EXPECT_EQ(fs::read_symlink(ports.Link(4)).string(), Field(ready, "device"));
  const int fd = open(ports.Link(4).c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios t{};
  ASSERT_EQ(tcgetattr(fd, &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
  close(fd);

  EXPECT_EQ(vsb.Stop(GetParam()), 0) << vsb.ErrorText();
  EXPECT_FALSE(fs::exists(fs::symlink_status(ports.Link(4))));
  const auto lines = vsb.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(Field(lines.back(), "kind"), "exit");
}

INSTANTIATE_TEST_SUITE_P(Signals, VirtualScoreboardSignals, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                           return info.param == SIGTERM ? "Term" : info.param == SIGINT ? "Interrupt" : "HangUp";
                         });

TEST_F(VirtualScoreboard, LogsEveryFrameAsItArrives) {
  ASSERT_FALSE(StartReady({"--stats", "0"}).empty()) << vsb.ErrorText();
  const std::string hello = MakeDisplayFrame(2, 3, "HELLO");
  const std::string controls = MakeDisplayFrame(5, 1, std::string("A\x02\x0A" "B\xE9", 5));
  Send(1, hello.substr(0, 5));  // a frame across two openings of the port
  Send(1, hello.substr(5) + "xy" + controls);
  Send(1, MakeLineNumberFrame(8));
  const auto frames = WaitFrames(4);
  ASSERT_EQ(frames.size(), 4u);

  EXPECT_EQ(Field(frames[0], "kind"), "display");
  EXPECT_EQ(Field(frames[0], "line"), "2");
  EXPECT_EQ(Field(frames[0], "luminosity"), "3");
  EXPECT_EQ(Field(frames[0], "text"), "HELLO   ");
  EXPECT_EQ(Field(frames[0], "bytes"), "02 32 33 48 45 4C 4C 4F 20 20 20 0A");
  EXPECT_EQ(Field(frames[0], "displays"), "[2]");
  EXPECT_FALSE(Field(frames[0], "time").empty());
  EXPECT_FALSE(Field(frames[0], "monotonic").empty());

  EXPECT_EQ(Field(frames[1], "kind"), "malformed");
  EXPECT_EQ(Field(frames[1], "bytes"), "78 79");

  EXPECT_EQ(Field(frames[2], "text"), "A\\u0002\\u000AB\xC3\xA9   ");
  EXPECT_EQ(Field(frames[2], "bytes"), scoreboard::HexBytes(controls));

  EXPECT_EQ(Field(frames[3], "kind"), "line_number");
  EXPECT_EQ(Field(frames[3], "line"), "8");
  EXPECT_EQ(Field(frames[3], "displays"), "[0,1,2,3,4,5,6,7,8,9]");

  EXPECT_EQ(vsb.Stop(), 0);
  const std::string exit = vsb.Lines().back();
  EXPECT_EQ(Field(exit, "frames"), "3");
  EXPECT_EQ(Field(exit, "malformed"), "1");
  EXPECT_EQ(Field(exit, "bytes"), "38");
}

TEST_F(VirtualScoreboard, OneDisplayTakesTheNumberItIsGiven) {
  ASSERT_FALSE(StartReady({"--numbers", "0", "--stats", "0"}).empty()) << vsb.ErrorText();
  Send(1, MakeDisplayFrame(5, 3, "BEFORE") + MakeLineNumberFrame(5) + MakeDisplayFrame(0, 3, "OLD") +
              MakeDisplayFrame(5, 3, "AFTER"));
  const auto frames = WaitFrames(4);
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(Field(frames[0], "displays"), "[]");
  EXPECT_EQ(Field(frames[1], "displays"), "[0]");
  EXPECT_EQ(Field(frames[2], "displays"), "[]");
  EXPECT_EQ(Field(frames[3], "displays"), "[0]");
}

TEST_F(VirtualScoreboard, ReportsLineUtilisation) {
  ASSERT_FALSE(StartReady({"--stats", "0.2"}).empty()) << vsb.ErrorText();
  std::string burst;
  for (int i = 0; i < 8; ++i) burst += MakeDisplayFrame(i, 2, "LOAD");
  Send(1, burst);  // 96 bytes: a tenth of what the line carries in a second
  const auto line = vsb.WaitForKind("utilisation");
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(Field(*line, "bytes"), "96");
  EXPECT_EQ(Field(*line, "interval"), "0.200");
  EXPECT_EQ(Field(*line, "percent"), "50.00");  // 96 bytes in 0.2 s of a 960 bytes/s line
  EXPECT_EQ(Field(*line, "peak"), "10.00");     // the busiest second
  EXPECT_EQ(vsb.Stop(), 0);
  EXPECT_EQ(Field(vsb.Lines().back(), "peak"), "10.00");
}

TEST_F(VirtualScoreboard, LeavesOtherLinksAloneUnlessToldToReplaceThem) {
  // A live link (another program's port) is refused ...
  fs::create_symlink("/dev/null", ports.Link(1));
  EXPECT_TRUE(StartReady({}).empty());
  EXPECT_EQ(vsb.Wait(), 1);
  EXPECT_NE(vsb.ErrorText().find("already linked to /dev/null"), std::string::npos) << vsb.ErrorText();
  EXPECT_EQ(fs::read_symlink(ports.Link(1)), "/dev/null");

  // ... unless replace is asked for.
  ASSERT_FALSE(StartReady({"--replace"}).empty()) << vsb.ErrorText();
  EXPECT_NE(fs::read_symlink(ports.Link(1)), "/dev/null");
  EXPECT_EQ(vsb.Stop(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(ports.Link(1))));

  // A dangling link, left by a program that was killed, is simply taken.
  fs::create_symlink(ports.dir / "gone", ports.Link(2));
  ASSERT_FALSE(StartReady({"--port", "2"}).empty()) << vsb.ErrorText();
  EXPECT_EQ(vsb.Stop(), 0);

  // Anything that is not a link is never touched.
  std::ofstream(ports.Link(3)) << "keep";
  EXPECT_TRUE(StartReady({"--port", "3", "--replace"}).empty());
  EXPECT_EQ(vsb.Wait(), 1);
  EXPECT_TRUE(fs::is_regular_file(ports.Link(3)));
}

TEST_F(VirtualScoreboard, LogFileAndBadArguments) {
  const fs::path log = ports.dir / "frames.jsonl";
  ASSERT_TRUE(vsb.Start({"--headless", "--log", log.string(), "--stats", "0"}, ports.dir / "out.jsonl",
                        ports.dir / "err.txt"));
  ASSERT_TRUE(vsb.WaitForKind("ready", log).has_value()) << vsb.ErrorText();
  Send(1, MakeDisplayFrame(9, 1, "LOGGED"));
  EXPECT_TRUE(vsb.WaitFor([](const std::string& l) { return Field(l, "text") == "LOGGED  "; },
                          std::chrono::seconds(5), log));
  EXPECT_EQ(vsb.Stop(), 0);
  EXPECT_TRUE(vsb.Lines().empty());  // standard output stays quiet

  ASSERT_TRUE(vsb.Start({"--headless", "--port", "30"}, ports.dir / "out.jsonl", ports.dir / "err.txt"));
  EXPECT_EQ(vsb.Wait(), 2);
  EXPECT_NE(vsb.ErrorText().find("--port"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(ports.dir / "out.jsonl"));
}

TEST_F(VirtualScoreboard, WindowModeDecodesTooAndCleansUp) {
  // The test runs on Qt's offscreen platform, so the window needs no display.
  const fs::path log = ports.dir / "window.jsonl";
  ASSERT_TRUE(vsb.Start({"--log", log.string(), "--numbers", "0", "--stats", "0"}, ports.dir / "out.txt",
                        ports.dir / "err.txt"));
  ASSERT_TRUE(vsb.WaitForKind("ready", log).has_value()) << vsb.ErrorText();
  Send(1, MakeLineNumberFrame(3) + MakeDisplayFrame(3, 2, "SHOWN"));
  EXPECT_TRUE(vsb.WaitFor([](const std::string& l) { return Field(l, "text") == "SHOWN   "; },
                          std::chrono::seconds(5), log))
      << vsb.ErrorText();
  EXPECT_EQ(vsb.Stop(), 0) << vsb.ErrorText();
  EXPECT_FALSE(fs::exists(fs::symlink_status(ports.Link(1))));
  const auto lines = vsb.Lines(log);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(Field(lines.back(), "kind"), "exit");
  EXPECT_EQ(Field(lines.back(), "frames"), "2");
}
