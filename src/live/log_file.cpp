#include "live/log_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <new>
#include <utility>

#include "live/log_file_decoder.h"
#include "table/atomic_file.h"

namespace orvel {

namespace {

constexpr std::uint8_t kNegativeSign = 0x80;
// A file is read through a buffer of this size.
constexpr std::size_t kReadPieceBytes = std::size_t{1} << 20;
// A log is encoded and written this many samples (about 1 MB) at a time.
constexpr std::size_t kSavePieceSamples = std::size_t{1} << 16;

constexpr std::array kCurrentChannels = {
    Channel::Conv, Channel::Marker, Channel::OutputSum, Channel::Maf, Channel::Tps,      Channel::RpmPeriod,
    Channel::O2,   Channel::Corr,   Channel::Iat,       Channel::Ect, Channel::O2Smooth, Channel::LogCorr};
constexpr std::size_t kOlderChannelCount = 7;  // Conv ... O2

std::uint8_t LowByte(std::int32_t value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value));
}

// The low byte of |value|, computed without overflow for the most negative value.
std::uint8_t MagnitudeByte(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  return static_cast<std::uint8_t>(value < 0 ? 0U - bits : bits);
}

std::uint8_t SignByte(std::int32_t value) {
  return value < 0 ? kNegativeSign : std::uint8_t{0};
}

}  // namespace

std::span<const Channel> StoredChannels(LogFileLayout layout) {
  const std::span<const Channel> all(kCurrentChannels);
  return layout == LogFileLayout::Current ? all : all.first(kOlderChannelCount);
}

std::filesystem::path LogFilePath(const std::filesystem::path& path) {
  const std::string text = path.string();
  if (text.ends_with(kLogFileExtension)) {
    return path;
  }
  return text + std::string(kLogFileExtension);
}

std::string LogSaveNameFromText(std::string_view dateTimeText) {
  std::string name = "D";
  for (const char c : dateTimeText) {
    if (c == ':' || c == '.' || c == '/') {
      name += '_';
    } else if (c == ' ') {
      name += "_T";
    } else {
      name += c;
    }
  }
  return name;
}

std::string DefaultLogSaveName(const LocalDateTime& when) {
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%02d.%02d.%04d %02d:%02d:%02d", when.Day, when.Month, when.Year,
                when.Hour, when.Minute, when.Second);
  return LogSaveNameFromText(text.data());
}

std::vector<std::uint8_t> EncodeLogHeader(FileTpsBytes fileTps) {
  std::vector<std::uint8_t> bytes(kLogHeaderSize, 0);
  bytes[0] = LowByte(fileTps.Min);
  bytes[1] = LowByte(fileTps.Max);
  std::copy(kLogSignature.begin(), kLogSignature.end(), bytes.begin() + kLogSignatureOffset);
  bytes[kLogVersionOffset] = kLogLayoutVersion;
  return bytes;
}

void AppendLogRecords(const LogChannels& channels, std::size_t from, std::size_t to,
                      std::vector<std::uint8_t>& bytes) {
  if (to <= from) {
    return;
  }
  const std::size_t start = bytes.size();
  bytes.resize(start + kLogRecordSize * (to - from));
  auto value = [&channels](Channel channel, std::size_t i) { return channels.ValueOr0(channel, i); };
  std::uint8_t* record = bytes.data() + start;
  for (std::size_t i = from; i < to; ++i, record += kLogRecordSize) {
    const std::int32_t period = value(Channel::RpmPeriod, i);
    const std::int32_t corr = value(Channel::Corr, i);
    const std::int32_t logCorr = value(Channel::LogCorr, i);
    record[0] = LowByte(value(Channel::Conv, i));
    record[1] = LowByte(value(Channel::Marker, i));
    record[2] = LowByte(value(Channel::OutputSum, i));
    record[3] = LowByte(value(Channel::Maf, i));
    record[4] = LowByte(value(Channel::Tps, i));
    record[5] = LowByte(period >> 8);
    record[6] = LowByte(period);
    record[7] = LowByte(value(Channel::O2, i));
    record[8] = MagnitudeByte(corr);
    record[9] = SignByte(corr);
    record[10] = LowByte(value(Channel::Iat, i));
    record[11] = LowByte(value(Channel::Ect, i));
    record[12] = LowByte(value(Channel::O2Smooth, i));
    record[13] = MagnitudeByte(logCorr);
    record[14] = SignByte(logCorr);
  }
}

std::vector<std::uint8_t> EncodeLogFile(const LogChannels& channels, std::size_t samples,
                                        FileTpsBytes fileTps) {
  std::vector<std::uint8_t> bytes = EncodeLogHeader(fileTps);
  bytes.reserve(kLogHeaderSize + kLogRecordSize * samples);
  AppendLogRecords(channels, 0, samples, bytes);
  return bytes;
}

std::optional<LogFileContents> DecodeLogFile(std::span<const std::uint8_t> bytes, std::string& reason) {
  LogFileDecoder decoder(bytes.size());
  decoder.Feed(bytes);
  return decoder.Finish(reason);
}

