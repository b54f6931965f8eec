// The library's serial port talking to the real virtual scoreboard, as the console does.
#include <gtest/gtest.h>

#include "Common/Kalib/Kalibserial.h"
#include "console/LineProtocol.h"
#include "tests/tools/ScoreboardProcess.h"
#include "tools/virtual-scoreboard/FrameLog.h"

using namespace vsbtest;

namespace {

std::vector<std::string> FrameLines(ScoreboardProcess& vsb, std::size_t n) {
  std::vector<std::string> out;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    out.clear();
    for (const std::string& l : vsb.Lines())
      if (Field(l, "kind") == "display" || Field(l, "kind") == "line_number" || Field(l, "kind") == "malformed")
        out.push_back(l);
    if (out.size() >= n || std::chrono::steady_clock::now() > deadline) return out;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool Drain(TKaSerial& serial) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (serial.PendingOutput() > 0)
    if (std::chrono::steady_clock::now() > deadline) return false;
    else std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return true;
}

}  // namespace

TEST(SerialPeer, FramesSentThroughTheSerialPortReachTheDisplays) {
  PortsFolder ports;
  ScoreboardProcess vsb;
  ASSERT_TRUE(vsb.Start({"--headless", "--port", "3", "--stats", "0"}, ports.dir / "out.jsonl",
                        ports.dir / "err.txt"));
  ASSERT_TRUE(vsb.WaitForKind("ready").has_value()) << vsb.ErrorText();

  TKaSerial serial;
  serial.Configure(3, 9600, 8, 0, 0, 1000, 1000);  // the console's settings
  ASSERT_TRUE(serial.Open());
  TKaSerial second;
  second.Configure(3, 9600, 8, 0, 0, 1000, 1000);
  EXPECT_FALSE(second.Open());  // the port is for one program at a time

  std::vector<std::string> sent;
  for (int line = 0; line < 10; ++line) sent.push_back(MakeDisplayFrame(line, 1 + line % 3, "L" + std::to_string(line)));
  sent.push_back(MakeDisplayFrame(6, 3, std::string("\x02" "63\n\x02\n", 6)));  // text unfiltered
  sent.push_back(MakeLineNumberFrame(4));
  for (const std::string& f : sent) EXPECT_TRUE(serial.Send(f));
  ASSERT_TRUE(Drain(serial));
  EXPECT_TRUE(serial.Close());

  // Closing and opening again, as the console does when a port is chosen anew.
  ASSERT_TRUE(second.Open());
  sent.push_back(MakeDisplayFrame(4, 2, "AGAIN"));
  EXPECT_TRUE(second.Send(sent.back()));
  ASSERT_TRUE(Drain(second));
  second.Close();

  const auto frames = FrameLines(vsb, sent.size());
  ASSERT_EQ(frames.size(), sent.size());
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(Field(frames[i], "bytes"), scoreboard::HexBytes(sent[i])) << i;
    EXPECT_NE(Field(frames[i], "kind"), "malformed") << i;
  }
  EXPECT_EQ(Field(frames[3], "displays"), "[3]");
  EXPECT_EQ(Field(frames[3], "luminosity"), "1");
  EXPECT_EQ(Field(frames[10], "text"), "\\u000263\\u000A\\u0002\\u000A  ");
  EXPECT_EQ(Field(frames[11], "displays"), "[0,1,2,3,4,5,6,7,8,9]");
  EXPECT_EQ(Field(frames[12], "displays"), "[0,1,2,3,4,5,6,7,8,9]");  // all answer 4 now

  EXPECT_EQ(vsb.Stop(), 0);
  const std::string exit = vsb.Lines().back();
  EXPECT_EQ(Field(exit, "frames"), std::to_string(sent.size()));
  EXPECT_EQ(Field(exit, "malformed"), "0");
  EXPECT_EQ(Field(exit, "bytes"), std::to_string(sent.size() * 12));
}
