#include <benchmark/benchmark.h>

#include <atomic>
#include <string>
#include <thread>

#include "Common/Kalib/Kalibserial.h"
#include "tests/support/PseudoTerminal.h"

// The console's hot path: one 12-byte display frame handed to an open port whose far end
// keeps reading, as a display bus does.
static void BM_SendDisplayFrame(benchmark::State& state) {
  testsupport::PortLinks links;
  testsupport::PseudoTerminal pty;
  links.Link(3, pty.Path());
  TKaSerial serial;
  serial.Configure(3, 9600, 8, 0, 0, 1000, 1000);
  if (!serial.Open()) {
    state.SkipWithError("cannot open the pseudo-terminal");
    return;
  }

  std::atomic<bool> stop{false};
  std::atomic<long long> drained{0};
  std::thread reader([&] {
    char buf[4096];
    while (!stop.load(std::memory_order_relaxed)) {
      pollfd p{pty.Master(), POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      const ssize_t r = ::read(pty.Master(), buf, sizeof buf);
      if (r > 0) drained += r;
    }
  });

  const std::string frame("\x02" "2312:05:09\n", 12);
  long long refused = 0;
  for (auto _ : state)
    if (!serial.Send(frame)) ++refused;

  serial.Close();
  stop = true;
  reader.join();
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * 12);
  state.counters["refused"] = static_cast<double>(refused);
  state.counters["drained_bytes"] = static_cast<double>(drained.load());
}
BENCHMARK(BM_SendDisplayFrame);
