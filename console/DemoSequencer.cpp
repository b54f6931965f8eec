#include "console/DemoSequencer.h"

#include <algorithm>
#include <cstdlib>

#include "Common/Kalib/Kalibtime.h"
#include "console/LineProtocol.h"
#include "console/LineTable.h"
#include "platform/os/Tick.h"

// Mixed case and a few accented letters, so that every case change of the scenes shows.
const char* const FullNames[8] = {
    "Albatros",                  //
    "B\xE9" "atrice",            // Béatrice
    "Maxime  ",                  //
    "Jo\xEB" "lle  ",            // Joëlle
    "Fr\xE9" "d\xE9" "ric",      // Frédéric
    "Ana\xEF" "s   ",            // Anaïs
    "Thibault",                  //
    "Sol\xE8" "ne  ",            // Solène
};
const char* const ShortNames[8] = {
    "Alba.   ",        //
    "B\xE9" "a     ",  // Béa
    "Max     ",        //
    "Jo\xEB" "     ",  // Joë
    "Fred    ",        //
    "Nana    ",        //
    "Thib.   ",        //
    "Solo    ",        //
};

int CRandom() {
  // Keep the high bits: they are the better ones of most generators.
  constexpr unsigned divisor = (unsigned(RAND_MAX) + 1u) / 32768u;
  return static_cast<int>(unsigned(std::rand()) / (divisor ? divisor : 1u)) & 0x7FFF;
}

int RandomBetween(int lo, int hi, const RandomSource& random) {
  if (hi < lo) lo = hi;
  const int g = std::clamp(random ? random() : CRandom(), 0, 32767);
  const long long span = static_cast<long long>(hi) - lo + 1;
  return static_cast<int>(lo + static_cast<long long>(g / 32768.0 * static_cast<double>(span)));
}

int RandomBetween(int lo, int hi) { return RandomBetween(lo, hi, RandomSource{}); }

namespace {

unsigned char Upper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;  // à..þ without ÷
  switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return c;       // ß and µ have no single upper-case letter here
  }
}

unsigned char Lower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // À..Þ without ×
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

}  // namespace

std::string UpperCase1252(std::string text) {
  for (char& c : text) c = static_cast<char>(Upper1252(static_cast<unsigned char>(c)));
  return text;
}

std::string LowerCase1252(std::string text) {
  for (char& c : text) c = static_cast<char>(Lower1252(static_cast<unsigned char>(c)));
  return text;
}

TDemoSequencer::TDemoSequencer(RandomSource random) : Random(std::move(random)) {}

std::string TDemoSequencer::DemoText() { return DemoText(os::GetTickCount(), KagetTimeOfDay()); }

void TDemoSequencer::ChangeScene(std::uint32_t now) {
  if (CurrentScene == 0) {
    // The chrono stops: from here on the origin holds its reading.
    CurrentScene = 1;
    Chrono = static_cast<int>(now - static_cast<std::uint32_t>(Chrono));
  } else {
    // Scene 1 only ever follows scene 0.
    do CurrentScene = RandomBetween(0, 6);
    while (CurrentScene == 1);
    // A chrono that already reads between 0 and about five minutes.
    Chrono = static_cast<int>(now - static_cast<std::uint32_t>(RandomBetween(0, 300) * 1003));
    Name = RandomBetween(0, 7);
    SpeedKmh = RandomBetween(100, 500);
    Position = RandomBetween(1, 9);
  }
  End = now + SceneLength(CurrentScene);
}

std::string TDemoSequencer::DemoText(std::uint32_t now, int timeOfDay) {
  bool change;
  if (!Started) {
    // Not the chrono freeze, so the first real scene is drawn at once.
    CurrentScene = RandomBetween(2, 6);
    Started = true;
    change = true;
  } else {
    // The scene is over once the tick count has passed its end. Judged on the time left,
    // modulo 2^32, so that the wrap of the tick count neither freezes nor races the scenes.
    change = End - now > SceneLength(CurrentScene);
  }
  if (change) ChangeScene(now);

  const std::uint32_t r = End - now;
  switch (CurrentScene) {
    case 0:
      return KaformatTime(static_cast<int>(now - static_cast<std::uint32_t>(Chrono)), "MSSd  ", true, false, 'm');
    case 1:
      return KaformatTime(Chrono, "MSSdcm", true, false, 'm');
    case 2: {
      const std::string name = FullNames[Name];
      if (r > 4000) return name;
      if (r > 2000) return UpperCase1252(name);
      return LowerCase1252(name);
    }
    case 3:
      return LineTimeText(timeOfDay);
    case 4:
      if (r > 2000) return FitToEight(std::to_string(SpeedKmh) + " km/h");
      return FitToEight(std::to_string(SpeedKmh * 10000 / 16093) + " mph");
    case 5: {
      const std::string shortName = ShortNames[Name];
      if (r <= 2000) return std::to_string(Position) + ". " + UpperCase1252(shortName.substr(0, 5));
      const std::string mark = r % 600 > 300 ? std::string("    ") : "(" + std::to_string(Position) + ") ";
      if (r > 6000) return mark + shortName.substr(0, 4);
      if (r > 4000) return mark + UpperCase1252(shortName.substr(0, 4));
      return mark + LowerCase1252(shortName.substr(0, 4));
    }
    case 6: {
      const std::string s = UpperCase1252(FullNames[Name]);
      float x = static_cast<float>(r * 0.00025);
      if (x >= 1.0f) {
        // Written in from the left, one more letter every 500 ms.
        x = static_cast<float>(2.0 - x);
        const int n = static_cast<int>(x * 8.0 + 1.0);
        return FitToEight(FitToEight(s).substr(0, static_cast<std::size_t>(n)));
      }
      return r % 500 < 250 ? s : std::string(8, ' ');
    }
    default:
      return std::string(8, ' ');
  }
}
