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

// A name as long as the system allows works: the temporary file's name is
// short, whatever the target's.
TEST(AtomicFileWriterTest, ANameOfTheLongestLengthIsWritten) {
  TempDir dir;
  const auto target = dir.Path() / std::string(250, 'n').append(".tab");
  ASSERT_EQ(WriteFileAtomically(target, std::vector<std::uint8_t>{1, 2}).Outcome, WriteOutcome::Written);
  ASSERT_EQ(WriteFileAtomically(target, std::vector<std::uint8_t>{3}).Outcome, WriteOutcome::Written);
  EXPECT_EQ(Content(target), std::vector<std::uint8_t>{3});
  EXPECT_EQ(Names(dir.Path()).size(), 1U);
}

// A device, a FIFO, a folder or a symbolic link under the target's name is
// never replaced by a file (a rename would do just that), and nothing is left.
TEST(AtomicFileWriterTest, ATargetThatIsNoRegularFileIsLeftAsItIs) {
  TempDir dir;
  const auto fifo = dir.Path() / "fifo.tab";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto file = dir.Path() / "file.tab";
  ASSERT_EQ(WriteFileAtomically(file, std::vector<std::uint8_t>{7}).Outcome, WriteOutcome::Written);
  const auto link = dir.Path() / "link.tab";
  std::filesystem::create_symlink(file, link);
  const auto folder = dir.Path() / "folder.tab";
  std::filesystem::create_directory(folder);
  for (const auto& [target, kind] :
       {std::pair<std::filesystem::path, const char*>{"/dev/null", "a character device"},
        {fifo, "a FIFO"},
        {link, "a symbolic link"},
        {folder, "a directory"}}) {
    const WriteResult result = WriteFileAtomically(target, std::vector<std::uint8_t>{1});
    EXPECT_EQ(result.Outcome, WriteOutcome::NotAFile) << target;
    EXPECT_EQ(result.ErrorText, std::string("is ") + kind + ", which is never replaced by a file");
  }
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Content(file), std::vector<std::uint8_t>{7});
  EXPECT_EQ(Names(dir.Path()).size(), 4U);
}

}  // namespace
}  // namespace orvel::test
