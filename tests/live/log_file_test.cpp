#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <span>
#include <thread>
#include <vector>

#include "live/log.h"
#include "live/log_file.h"
#include "live/log_file_decoder.h"
#include "log_test_support.h"

namespace orvel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Filled;
using test::Record;
using test::TempFolder;

Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::int32_t> ChannelValues(const Log& log, Channel channel) {
  return log.ReadChannels([channel](const LogChannels& channels) {
    const auto values = channels.Of(channel);
    return std::vector<std::int32_t>(values.begin(), values.end());
  });
}

const Bytes kCurrentHeader = {3, 250, 'O', 'r', 'V', 'e', 'L', 0, 0, 0, 1, 0, 0, 0, 0};

// Two samples with the values the file's encoding has to get right.
void RecordTwoSamples(Log& log) {
  Record(log, 2, [](std::int64_t i) {
    SampleValues sample = Filled(0);
    At(sample, Channel::Conv) = 200;
    At(sample, Channel::Marker) = i == 0 ? 128 : 0;
    At(sample, Channel::OutputSum) = -3;
    At(sample, Channel::Maf) = 77;
    At(sample, Channel::Tps) = 31;
    At(sample, Channel::RpmPeriod) = 10'000;
    At(sample, Channel::O2) = 147;
    At(sample, Channel::Corr) = i == 0 ? -12 : 300;
    At(sample, Channel::Iat) = 90;
    At(sample, Channel::Ect) = 180;
    At(sample, Channel::IatCorr) = -10;
    At(sample, Channel::EctCorr) = 5;
    At(sample, Channel::O2Smooth) = 140;
    At(sample, Channel::LogCorr) = i == 0 ? 7 : -2;
    return sample;
  });
}

TEST(LogFile, SavesTheCurrentLayoutByteExactlyAndReadsItBack) {
  TempFolder folder;
  RecordedMessages messages;
  Log log(messages);
  RecordTwoSamples(log);
  ASSERT_TRUE(log.SaveToFile(folder / "run1"));

  const Bytes bytes = ReadAll(folder / "run1.log");
  Bytes expected = {0, 0, 'O', 'r', 'V', 'e', 'L', 0, 0, 0, 1, 0, 0, 0, 0};
  const Bytes first = {200, 128, 253, 77, 31, 0x27, 0x10, 147, 12, 128, 90, 180, 140, 7, 0};
  const Bytes second = {200, 0, 253, 77, 31, 0x27, 0x10, 147, 44, 0, 90, 180, 140, 2, 128};
  expected.insert(expected.end(), first.begin(), first.end());
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(bytes, expected);

  Log loaded(messages);
  ASSERT_TRUE(loaded.LoadFromFile(folder / "run1.log"));
  EXPECT_EQ(ChannelValues(loaded, Channel::Corr), (std::vector<std::int32_t>{-12, 44}));
  EXPECT_EQ(ChannelValues(loaded, Channel::OutputSum), (std::vector<std::int32_t>{253, 253}));
  EXPECT_EQ(ChannelValues(loaded, Channel::RpmPeriod), (std::vector<std::int32_t>{10'000, 10'000}));
  EXPECT_EQ(ChannelValues(loaded, Channel::LogCorr), (std::vector<std::int32_t>{7, -2}));
  EXPECT_TRUE(ChannelValues(loaded, Channel::IatCorr).empty());
  EXPECT_TRUE(ChannelValues(loaded, Channel::EctCorr).empty());
  EXPECT_TRUE(messages.Texts.empty());

  // Saving what was loaded gives the same bytes again.
  ASSERT_TRUE(loaded.SaveToFile(folder / "again.log"));
  EXPECT_EQ(ReadAll(folder / "again.log"), bytes);
}

