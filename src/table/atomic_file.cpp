#include "table/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>

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

// Flushes the folder that holds `path`, so a rename in it survives a power
// cut. A file system that cannot flush a folder (EINVAL) has nothing to do.
bool SyncFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  Descriptor folder(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) {
    return false;
  }
  return ::fsync(folder.Get()) == 0 || errno == EINVAL;
}

// An unnamed file in the folder that holds `target`, or -1 where the file
// system cannot make one. Naming it later goes through /proc/self/fd, so
// without /proc the named temporary file is used instead.
int OpenUnnamedBeside(const std::filesystem::path& target) {
  if (::access("/proc/self/fd", X_OK) != 0) {
    return -1;
  }
  const std::filesystem::path parent = target.parent_path();
  // The mode is what a saved file gets (the umask applies), as with creat().
  return ::open(parent.empty() ? "." : parent.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target) : Target(std::move(target)) {
  Fd = OpenUnnamedBeside(Target);
  if (Fd >= 0) {
    Unnamed = true;
    return;
  }
  Temporary = Target.string() + ".XXXXXX";
  Fd = ::mkstemp(Temporary.data());
  if (Fd < 0) {
    Failure = {WriteOutcome::CannotCreate, std::strerror(errno)};
    return;
  }
  // mkstemp makes the file private; a saved file gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(Fd, 0666 & ~mask);
}

AtomicFileWriter::~AtomicFileWriter() {
  Discard();
}

void AtomicFileWriter::Discard() {
  if (Fd >= 0) {
    ::close(Fd);
    Fd = -1;
    if (!Unnamed) {
      ::unlink(Temporary.c_str());
    }
  }
}

bool AtomicFileWriter::NameUnnamed() {
  // linkat cannot replace the target, so the file is named "<target>.XXXXXX"
  // first and renamed over the target like a named temporary file; a save
  // killed between the two leaves that name, a window of microseconds.
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device entropy;
  std::uniform_int_distribution<std::size_t> letter(0, sizeof(kLetters) - 2);
  const std::string self = "/proc/self/fd/" + std::to_string(Fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    Temporary = Target.string() + ".";
    for (int i = 0; i < 6; ++i) {
      Temporary += kLetters[letter(entropy)];
    }
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, Temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      Unnamed = false;
      return true;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

bool AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
  if (Failure.Outcome != WriteOutcome::Written) {
    return false;
  }
  if (!WriteAll(Fd, bytes)) {
    Failure = {WriteOutcome::WriteFailed, std::strerror(errno)};
    Discard();
    return false;
  }
  return true;
}

WriteResult AtomicFileWriter::Commit() {
  if (Failure.Outcome != WriteOutcome::Written) {
    return Failure;
  }
  // The content must be on the disk before the rename makes it the target:
  // otherwise a power cut soon after the rename (the way a logger in a car
  // usually stops) can leave the new name on an empty or partial file.
  // fdatasync is enough for a freshly written file, since the size is among
  // the metadata it writes, and costs no more than fsync.
  if (::fdatasync(Fd) != 0 || (Unnamed && !NameUnnamed())) {
    const int error = errno;
    Discard();
    return Failure = {WriteOutcome::WriteFailed, std::strerror(error)};
  }
  const int fd = Fd;
  Fd = -1;
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(Temporary.c_str());
    return Failure = {WriteOutcome::WriteFailed, std::strerror(error)};
  }
  if (::rename(Temporary.c_str(), Target.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(Temporary.c_str());
    return Failure = {WriteOutcome::CannotReplace, std::strerror(renameError)};
  }
  // The rename itself lives in the folder: flush it too, or after a power cut
  // the folder may still name the old file (or, for a first save, none).
  if (!SyncFolderOf(Target)) {
    return Failure = {WriteOutcome::WriteFailed, std::strerror(errno)};
  }
  return {};
}

WriteResult WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  AtomicFileWriter writer(path);
  writer.Write(bytes);
  return writer.Commit();
}

FileReader::FileReader(const std::filesystem::path& path) {
  Fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (Fd >= 0 && (::fstat(Fd, &info) != 0 || S_ISDIR(info.st_mode))) {
    ::close(Fd);
    Fd = -1;
  }
}

FileReader::~FileReader() {
  if (Fd >= 0) {
    ::close(Fd);
  }
}

bool FileReader::Rewind() {
  return ::lseek(Fd, 0, SEEK_SET) == 0;
}

bool FileReader::ReadExactly(std::span<std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t got = ::read(Fd, bytes.data(), bytes.size());
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(got));
  }
  return true;
}

namespace {

// The size of a file opened for reading; nothing for a directory or a file
// that could not be opened.
std::optional<std::size_t> SizeForReading(const Descriptor& file) {
  if (file.Get() < 0) {
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0);
}

// One read into `into`, repeated when a signal interrupts it; -1 on an error.
ssize_t ReadSome(const Descriptor& file, std::span<std::uint8_t> into) {
  for (;;) {
    const ssize_t got = ::read(file.Get(), into.data(), into.size());
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}

}  // namespace

bool ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes,
                   std::vector<std::uint8_t>& bytes) {
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  const auto size = SizeForReading(file);
  if (!size) {
    return false;
  }
  // The size is only a hint for the buffer; the read decides what arrived.
  bytes.resize(std::min(maxBytes, *size + 1));
  std::size_t total = 0;
  while (total < maxBytes) {
    if (total == bytes.size()) {
      bytes.resize(std::min(maxBytes, std::max<std::size_t>(bytes.size() * 2, 4096)));
    }
    const ssize_t got = ReadSome(file, std::span(bytes).subspan(total));
    if (got < 0) {
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

bool ReadFilePieces(const std::filesystem::path& path, std::size_t pieceBytes,
                    const std::function<void(std::size_t)>& sized,
                    const std::function<void(std::span<const std::uint8_t>)>& take) {
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  const auto size = SizeForReading(file);
  if (!size) {
    return false;
  }
  sized(*size);
  std::vector<std::uint8_t> piece(std::max<std::size_t>(pieceBytes, 1));
  for (;;) {
    const ssize_t got = ReadSome(file, piece);
    if (got <= 0) {
      return got == 0;
    }
    take(std::span<const std::uint8_t>(piece).first(static_cast<std::size_t>(got)));
  }
}

}  // namespace orvel
