#pragma once
// The demo sequence shown by DEMO lines: a randomised run of sports-timing scenes
// (running chrono, frozen chrono, names, time of day, speed, ranking, a name written in).
// One shared state machine driven by the tick count alone: every DEMO line and the editor
// preview ask the same object and see the same scene.
#include <cstdint>
#include <functional>
#include <string>

// A pseudo-random source yielding 0-32767 (the range of the generator the scenes were tuned for).
using RandomSource = std::function<int()>;

// The C library's rand() brought to 0-32767 whatever its RAND_MAX (glibc's is 2^31 - 1).
int CRandom();

// A value in lo..hi inclusive: lo + trunc(g / 32768 * (hi - lo + 1)); when hi < lo the result is hi.
// A source value outside 0-32767 is clamped into it, so the result never leaves the range.
int RandomBetween(int lo, int hi, const RandomSource& random);
int RandomBetween(int lo, int hi);  // with CRandom

// Upper and lower case in code page 1252 (accented Latin letters, Š/š, Œ/œ, Ž/ž, Ÿ/ÿ included).
std::string UpperCase1252(std::string text);
std::string LowerCase1252(std::string text);

// The competitors, eight characters each; the same index is the same competitor.
extern const char* const FullNames[8];
extern const char* const ShortNames[8];

class TDemoSequencer {
 public:
  // An empty source means CRandom.
  explicit TDemoSequencer(RandomSource random = {});

  // The demo text for the current tick count and time of day.
  std::string DemoText();
  // The same for a given tick count and time of day (milliseconds since midnight); the tick
  // reads the clock once and passes it here so that every DEMO line of a tick shows one text.
  std::string DemoText(std::uint32_t now, int timeOfDay);

  int RandomBetween(int lo, int hi) { return ::RandomBetween(lo, hi, Random); }

  // Scene lengths in milliseconds.
  static std::uint32_t SceneLength(int scene) { return scene == 3 || scene == 4 ? 4000u : 8000u; }

  bool DemoStarted() const { return Started; }
  int Scene() const { return CurrentScene; }
  int ChronoOrigin() const { return Chrono; }
  std::uint32_t SceneEnd() const { return End; }
  int NameIndex() const { return Name; }
  int Speed() const { return SpeedKmh; }
  int Rank() const { return Position; }

 private:
  void ChangeScene(std::uint32_t now);

  RandomSource Random;
  bool Started = false;
  int CurrentScene = 0;
  int Chrono = 0;  // scene 0: tick at which the chrono reads zero; from scene 1 on: the frozen time
  std::uint32_t End = 0;
  int Name = 0;
  int SpeedKmh = 100;
  int Position = 1;
};
