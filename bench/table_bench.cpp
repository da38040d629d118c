// Speed of the table model: history pushes, undo/redo, the full history file
// against one plain write/read of the same size, and the interpolation passes.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "table/history_file.h"
#include "table/table.h"

namespace {

using namespace orvel;

struct Model {
  Model() { Table.BindGraph(nullptr, true, nullptr); }
  TOrvelBroadcaster Bus;
  RecordedMessages Messages;
  LatchedModifiers Keys;
  orvel::Table Table{Bus, Messages, Keys};
};

void FillHistory(Model& model, std::size_t count) {
  for (std::size_t i = model.Table.History().History().size(); i < count; ++i) {
    model.Table.Tab1()[i % 256] = static_cast<std::int32_t>(i % 251);
    model.Table.PushHistory();
  }
}

std::filesystem::path BenchFile(const char* name) {
  return std::filesystem::current_path() / name;
}

void BM_PushHistoryFull(benchmark::State& state) {
  Model model;
  FillHistory(model, kHistoryCapacity);
  for (auto _ : state) {
    model.Table.PushHistory();
  }
}
BENCHMARK(BM_PushHistoryFull);

void BM_PushHistoryGrowing(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto model = std::make_unique<Model>();
    state.ResumeTiming();
    FillHistory(*model, kHistoryCapacity);
    state.PauseTiming();
    model.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kHistoryCapacity));
}
BENCHMARK(BM_PushHistoryGrowing)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_UndoRedo(benchmark::State& state) {
  Model model;
  FillHistory(model, 1000);
  for (auto _ : state) {
    model.Table.Undo();
    model.Table.Redo();
  }
}
BENCHMARK(BM_UndoRedo);

// The full 32000-snapshot history (133 MB) and the same bytes written and
// read with one system call each.
Model& FullModel() {
  static Model model;
  FillHistory(model, kHistoryCapacity);
  return model;
}

void BM_SaveHistoryFull(benchmark::State& state) {
  Model& model = FullModel();
  const auto path = BenchFile("bench_history.his");
  for (auto _ : state) {
    benchmark::DoNotOptimize(model.Table.SaveHistory(path));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_SaveHistoryFull)->Unit(benchmark::kMillisecond)->Iterations(10);

// The file of the full history, written once.
std::filesystem::path FullHistoryFile() {
  static const std::filesystem::path path = [] {
    const auto file = BenchFile("bench_history.his");
    FullModel().Table.SaveHistory(file);
    return file;
  }();
  return path;
}

// Reloading over a full history (its memory is reused).
void BM_LoadHistoryFull(benchmark::State& state) {
  const auto path = FullHistoryFile();
  Model target;
  target.Table.LoadHistory(path);
  for (auto _ : state) {
    benchmark::DoNotOptimize(target.Table.LoadHistory(path));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_LoadHistoryFull)->Unit(benchmark::kMillisecond)->Iterations(10);

// Loading at start-up: the model holds one snapshot, so 266 MB are new memory.
void BM_LoadHistoryAtStart(benchmark::State& state) {
  const auto path = FullHistoryFile();
  for (auto _ : state) {
    state.PauseTiming();
    auto target = std::make_unique<Model>();
    state.ResumeTiming();
    benchmark::DoNotOptimize(target->Table.LoadHistory(path));
    state.PauseTiming();
    target.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadHistoryAtStart)->Unit(benchmark::kMillisecond)->Iterations(5);

// The program's load of the full history file (into a history of its own,
// on fresh memory, as the background load does at start) against reading the
// same file with one call into one buffer already in use (the copy from the
// page cache alone, the least any load of the file costs) and into a fresh
// buffer of the file's size (what a program that only reads the file pays:
// the copy and the fresh pages). Each iteration times all three; the
// counters give their means and the ratios.
void BM_HistoryLoadAgainstRawRead(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const auto path = FullHistoryFile();
  const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
  const auto time = [](auto run) {
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  };
  std::vector<std::uint8_t> buffer(size, 0x5A);
  double raw = 0;
  double fresh = 0;
  double load = 0;
  for (auto _ : state) {
    raw += time([&] {
      const int fd = ::open(path.c_str(), O_RDONLY);
      benchmark::DoNotOptimize(::read(fd, buffer.data(), size));
      ::close(fd);
    });
    fresh += time([&] {
      const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
      const int fd = ::open(path.c_str(), O_RDONLY);
      benchmark::DoNotOptimize(::read(fd, bytes.get(), size));
      ::close(fd);
    });
    UndoHistory history;
    RecordedMessages messages;
    const double loadMs = time([&] { benchmark::DoNotOptimize(LoadHistoryFile(path, history, messages)); });
    load += loadMs;
    state.SetIterationTime(loadMs / 1000);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["raw_ms"] = raw / n;
  state.counters["load_ms"] = load / n;
  state.counters["load/raw"] = load / raw;
  state.counters["fresh_ms"] = fresh / n;
  state.counters["load/fresh"] = load / fresh;
}
BENCHMARK(BM_HistoryLoadAgainstRawRead)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

constexpr std::size_t kFullFileBytes = kHistoryHeaderBytes + kHistoryCapacity * kSnapshotFileBytes;

void WriteWithOneCall(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
  ::close(fd);
}

void BM_RawWriteSameSize(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes(kFullFileBytes, 0x5A);
  const auto path = BenchFile("bench_raw.bin");
  for (auto _ : state) {
    WriteWithOneCall(path, bytes);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFullFileBytes));
}
BENCHMARK(BM_RawWriteSameSize)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RawReadSameSize(benchmark::State& state) {
  const auto path = BenchFile("bench_raw.bin");
  std::vector<std::uint8_t> bytes(kFullFileBytes, 0x5A);
  WriteWithOneCall(path, bytes);
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    benchmark::DoNotOptimize(::read(fd, bytes.data(), bytes.size()));
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFullFileBytes));
}
BENCHMARK(BM_RawReadSameSize)->Unit(benchmark::kMillisecond)->Iterations(10);

// Interpolation with every one of the 256 points an anchor (the most work per pass).
void BM_InterpolateByAnchorsAll(benchmark::State& state) {
  Model model;
  for (int i = 0; i < 256; ++i) {
    model.Table.Tab1()[static_cast<std::size_t>(i)] = i;
    model.Table.Tab2()[static_cast<std::size_t>(i)] = 255 - i;
    model.Table.Trained()[static_cast<std::size_t>(i)] = i;
  }
  model.Table.Anchors1().fill(255);
  model.Table.Anchors2().fill(255);
  model.Table.TrainedAnchors().fill(255);
  for (auto _ : state) {
    model.Table.InterpolateByAnchors(true, 255, false);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_InterpolateByAnchorsAll);

void BM_InterpolateByTrainedAll(benchmark::State& state) {
  Model model;
  for (int i = 0; i < 256; ++i) {
    model.Table.Tab1()[static_cast<std::size_t>(i)] = i;
    model.Table.Trained()[static_cast<std::size_t>(i)] = i;
  }
  for (auto _ : state) {
    model.Table.InterpolateByTrained(true, 0, false);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_InterpolateByTrainedAll);

// One anchor with ends: the line through the table's end point over all 256 points.
void BM_InterpolateSingleAnchorEnds(benchmark::State& state) {
  Model model;
  model.Table.Tab1()[100] = 50;
  model.Table.Anchors1()[100] = 255;
  for (auto _ : state) {
    model.Table.InterpolateByAnchors(true, 100, false);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_InterpolateSingleAnchorEnds);

}  // namespace

BENCHMARK_MAIN();
