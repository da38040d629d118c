#include "table/atomic_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvel::test {
namespace {

std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

std::vector<std::uint8_t> Content(const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(ReadFileBytes(path, 1U << 20U, bytes));
  return bytes;
}

// A save in progress, an abandoned save and a finished one: the target holds
// the old bytes until Commit, then the new ones with the usual permissions,
// and no temporary file is left in the folder either way. Where the file
// system makes unnamed files, nothing but the target is visible while the
// save is in progress either, so a save killed half-way leaves nothing.
TEST(AtomicFileWriterTest, TargetChangesOnlyOnCommitAndNothingIsLeftBeside) {
  TempDir dir;
  const auto target = dir.Path() / "UndoRedoHistory.his";
  const std::vector<std::uint8_t> old{1, 2, 3};
  const std::vector<std::uint8_t> fresh{9, 8, 7, 6};
  ASSERT_EQ(WriteFileAtomically(target, old).Outcome, WriteOutcome::Written);

  {
    AtomicFileWriter abandoned(target);
    ASSERT_TRUE(abandoned.Write(fresh));
    if (FolderMakesUnnamedFiles(dir.Path())) {
      EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"UndoRedoHistory.his"});
    }
  }
  EXPECT_EQ(Content(target), old);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"UndoRedoHistory.his"});

  AtomicFileWriter writer(target);
  ASSERT_TRUE(writer.Write(std::span(fresh).first(2)));
  ASSERT_TRUE(writer.Write(std::span(fresh).subspan(2)));
  EXPECT_EQ(Content(target), old);
  ASSERT_EQ(writer.Commit().Outcome, WriteOutcome::Written);
  EXPECT_EQ(Content(target), fresh);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"UndoRedoHistory.his"});

  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777U, 0666U & ~mask);
}

TEST(AtomicFileWriterTest, MissingFolderIsReportedAndCreatesNothing) {
  TempDir dir;
  const WriteResult result =
      WriteFileAtomically(dir.Path() / "no" / "such.tab", std::vector<std::uint8_t>{1});
  EXPECT_EQ(result.Outcome, WriteOutcome::CannotCreate);
  EXPECT_FALSE(result.ErrorText.empty());
  EXPECT_TRUE(Names(dir.Path()).empty());
}

}  // namespace
}  // namespace orvel::test
