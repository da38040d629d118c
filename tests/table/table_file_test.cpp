#include "table/table_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "table_fixture.h"

namespace orvel::test {
namespace {

class TableFileTest : public TableTest {
 protected:
  // A file of `size` bytes whose byte i is (i + 1) % 256.
  std::filesystem::path FileOfSize(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
      bytes[i] = static_cast<std::uint8_t>((i + 1) % 256);
    }
    const auto path = Dir.Path() / ("f" + std::to_string(size) + ".tab");
    WriteAll(path, bytes);
    return path;
  }
  TempDir Dir;
};

TEST_F(TableFileTest, SaveAppendsExtensionUnlessExactlyTab) {
  ASSERT_TRUE(Model.SaveTableFile(Dir.Path() / "abc", 1));
  ASSERT_TRUE(Model.SaveTableFile(Dir.Path() / "abc.TAB", 1));
  ASSERT_TRUE(Model.SaveTableFile(Dir.Path() / "x.tab", 1));
  EXPECT_TRUE(std::filesystem::exists(Dir.Path() / "abc.tab"));
  EXPECT_TRUE(std::filesystem::exists(Dir.Path() / "abc.TAB.tab"));
  EXPECT_TRUE(std::filesystem::exists(Dir.Path() / "x.tab"));
  EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "x.tab.tab"));
  EXPECT_EQ(std::filesystem::file_size(Dir.Path() / "abc.tab"), 392U);
}

TEST_F(TableFileTest, RoundTripIsByteExactAndSigned) {
  Model.MakeOneToOne();
  Model.Tab1()[TableBlock::kIatCorr] = -30;
  Model.Tab1()[TableBlock::kEctCorr + 63] = 30;
  Panel.Texts[static_cast<int>(PanelField::Enrichment)] = "13";
  Panel.Texts[static_cast<int>(PanelField::TpsThreshold)] = "100";
  const auto path = Dir.Path() / "t.tab";
  ASSERT_TRUE(Model.SaveTableFile(path, 1));
  const std::vector<std::uint8_t> bytes = ReadAll(path);
  ASSERT_EQ(bytes.size(), 392U);
  EXPECT_EQ(bytes[264], 226);
  EXPECT_EQ(bytes[258], 128 + 17);
  EXPECT_EQ(bytes[263], 255);

  Model.MakeOneToOne();
  ASSERT_TRUE(Model.LoadTableFile(path, 1));
  EXPECT_EQ(Model.Tab1()[TableBlock::kIatCorr], -30);
  EXPECT_EQ(Panel.Texts[static_cast<int>(PanelField::Enrichment)], "13");
  ASSERT_TRUE(Model.SaveTableFile(Dir.Path() / "u.tab", 1));
  EXPECT_EQ(ReadAll(Dir.Path() / "u.tab"), bytes);
}

TEST_F(TableFileTest, EverySizeLoadsByItsRule) {
  struct Case {
    std::size_t Size;
    bool DefaultParameters;
    bool Corrections;
    int LastParameter;    // entry 263 after loading
    const char* Missing;  // what the message says is missing; empty: no message
  };
  const std::string corrections = "the temperature corrections are missing and were set to 0";
  for (const Case c :
       {Case{0, true, false, 255, "outputs 0..255 are missing"},
        Case{256, true, false, 255, "the parameters are missing"},
        Case{260, false, false, 0, "parameters 5..8 are missing"},
        Case{300, false, false, 8, corrections.c_str()}, Case{391, false, false, 8, corrections.c_str()},
        Case{392, false, true, 8, ""}, Case{512, false, false, 8, corrections.c_str()},
        Case{600, false, true, 8, ""}, Case{5000, false, true, 8, ""}}) {
    Model.Tab1().Entries.fill(77);
    Messages.Texts.clear();
    const auto file = FileOfSize(c.Size);
    ASSERT_TRUE(Model.LoadTableFile(file, 1)) << c.Size;
    if (*c.Missing == 0) {
      EXPECT_TRUE(Messages.Texts.empty()) << c.Size;
    } else {
      ASSERT_EQ(Messages.Texts.size(), 1U) << c.Size;
      EXPECT_TRUE(
          Messages.Texts[0].starts_with(file.string() + " holds " + std::to_string(c.Size) + " bytes"))
          << Messages.Texts[0];
      EXPECT_NE(Messages.Texts[0].find(c.Missing), std::string::npos) << Messages.Texts[0];
    }
    const TableBlock& b = Model.Tab1();
    EXPECT_EQ(b[0], c.Size > 0 ? 1 : 0) << c.Size;
    EXPECT_EQ(b[TableBlock::kMafTime], c.DefaultParameters ? 4 : 1) << c.Size;
    EXPECT_EQ(b[TableBlock::kTpsThreshold], c.LastParameter) << c.Size;
    EXPECT_EQ(b[TableBlock::kIatCorr], c.Corrections ? 9 : 0) << c.Size;
    EXPECT_EQ(b[TableBlock::kIatCorr + 126], c.Corrections ? -121 : 0) << c.Size;  // byte 135
  }
  // A file far longer than any table is refused before it is read.
  Model.Tab1().Entries.fill(77);
  const auto huge = FileOfSize(kTableFileLargest + 1);
  EXPECT_FALSE(Model.LoadTableFile(huge, 1));
  EXPECT_EQ(Messages.Texts.back(), huge.string() +
                                       " Tab file load error: is 65537 bytes, larger than the 65536 "
                                       "bytes such a file can hold");
  EXPECT_EQ(Model.Tab1()[0], 77);
}

