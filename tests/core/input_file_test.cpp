#include "core/input_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvel {
namespace {

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Whatever a careless user or an attacker names as a file: each is refused
// before a byte is read, at once (a FIFO without a writer would block an
// ordinary open forever), with the reason.
TEST(InputFile, HostileInputsAreRefusedAtOnceWithTheirReason) {
  const test::TempDir dir;
  const auto fifo = dir.Path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto sparse = dir.Path() / "sparse";
  WriteText(sparse, "");
  std::filesystem::resize_file(sparse, std::uint64_t{2} << 30U);
  const auto locked = dir.Path() / "locked";
  WriteText(locked, "secret");
  ::chmod(locked.c_str(), 0);

  struct Case {
    std::filesystem::path Path;
    std::string Reason;
  };
  std::vector<Case> cases{
      {dir.Path() / "missing", "cannot open: No such file or directory"},
      {fifo, "is a FIFO, not a regular file"},
      {"/dev/zero", "is a character device, not a regular file"},
      {dir.Path(), "is a directory, not a regular file"},
      {sparse, "is 2147483648 bytes, larger than the 1000 bytes such a file can hold"},
  };
  if (::geteuid() != 0) {  // root reads every file
    cases.push_back({locked, "cannot open: Permission denied"});
  }
  for (const Case& c : cases) {
    const auto started = std::chrono::steady_clock::now();
    InputFile file(c.Path, 1000);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds{1}) << c.Path;
    EXPECT_FALSE(file.Opened()) << c.Path;
    EXPECT_EQ(file.Reason(), c.Reason) << c.Path;
    EXPECT_EQ(file.Failure(), c.Path.string() + ": " + c.Reason);
  }

  // An empty file is a file: it opens and holds nothing.
  WriteText(dir.Path() / "empty", "");
  InputFile empty(dir.Path() / "empty", 1000);
  std::vector<std::uint8_t> bytes{1, 2};
  EXPECT_TRUE(empty.ReadAll(bytes));
  EXPECT_TRUE(bytes.empty());
}

// A file that grows while it is read: the reads stop at the size it had when
// it was opened, and ReadAll refuses it as changed rather than return a
// mixture or keep reading.
TEST(InputFile, AFileThatGrowsWhileReadIsRefusedAsChanged) {
  const test::TempDir dir;
  const auto path = dir.Path() / "growing";
  WriteText(path, "abcd");
  InputFile file(path, 1000);
  ASSERT_TRUE(file.Opened());
  std::ofstream(path, std::ios::binary | std::ios::app) << "efgh";
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(file.ReadAll(bytes));
  EXPECT_EQ(bytes.size(), 4U);
  EXPECT_EQ(file.Reason(), "changed while it was read (it grew)");

  InputFile settled(path, 1000);
  EXPECT_TRUE(settled.ReadAll(bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abcdefgh");
}

TEST(InputFile, OutputPathsAreCheckedBeforeAnyWork) {
  const test::TempDir dir;
  const auto regular = dir.Path() / "old.tab";
  WriteText(regular, "x");
  const auto fifo = dir.Path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink(regular, dir.Path() / "link");

  EXPECT_EQ(OutputPathProblem(regular), "");
  EXPECT_EQ(OutputPathProblem(dir.Path() / "new.tab"), "");
  EXPECT_EQ(OutputPathProblem(dir.Path() / "no" / "x.tab"),
            "folder " + (dir.Path() / "no").string() + ": No such file or directory");
  EXPECT_EQ(OutputPathProblem(regular / "x.tab"),
            "folder " + regular.string() + " is a regular file, not a folder");
  EXPECT_EQ(OutputPathProblem(fifo), "is a FIFO, which is never replaced by a file");
  EXPECT_EQ(OutputPathProblem(dir.Path() / "link"), "is a symbolic link, which is never replaced by a file");
  EXPECT_EQ(OutputPathProblem("/dev/null"), "is a character device, which is never replaced by a file");

  // The same file however it is spelt or linked; a file that does not exist is no input.
  std::filesystem::create_hard_link(regular, dir.Path() / "hard");
  EXPECT_TRUE(SameExistingFile(regular, dir.Path() / "." / "old.tab"));
  EXPECT_TRUE(SameExistingFile(regular, dir.Path() / "hard"));
  EXPECT_FALSE(SameExistingFile(regular, fifo));
  EXPECT_FALSE(SameExistingFile(dir.Path() / "none", dir.Path() / "none"));
}

}  // namespace
}  // namespace orvel
