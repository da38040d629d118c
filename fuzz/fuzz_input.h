#pragma once

// Helpers shared by the fuzz targets.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

namespace orvel::fuzz {

// A fuzz input as a file that the readers open by name, exactly as they open
// the user's files: a memory file reached through /proc/self/fd, rewritten
// for every input, so the run touches no disk.
class MemoryFile {
 public:
  MemoryFile() : Fd(::memfd_create("fuzz-input", MFD_CLOEXEC)), Path("/proc/self/fd/" + std::to_string(Fd)) {
    if (Fd < 0) {
      std::perror("memfd_create");
      std::abort();
    }
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() { ::close(Fd); }

  // Replaces the file's content by `bytes` and returns the path to open.
  const std::filesystem::path& Hold(std::span<const std::uint8_t> bytes) {
    if (::ftruncate(Fd, 0) != 0 || (!bytes.empty() && ::pwrite(Fd, bytes.data(), bytes.size(), 0) !=
                                                          static_cast<ssize_t>(bytes.size()))) {
      std::perror("memory file");
      std::abort();
    }
    return Path;
  }

 private:
  int Fd;
  std::filesystem::path Path;
};

// A property every input must keep; a broken one ends the run like a crash,
// so libFuzzer saves the input.
inline void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

}  // namespace orvel::fuzz
