// What flushing a saved file to the disk costs: the size of the full undo
// history (133 MB) written to a temporary file and renamed over the target,
// without a flush, with fdatasync and with fsync (each then flushing the
// folder), beside the program's own history save, which flushes.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "table/history_file.h"

namespace {

using namespace orvel;

constexpr std::size_t kFullFileBytes = kHistoryHeaderBytes + kHistoryCapacity * kSnapshotFileBytes;

enum Flush { None = 0, DataSync = 1, FullSync = 2 };

void SaveReplacing(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, Flush flush) {
  const std::string temporary = path.string() + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written <= 0) {
      break;
    }
    done += static_cast<std::size_t>(written);
  }
  if (flush == DataSync) {
    ::fdatasync(fd);
  } else if (flush == FullSync) {
    ::fsync(fd);
  }
  ::close(fd);
  std::rename(temporary.c_str(), path.c_str());
  if (flush != None) {
    const int folder = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(folder);
    ::close(folder);
  }
}

void BM_SaveHistorySizedFile(benchmark::State& state) {
  const auto flush = static_cast<Flush>(state.range(0));
  state.SetLabel(flush == None ? "no flush" : flush == DataSync ? "fdatasync" : "fsync");
  const std::vector<std::uint8_t> bytes(kFullFileBytes, 0x5A);
  const auto path = std::filesystem::current_path() / "bench_flush.bin";
  for (auto _ : state) {
    SaveReplacing(path, bytes, flush);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFullFileBytes));
  std::filesystem::remove(path);
}
BENCHMARK(BM_SaveHistorySizedFile)
    ->Arg(None)
    ->Arg(DataSync)
    ->Arg(FullSync)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
