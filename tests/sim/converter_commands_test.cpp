#include <gtest/gtest.h>

#include <algorithm>

#include "converter_test_support.h"
#include "sim/simulated_converter.h"

namespace orvel::sim::test {
namespace {

using Reply = std::vector<std::uint8_t>;

struct IdentityCase {
  const char* Name;
  std::vector<std::uint8_t> Identity;
  Reply SvReply;
  Reply SyReply;
};

class IdentityTest : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(IdentityTest, AnswersSvAndSyAsTheDeviceKindDoes) {
  SimulatorOptions options;
  options.Identity = GetParam().Identity;
  SimulatedConverter converter(options);
  EXPECT_EQ(Exchange(converter, "sv", 0ms), GetParam().SvReply);
  EXPECT_EQ(Exchange(converter, "sy", 1ms), GetParam().SyReply);
}

INSTANTIATE_TEST_SUITE_P(
    Identities, IdentityTest,
    ::testing::Values(IdentityCase{"Full",
                                   {kFullIdentity.begin(), kFullIdentity.end()},
                                   {0x00, 0x02, 0x01, 0x26, 0x01, 0x05, 0x3E, 0x80},
                                   {90, 135, 1, 0x00, 0x33}},
                      IdentityCase{"Old", {38}, {38}, {}},
                      IdentityCase{"OtherKind", {0x00, 0x03, 0x01, 0x26}, {0x00, 0x03, 0x01, 0x26}, {}}),
    [](const auto& testInfo) { return std::string(testInfo.param.Name); });

TEST(ConverterCommands, SeStoresTheSensorSettingsSilentlyAndSyReturnsThem) {
  SimulatedConverter converter({});
  const Reply settings{83, 135, 0, 0x03, 0xB5};
  EXPECT_TRUE(Exchange(converter, WithPrefix("se", settings), 0ms).empty());
  EXPECT_EQ(Exchange(converter, "sy", 1ms), settings);
}

TEST(ConverterCommands, SrRepliesTheWholeWorkingTable) {
  SimulatorOptions options;
  options.InitialTable = DistinctTable();
  SimulatedConverter converter(options);
  const Reply reply = Exchange(converter, "sr", 0ms);
  EXPECT_EQ(reply, Reply(options.InitialTable.begin(), options.InitialTable.end()));
}

TEST(ConverterCommands, SwEchoesEveryByteThenStoresWithProgressEndingInZero) {
  SimulatedConverter converter({});
  const ConverterTable table = DistinctTable();
  EXPECT_TRUE(Exchange(converter, "sw", 0ms).empty());
  for (std::size_t i = 0; i + 1 < table.size(); ++i) {
    ASSERT_EQ(Exchange(converter, std::span(&table[i], 1), 1ms), Reply{table[i]}) << "byte " << i;
  }
  // The last byte's echo comes with the whole store at once (no pacing).
  const Reply afterLast = Exchange(converter, std::span(&table.back(), 1), 1ms);
  ASSERT_EQ(afterLast.size(), 1 + SimulatedConverter::kStoreSteps);
  EXPECT_EQ(afterLast.front(), table.back());
  EXPECT_EQ(afterLast.back(), 0);
  EXPECT_TRUE(std::none_of(afterLast.begin() + 1, afterLast.end() - 1, [](auto b) { return b == 0; }));
  EXPECT_EQ(converter.PermanentTable(), table);
  EXPECT_EQ(Exchange(converter, "sr", 2ms), Reply(table.begin(), table.end()));
}

TEST(ConverterCommands, PacedStoreSpreadsItsProgressOverSeconds) {
  SimulatorOptions options;
  options.RealPacing = true;
  SimulatedConverter converter(options);
  const ConverterTable table = DistinctTable();
  EXPECT_EQ(Exchange(converter, WithPrefix("sw", table), 0ms).size(), kTableSize);  // the echoes only
  EXPECT_TRUE(converter.Storing());
  EXPECT_EQ(converter.NextEventTime(), SimulatedConverter::kStoreStep);
  EXPECT_EQ(Exchange(converter, "sv", 80ms).size(), 10U);  // ten steps; the busy converter ignores "sv"
  const Reply rest = Exchange(converter, Reply{}, 10s);
  ASSERT_EQ(rest.size(), SimulatedConverter::kStoreSteps - 10);
  EXPECT_EQ(rest.back(), 0);
  EXPECT_FALSE(converter.Storing());
  EXPECT_EQ(converter.PermanentTable(), table);
}

TEST(ConverterCommands, TWritesWorkingMemoryOnlyAndKRestoresThePermanentTable) {
  SimulatedConverter converter({});
  const ConverterTable table = DistinctTable();
  EXPECT_TRUE(Exchange(converter, WithPrefix("t", table), 0ms).empty());
  EXPECT_EQ(converter.WorkingTable(), table);
  EXPECT_EQ(converter.PermanentTable(), OneToOneTable());
  EXPECT_EQ(Exchange(converter, "sr", 1ms), Reply(table.begin(), table.end()));

  Exchange(converter, Reply{'c', 7, 1, 'g', 10, 200}, 2ms);
  EXPECT_TRUE(Exchange(converter, "k", 3ms).empty());
  EXPECT_EQ(converter.WorkingTable(), OneToOneTable());
  EXPECT_EQ(converter.Correction().Value, 0);
  EXPECT_EQ(converter.Correction().WindowEnd, 255);
}

TEST(ConverterCommands, CSetsTheSignedCorrectionAndGTheWindow) {
  SimulatedConverter converter({});
  EXPECT_TRUE(Exchange(converter, Reply{'c', 12, 1}, 0ms).empty());
  EXPECT_EQ(converter.Correction().Value, -12);
  Exchange(converter, Reply{'c', 200, 0, 'g', 0x20, 0x80}, 1ms);
  EXPECT_EQ(converter.Correction().Value, 200);
  EXPECT_EQ(converter.Correction().WindowBegin, 0x20);
  EXPECT_EQ(converter.Correction().WindowEnd, 0x80);
}

TEST(ConverterCommands, LoneSIsAStopWhetherSilenceOrAnotherCommandFollows) {
  SimulatedConverter converter({});
  EXPECT_EQ(Exchange(converter, "sl", 0ms).size(), kFrameSize);
  EXPECT_TRUE(Exchange(converter, "s", 5ms).empty());
  EXPECT_TRUE(Exchange(converter, Reply{}, 10ms).empty());
  EXPECT_FALSE(converter.Streaming());
  // After 10 ms of silence the "s" is closed: a late "r" is no table read.
  EXPECT_TRUE(Exchange(converter, "r", 25ms).empty());
  // "s" directly followed by "sr" (stop, then read) is a stop and a read.
  Exchange(converter, "sl", 30ms);
  converter.TakeOutput();
  EXPECT_EQ(Exchange(converter, "ssr", 31ms).size(), kTableSize);
  EXPECT_FALSE(converter.Streaming());
  // "s" followed by a byte that begins another command runs that command.
  EXPECT_TRUE(Exchange(converter, WithPrefix("st", DistinctTable()), 40ms).empty());
  EXPECT_EQ(converter.WorkingTable(), DistinctTable());
}

TEST(ConverterCommands, IgnoresStrayBytesAndAbandonsInterruptedData) {
  SimulatedConverter converter({});
  EXPECT_TRUE(Exchange(converter, Reply{'x', 'y', 'z', 0x00, 0xFF}, 0ms).empty());
  EXPECT_EQ(Exchange(converter, "sv", 1ms).size(), kFullIdentity.size());
  // A "t" that stops after 10 bytes does not swallow the next command once
  // the converter has waited long enough.
  const ConverterTable table = DistinctTable();
  Exchange(converter, WithPrefix("t", std::span(table).first(10)), 2ms);
  EXPECT_EQ(Exchange(converter, "sv", 2ms + SimulatedConverter::kAbandonSilence).size(),
            kFullIdentity.size());
  EXPECT_EQ(converter.WorkingTable(), OneToOneTable());
  // A broken "fiud" leaves the loader alone.
  Exchange(converter, "fixsv", 1s);
  EXPECT_FALSE(converter.InLoader());
  EXPECT_EQ(converter.ReceivedCount(), 5 + 2 + 11 + 2 + 5);
}

TEST(ConverterCommands, LoaderAcknowledgesBlocksAndReturnsToCommandsAfterSilence) {
  SimulatedConverter converter({});
  EXPECT_TRUE(Exchange(converter, "fiud", 0ms).empty());
  EXPECT_TRUE(converter.InLoader());
  // The loader waits as long as it takes for the first block.
  EXPECT_EQ(converter.NextEventTime(), std::nullopt);
  const Reply first{0x00, 0x03, 0x11, 0x22, 0x33};
  const Reply second{0x00, 0x00};
  EXPECT_EQ(Exchange(converter, std::span(first).first(2), 300ms), Reply{});
  EXPECT_EQ(Exchange(converter, std::span(first).subspan(2), 300ms), Reply{0x11});
  EXPECT_EQ(Exchange(converter, second, 301ms), Reply{0x11});
  Reply both = first;
  both.insert(both.end(), second.begin(), second.end());
  EXPECT_EQ(converter.LoadedFirmware(), both);
  // "sv" right after the last block is still loader data...
  EXPECT_TRUE(Exchange(converter, "sv", 302ms).empty());
  // ...but after the silence the new firmware runs and answers.
  EXPECT_EQ(Exchange(converter, "sv", 302ms + SimulatedConverter::kLoaderExitSilence).size(),
            kFullIdentity.size());
}

TEST(ConverterCommands, RecoveryStartsInTheLoader) {
  SimulatorOptions options;
  options.StartInLoader = true;
  SimulatedConverter converter(options);
  EXPECT_EQ(Exchange(converter, Reply{0x00, 0x01, 0xAB}, 0ms), Reply{0x11});
}

}  // namespace
}  // namespace orvel::sim::test