// A save from another thread while the recording goes on writes, in several
// pieces, whole samples from the first on, exactly as a one-piece encode of
// them: no sample torn, none twice, none missing at a piece's edge.
TEST(LogFile, ASaveDuringTheRecordingWritesAWholeBeginningOfIt) {
  TempFolder folder;
  RecordedMessages messages;
  Log log(messages);
  constexpr std::int64_t kBefore = 200'000;  // about three of the save's pieces
  const auto sample = [](std::int64_t i) {
    SampleValues values = Filled(static_cast<std::int32_t>(i % 97));
    At(values, Channel::RpmPeriod) = static_cast<std::int32_t>(i % 60'000);
    At(values, Channel::Corr) = static_cast<std::int32_t>(i % 41) - 20;
    return values;
  };
  log.BeginRecording();
  for (std::int64_t i = 0; i < kBefore; ++i) {
    log.AppendSample(sample(i));
  }
  std::atomic<bool> saving{true};
  std::int64_t appended = 0;
  std::thread recorder([&] {
    while (saving.load()) {
      log.AppendSample(sample(kBefore + appended));
      ++appended;
    }
  });
  const bool saved = WriteLogFile(log, folder / "during", FileTpsBytes{5, 6}, messages);
  saving.store(false);
  recorder.join();
  log.EndRecording();

  ASSERT_TRUE(saved);
  // The save began after the recorder had started: it holds at least the
  // samples there were before.
  const Bytes written = ReadAll(folder / "during.log");
  ASSERT_GE(written.size(), kLogHeaderSize);
  const std::size_t writtenSamples = (written.size() - kLogHeaderSize) / kLogRecordSize;
  EXPECT_EQ(written.size(), kLogHeaderSize + kLogRecordSize * writtenSamples);
  EXPECT_GE(writtenSamples, static_cast<std::size_t>(kBefore));
  EXPECT_EQ(written, log.ReadChannels([&](const LogChannels& channels) {
    return EncodeLogFile(channels, writtenSamples, FileTpsBytes{5, 6});
  }));
  EXPECT_EQ(log.SampleCount(), static_cast<std::size_t>(kBefore + appended));
  EXPECT_TRUE(messages.Texts.empty());
}

TEST(LogFile, ReadsTheOlderLayoutAndTellsTheLayoutsApart) {
  // Byte 10 other than 1, or a signature in another case, makes a file older:
  // 24 header bytes, 8-byte records, a final incomplete record dropped.
  Bytes versionTwo = kCurrentHeader;
  versionTwo[10] = 2;
  Bytes otherCase = kCurrentHeader;
  otherCase[4] = 'v';
  for (Bytes file : {versionTwo, otherCase}) {
    file.resize(24, 0xEE);
    const Bytes records = {10, 128, 20, 30, 40, 0x27, 0x10, 50, 11, 0, 21, 31, 41, 0, 1, 51, 99, 99, 99};
    file.insert(file.end(), records.begin(), records.end());

    std::string reason;
    const auto contents = DecodeLogFile(file, reason);
    ASSERT_TRUE(contents.has_value()) << reason;
    EXPECT_EQ(contents->Layout, LogFileLayout::Older);
    EXPECT_EQ(contents->FileTps.Min, 3);
    EXPECT_EQ(contents->FileTps.Max, 250);
    const LogChannels& channels = contents->Channels;
    ASSERT_EQ(channels.SampleCount(), 2U);
    EXPECT_EQ(channels.Last(), (SampleValues{11, 0, 21, 31, 41, 1, 51, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(channels.Of(Channel::RpmPeriod)[0], 10'000);
    EXPECT_EQ(channels.Of(Channel::Marker)[0], 128);
    EXPECT_TRUE(channels.Of(Channel::IatCorr).empty());
  }

  Bytes current = kCurrentHeader;
  current.resize(current.size() + 15, 0);
  std::string reason;
  EXPECT_EQ(DecodeLogFile(current, reason)->Layout, LogFileLayout::Current);
}

// A file arrives in pieces of any size: a header or a record cut between two
// pieces decodes as if it had come whole, in both layouts, and a file larger
// than the reader's buffer loads the same.
TEST(LogFile, PiecesOfAnySizeDecodeAsTheWholeFile) {
  Bytes older = kCurrentHeader;
  older[10] = 2;
  older.resize(24, 0xEE);
  Bytes current = kCurrentHeader;
  for (std::size_t i = 0; i < 1000; ++i) {
    for (std::size_t b = 0; b < 15; ++b) {
      current.push_back(static_cast<std::uint8_t>(i * 7 + b * 31));
      older.push_back(static_cast<std::uint8_t>(i * 5 + b * 3));
    }
  }
  older.push_back(9);  // an incomplete last record
  for (const Bytes* file : {&current, &older}) {
    std::string reason;
    const auto whole = DecodeLogFile(*file, reason);
    ASSERT_TRUE(whole.has_value()) << reason;
    for (const std::size_t piece : {1U, 7U, 15U, 16U, 23U, 4096U}) {
      LogFileDecoder decoder;
      for (std::size_t at = 0; at < file->size(); at += piece) {
        decoder.Feed(std::span(*file).subspan(at, std::min(piece, file->size() - at)));
      }
      const auto pieces = decoder.Finish(reason);
      ASSERT_TRUE(pieces.has_value()) << piece;
      EXPECT_EQ(pieces->Layout, whole->Layout) << piece;
      for (std::size_t c = 0; c < kLogChannelCount; ++c) {
        const auto expected = whole->Channels.Of(static_cast<Channel>(c));
        const auto got = pieces->Channels.Of(static_cast<Channel>(c));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin(), got.end()))
            << "piece " << piece << ", channel " << c;
      }
    }
  }

  Bytes large = kCurrentHeader;
  for (std::size_t i = 0; i < 15 * 100'001; ++i) {
    large.push_back(static_cast<std::uint8_t>(i % 251));
  }
  TempFolder folder;
  WriteAll(folder / "large.log", large);
  RecordedMessages messages;
  std::string reason;
  const auto read = ReadLogFile(folder / "large.log", messages);
  const auto decoded = DecodeLogFile(large, reason);
  ASSERT_TRUE(read.has_value() && decoded.has_value());
  for (std::size_t c = 0; c < kLogChannelCount; ++c) {
    const auto expected = decoded->Channels.Of(static_cast<Channel>(c));
    const auto got = read->Channels.Of(static_cast<Channel>(c));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin(), got.end())) << "channel " << c;
  }
  EXPECT_EQ(read->Channels.SampleCount(), 100'001U);
}

TEST(LogFile, AFileThatCannotBeLoadedKeepsTheLogAndSaysWhy) {
  TempFolder folder;
  const Bytes oneRecordShort = [] {
    Bytes bytes = kCurrentHeader;
    bytes.resize(bytes.size() + 14, 1);
    return bytes;
  }();
  struct Case {
    const char* Name;
    Bytes Content;
    const char* Reason;  // after "<name> Log file load error"
  };
  const Case cases[] = {
      {"empty.log", {}, ": the file is too short (0 bytes): it has no complete header"},
      {"short.log", {3, 250, 'O', 'r'}, ": the file is too short (4 bytes): it has no complete header"},
      {"header.log", kCurrentHeader, ": the file is too short (15 bytes): it holds no complete sample"},
      {"record.log", oneRecordShort, ": the file is too short (29 bytes): it holds no complete sample"},
      {"older.log", Bytes(20, 0x55), ": the file is too short (20 bytes): it has no complete header"},
      {"missing.log", {}, ": cannot open: No such file or directory"},
      {"folder.log", {}, ": is a directory, not a regular file"},
      {"fifo.log", {}, ": is a FIFO, not a regular file"},  // refused at once, never waited on
  };
  for (const Case& c : cases) {
    const auto path = folder / c.Name;
    if (std::string(c.Name) == "folder.log") {
      std::filesystem::create_directory(path);
    } else if (std::string(c.Name) == "fifo.log") {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else if (std::string(c.Name) != "missing.log") {
      WriteAll(path, c.Content);
    }
    RecordedMessages messages;
    Log log(messages);
    RecordTwoSamples(log);
    log.SetHasData(true);

    EXPECT_FALSE(log.LoadFromFile(path)) << c.Name;
    ASSERT_EQ(messages.Texts.size(), 1U) << c.Name;
    EXPECT_EQ(messages.Texts[0], path.string() + " Log file load error" + c.Reason);
    EXPECT_EQ(log.SampleCount(), 2U) << c.Name;
    EXPECT_EQ(ChannelValues(log, Channel::IatCorr), (std::vector<std::int32_t>{-10, -10}));
    EXPECT_TRUE(log.GetHasData()) << c.Name;
  }
}

TEST(LogFile, SaveNamesAndFailures) {
  EXPECT_EQ(LogFilePath("run1"), "run1.log");
  EXPECT_EQ(LogFilePath("run1.log"), "run1.log");
  EXPECT_EQ(LogFilePath("run1.LOG"), "run1.LOG.log");
  EXPECT_EQ(DefaultLogSaveName({2026, 12, 9, 13, 9, 52}), "D09_12_2026_T13_09_52");
  EXPECT_EQ(LogSaveNameFromText("12/9/2026 1:09:52 PM"), "D12_9_2026_T1_09_52_TPM");

  TempFolder folder;
  RecordedMessages messages;
  Log log(messages);
  EXPECT_FALSE(log.SaveToFile(folder / "nothing"));  // an empty log: no file, no message
  EXPECT_FALSE(std::filesystem::exists(folder / "nothing.log"));
  EXPECT_TRUE(messages.Texts.empty());

  RecordTwoSamples(log);
  EXPECT_FALSE(log.SaveToFile(folder / "no_such_folder/run"));
  std::filesystem::create_directory(folder / "taken.log");  // a name that cannot be replaced
  EXPECT_FALSE(log.SaveToFile(folder / "taken.log"));
  EXPECT_EQ(
      messages.Texts,
      (std::vector<std::string>{
          (folder / "no_such_folder/run.log").string() + " Log file save error: No such file or directory",
          (folder / "taken.log").string() +
              " Can't delete file before saving: is a directory, which is never replaced by a file"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "taken.log"),
                          std::filesystem::directory_iterator()),
            0);
  // Only the saved files are left in the folder: no temporary file remains.
  EXPECT_EQ(
      std::distance(std::filesystem::directory_iterator(folder / ""), std::filesystem::directory_iterator()),
      1);
}

TEST(LogFile, LoadReplacesTheLogAndSetsItsBounds) {
  TempFolder folder;
  RecordedMessages messages;
  Log source(messages);
  Record(source, 1000, [](std::int64_t i) {
    SampleValues sample = Filled(0);
    At(sample, Channel::Maf) = static_cast<std::int32_t>(i % 256);
    At(sample, Channel::Corr) = i == 500 ? -45 : 0;
    return sample;
  });
  ASSERT_TRUE(source.SaveToFile(folder / "long.log"));
  EXPECT_EQ(std::filesystem::file_size(folder / "long.log"), 15U + 15U * 1000U);

  Log log(messages);
  RecordTwoSamples(log);
  log.SetHasData(true);
  ASSERT_TRUE(log.LoadFromFile(folder / "long.log"));
  EXPECT_EQ(log.SampleCount(), 1000U);
  EXPECT_TRUE(log.GetHasData());  // drawn right after the load
  EXPECT_EQ(log.Window().LastIndex, 998);
  EXPECT_EQ(log.Window().MaxMafInLog, 255);
  EXPECT_EQ(log.Window().ValueAxisMin, -65);
  EXPECT_EQ(log.Window().Step, 2);  // 999 / 430
  EXPECT_EQ(log.FileTps().Min, 0);
}

}  // namespace
}  // namespace orvel
