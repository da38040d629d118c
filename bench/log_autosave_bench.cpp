// The autosave's share of a 100 ms tick while recording, with one and with ten
// hours (the argument) already recorded and saved: the tick's ten new samples
// appended to the file. The cost must not grow with the recording.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_autosave.h"

namespace {

constexpr std::int64_t kHourSamples = 360'000;
constexpr std::int64_t kSamplesPerTick = 10;

orvel::SampleValues TickSample(std::int64_t i) {
  orvel::SampleValues sample{};
  for (std::size_t c = 0; c < sample.size(); ++c) {
    sample[c] = static_cast<std::int32_t>((i * 7 + static_cast<std::int64_t>(c) * 13) % 250);
  }
  return sample;
}

void AutosaveTick(benchmark::State& state) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("orvel_autosave_bench_" + std::to_string(::getpid()));
  orvel::RecordedMessages messages;
  orvel::Log log(messages);
  {
    orvel::LogAutosave autosave(log, folder);
    log.BeginRecording();
    autosave.Begin();
    std::int64_t next = 0;
    for (; next < state.range(0) * kHourSamples; ++next) {
      log.AppendSample(TickSample(next));
    }
    autosave.Flush();
    for (auto _ : state) {
      state.PauseTiming();
      for (std::int64_t i = 0; i < kSamplesPerTick; ++i) {
        log.AppendSample(TickSample(next++));
      }
      state.ResumeTiming();
      autosave.Flush();
    }
    state.counters["samples"] = static_cast<double>(autosave.SamplesWritten());
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(autosave.File())) / 1e6;
    log.EndRecording();
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(AutosaveTick)->ArgName("hours")->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
