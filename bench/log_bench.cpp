// A one-hour log (360 000 samples, a 5.4 MB file): loading it and preparing
// it for viewing, saving it, and the memory its channels take.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_file.h"

namespace {

constexpr std::int64_t kHourSamples = 360'000;
// What fourteen 32-bit channels of an hour need.
constexpr double kNeededBytes = 14.0 * 4.0 * kHourSamples;

orvel::SampleValues DrivingSample(std::int64_t i) {
  const auto wave = [i](std::int64_t period, std::int32_t low, std::int32_t high) {
    const std::int64_t phase = i % period;
    const std::int64_t half = period / 2;
    const std::int64_t rise = phase < half ? phase : period - phase;
    return static_cast<std::int32_t>(low + (high - low) * rise / half);
  };
  return {wave(3000, 20, 240),
          i % 500 < 50 ? 128 : 0,
          wave(2900, 10, 250),
          wave(3000, 15, 230),
          wave(4000, 20, 220),
          wave(2500, 300, 9000),
          wave(170, 110, 190),
          wave(700, -40, 20),
          80,
          190,
          -6,
          3,
          0,
          0};
}

void RecordHour(orvel::Log& log) {
  log.BeginRecording();
  for (std::int64_t i = 0; i < kHourSamples; ++i) {
    log.AppendSample(DrivingSample(i));
  }
  log.EndRecording();
}

std::filesystem::path BenchFolder() {
  auto folder = std::filesystem::temp_directory_path() / ("orvel_log_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

// The hour's log file, written once.
const std::filesystem::path& HourFile() {
  static const std::filesystem::path path = [] {
    orvel::RecordedMessages messages;
    orvel::Log log(messages);
    RecordHour(log);
    auto file = BenchFolder() / "hour.log";
    log.SaveToFile(file);
    return file;
  }();
  return path;
}

void ReportMemory(benchmark::State& state, const orvel::Log& log) {
  const auto bytes = static_cast<double>(
      log.ReadChannels([](const orvel::LogChannels& channels) { return channels.CapacityBytes(); }));
  state.counters["ChannelMB"] = bytes / 1e6;
  state.counters["PerNeeded"] = bytes / kNeededBytes;
}

// Open a one-hour file: read and check it, then bounds, smoothing and step as
// after a recording.
void LoadHourAndPrepare(benchmark::State& state) {
  const auto& file = HourFile();
  orvel::RecordedMessages messages;
  orvel::Log log(messages);
  for (auto _ : state) {
    if (!log.LoadFromFile(file)) {
      state.SkipWithError("load failed");
      return;
    }
    log.ComputeBounds();
    log.SmoothO2(30, log.Window().LastIndex);
    log.SetStep(static_cast<std::int64_t>(log.SampleCount()) - 2);
    benchmark::DoNotOptimize(log.Window().Step);
  }
  state.counters["FileMB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
  ReportMemory(state, log);
}
BENCHMARK(LoadHourAndPrepare)->Unit(benchmark::kMillisecond);

void SaveHour(benchmark::State& state) {
  orvel::RecordedMessages messages;
  orvel::Log log(messages);
  RecordHour(log);
  const auto file = BenchFolder() / "saved.log";
  for (auto _ : state) {
    if (!log.SaveToFile(file)) {
      state.SkipWithError("save failed");
      return;
    }
  }
  std::filesystem::remove(file);
}
BENCHMARK(SaveHour)->Unit(benchmark::kMillisecond);

// Recording an hour sample by sample through the lock; the channels' memory
// at the end against the 20 MB the values need.
void RecordHourInLog(benchmark::State& state) {
  orvel::RecordedMessages messages;
  orvel::Log log(messages);
  for (auto _ : state) {
    RecordHour(log);
  }
  state.SetItemsProcessed(state.iterations() * kHourSamples);
  ReportMemory(state, log);
}
BENCHMARK(RecordHourInLog)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(BenchFolder());
  return 0;
}
