#include "support/temp_dir.h"

#include <cstdlib>

#include <cerrno>
#include <string>
#include <system_error>

namespace orvel::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvel_test_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  Folder = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(Folder, ignored);
}

}  // namespace orvel::test
