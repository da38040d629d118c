#include <gtest/gtest.h>

#include <algorithm>

#include "converter_test_support.h"
#include "core/crc8.h"
#include "sim/simulated_converter.h"

namespace orvel::sim::test {
namespace {

using Reply = std::vector<std::uint8_t>;

SimulatedConverter WithFault(FaultMode mode) {
  SimulatorOptions options;
  options.Faults.Mode = mode;
  options.Faults.ByteIndex = 5;
  options.Faults.FrameCount = 3;
  return SimulatedConverter(options);
}

// Writes the table with "sw" and returns everything the converter sent.
Reply WriteTable(SimulatedConverter& converter, const ConverterTable& table) {
  return Exchange(converter, WithPrefix("sw", table), 0ms);
}

TEST(FaultModes, NoAnswerConsumesEverythingAndSaysNothing) {
  auto converter = WithFault(FaultMode::NoAnswer);
  EXPECT_TRUE(Exchange(converter, "svsysrsl", 0ms).empty());
  EXPECT_TRUE(Stream(converter, 0ms, 100ms).empty());
  EXPECT_EQ(converter.ReceivedCount(), 8U);
}

TEST(FaultModes, ShortRepliesSendHalfOfEachReply) {
  auto converter = WithFault(FaultMode::ShortReplies);
  EXPECT_EQ(Exchange(converter, "sv", 0ms), (Reply{0x00, 0x02, 0x01, 0x26}));
  EXPECT_EQ(Exchange(converter, "sy", 1ms).size(), 2U);
  EXPECT_EQ(Exchange(converter, "sr", 2ms).size(), kTableSize / 2);
}

TEST(FaultModes, WrongEchoAtOneIndex) {
  auto converter = WithFault(FaultMode::WrongEcho);
  const ConverterTable table = DistinctTable();
  const Reply sent = WriteTable(converter, table);
  for (std::size_t i = 0; i < kTableSize; ++i) {
    EXPECT_EQ(sent[i] != table[i], i == 5) << "byte " << i;
  }
}

TEST(FaultModes, NoPermanentProgressStillStoresTheTable) {
  auto converter = WithFault(FaultMode::NoPermanentProgress);
  const ConverterTable table = DistinctTable();
  EXPECT_EQ(WriteTable(converter, table), Reply(table.begin(), table.end()));  // echoes only
  EXPECT_EQ(Exchange(converter, "sr", 1ms), Reply(table.begin(), table.end()));
}

TEST(FaultModes, VerificationDifferenceStoresOneByteWrong) {
  auto converter = WithFault(FaultMode::VerificationDifference);
  const ConverterTable table = DistinctTable();
  WriteTable(converter, table);
  const Reply readBack = Exchange(converter, "sr", 1ms);
  ASSERT_EQ(readBack.size(), kTableSize);
  for (std::size_t i = 0; i < kTableSize; ++i) {
    EXPECT_EQ(readBack[i] != table[i], i == 5) << "byte " << i;
  }
}

TEST(FaultModes, BadCheckBytesOnEveryFrame) {
  auto converter = WithFault(FaultMode::BadCheckBytes);
  Exchange(converter, "sl", 0ms);
  const auto frames = SplitFrames(Stream(converter, 0ms, 200ms));
  ASSERT_GE(frames.size(), 19U);
  for (const LiveFrame& frame : frames) {
    EXPECT_NE(FrameCrc8(std::span(frame).first(kFrameSize - 1)), frame[kFrameSize - 1]);
  }
}

TEST(FaultModes, InsertedByteAfterEveryFewFrames) {
  auto converter = WithFault(FaultMode::InsertedByte);
  Reply bytes = Exchange(converter, "sl", 0ms);
  const Reply rest = Stream(converter, 1ms, 89ms);  // frames 2..9
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  ASSERT_EQ(bytes.size(), 9 * kFrameSize + 3);
  for (const std::size_t extra : {30U, 61U, 92U}) {
    EXPECT_EQ(bytes[extra], SimulatedConverter::kInsertedByte);
  }
  // Removing the extra bytes leaves intact frames.
  for (const std::size_t extra : {92U, 61U, 30U}) {
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(extra));
  }
  for (const LiveFrame& frame : SplitFrames(bytes)) {
    EXPECT_EQ(FrameCrc8(std::span(frame).first(kFrameSize - 1)), frame[kFrameSize - 1]);
  }
}

TEST(FaultModes, HangUpInTheMiddleOfAStream) {
  auto converter = WithFault(FaultMode::HangUpInStream);
  EXPECT_TRUE(Exchange(converter, "sv", 0ms).size() == kFullIdentity.size());
  EXPECT_FALSE(converter.HangUpRequested());
  Exchange(converter, "sl", 1ms);
  Stream(converter, 1ms, 100ms);
  EXPECT_TRUE(converter.HangUpRequested());
  EXPECT_EQ(converter.FramesSent(), 3U);
}

class LoaderRejectionTest : public ::testing::TestWithParam<int> {};

TEST_P(LoaderRejectionTest, RejectsEachBlockKTimesThenAccepts) {
  SimulatorOptions options;
  options.Faults.Mode = FaultMode::LoaderRejects;
  options.Faults.LoaderRejections = GetParam();
  SimulatedConverter converter(options);
  Exchange(converter, "fiud", 0ms);
  const Reply block{0x00, 0x03, 0x11, 0x22, 0x33};
  for (int sending = 0; sending < 2 * (GetParam() + 1); ++sending) {
    const bool accepted = sending % (GetParam() + 1) == GetParam();
    EXPECT_EQ(Exchange(converter, block, 1ms),
              Reply{accepted ? SimulatedConverter::kLoaderAccepted : SimulatedConverter::kLoaderRejected})
        << "sending " << sending;
  }
  Reply twice = block;
  twice.insert(twice.end(), block.begin(), block.end());
  EXPECT_EQ(converter.LoadedFirmware(), twice);
}

INSTANTIATE_TEST_SUITE_P(Rejections, LoaderRejectionTest, ::testing::Values(0, 3, 4));

TEST(FaultModes, CanBeChangedWhileRunning) {
  auto converter = WithFault(FaultMode::NoAnswer);
  EXPECT_TRUE(Exchange(converter, "sv", 0ms).empty());
  converter.SetFaults({});
  EXPECT_EQ(Exchange(converter, "sv", 1ms).size(), kFullIdentity.size());
}

TEST(FaultModes, NamesRoundTrip) {
  for (const auto name : FaultModeNames()) {
    const auto mode = ParseFaultMode(name);
    ASSERT_TRUE(mode.has_value()) << name;
    EXPECT_EQ(FaultModeName(*mode), name);
  }
  EXPECT_FALSE(ParseFaultMode("sometimes").has_value());
}

}  // namespace
}  // namespace orvel::sim::test