std::optional<LogFileContents> ReadLogFile(const std::filesystem::path& path, UserMessages& messages) {
  const std::string loadError = path.string() + " " + std::string(kLogLoadErrorText);
  try {
    std::optional<LogFileDecoder> decoder;
    std::string failure;
    const bool read = ReadFilePieces(
        path, kLogFileLargest, kReadPieceBytes, [&decoder](std::size_t size) { decoder.emplace(size); },
        [&decoder](std::span<const std::uint8_t> piece) { decoder->Feed(piece); }, &failure);
    if (!read) {
      messages.ShowMessage(loadError + ": " + failure);
      return std::nullopt;
    }
    std::string reason;
    auto contents = decoder->Finish(reason);
    if (!contents) {
      messages.ShowMessage(loadError + ": " + reason);
    }
    return contents;
  } catch (const std::bad_alloc& error) {
    // Memory ran out: nothing is kept of the file.
    messages.ShowMessage(loadError + ": " + error.what());
    return std::nullopt;
  }
}

bool WriteLogFile(const Log& log, const std::filesystem::path& path, FileTpsBytes fileTps,
                  UserMessages& messages) {
  // Plain variables rather than a structured binding: the piece reader below
  // captures them, which not every compiler allows for a binding.
  const std::pair<std::size_t, std::uint64_t> begun =
      log.ReadChannelsOfGeneration([](const LogChannels& channels, std::uint64_t now) {
        return std::pair{channels.SampleCount(), now};
      });
  const std::size_t samples = begun.first;
  const std::uint64_t generation = begun.second;
  if (samples == 0) {
    return false;
  }
  const std::filesystem::path target = LogFilePath(path);
  AtomicFileWriter file(target);
  std::vector<std::uint8_t> piece = EncodeLogHeader(fileTps);
  piece.reserve(kLogHeaderSize + kLogRecordSize * kSavePieceSamples);
  for (std::size_t from = 0; from < samples; from += kSavePieceSamples) {
    const std::size_t to = std::min(samples, from + kSavePieceSamples);
    // The lock is taken for one piece at a time, so a recording goes on and
    // the dashboard keeps reading while a long log is saved.
    const bool unchanged = log.ReadChannelsOfGeneration([&](const LogChannels& channels, std::uint64_t now) {
      if (now != generation) {
        return false;
      }
      AppendLogRecords(channels, from, to, piece);
      return true;
    });
    if (!unchanged) {
      // The writer's destructor removes what was written; the target stays.
      messages.ShowMessage(target.string() + ": " + std::string(kLogReplacedWhileSavingText));
      return false;
    }
    if (!file.Write(piece)) {
      break;  // Commit reports the failure
    }
    piece.clear();
  }
  const WriteResult result = file.Commit();
  switch (result.Outcome) {
    case WriteOutcome::Written:
      return true;
    case WriteOutcome::CannotCreate:
      messages.ShowMessage(target.string() + " " + std::string(kLogSaveErrorText) + ": " + result.ErrorText);
      return false;
    case WriteOutcome::CannotReplace:
    case WriteOutcome::NotAFile:
      messages.ShowMessage(target.string() + " " + std::string(kLogCannotDeleteText) + ": " +
                           result.ErrorText);
      return false;
    case WriteOutcome::WriteFailed:
      messages.ShowMessage(target.string() + ": " + result.ErrorText);
      return false;
  }
  return false;
}

bool Log::SaveToFile(const std::filesystem::path& path) {
  return WriteLogFile(*this, path, FileTpsValues, Messages);
}

bool Log::LoadFromFile(const std::filesystem::path& path) {
  // Loading swaps the channels under the reader: the recording would become
  // the file's samples with the new ones behind them.
  if (RefuseWhileRecording()) {
    return false;
  }
  std::optional<PreparedLog> prepared = ReadPreparedLog(path, Messages);
  return prepared && ShowLoaded(*prepared);
}

std::optional<PreparedLog> ReadPreparedLog(const std::filesystem::path& path, UserMessages& messages) {
  std::optional<LogFileContents> contents = ReadLogFile(path, messages);
  if (!contents) {
    return std::nullopt;
  }
  try {
    return PrepareLog(std::move(*contents));
  } catch (const std::bad_alloc& error) {
    messages.ShowMessage(path.string() + " " + std::string(kLogLoadErrorText) + ": " + error.what());
    return std::nullopt;
  }
}

PreparedLog PrepareLog(LogFileContents&& contents) {
  PreparedLog prepared{std::move(contents), {}, {}};
  prepared.Summary.Refresh(prepared.Contents.Channels);
  prepared.Bounds = LogBoundsOf(prepared.Contents.Channels);
  return prepared;
}

bool Log::ShowLoaded(PreparedLog& prepared) {
  if (RefuseWhileRecording()) {
    return false;
  }
  HasData.store(false);
  const auto samples = static_cast<std::int64_t>(prepared.Contents.Channels.SampleCount());
  {
    const std::scoped_lock lock(ChannelsLock);
    std::swap(Channels, prepared.Contents.Channels);
    std::swap(Summary, prepared.Summary);
    ++Generation;
  }
  std::swap(FileTpsValues, prepared.Contents.FileTps);
  ShowBounds(prepared.Bounds);
  SetStep(samples - 1);
  Redraw(View.Step);
  PushWholeLogZoomEntry();
  return true;
}

}  // namespace orvel
