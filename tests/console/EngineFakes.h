#pragma once
// Stand-ins for the serial port and the console window, for driving the engine on a virtual clock.
#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Common/Kalib/Kalibcustomcommunication.h"
#include "console/LineTable.h"

// A channel that records what it accepts; it can be closed or have a full output queue.
class FakeChannel : public TKaCustomCommunication {
 public:
  bool Opened = true;
  bool QueueFull = false;
  std::vector<std::string> Accepted;
  int Refused = 0;

  bool Open() override { return Opened = true; }
  bool Close() override {
    const bool was = Opened;
    Opened = false;
    return was;
  }
  bool IsOpen() override { return Opened; }
  bool ReadByte(std::uint8_t*) override { return false; }
  bool WriteByte(std::uint8_t byte) override { return Send(std::string(1, static_cast<char>(byte))); }
  bool Send(const std::string& text) override {
    if (!Opened || QueueFull) {
      ++Refused;
      return false;
    }
    Accepted.push_back(text);
    return true;
  }
};

// The window as the engine sees it: writing the editor fires the change handler.
class FakeView : public TConsoleView {
 public:
  explicit FakeView(TLineTable& table) : Table(table) {}
  std::string Editor;
  int Type = ltText;
  int Luminosity = 3;
  int EditorWrites = 0;

  std::string GetEditorText() override { return Editor; }
  void SetEditorText(const std::string& text) override {
    Editor = text;
    ++EditorWrites;
    Table.SetLineText(Editor);
  }
  int GetTypeValue() override { return Type; }
  int GetLuminosityValue() override { return Luminosity; }

 private:
  TLineTable& Table;
};

// Plays back chosen generator values; running out is a test failure.
class ScriptedRandom {
 public:
  // The generator value that makes RandomBetween(lo, hi) come out at v.
  static int For(int lo, int hi, int v) {
    const int n = hi - lo + 1;
    return ((v - lo) * 32768 + n - 1) / n;
  }
  void Push(int lo, int hi, int v) { Values.push_back(For(lo, hi, v)); }
  // The draws of one random scene change: the scene, then chrono, name, speed and rank.
  void PushScene(int scene, int chronoSteps = 0, int name = 0, int speed = 100, int rank = 1) {
    Push(0, 6, scene);
    Push(0, 300, chronoSteps);
    Push(0, 7, name);
    Push(100, 500, speed);
    Push(1, 9, rank);
  }
  int Next() {
    if (Values.empty()) {
      ADD_FAILURE() << "unexpected draw from the random generator";
      return 0;
    }
    const int v = Values.front();
    Values.pop_front();
    return v;
  }
  bool Empty() const { return Values.empty(); }
  RandomSource Source() {
    return [this] { return Next(); };
  }

 private:
  std::deque<int> Values;
};
