// `orvel table show | export | import | one-to-one` on real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_fixtures.h"
#include "cli_run.h"
#include "support/temp_dir.h"
#include "table/parameters.h"
#include "table/table_csv.h"
#include "table/table_file.h"

namespace orvel {
namespace {

using test::RunOrvel;

class TableFileCommands : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return (Dir.Path() / name).string(); }

  test::TempDir Dir;
};

TEST_F(TableFileCommands, ShowJsonCarriesEveryPartUnderItsName) {
  const TableBlock block = test::DistinctTable();
  const auto file = test::WriteTable(Dir.Path() / "distinct.tab", block);
  const auto result = RunOrvel({"table", "show", file.string(), "--json"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const nlohmann::json json = test::JsonOf(result);

  EXPECT_EQ(test::KeysOf(json), (std::vector<std::string>{"ECTCorr", "Enleanment", "Enrichment", "IATCorr",
                                                          "MafTime", "Out", "Panel", "SmoothMaf", "SmoothRpm",
                                                          "SmoothTps", "Threshold", "TpsThreshold"}));
  EXPECT_EQ(json["Out"].get<std::vector<int>>(),
            std::vector<int>(block.Entries.begin(), block.Entries.begin() + TableBlock::kOutCount));
  // Corrections come out signed, not as the bytes the file carries.
  EXPECT_EQ(json["IATCorr"].get<std::vector<int>>(),
            std::vector<int>(block.Entries.begin() + TableBlock::kIatCorr,
                             block.Entries.begin() + TableBlock::kIatCorr + TableBlock::kCorrCount));
  EXPECT_EQ(json["ECTCorr"].get<std::vector<int>>(),
            std::vector<int>(block.Entries.begin() + TableBlock::kEctCorr, block.Entries.end()));
  EXPECT_EQ(json["IATCorr"][0], -30);
  // Top level in block units, Panel in display units, keyed alike.
  ASSERT_EQ(json["Panel"].size(), static_cast<std::size_t>(kPanelFieldCount));
  for (int i = 0; i < kPanelFieldCount; ++i) {
    const auto field = static_cast<PanelField>(i);
    const std::string name(PanelFieldName(field));
    EXPECT_EQ(json[name], block[PanelFieldEntry(field)]) << name;
    EXPECT_EQ(json["Panel"][name], ParameterToDisplay(field, block)) << name;
  }
  EXPECT_EQ(json["SmoothMaf"], 64);
  EXPECT_EQ(json["Panel"]["SmoothMaf"], 50);
}

TEST_F(TableFileCommands, ShowWithoutJsonPrintsTheTable) {
  const auto file = test::WriteTable(Dir.Path() / "distinct.tab", test::DistinctTable());
  const auto result = RunOrvel({"table", "show", file.string()});
  ASSERT_EQ(result.Status, 0) << result.Err;
  for (const char* part : {"SmoothMaf", "Out (row", "IATCorr", "ECTCorr", " -30"}) {
    EXPECT_NE(result.Out.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(result.Err, "");
}

TEST_F(TableFileCommands, ExportThenImportGivesTheSameFileByteForByte) {
  const auto original = test::WriteTable(Dir.Path() / "original.tab", test::DistinctTable());
  const auto exported = RunOrvel({"table", "export", original.string(), PathOf("table.csv")});
  ASSERT_EQ(exported.Status, 0) << exported.Err;
  EXPECT_EQ(test::ReadText(PathOf("table.csv")), TableToCsv(test::DistinctTable()));

  // The ".tab" is added to a name without it.
  const auto imported = RunOrvel({"table", "import", PathOf("table.csv"), PathOf("copy")});
  ASSERT_EQ(imported.Status, 0) << imported.Err;
  EXPECT_EQ(test::ReadBytes(PathOf("copy.tab")), test::ReadBytes(original));
}

TEST_F(TableFileCommands, ExportThenImportKeepsCorrectionBytesBeyondTheWindowsLimits) {
  // The window never writes corrections beyond ±30, but a file holds any
  // signed byte: 156 is -100, and the extremes -128 and 127.
  const auto block = TableFileBytes(test::DistinctTable());
  std::vector<std::uint8_t> bytes(block.begin(), block.end());
  bytes[TableBlock::kIatCorr] = 156;
  bytes[TableBlock::kIatCorr + 1] = 0x80;
  bytes[TableBlock::kEctCorr + 63] = 0x7F;
  test::WriteBytes(PathOf("wide.tab"), bytes);
  ASSERT_EQ(RunOrvel({"table", "export", PathOf("wide.tab"), PathOf("wide.csv")}).Status, 0);
  const auto imported = RunOrvel({"table", "import", PathOf("wide.csv"), PathOf("back.tab")});
  ASSERT_EQ(imported.Status, 0) << imported.Err;
  EXPECT_EQ(test::ReadBytes(PathOf("back.tab")), bytes);
}

TEST_F(TableFileCommands, MalformedCsvNamesTheLineAndLeavesTheOldFile) {
  const std::string csv = TableToCsv(test::DistinctTable());
  struct Case {
    const char* Name;
    std::string Text;
    const char* Line;
  };
  std::string badValue = csv;
  const std::size_t lineFour = badValue.find("Out,2,");
  badValue.replace(lineFour, badValue.find('\n', lineFour) - lineFour, "Out,2,abc");
  const std::vector<Case> cases{
      {"bad value", badValue, "line 4"},
      {"unknown name", csv + "Bogus,0,1\n", "line 394"},
      {"no header", csv.substr(csv.find('\n') + 1), "line 1"},
  };
  const std::vector<std::uint8_t> previous(10, 0x5A);
  for (const Case& c : cases) {
    test::WriteBytes(PathOf("bad.csv"), c.Text);
    test::WriteBytes(PathOf("kept.tab"), previous);
    const auto result = RunOrvel({"table", "import", PathOf("bad.csv"), PathOf("kept.tab")});
    EXPECT_EQ(result.Status, 1) << c.Name;
    EXPECT_NE(result.Err.find("bad.csv: " + std::string(c.Line) + ":"), std::string::npos)
        << c.Name << ": " << result.Err;
    EXPECT_EQ(test::ReadBytes(PathOf("kept.tab")), previous) << c.Name;
  }
  const auto missing = RunOrvel({"table", "import", PathOf("none.csv"), PathOf("new.tab")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("none.csv"), std::string::npos) << missing.Err;
  EXPECT_FALSE(std::filesystem::exists(PathOf("new.tab")));
}

TEST_F(TableFileCommands, OneToOneRisesOrFallsWithToyota) {
  for (const bool toyota : {false, true}) {
    std::vector<std::string> arguments{"table", "one-to-one", PathOf("unit")};
    if (toyota) {
      arguments.emplace_back("--toyota");
    }
    const auto result = RunOrvel(arguments);
    ASSERT_EQ(result.Status, 0) << result.Err;
    const std::vector<std::uint8_t> bytes = test::ReadBytes(PathOf("unit.tab"));
    ASSERT_EQ(bytes.size(), TableBlock::kSize);
    EXPECT_EQ(bytes[0], toyota ? 255 : 0);
    EXPECT_EQ(bytes[255], toyota ? 0 : 255);
  }
}

TEST_F(TableFileCommands, UnreadableOrUnwritableFilesFailWithTheirName) {
  const auto table = test::WriteTable(Dir.Path() / "good.tab", test::DistinctTable());
  const std::string noFolder = PathOf("no/such/folder/out");
  const struct {
    std::vector<std::string> Arguments;
    std::string Named;
  } cases[] = {
      {{"table", "show", PathOf("none.tab")}, "none.tab"},
      {{"table", "export", PathOf("none.tab"), PathOf("out.csv")}, "none.tab"},
      {{"table", "export", table.string(), noFolder + ".csv"}, noFolder},
      {{"table", "one-to-one", noFolder}, noFolder + ".tab: cannot be written: folder"},
  };
  for (const auto& c : cases) {
    const auto result = RunOrvel(c.Arguments);
    EXPECT_EQ(result.Status, 1) << c.Arguments[1];
    EXPECT_NE(result.Err.find(c.Named), std::string::npos) << c.Arguments[1] << ": " << result.Err;
    EXPECT_EQ(result.Out, "") << c.Arguments[1];
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("out.csv")));
}

}  // namespace
}  // namespace orvel
