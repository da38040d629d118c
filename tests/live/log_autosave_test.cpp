#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "live/log_autosave.h"
#include "live/log_file.h"
#include "live_rig.h"
#include "log_test_support.h"
#include "sim/simulator_host.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;
using test::Filled;
using test::TempFolder;

LocalDateTime StartAt(int second) {
  return {2026, 12, 9, 13, 9, second};
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(LogAutosave, TheFileGrowsWithEveryFlushAndStopWritesTheFinishedLog) {
  TempFolder temp;
  const auto folder = temp / "Logs";
  RecordedMessages messages;
  Log log(messages);
  LogAutosave autosave(log, folder, [] { return StartAt(52); });

  log.BeginRecording();
  autosave.Begin();
  EXPECT_EQ(autosave.File(), folder / "2026-12-09_13-09-52.log");
  for (int i = 0; i < 300; ++i) {
    SampleValues sample = Filled(0);
    orvel::At(sample, Channel::O2) = 100;
    orvel::At(sample, Channel::Maf) = i % 200;
    log.AppendSample(sample);
  }
  autosave.Flush();
  EXPECT_EQ(std::filesystem::file_size(autosave.File()), kLogHeaderSize + 300 * kLogRecordSize);
  log.AppendSample(Filled(100));
  autosave.Flush();
  autosave.Flush();  // nothing new: nothing written twice
  EXPECT_EQ(std::filesystem::file_size(autosave.File()), kLogHeaderSize + 301 * kLogRecordSize);

  // A crash here would leave what was flushed: the file loads as it stands.
  Log streamed(messages);
  ASSERT_TRUE(streamed.LoadFromFile(autosave.File()));
  EXPECT_EQ(streamed.SampleCount(), 301U);

  // Stop smooths O2 before the autosave completes the file with it.
  log.EndRecording();
  log.ComputeBounds();
  log.SmoothO2(30, log.Window().LastIndex);
  autosave.Finish();
  EXPECT_FALSE(autosave.Open());
  Log finished(messages);
  ASSERT_TRUE(finished.LoadFromFile(autosave.File()));
  EXPECT_EQ(finished.SampleCount(), 301U);
  finished.ReadChannels(
      [](const LogChannels& channels) { EXPECT_EQ(channels.Of(Channel::O2Smooth)[100], 100); });
  EXPECT_TRUE(messages.Texts.empty());

  // A recording that never received a sample leaves no file; one started in
  // the same second gets a name of its own.
  log.BeginRecording();
  autosave.Begin();
  EXPECT_EQ(autosave.File(), folder / "2026-12-09_13-09-52_2.log");
  log.EndRecording();
  autosave.Finish();
  EXPECT_EQ(FilesIn(folder), (std::vector<std::filesystem::path>{folder / "2026-12-09_13-09-52.log"}));
}

TEST(LogAutosave, KeepsTheNewestAndLeavesOtherFilesAlone) {
  TempFolder temp;
  const auto folder = temp / "Logs";
  std::filesystem::create_directories(folder);
  for (const char* name : {"2026-12-09_13-09-01.log", "2026-12-09_13-09-02.log", "2026-12-09_13-09-03.log",
                           "my run.log", "2026-12-09_13-09-00.txt"}) {
    std::ofstream(folder / name) << "x";
  }
  RecordedMessages messages;
  Log log(messages);
  LogAutosave autosave(
      log, folder, [] { return StartAt(4); }, 3);
  autosave.Begin();
  EXPECT_EQ(FilesIn(folder), (std::vector<std::filesystem::path>{
                                 folder / "2026-12-09_13-09-00.txt", folder / "2026-12-09_13-09-02.log",
                                 folder / "2026-12-09_13-09-03.log", folder / "2026-12-09_13-09-04.log",
                                 folder / "my run.log"}));

  const struct {
    const char* Name;
    bool Autosave;
  } names[] = {{"2026-12-09_13-09-52.log", true},   {"2026-12-09_13-09-52_12.log", true},
               {"2026-12-09_13-09-52_.log", false}, {"2026-12-09 13-09-52.log", false},
               {"2026-12-09_13-09-52.LOG", false},  {"D09_12_2026_T13_09_52.log", false}};
  for (const auto& c : names) {
    EXPECT_EQ(IsAutosaveFileName(c.Name), c.Autosave) << c.Name;
  }
}

TEST(LogAutosave, AFolderThatCannotBeMadeIsAnnouncedOnceAndTheRecordingGoesOn) {
  TempFolder temp;
  std::ofstream(temp / "Logs") << "a file where the folder should be";
  RecordedMessages messages;
  Log log(messages);
  LogAutosave autosave(log, temp / "Logs");
  std::vector<AutosaveProblem> announced;
  const Subscription listening =
      autosave.Problem.Subscribe([&](const AutosaveProblem& problem) { announced.push_back(problem); });
  for (int start = 0; start < 2; ++start) {
    log.BeginRecording();
    autosave.Begin();
    EXPECT_FALSE(autosave.Open());
    EXPECT_TRUE(log.AppendSample(Filled(1)));
    autosave.Flush();
    autosave.Finish();
  }
  // Said once, in both languages, naming the folder and the reason; no box.
  ASSERT_EQ(announced.size(), 1U);
  EXPECT_TRUE(announced[0].English.starts_with("Log autosave: cannot create the folder " +
                                               (temp / "Logs").string() + ": "))
      << announced[0].English;
  EXPECT_NE(announced[0].Russian.find("не удается создать папку"), std::string::npos);
  EXPECT_TRUE(messages.Texts.empty());

  // Once the folder can be made, the problem is cleared.
  std::filesystem::remove(temp / "Logs");
  log.BeginRecording();
  autosave.Begin();
  EXPECT_TRUE(autosave.Open());
  ASSERT_EQ(announced.size(), 2U);
  EXPECT_TRUE(announced[1].Empty());
}

// A child process records from the simulated converter, with the autosave
// flushed every 100 ms as the window's tick does, until it is killed.
[[noreturn]] void RecordUntilKilled(const std::filesystem::path& folder) {
  sim::SimulatorHost converter;
  test::LiveRig rig;
  LogAutosave autosave(rig.TheLog, folder);
  rig.Bus.Subscribe(autosave);
  rig.Link.Open(converter.PortPath());
  rig.Bus.Broadcast(TMsgLogStart{});
  for (;;) {
    rig.PumpUntil([] { return false; }, 100ms);
    autosave.Flush();
  }
}

// The samples the autosave file in `folder` holds now (0 while there is none).
std::size_t SamplesOnDisk(const std::filesystem::path& folder) {
  const auto files = FilesIn(folder);
  RecordedMessages messages;
  Log log(messages);
  return files.size() == 1 && log.LoadFromFile(files[0]) ? log.SampleCount() : 0;
}

TEST(LogAutosave, ARecordingKilledAfterFiveSecondsKeepsAllButTheLastSecond) {
  TempFolder temp;
  const auto folder = temp / "Logs";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RecordUntilKilled(folder);
  }
  // Four seconds of samples (100 a second) on the disk, however long a busy
  // machine takes to stream them, then the kill.
  std::size_t beforeKill = 0;
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (beforeKill < 400 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(100ms);
    beforeKill = SamplesOnDisk(folder);
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_GE(beforeKill, 400U);

  // The killed recording's file loads and keeps everything flushed before the kill.
  const auto files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1U);
  RecordedMessages messages;
  Log log(messages);
  ASSERT_TRUE(log.LoadFromFile(files[0])) << (messages.Texts.empty() ? "" : messages.Texts[0]);
  EXPECT_GE(log.SampleCount(), beforeKill);
}

}  // namespace
}  // namespace orvel
