#include "core/damaged_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvel {

std::filesystem::path DamagedFileName(const std::filesystem::path& path) {
  return path.string() + ".damaged";
}

std::string KeptAsDamagedText(const std::filesystem::path& path) {
  return "it is kept as " + DamagedFileName(path).string();
}

std::string KeepDamagedFile(const std::filesystem::path& path) {
  if (std::rename(path.c_str(), DamagedFileName(path).c_str()) == 0 || errno == ENOENT) {
    return {};
  }
  return path.string() + ": cannot be kept as " + DamagedFileName(path).string() + ": " +
         std::strerror(errno) + "; it was not replaced";
}

}  // namespace orvel
