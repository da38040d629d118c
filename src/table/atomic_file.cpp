#include "table/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace orvel {

namespace {

// Closes a descriptor on every path out of a function.
class Descriptor {
 public:
  explicit Descriptor(int fd) : Fd(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (Fd >= 0) {
      ::close(Fd);
    }
  }
  [[nodiscard]] int Get() const { return Fd; }
  int Release() {
    const int fd = Fd;
    Fd = -1;
    return fd;
  }

 private:
  int Fd;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

WriteResult WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::string temporary = path.string() + ".XXXXXX";
  Descriptor file(::mkstemp(temporary.data()));
  if (file.Get() < 0) {
    return {WriteOutcome::CannotCreate, std::strerror(errno)};
  }
  // mkstemp makes the file private; a saved file gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(file.Get(), 0666 & ~mask);

  const bool filled = WriteAll(file.Get(), bytes);
  const int writeError = errno;
  const bool closed = ::close(file.Release()) == 0;
  if (!filled || !closed) {
    ::unlink(temporary.c_str());
    return {WriteOutcome::WriteFailed, std::strerror(filled ? errno : writeError)};
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temporary.c_str());
    return {WriteOutcome::CannotReplace, std::strerror(renameError)};
  }
  return {};
}

bool ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes,
                   std::vector<std::uint8_t>& bytes) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    return false;
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
    return false;
  }
  // The size is only a hint for the buffer; the read decides what arrived.
  const auto hinted = static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0);
  bytes.resize(std::min(maxBytes, hinted + 1));
  std::size_t total = 0;
  while (total < maxBytes) {
    if (total == bytes.size()) {
      bytes.resize(std::min(maxBytes, std::max<std::size_t>(bytes.size() * 2, 4096)));
    }
    const ssize_t got = ::read(file.Get(), bytes.data() + total, bytes.size() - total);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (got == 0) {
      break;
    }
    total += static_cast<std::size_t>(got);
  }
  bytes.resize(total);
  return true;
}

}  // namespace orvel
