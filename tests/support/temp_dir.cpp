#include "support/temp_dir.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include <cerrno>
#include <string>
#include <system_error>

namespace orvel::test {

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& base) {
  std::string pattern = (base / "orvel_test_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  Folder = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // A test may have taken the write permission away to make a save fail.
  std::filesystem::permissions(Folder, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(Folder, ignored);
}

bool FolderMakesUnnamedFiles(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) {
    return false;
  }
  ::close(fd);
  return true;
}

}  // namespace orvel::test
