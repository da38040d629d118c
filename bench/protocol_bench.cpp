// A full WriteToConverter against the simulator at real 9600-baud pacing,
// compared with what the exchange needs at least: every byte of it on the
// wire plus the converter's own permanent-memory store.
#include <benchmark/benchmark.h>

#include <chrono>

#include "core/orvel_broadcaster.h"
#include "core/progress.h"
#include "core/user_messages.h"
#include "link/rxtx.h"
#include "link/table_transfer.h"
#include "sim/simulated_converter.h"
#include "sim/simulator_host.h"
#include "table/table.h"

namespace {

using namespace orvel;

// 9600 baud, 8N1: ten bit times per byte.
constexpr double kByteMs = 10.0 * 1000.0 / 9600.0;
constexpr double kBlock = TableBlock::kSize;
// Sent: "sw", the block, "sr". Received: the block's echo and the read-back;
// the store's progress bytes go out during the store itself.
constexpr double kWireBytes = 2 + kBlock + 2 + kBlock + kBlock;
// The simulator paces only what the converter sends (a pty takes our bytes at
// once), so this is the least the exchange can take against it.
constexpr double kConverterBytes = kBlock + kBlock;

double StoreMs() {
  return std::chrono::duration<double, std::milli>(sim::SimulatedConverter::kStoreStep).count() *
         static_cast<double>(sim::SimulatedConverter::kStoreSteps);
}

void WriteToConverterAtRealPace(benchmark::State& state) {
  sim::SimulatorOptions options;
  options.RealPacing = true;
  sim::SimulatorHost simulator(options);
  TOrvelBroadcaster bus;
  TRXTX link(bus);
  link.Open(simulator.PortPath());
  RecordedMessages messages;
  LatchedModifiers keys;
  Table mainTable(bus, messages, keys);
  mainTable.BindGraph(nullptr, true, nullptr);
  mainTable.MakeOneToOne();
  KeptProgress progress;
  TableTransfer transfer(mainTable, link, messages, progress);

  double totalMs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!transfer.WriteToConverter()) {
      state.SkipWithError("the write failed");
      return;
    }
    totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  const double averageMs = totalMs / static_cast<double>(state.iterations());
  const double wireReference = kWireBytes * kByteMs + StoreMs();
  const double pacedReference = kConverterBytes * kByteMs + StoreMs();
  state.counters["wire_reference_ms"] = wireReference;
  state.counters["ratio_to_wire"] = averageMs / wireReference;
  state.counters["paced_reference_ms"] = pacedReference;
  state.counters["ratio_to_paced"] = averageMs / pacedReference;
}

BENCHMARK(WriteToConverterAtRealPace)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
