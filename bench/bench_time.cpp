#include <benchmark/benchmark.h>

#include "Common/Kalib/Kalibtime.h"

// One console line refresh renders a clock or a counter like these.
static void BM_KaformatTime(benchmark::State& state, const char* format, bool blank) {
  KasetTimeSeparators("::.");
  int value = 3723456;
  for (auto _ : state) {
    benchmark::DoNotOptimize(KaformatTime(value, format, blank, false, 'm'));
    value += 50;
  }
}
BENCHMARK_CAPTURE(BM_KaformatTime, HHMMSS_blank, "HHMMSS", true);
BENCHMARK_CAPTURE(BM_KaformatTime, HHMMSSdcm, "HHMMSSdcm", false);
BENCHMARK_CAPTURE(BM_KaformatTime, MSSd_blank, "MSSd  ", true);
