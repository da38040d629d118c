#include "core/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvel {

namespace {

std::string SystemReason(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

}  // namespace

std::string FileKindText(unsigned mode) {
  switch (mode & S_IFMT) {
    case S_IFREG:
      return "a regular file";
    case S_IFDIR:
      return "a directory";
    case S_IFCHR:
      return "a character device";
    case S_IFBLK:
      return "a block device";
    case S_IFIFO:
      return "a FIFO";
    case S_IFSOCK:
      return "a socket";
    case S_IFLNK:
      return "a symbolic link";
    default:
      return "not a file";
  }
}

InputFile::InputFile(const std::filesystem::path& path, std::uint64_t maxBytes, InputKind kind)
    : Name(path.string()), Device(kind == InputKind::CharacterDevice) {
  const int flags = Device ? O_RDWR | O_NOCTTY : O_RDONLY;
  Fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
  if (Fd < 0) {
    SystemError = errno;
    Why = SystemReason("cannot open", errno);
    return;
  }
  struct stat info {};
  if (::fstat(Fd, &info) != 0) {
    SystemError = errno;
    Refuse(SystemReason("cannot examine", errno));
    return;
  }
  const bool accepted = Device ? S_ISCHR(info.st_mode) : S_ISREG(info.st_mode);
  if (!accepted) {
    Refuse("is " + FileKindText(info.st_mode) + ", not " +
           (Device ? std::string("a serial port") : std::string("a regular file")));
    return;
  }
  if (Device) {
    return;
  }
  FileSize = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
  if (FileSize > maxBytes) {
    Refuse("is " + std::to_string(FileSize) + " bytes, larger than the " + std::to_string(maxBytes) +
           " bytes such a file can hold");
    return;
  }
  // A regular file never blocks; reads go back to the ordinary mode anyway.
  ::fcntl(Fd, F_SETFL, ::fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
}

InputFile::~InputFile() {
  if (Fd >= 0) {
    ::close(Fd);
  }
}

void InputFile::Refuse(std::string reason) {
  Why = std::move(reason);
  if (Fd >= 0) {
    ::close(Fd);
    Fd = -1;
  }
}

std::string InputFile::Failure() const {
  return Name + ": " + Why;
}

std::int64_t InputFile::Read(std::span<std::uint8_t> into) {
  if (Fd < 0) {
    return -1;
  }
  if (!Device) {
    const std::uint64_t left = FileSize - std::min(Position, FileSize);
    into = into.first(static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), left)));
    if (into.empty()) {
      return 0;
    }
  }
  for (;;) {
    const ssize_t got = ::read(Fd, into.data(), into.size());
    if (got >= 0) {
      Position += static_cast<std::uint64_t>(got);
      return got;
    }
    if (errno != EINTR) {
      SystemError = errno;
      Why = SystemReason("cannot read", errno);
      return -1;
    }
  }
}

bool InputFile::ReadExactly(std::span<std::uint8_t> into) {
  while (!into.empty()) {
    const std::int64_t got = Read(into);
    if (got <= 0) {
      return false;
    }
    into = into.subspan(static_cast<std::size_t>(got));
  }
  return true;
}

bool InputFile::Rewind() {
  if (Fd < 0 || ::lseek(Fd, 0, SEEK_SET) != 0) {
    return false;
  }
  Position = 0;
  return true;
}

bool InputFile::EndedWhereExpected() {
  std::uint8_t extra = 0;
  const ssize_t got = Fd < 0 ? -1 : ::pread(Fd, &extra, 1, static_cast<off_t>(FileSize));
  if (got == 0) {
    return true;
  }
  Why = got < 0 ? SystemReason("cannot read", errno) : "changed while it was read (it grew)";
  return false;
}

bool InputFile::ReadAll(std::vector<std::uint8_t>& bytes) {
  bytes.resize(static_cast<std::size_t>(FileSize));
  std::size_t total = 0;
  for (;;) {
    const std::int64_t got = Read(std::span(bytes).subspan(total));
    if (got < 0) {
      return false;
    }
    if (got == 0) {
      break;
    }
    total += static_cast<std::size_t>(got);
  }
  bytes.resize(total);
  return EndedWhereExpected();
}

int InputFile::Release() {
  const int fd = Fd;
  Fd = -1;
  return fd;
}

std::string OutputPathProblem(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  const std::string folder = parent.empty() ? "." : parent.string();
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    return "folder " + folder + ": " + std::strerror(errno);
  }
  if (!S_ISDIR(info.st_mode)) {
    return "folder " + folder + " is " + FileKindText(info.st_mode) + ", not a folder";
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "folder " + folder + ": " + std::strerror(errno);
  }
  return NotReplaceableReason(path);
}

std::string NotReplaceableReason(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
    return {};
  }
  return "is " + FileKindText(info.st_mode) + ", which is never replaced by a file";
}

bool SameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

}  // namespace orvel
