// `orvel log show | export` and `orvel learn` on small logs written with the
// library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_fixtures.h"
#include "cli_run.h"
#include "support/temp_dir.h"
#include "table/table_file.h"

namespace orvel {
namespace {

using test::Contains;
using test::LogSample;
using test::RunOrvel;

std::vector<std::string> NamesOf(LogFileLayout layout) {
  std::vector<std::string> names;
  for (const Channel channel : StoredChannels(layout)) {
    names.emplace_back(kLogChannelNames[ChannelIndex(channel)]);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class LogCommands : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return (Dir.Path() / name).string(); }

  // Four samples at MAF 10, 40, 60 and 80 with the converter's output a little
  // above the 1:1 table and O2Smooth rich, rich, lean and in between.
  std::string FourSampleLog() const {
    return test::WriteLog(Dir.Path() / "four.log", {LogSample(10, 12, 125), LogSample(40, 47, 125),
                                                    LogSample(60, 66, 150), LogSample(80, 80, 140)})
        .string();
  }
  // An older-layout file: a 24-byte header without the signature and 8-byte
  // records (Conv … O2).
  std::string OlderLog() const {
    std::vector<std::uint8_t> bytes(kOlderLogHeaderSize, 0);
    bytes[0] = 7;
    bytes[1] = 200;
    for (const int maf : {30, 90}) {
      const std::vector<std::uint8_t> record{50, 0, 3, static_cast<std::uint8_t>(maf), 20, 1, 2, 99};
      bytes.insert(bytes.end(), record.begin(), record.end());
    }
    test::WriteBytes(Dir.Path() / "older.log", bytes);
    return PathOf("older.log");
  }

  test::TempDir Dir;
};

TEST_F(LogCommands, ShowJsonGivesLayoutSamplesAndEachStoredChannelsRange) {
  const struct {
    std::string File;
    const char* Layout;
    std::size_t Samples;
    int TpsMin;
    int TpsMax;
    int MafMin;
    int MafMax;
    LogFileLayout Stored;
  } cases[] = {
      {FourSampleLog(), "current", 4, 12, 230, 10, 80, LogFileLayout::Current},
      {OlderLog(), "older", 2, 7, 200, 30, 90, LogFileLayout::Older},
  };
  for (const auto& c : cases) {
    const auto result = RunOrvel({"log", "show", c.File, "--json"});
    ASSERT_EQ(result.Status, 0) << c.Layout << ": " << result.Err;
    const nlohmann::json json = test::JsonOf(result);
    EXPECT_EQ(test::KeysOf(json),
              (std::vector<std::string>{"Channels", "FileTpsMax", "FileTpsMin", "Layout", "Samples"}));
    EXPECT_EQ(json["Layout"], c.Layout);
    EXPECT_EQ(json["Samples"], c.Samples) << c.Layout;
    EXPECT_EQ(json["FileTpsMin"], c.TpsMin) << c.Layout;
    EXPECT_EQ(json["FileTpsMax"], c.TpsMax) << c.Layout;
    EXPECT_EQ(test::KeysOf(json["Channels"]), NamesOf(c.Stored)) << c.Layout;
    EXPECT_EQ(json["Channels"]["Maf"], (nlohmann::json{{"Min", c.MafMin}, {"Max", c.MafMax}})) << c.Layout;
  }
}

TEST_F(LogCommands, ShowWithoutJsonPrintsDurationAndRanges) {
  const auto result = RunOrvel({"log", "show", FourSampleLog()});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_TRUE(Contains(result.Out, "Samples: 4\nDuration: 0.04 s\n")) << result.Out;
  EXPECT_TRUE(Contains(result.Out, "Maf             10      80\n")) << result.Out;
}

TEST_F(LogCommands, ExportWritesOneRowPerSampleWithItsTimeAndTheStoredChannels) {
  const struct {
    std::string File;
    LogFileLayout Layout;
    const char* Row;
    std::size_t Lines;
  } cases[] = {
      // Conv Marker OutputSum Maf Tps RpmPeriod O2 Corr Iat Ect O2Smooth LogCorr
      {FourSampleLog(), LogFileLayout::Current, "\n0.03,80,11,12,80,14,15,16,17,18,19,140,23\n", 5},
      // An older file has no Corr … LogCorr: no columns of zeros for them.
      {OlderLog(), LogFileLayout::Older, "\n0.01,50,0,3,90,20,258,99\n", 3},
  };
  for (const auto& c : cases) {
    const std::string csvFile = PathOf("out.csv");
    const auto result = RunOrvel({"log", "export", c.File, csvFile});
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, "Exported " + std::to_string(c.Lines - 1) + " samples to " + csvFile + "\n");
    const std::string csv = test::ReadText(csvFile);
    std::string header = "Time";
    for (const Channel channel : StoredChannels(c.Layout)) {
      header += "," + std::string(kLogChannelNames[ChannelIndex(channel)]);
    }
    EXPECT_EQ(csv.substr(0, csv.find('\n')), header);
    EXPECT_TRUE(Contains(csv, c.Row)) << csv;
    EXPECT_EQ(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')), c.Lines);
  }
}

TEST_F(LogCommands, DamagedOrMissingLogFailsWithTheLoadError) {
  test::WriteBytes(Dir.Path() / "short.log", std::vector<std::uint8_t>(5, 1));
  const auto table = test::WriteTable(Dir.Path() / "unit.tab", test::OneToOneBlock());
  const struct {
    std::vector<std::string> Arguments;
    const char* Reason;
  } cases[] = {
      {{"log", "show", PathOf("short.log"), "--json"}, "too short"},
      {{"log", "export", PathOf("short.log"), PathOf("short.csv")}, "too short"},
      {{"log", "show", PathOf("none.log")}, "none.log"},
      {{"learn", table.string(), PathOf("short.log"), PathOf("learned.tab"), "--sensor", "1", "--o2-target",
        "130", "--o2-ref", "147"},
       "too short"},
  };
  for (const auto& c : cases) {
    const auto result = RunOrvel(c.Arguments);
    EXPECT_EQ(result.Status, 1) << c.Arguments[1];
    EXPECT_EQ(result.Out, "") << c.Arguments[1];
    EXPECT_TRUE(Contains(result.Err, kLogLoadErrorText)) << result.Err;
    EXPECT_TRUE(Contains(result.Err, c.Reason)) << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("short.csv")));
  EXPECT_FALSE(std::filesystem::exists(PathOf("learned.tab")));
}

class LearnCommand : public LogCommands {
 protected:
  test::CliResult Learn(std::vector<std::string> extra, const std::string& log = {}) {
    std::vector<std::string> arguments{"learn",
                                       Table.string(),
                                       log.empty() ? FourSampleLog() : log,
                                       PathOf("learned.tab"),
                                       "--sensor",
                                       "1",
                                       "--o2-target",
                                       "130",
                                       "--o2-ref",
                                       "147",
                                       "--maf-limit",
                                       "20"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunOrvel(arguments);
  }
  std::vector<std::uint8_t> Learned() const { return test::ReadBytes(PathOf("learned.tab")); }

  std::filesystem::path Table = test::WriteTable(Dir.Path() / "unit.tab", test::OneToOneBlock());
};

TEST_F(LearnCommand, StepsOrTakesTheOutputAtEachPointAboveTheLimit) {
  const struct {
    const char* Name;
    std::vector<std::string> Extra;
    int At10, At40, At60, At80;
  } cases[] = {
      {"learning pass", {}, 10, 39, 61, 80},
      {"take output", {"--take-output"}, 10, 47, 66, 80},
      {"from sample 2", {"--from", "2"}, 10, 40, 61, 80},
      {"to sample 1", {"--to", "1"}, 10, 39, 60, 80},
  };
  for (const auto& c : cases) {
    const auto result = Learn(c.Extra);
    ASSERT_EQ(result.Status, 0) << c.Name << ": " << result.Err;
    const std::vector<std::uint8_t> table = Learned();
    ASSERT_EQ(table.size(), TableBlock::kSize) << c.Name;
    EXPECT_EQ((std::vector<int>{table[10], table[40], table[60], table[80]}),
              (std::vector<int>{c.At10, c.At40, c.At60, c.At80}))
        << c.Name;
    // Everything else is the starting table's.
    std::vector<std::uint8_t> rest = table;
    const auto unit = test::ReadBytes(Table);
    for (const std::size_t point : {10, 40, 60, 80}) {
      rest[point] = unit[point];
    }
    EXPECT_EQ(rest, unit) << c.Name;
  }
}

TEST_F(LearnCommand, JsonReportsTheRangeAndTheChangedPoints) {
  const auto result = Learn({"--json"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const nlohmann::json json = test::JsonOf(result);
  EXPECT_EQ(json["FirstIndex"], 0);
  EXPECT_EQ(json["LastIndex"], 3);
  EXPECT_EQ(json["MafLimit"], 20);
  EXPECT_EQ(json["O2Target"], 130);
  EXPECT_EQ(json["O2FromDash"], 147);
  EXPECT_EQ(json["PointsChanged"], 2);
  EXPECT_TRUE(json["PointsSeen"].is_number()) << result.Out;
}

TEST_F(LearnCommand, RangesOutsideTheLogAndTheOlderLayoutFailWritingNothing) {
  const struct {
    const char* Name;
    std::vector<std::string> Extra;
    bool Older;
    const char* Says;
  } cases[] = {
      {"past the end", {"--to", "4"}, false, "samples 0..4 are not within the log's 4 samples (0..3)"},
      {"reversed", {"--from", "3", "--to", "1"}, false, "samples 3..1 are not within"},
      {"negative", {"--from", "-1"}, false, "samples -1..3 are not within"},
      {"older layout", {}, true, "--take-output works on it"},
  };
  for (const auto& c : cases) {
    const auto result = Learn(c.Extra, c.Older ? OlderLog() : std::string{});
    EXPECT_EQ(result.Status, 1) << c.Name;
    EXPECT_TRUE(Contains(result.Err, c.Says)) << c.Name << ": " << result.Err;
    EXPECT_FALSE(std::filesystem::exists(PathOf("learned.tab"))) << c.Name;
  }
  const auto taken = Learn({"--take-output"}, OlderLog());
  EXPECT_EQ(taken.Status, 0) << taken.Err;
  EXPECT_EQ(Learned().at(30), 50);
}

}  // namespace
}  // namespace orvel
