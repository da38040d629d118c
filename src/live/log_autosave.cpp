#include "live/log_autosave.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "table/atomic_file.h"

namespace orvel {

namespace {

// "YYYY-MM-DD_HH-MM-SS": digits except at these places.
constexpr std::string_view kStampPattern = "0000-00-00_00-00-00";

LocalDateTime SystemNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string SystemError(int error) {
  return std::error_code(error, std::generic_category()).message();
}

}  // namespace

std::string AutosaveFileName(const LocalDateTime& start) {
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%04d-%02d-%02d_%02d-%02d-%02d.log", start.Year, start.Month,
                start.Day, start.Hour, start.Minute, start.Second);
  return text.data();
}

bool IsAutosaveFileName(std::string_view name) {
  if (name.size() < kStampPattern.size() + kLogFileExtension.size() || !name.ends_with(kLogFileExtension)) {
    return false;
  }
  for (std::size_t i = 0; i < kStampPattern.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (kStampPattern[i] == '0' ? !digit : name[i] != kStampPattern[i]) {
      return false;
    }
  }
  const std::string_view rest =
      name.substr(kStampPattern.size(), name.size() - kStampPattern.size() - kLogFileExtension.size());
  if (rest.empty()) {
    return true;
  }
  return rest.size() >= 2 && rest[0] == '_' && std::all_of(rest.begin() + 1, rest.end(), [](char c) {
           return std::isdigit(static_cast<unsigned char>(c));
         });
}

void PruneAutosaves(const std::filesystem::path& folder, std::size_t keep,
                    std::span<const std::filesystem::path> spared) {
  struct Autosave {
    std::filesystem::file_time_type Modified;
    std::filesystem::path Path;
  };
  const auto isSpared = [spared](const std::filesystem::path& path) {
    return std::any_of(spared.begin(), spared.end(),
                       [&path](const std::filesystem::path& s) { return s.filename() == path.filename(); });
  };
  std::error_code error;
  std::vector<Autosave> removable;
  std::size_t sparedHere = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!entry.is_regular_file(error) || !IsAutosaveFileName(entry.path().filename().string())) {
      continue;
    }
    if (isSpared(entry.path())) {
      ++sparedHere;
    } else {
      removable.push_back({entry.last_write_time(error), entry.path()});
    }
  }
  const std::size_t room = keep > sparedHere ? keep - sparedHere : 0;
  if (removable.size() <= room) {
    return;
  }
  // Newest first; the name decides between files of the same time.
  std::sort(removable.begin(), removable.end(), [](const Autosave& a, const Autosave& b) {
    return a.Modified != b.Modified ? a.Modified > b.Modified : a.Path > b.Path;
  });
  for (std::size_t i = room; i < removable.size(); ++i) {
    std::filesystem::remove(removable[i].Path, error);
  }
}

LogAutosave::LogAutosave(Log& log, std::filesystem::path folder, Clock now, std::size_t keep)
    : LogModel(log),
      Folder(std::move(folder)),
      Now(now ? std::move(now) : SystemNow),
      Keep(std::max<std::size_t>(keep, 1)) {}

LogAutosave::~LogAutosave() {
  Close();
}

void LogAutosave::Dispatch(const TMessage& message) {
  if (MessageAs<TMsgLogStart>(message) != nullptr) {
    Begin();
  } else if (MessageAs<TMsgLogStop>(message) != nullptr) {
    Finish();
  }
}

void LogAutosave::Close() {
  if (Fd >= 0) {
    ::close(Fd);
    Fd = -1;
  }
}

void LogAutosave::Announce(AutosaveProblem problem) {
  if (problem.English == Current.English) {
    return;
  }
  Current = std::move(problem);
  Problem.Emit(Current);
}

void LogAutosave::Fail(const std::string& english, const std::string& russian) {
  Close();
  Announce({"Log autosave: " + english + "; the recording is kept in memory only",
            "Автосохранение лога: " + russian + "; запись хранится только в памяти"});
}

bool LogAutosave::WriteAll(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(Fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      const std::string reason = SystemError(errno);
      Fail("cannot write " + Path.string() + ": " + reason,
           "не удается записать " + Path.string() + ": " + reason);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void LogAutosave::Begin() {
  Close();
  Written = 0;
  std::error_code error;
  std::filesystem::create_directories(Folder, error);
  if (error) {
    Fail("cannot create the folder " + Folder.string() + ": " + error.message(),
         "не удается создать папку " + Folder.string() + ": " + error.message());
    return;
  }
  const std::string name = AutosaveFileName(Now());
  Path = Folder / name;
  for (int n = 2; std::filesystem::exists(Path, error); ++n) {
    Path = Folder / (name.substr(0, name.size() - kLogFileExtension.size()) + "_" + std::to_string(n) +
                     std::string(kLogFileExtension));
  }
  Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (Fd < 0) {
    const std::string reason = SystemError(errno);
    Fail("cannot create " + Path.string() + ": " + reason,
         "не удается создать " + Path.string() + ": " + reason);
    return;
  }
  Announce({});
  if (!WriteAll(EncodeLogHeader(LogModel.FileTps()))) {
    return;
  }
  // The new file and the last finished one count among the kept ones and
  // are never removed, whatever their names or times.
  const std::array spared{Path, LastFinished};
  PruneAutosaves(Folder, Keep, spared);
}

void LogAutosave::Flush() {
  if (Fd < 0) {
    return;
  }
  std::vector<std::uint8_t> bytes;
  const std::size_t from = Written;
  const std::size_t to = LogModel.ReadChannels([&](const LogChannels& channels) {
    const std::size_t count = channels.SampleCount();
    AppendLogRecords(channels, from, count, bytes);
    return std::max(count, from);
  });
  if (!bytes.empty() && WriteAll(bytes)) {
    Written = to;
  }
}

void LogAutosave::Finish() {
  if (Fd < 0) {
    return;
  }
  Flush();
  Close();
  std::vector<std::uint8_t> bytes;
  const std::size_t samples = LogModel.ReadChannels([&](const LogChannels& channels) {
    const std::size_t count = channels.SampleCount();
    if (count > 0) {
      bytes = EncodeLogFile(channels, count, LogModel.FileTps());
    }
    return count;
  });
  std::error_code error;
  if (samples == 0) {
    std::filesystem::remove(Path, error);
    return;
  }
  // The finished log, with its smoothed O2, replaces what was streamed; if
  // that fails, the streamed file stays.
  LastFinished = Path;
  const WriteResult result = WriteFileAtomically(Path, bytes);
  if (result.Outcome != WriteOutcome::Written) {
    Announce({"Log autosave: cannot complete " + Path.string() + ": " + result.ErrorText +
                  "; the streamed file stays",
              "Автосохранение лога: не удается завершить " + Path.string() + ": " + result.ErrorText +
                  "; остается записанный по ходу файл"});
  }
}

}  // namespace orvel
