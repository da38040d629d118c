#pragma once

// Every recording is also written, as it grows, to an autosave file in the
// ordinary .log layout, so that a crash, a pulled cable or a Start that
// clears the log loses at most the samples of the last flush interval. The
// file is named after the recording's start ("2026-12-09_13-09-52.log"); the
// newest 50 by modification time are kept, the oldest removed first, and
// never the file being written or this run's last finished recording (a
// clock set wrong or files copied in must not cost the recording itself).
//
// It follows the bus: TMsgLogStart opens a new file (subscribe it after the
// log, so the log has been cleared), Flush appends the samples that arrived
// since the last call (the window calls it from its 100 ms tick, on the main
// thread, so the reader thread never waits for the disk), and TMsgLogStop
// writes the finished log (with its smoothed O2) over the file in one piece.
//
// A problem with the autosave (a Logs/ folder that cannot be made, a file that
// cannot be written) stops nothing: the recording goes on in memory. It is
// announced once, in both languages, through Problem, for a status line that
// does not block; the same problem at the next Start is not announced again,
// and a file opened again clears it (an empty problem).
//
// Threads: main thread only; the channels are read under the log's lock.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/orvel_broadcaster.h"
#include "core/signal.h"
#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_file.h"

namespace orvel {

inline constexpr std::string_view kAutosaveFolderName = "Logs";
inline constexpr std::size_t kAutosavesKept = 50;

// "2026-12-09_13-09-52.log": sorts by start time.
std::string AutosaveFileName(const LocalDateTime& start);
// Whether a file name is one AutosaveFileName gives (with an optional "_N"
// before ".log" for two recordings started within one second).
bool IsAutosaveFileName(std::string_view name);
// Removes the autosaves in `folder` with the oldest modification times until
// at most `keep` remain; the `spared` files are never removed and count
// among the kept ones.
void PruneAutosaves(const std::filesystem::path& folder, std::size_t keep,
                    std::span<const std::filesystem::path> spared = {});

// What went wrong with the autosave, in each language; empty when nothing is wrong.
struct AutosaveProblem {
  std::string English;
  std::string Russian;
  [[nodiscard]] bool Empty() const { return English.empty(); }
};

class LogAutosave final : public TOrvelReceiver {
 public:
  using Clock = std::function<LocalDateTime()>;

  // `folder` is created when the first recording starts. `now` gives the
  // local date and time (the system's by default).
  LogAutosave(Log& log, std::filesystem::path folder, Clock now = {}, std::size_t keep = kAutosavesKept);
  ~LogAutosave() override;
  LogAutosave(const LogAutosave&) = delete;
  LogAutosave& operator=(const LogAutosave&) = delete;

  void Dispatch(const TMessage& message) override;

  // A new recording: a new file with the header; the oldest autosaves beyond
  // the kept number are removed.
  void Begin();
  // Appends the samples recorded since the last flush. Does nothing while no
  // file is open.
  void Flush();
  // The recording has ended: the whole log is written over the file (a
  // recording without a sample leaves no file).
  void Finish();

  [[nodiscard]] bool Open() const { return Fd >= 0; }
  // The current or last file; empty before the first recording.
  [[nodiscard]] const std::filesystem::path& File() const { return Path; }
  [[nodiscard]] std::size_t SamplesWritten() const { return Written; }
  // The problem announced last (empty: none).
  [[nodiscard]] const AutosaveProblem& CurrentProblem() const { return Current; }

  // A new problem, or an empty one once the autosave works again.
  Signal<const AutosaveProblem&> Problem;

 private:
  bool WriteAll(const std::vector<std::uint8_t>& bytes);
  // `english` and `russian` name the file, what failed and the system's reason.
  void Fail(const std::string& english, const std::string& russian);
  void Announce(AutosaveProblem problem);
  void Close();

  Log& LogModel;
  AutosaveProblem Current;
  std::filesystem::path Folder;
  Clock Now;
  std::size_t Keep;
  std::filesystem::path Path;
  std::filesystem::path LastFinished;  // this run's last completed recording
  int Fd = -1;
  std::size_t Written = 0;
};

}  // namespace orvel
