// Live data: frames checked and decoded per second by the reader's decode
// path (the line carries at most 96 frames per second at 9600 baud), and the
// main thread's time per dashboard tick while an hour is being recorded.

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

#include "autotune/xrpm_table.h"
#include "core/crc8.h"
#include "core/main_thread_dispatcher.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "link/rxtx.h"
#include "live/correction_tick.h"
#include "live/live_frame.h"
#include "live/log.h"
#include "sim/simulator_host.h"
#include "table/table.h"

namespace {

constexpr std::size_t kStreamFrames = 4096;
constexpr std::int64_t kHourSamples = 360'000;

std::vector<orvel::LiveFrame> Stream() {
  std::vector<orvel::LiveFrame> frames(kStreamFrames);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    auto& frame = frames[i];
    for (std::size_t b = 0; b + 1 < orvel::kFrameSize; ++b) {
      frame[b] = static_cast<std::uint8_t>(i * 7 + b * 31);
    }
    frame[9] = orvel::FrameCrc8(std::span(frame).first(9));
  }
  return frames;
}

// Check and decode only.
void BM_CheckAndDecode(benchmark::State& state) {
  const auto frames = Stream();
  orvel::AuxSlots slots{};
  const orvel::SampleContext context{1, 0, 0};
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& frame = frames[i++ % frames.size()];
    if (orvel::FrameChecks(frame)) {
      benchmark::DoNotOptimize(orvel::DecodeFrame(frame, slots, context));
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckAndDecode);

// The reader's whole path after the read: check, decode with the log's
// marker and correction, append under the channels' lock.
void BM_CheckDecodeAppend(benchmark::State& state) {
  const auto frames = Stream();
  orvel::RecordedMessages messages;
  orvel::Log log(messages);
  orvel::AuxSlots slots{};
  log.BeginRecording();
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& frame = frames[i++ % frames.size()];
    if (orvel::FrameChecks(frame)) {
      const orvel::SampleContext context{1, log.MarkerValue(), log.GetCorrValue()};
      log.AppendSample(orvel::DecodeFrame(frame, slots, context));
    }
    if (i % kHourSamples == 0) {
      state.PauseTiming();
      log.BeginRecording();  // keep the memory of one hour at most
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckDecodeAppend);

// Counts the dashboard messages, so a tick that sent nothing shows.
class DashCounter final : public orvel::TOrvelReceiver {
 public:
  void Dispatch(const orvel::TMessage& message) override {
    Count += orvel::MessageAs<orvel::TMsgDashData>(message) != nullptr ? 1 : 0;
  }
  std::int64_t Count = 0;
};

// A run against the simulator at 100 frames per second, with an hour of
// samples already in the log: the main thread's dashboard tick, correction
// decision included, while the reader keeps appending.
void BM_TickWhileRecordingAnHour(benchmark::State& state) {
  orvel::sim::SimulatorHost converter;
  orvel::RecordedMessages messages;
  orvel::TOrvelBroadcaster bus;
  DashCounter window;
  bus.Subscribe(window);
  orvel::TRXTX link(bus);
  link.Open(converter.PortPath());
  orvel::LatchedModifiers modifiers;
  orvel::Table mainTable(bus, messages, modifiers);
  orvel::QueuedDispatcher dispatcher;
  orvel::Log log(messages, orvel::LiveLinks{link, bus, mainTable, dispatcher, {}});
  orvel::XrpmTable scale;
  orvel::CorrectionTick decision(mainTable, scale, bus);
  orvel::LiveSettings settings;
  settings.AvgB = 40;
  settings.AvgT = 80;
  settings.Autocorrection = true;
  decision.SetRunSettings(settings);
  log.SetDashboardHook(&decision);
  log.Start(0);
  orvel::SampleValues sample{};
  for (std::int64_t i = 0; i < kHourSamples; ++i) {
    sample[3] = static_cast<std::int32_t>(i % 200);
    sample[5] = 3000;
    sample[6] = static_cast<std::int32_t>(100 + i % 60);
    log.AppendSample(sample);
  }
  for (auto _ : state) {
    log.TimerTick();
    dispatcher.RunPending();
  }
  state.counters["samples"] = static_cast<double>(log.SampleCount());
  state.counters["dash_messages"] = static_cast<double>(window.Count);
  log.Stop();
  log.JoinReader();
}
BENCHMARK(BM_TickWhileRecordingAnHour)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
