#pragma once

// The .log file: a header followed by one record per sample, no count and no
// trailer. The current layout has a 15-byte header with the signature
// "OrVeL" and 15-byte records; the older layout, still read, a 24-byte header
// and 8-byte records.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_channels.h"

namespace orvel {

inline constexpr std::string_view kLogFileExtension = ".log";
inline constexpr std::string_view kLogLoadErrorText = "Log file load error";
inline constexpr std::string_view kLogSaveErrorText = "Log file save error";
inline constexpr std::string_view kLogCannotDeleteText = "Can't delete file before saving";
inline constexpr std::string_view kLogReplacedWhileSavingText =
    "Log file save error: the log was replaced while it was being saved; the file was not written\n\n"
    "Ошибка сохранения лога: лог был заменён во время сохранения; файл не записан";

inline constexpr std::size_t kLogHeaderSize = 15;
inline constexpr std::size_t kLogRecordSize = 15;
inline constexpr std::size_t kOlderLogHeaderSize = 24;
inline constexpr std::size_t kOlderLogRecordSize = 8;

// The current layout's header: the two TPS bytes, the signature, and at
// kLogVersionOffset the layout's version.
inline constexpr std::array<std::uint8_t, 6> kLogSignature = {'O', 'r', 'V', 'e', 'L', 0};
inline constexpr std::size_t kLogSignatureOffset = 2;
inline constexpr std::size_t kLogVersionOffset = 10;
inline constexpr std::uint8_t kLogLayoutVersion = 1;

enum class LogFileLayout { Current, Older };

// The longest recording a log file holds: 24 hours at one sample every 10 ms,
// in the current layout (the older layout's records are shorter). A larger
// file is refused before it is read.
inline constexpr std::size_t kLogLongestSamples = std::size_t{24} * 3600 * 100;
inline constexpr std::size_t kLogFileLargest = kOlderLogHeaderSize + kLogLongestSamples * kLogRecordSize;

// The channels each layout stores, in record order.
std::span<const Channel> StoredChannels(LogFileLayout layout);

// The path a log is saved under: ".log" is appended unless the name already
// ends in exactly ".log" (so "run1.LOG" becomes "run1.LOG.log").
std::filesystem::path LogFilePath(const std::filesystem::path& path);

// The save dialog's preset name: "D" and the date and time as the system
// prints them, with ":", "." and "/" made "_" and every space "_T".
std::string LogSaveNameFromText(std::string_view dateTimeText);

// A local date and time, for the preset name with day.month.year dates and a
// 24-hour clock ("D09_12_2026_T13_09_52").
struct LocalDateTime {
  int Year = 0;
  int Month = 0;
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};
std::string DefaultLogSaveName(const LocalDateTime& when);

// The current layout's header.
std::vector<std::uint8_t> EncodeLogHeader(FileTpsBytes fileTps);
// Appends the current-layout records of samples from..to-1 to `bytes`.
void AppendLogRecords(const LogChannels& channels, std::size_t from, std::size_t to,
                      std::vector<std::uint8_t>& bytes);

// The bytes of a current-layout file for the first `samples` samples.
std::vector<std::uint8_t> EncodeLogFile(const LogChannels& channels, std::size_t samples,
                                        FileTpsBytes fileTps);

// A log file's contents, decoded.
struct LogFileContents {
  LogFileLayout Layout = LogFileLayout::Current;
  FileTpsBytes FileTps;
  LogChannels Channels;  // IatCorr and EctCorr empty
};

// A decoded log made ready to be shown off the main thread: what drawing it
// first needs is computed from its channels.
struct PreparedLog {
  LogFileContents Contents;
  LogSummary Summary;
  LogBounds Bounds;
};
// Any thread: the summary and the bounds of the contents.
PreparedLog PrepareLog(LogFileContents&& contents);

// Decodes a file's bytes. Sizes come only from the bytes present: a final
// incomplete record is dropped. Empty when the bytes hold no header and
// complete record; `reason` then says why.
std::optional<LogFileContents> DecodeLogFile(std::span<const std::uint8_t> bytes, std::string& reason);

// Reads and decodes a file; on failure the message (the file name, "Log file
// load error" and the reason) goes to `messages` (a file too large for memory
// is such a failure). Callable from any thread. The command-line tool and
// Log::LoadFromFile both load this way.
std::optional<LogFileContents> ReadLogFile(const std::filesystem::path& path, UserMessages& messages);
// ReadLogFile, then PrepareLog; any thread. Memory running out on the way is
// told like a failed read.
std::optional<PreparedLog> ReadPreparedLog(const std::filesystem::path& path, UserMessages& messages);

// Writes the log's samples as they are now to LogFilePath(path) in the
// current layout, through a temporary file and a rename. Callable from any
// thread: the channels are encoded a piece at a time under the log's lock,
// while the log goes on recording (samples appended after the call began are
// not written). A log emptied or replaced meanwhile leaves the target as it
// was. False when nothing was written: an empty log (no message) or a
// failure (told to `messages`).
bool WriteLogFile(const Log& log, const std::filesystem::path& path, FileTpsBytes fileTps,
                  UserMessages& messages);

}  // namespace orvel
