// A process saving a table, the full undo history and an hour-long log is
// killed with SIGKILL at random moments; every file it was writing must then
// be the complete old or the complete new version, never anything else.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/input_file.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "live/log.h"
#include "support/temp_dir.h"
#include "table/atomic_file.h"
#include "table/table.h"
#include "table/table_file.h"
#include "table/table_views.h"

namespace orvel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kHourOfSamples = 360000;  // one sample every 10 ms

int EnvOr(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : fallback;
}

Bytes ReadAll(const std::filesystem::path& path) {
  Bytes bytes;
  EXPECT_TRUE(ReadFileBytes(path, SIZE_MAX, bytes)) << path;
  return bytes;
}

// A flag in memory the child shares with the test: which file the child is
// saving (0 between saves).
class SharedFlag {
 public:
  SharedFlag()
      : Memory(::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                      -1, 0)) {}
  SharedFlag(const SharedFlag&) = delete;
  SharedFlag& operator=(const SharedFlag&) = delete;
  ~SharedFlag() { ::munmap(Memory, sizeof(std::atomic<int>)); }
  std::atomic<int>& operator*() const { return *static_cast<std::atomic<int>*>(Memory); }

 private:
  void* Memory;
};

// Where the kills happen: a RAM-backed folder when there is room in one. A
// kill tests the order of writing, flushing and renaming, which is the same on
// any file system, but on a disk every history save waits for 133 MB to be
// flushed, which makes the test three times slower on a slow disk and shows
// nothing a kill can.
std::filesystem::path FolderForKills() {
  constexpr std::uintmax_t kRoomNeeded = std::uintmax_t{1} << 30U;
  std::error_code error;
  const auto space = std::filesystem::space("/dev/shm", error);
  return !error && space.available >= kRoomNeeded ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path();
}

// Whether the file holds exactly `expected`, read in pieces (the history is
// 133 MB, read after every kill).
bool Holds(const std::filesystem::path& path, const Bytes& expected) {
  std::error_code error;
  if (std::filesystem::file_size(path, error) != expected.size() || error) {
    return false;
  }
  InputFile reader(path, expected.size());
  Bytes piece(std::size_t{1} << 20);
  for (std::size_t done = 0; done < expected.size(); done += piece.size()) {
    piece.resize(std::min(piece.size(), expected.size() - done));
    if (!reader.ReadExactly(piece) ||
        !std::equal(piece.begin(), piece.end(), expected.begin() + static_cast<std::ptrdiff_t>(done))) {
      return false;
    }
  }
  return true;
}

// The three files and their two versions, each written by the program's own
// save path: the table file, the undo history (the history switches version
// by undo and redo, which moves its position) and the log.
class Saver {
 public:
  Saver() {
    Model.BindGraph(nullptr, true, nullptr);
    for (std::size_t i = 0; i < kHistoryCapacity; ++i) {
      Model.Tab1()[i % 256] = static_cast<std::int32_t>(i % 251);
      Model.PushHistory();
    }
    for (std::size_t v = 0; v < 2; ++v) {
      for (std::size_t i = 0; i < TableBlock::kSize; ++i) {
        Tables[v][i] = static_cast<std::int32_t>((i * (v + 3)) % (i >= TableBlock::kIatCorr ? 61 : 256)) -
                       (i >= TableBlock::kIatCorr ? 30 : 0);
      }
      Logs[v] = std::make_unique<Log>(Messages);
      Logs[v]->BeginRecording();
      for (std::int64_t s = 0; s < kHourOfSamples; ++s) {
        SampleValues sample{};
        sample.fill(static_cast<std::int32_t>((s + static_cast<std::int64_t>(v) * 7) % 200));
        Logs[v]->AppendSample(sample);
      }
      Logs[v]->EndRecording();
    }
  }

  static constexpr std::array<const char*, 3> kNames{"table.tab", "UndoRedoHistory.his", "run.log"};

  // Saves version v of file f into `folder`.
  bool Save(std::size_t f, std::size_t v, const std::filesystem::path& folder) {
    const auto path = folder / kNames[f];
    switch (f) {
      case 0:
        return WriteTableFile(path, Tables[v], Messages);
      case 1:
        if (HistoryVersion != v) {
          v == 0 ? Model.Redo() : Model.Undo();
          HistoryVersion = v;
        }
        return Model.SaveHistory(path);
      default:
        return Logs[v]->SaveToFile(path);
    }
  }

