#include "table/atomic_file.h"

#include "core/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
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

// A short name in the target's folder for a temporary file: "<folder>/.orvel-"
// followed by six letters (X to be filled in), whatever the target's name.
std::string TemporaryPattern(const std::filesystem::path& target) {
  const std::filesystem::path parent = target.parent_path();
  return (parent.empty() ? std::string() : parent.string() + "/") + ".orvel-XXXXXX";
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target) : Target(std::move(target)) {
  if (std::string reason = NotReplaceableReason(Target); !reason.empty()) {
    Failure = {WriteOutcome::NotAFile, std::move(reason)};
    return;
  }
  Fd = OpenUnnamedBeside(Target);
  if (Fd >= 0) {
    Unnamed = true;
    return;
  }
  Temporary = TemporaryPattern(Target);
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
  // linkat cannot replace the target, so the file gets a short temporary name
  // first and renamed over the target like a named temporary file; a save
  // killed between the two leaves that name, a window of microseconds.
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device entropy;
  std::uniform_int_distribution<std::size_t> letter(0, sizeof(kLetters) - 2);
  const std::string self = "/proc/self/fd/" + std::to_string(Fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    Temporary = TemporaryPattern(Target);
    for (char& c : std::span(Temporary).last(6)) {
      c = kLetters[letter(entropy)];
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
  // The target may have become something else while the content was written.
  if (std::string reason = NotReplaceableReason(Target); !reason.empty()) {
    ::unlink(Temporary.c_str());
    return Failure = {WriteOutcome::NotAFile, std::move(reason)};
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

bool ReadFileBytes(const std::filesystem::path& path, std::uint64_t maxBytes,
                   std::vector<std::uint8_t>& bytes, std::string* failure) {
  InputFile file(path, maxBytes);
  if (file.Opened() && file.ReadAll(bytes)) {
    return true;
  }
  if (failure != nullptr) {
    *failure = file.Reason();
  }
  return false;
}

bool ReadFilePieces(const std::filesystem::path& path, std::uint64_t maxBytes, std::size_t pieceBytes,
                    const std::function<void(std::size_t)>& sized,
                    const std::function<void(std::span<const std::uint8_t>)>& take, std::string* failure) {
  InputFile file(path, maxBytes);
  const bool read = [&] {
    if (!file.Opened()) {
      return false;
    }
    sized(static_cast<std::size_t>(file.Size()));
    std::vector<std::uint8_t> piece(std::max<std::size_t>(pieceBytes, 1));
    for (;;) {
      const std::int64_t got = file.Read(piece);
      if (got < 0) {
        return false;
      }
      if (got == 0) {
        return file.EndedWhereExpected();
      }
      take(std::span<const std::uint8_t>(piece).first(static_cast<std::size_t>(got)));
    }
  }();
  if (!read && failure != nullptr) {
    *failure = file.Reason();
  }
  return read;
}

}  // namespace orvel
