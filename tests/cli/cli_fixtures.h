#pragma once

// Small table and log files the command-line tests feed to the tool, written
// with the libraries' own writers.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "cli_run.h"
#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_channels.h"
#include "live/log_file.h"
#include "table/parameters.h"
#include "table/table_block.h"
#include "table/table_file.h"

namespace orvel::test {

// A table whose every part differs from the 1:1 table: a falling-and-rising
// Out curve, non-default parameters and negative and positive corrections.
inline TableBlock DistinctTable() {
  TableBlock block;
  for (std::size_t i = 0; i < TableBlock::kOutCount; ++i) {
    block[i] = static_cast<std::int32_t>((i * 7 + 3) % 256);
  }
  block[TableBlock::kMafTime] = 20;
  block[TableBlock::kThreshold] = 9;
  block[TableBlock::kEnrichment] = 150;
  block[TableBlock::kEnleanment] = 32;
  block[TableBlock::kSmoothMaf] = 64;
  block[TableBlock::kSmoothTps] = 96;
  block[TableBlock::kSmoothRpm] = 100;
  block[TableBlock::kTpsThreshold] = 255;
  for (std::size_t k = 0; k < TableBlock::kCorrCount; ++k) {
    block[TableBlock::kIatCorr + k] = static_cast<std::int32_t>(k % 61) - 30;
    block[TableBlock::kEctCorr + k] = 30 - static_cast<std::int32_t>(k % 61);
  }
  return block;
}

// A 1:1 table with default parameters: output i at input i.
inline TableBlock OneToOneBlock() {
  TableBlock block;
  for (std::size_t i = 0; i < TableBlock::kOutCount; ++i) {
    block[i] = static_cast<std::int32_t>(i);
  }
  ResetParameters(block);
  return block;
}

inline std::filesystem::path WriteTable(const std::filesystem::path& path, const TableBlock& block) {
  RecordedMessages messages;
  EXPECT_TRUE(WriteTableFile(path, block, messages));
  return TableFilePath(path);
}

// A current-layout .log file of the given samples.
inline std::filesystem::path WriteLog(const std::filesystem::path& path,
                                      const std::vector<SampleValues>& samples,
                                      FileTpsBytes fileTps = {12, 230}) {
  LogChannels channels;
  for (const SampleValues& sample : samples) {
    channels.Append(sample);
  }
  WriteBytes(path, EncodeLogFile(channels, samples.size(), fileTps));
  return path;
}

// One sample with the channels learning reads set and a distinct value in
// every other stored channel.
inline SampleValues LogSample(std::int32_t maf, std::int32_t conv, std::int32_t o2Smooth) {
  SampleValues sample{};
  for (std::size_t c = 0; c < kLogChannelCount; ++c) {
    sample[c] = static_cast<std::int32_t>(10 + c);
  }
  At(sample, Channel::Maf) = maf;
  At(sample, Channel::Conv) = conv;
  At(sample, Channel::O2Smooth) = o2Smooth;
  At(sample, Channel::IatCorr) = 0;
  At(sample, Channel::EctCorr) = 0;
  return sample;
}

}  // namespace orvel::test