TEST_F(TableFileTest, LoadLeavesBookkeepingAndOtherBlock) {
  Model.Trained()[5] = 9;
  Model.Anchors1()[5] = 255;
  Model.SetLearnedBegin(3);
  Model.Tab2()[0] = 42;
  const auto pushes = Model.History().HistoryCount();
  ASSERT_TRUE(Model.LoadTableFile(FileOfSize(392), 1));
  EXPECT_EQ(Model.Trained()[5], 9);
  EXPECT_EQ(Model.Anchors1()[5], 255);
  EXPECT_EQ(Model.LearnedBegin(), 3);
  EXPECT_EQ(Model.Tab2()[0], 42);
  EXPECT_EQ(Model.History().HistoryCount(), pushes + 1);
}

TEST_F(TableFileTest, FailuresGiveTheirMessagesAndKeepFiles) {
  const auto missing = Dir.Path() / "missing.tab";
  Model.Tab1()[0] = 5;
  EXPECT_FALSE(Model.LoadTableFile(missing, 1));
  EXPECT_EQ(Messages.Texts.back(),
            missing.string() + " Tab file load error: cannot open: No such file or directory");
  EXPECT_EQ(Model.Tab1()[0], 5);

  EXPECT_FALSE(Model.SaveTableFile(Dir.Path() / "no" / "such.tab", 1));
  EXPECT_EQ(Messages.Texts.back(),
            (Dir.Path() / "no" / "such.tab").string() + " Tab file save error: No such file or directory");

  // A directory, a FIFO or a symbolic link where the file should go is never
  // replaced: the rename would put a file in its place.
  std::filesystem::create_directory(Dir.Path() / "dir.tab");
  std::filesystem::create_directory(Dir.Path() / "dir.tab" / "inside");
  ASSERT_EQ(::mkfifo((Dir.Path() / "fifo.tab").c_str(), 0600), 0);
  std::filesystem::create_symlink(FileOfSize(392), Dir.Path() / "link.tab");
  for (const auto& [name, kind] : {std::pair{"dir.tab", "a directory"}, std::pair{"fifo.tab", "a FIFO"},
                                   std::pair{"link.tab", "a symbolic link"}}) {
    const auto target = Dir.Path() / name;
    EXPECT_FALSE(Model.SaveTableFile(target, 1));
    EXPECT_EQ(Messages.Texts.back(), target.string() + " Can't delete file before saving: is " + kind +
                                         ", which is never replaced by a file");
  }
  EXPECT_TRUE(std::filesystem::is_fifo(Dir.Path() / "fifo.tab"));
  EXPECT_TRUE(std::filesystem::is_symlink(Dir.Path() / "link.tab"));
  std::filesystem::remove(Dir.Path() / "fifo.tab");
  std::filesystem::remove(Dir.Path() / "link.tab");

  if (::geteuid() != 0) {
    // A folder that cannot be written keeps its old file untouched.
    const auto old = FileOfSize(392);
    ::chmod(Dir.Path().c_str(), 0500);
    EXPECT_FALSE(Model.SaveTableFile(old, 1));
    ::chmod(Dir.Path().c_str(), 0700);
    EXPECT_EQ(ReadAll(old).size(), 392U);
    EXPECT_EQ(ReadAll(old)[0], 1);
  }
  std::vector<std::string> leftovers;
  for (const auto& entry : std::filesystem::directory_iterator(Dir.Path())) {
    leftovers.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(std::count_if(leftovers.begin(), leftovers.end(),
                          [](const std::string& name) { return name.find(".tab.") != std::string::npos; }),
            0);
}

TEST_F(TableFileTest, ComparisonBlocksLoadAndSaveSeparately) {
  TextPanel second;
  Model.BindSecondTable(&second);
  ASSERT_TRUE(Model.LoadTableFile(FileOfSize(392), 2));
  EXPECT_EQ(Model.Tab2()[0], 1);
  EXPECT_EQ(Model.Tab1()[0], 0);
  EXPECT_EQ(second.Texts[static_cast<int>(PanelField::MafTime)], std::to_string(257 % 256));
  ASSERT_TRUE(Model.SaveTableFile(Dir.Path() / "two", 2));
  const auto bytes = ReadAll(Dir.Path() / "two.tab");
  EXPECT_EQ(bytes[263], 255);
  EXPECT_EQ(bytes[0], 1);
}

// Random and truncated table files load by the size rules without fault.
TEST_F(TableFileTest, RandomFilesNeverFault) {
  std::uint32_t seed = 99;
  for (int round = 0; round < 200; ++round) {
    seed = seed * 1664525U + 1013904223U;
    std::vector<std::uint8_t> bytes(seed % 700);
    for (auto& b : bytes) {
      seed = seed * 1664525U + 1013904223U;
      b = static_cast<std::uint8_t>(seed >> 24);
    }
    const TableFileContents contents = DecodeTableFile(bytes);
    for (std::size_t i = 0; i < TableBlock::kSize; ++i) {
      ASSERT_GE(contents.Block[i], i < TableBlock::kIatCorr ? 0 : -128);
      ASSERT_LE(contents.Block[i], 255);
    }
  }
}

}  // namespace
}  // namespace orvel::test