 private:
  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  LatchedModifiers Keys;
  Table Model{Bus, Messages, Keys};
  std::size_t HistoryVersion = 0;
  std::array<TableBlock, 2> Tables;
  std::array<std::unique_ptr<Log>, 2> Logs;
};

TEST(CrashWhileSaving, EveryFileIsTheCompleteOldOrNewVersionAfterSigkill) {
  const int trials = EnvOr("ORVEL_CRASH_TRIALS", 100);
  const auto seed =
      static_cast<std::uint32_t>(EnvOr("ORVEL_CRASH_SEED", static_cast<int>(std::random_device{}())));
  std::mt19937 random(seed);
  std::cout << "seed " << seed << " (ORVEL_CRASH_SEED repeats the run)\n";

  Saver saver;
  TempDir references;
  TempDir work(FolderForKills());
  std::cout << "saving in " << work.Path() << "\n";
  std::array<std::array<Bytes, 2>, 3> expected;
  std::array<std::size_t, 3> onDisk{};  // the version each target holds
  for (std::size_t f = 0; f < 3; ++f) {
    for (std::size_t v = 0; v < 2; ++v) {
      ASSERT_TRUE(saver.Save(f, v, references.Path()));
      expected[f][v] = ReadAll(references.Path() / Saver::kNames[f]);
    }
    ASSERT_NE(expected[f][0], expected[f][1]) << Saver::kNames[f];
  }
  // The old files; the time this takes sets the range of the kill moments.
  const auto started = Clock::now();
  for (std::size_t f = 0; f < 3; ++f) {
    ASSERT_TRUE(saver.Save(f, 0, work.Path()));
  }
  const auto cycle = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
  std::uniform_int_distribution<std::int64_t> moment(0, cycle.count() * 3 / 2);

  std::array<std::array<int, 2>, 3> seen{};  // [file][kept old, became new]
  int midWrite = 0;                          // kills that landed inside a save
  int leftOvers = 0;                         // kills that left a temporary file behind
  const SharedFlag saving;
  for (int trial = 0; trial < trials; ++trial) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Writes the other version of every file, round after round, until
      // killed; each trial starts the round with another file, so the kills
      // land in each file's save, not mostly in the history's.
      std::array<std::size_t, 3> next{1 - onDisk[0], 1 - onDisk[1], 1 - onDisk[2]};
      for (std::size_t k = static_cast<std::size_t>(trial);; ++k) {
        const std::size_t f = k % 3;
        (*saving).store(static_cast<int>(f) + 1);
        saver.Save(f, next[f], work.Path());
        (*saving).store(0);
        next[f] = 1 - next[f];
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    midWrite += (*saving).exchange(0) != 0 ? 1 : 0;

    for (std::size_t f = 0; f < 3; ++f) {
      const auto path = work.Path() / Saver::kNames[f];
      const bool old = Holds(path, expected[f][onDisk[f]]);
      const bool fresh = !old && Holds(path, expected[f][1 - onDisk[f]]);
      ASSERT_TRUE(old || fresh) << "trial " << trial << ": " << Saver::kNames[f] << " holds "
                                << ReadAll(path).size() << " bytes that are neither version (seed " << seed
                                << ")";
      ++seen[f][fresh ? 1 : 0];
      onDisk[f] = fresh ? 1 - onDisk[f] : onDisk[f];
    }
    // At the most a killed save leaves its temporary file.
    bool leftOver = false;
    for (const auto& entry : std::filesystem::directory_iterator(work.Path())) {
      const std::string name = entry.path().filename().string();
      if (name != Saver::kNames[0] && name != Saver::kNames[1] && name != Saver::kNames[2]) {
        leftOver = true;
        std::filesystem::remove(entry.path());
      }
    }
    leftOvers += leftOver ? 1 : 0;
  }
  std::cout << trials << " kills within " << cycle.count() * 3 / 2 / 1000 << " ms of a save round, "
            << midWrite << " while a file was being written, " << leftOvers << " left a temporary file\n";
  for (std::size_t f = 0; f < 3; ++f) {
    std::cout << "  " << Saver::kNames[f] << ": old " << seen[f][0] << ", new " << seen[f][1] << "\n";
  }
  // Many kills must land inside a save, or the test proves nothing.
  EXPECT_GT(midWrite, trials / 4);
  // With unnamed temporary files only a kill in the microseconds between
  // naming the finished file and renaming it leaves anything behind.
  if (FolderMakesUnnamedFiles(work.Path())) {
    EXPECT_LE(leftOvers, 2);
  }
}

}  // namespace
}  // namespace orvel::test
