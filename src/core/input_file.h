#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace orvel {

// What a reader accepts: a file on the disk, or (the serial link) a device.
enum class InputKind { RegularFile, CharacterDevice };

// A file opened for reading so that nothing outside can hurt the reader:
// open() never blocks (O_NONBLOCK: a FIFO opens at once instead of waiting
// for a writer), fstat then checks that the descriptor is of the accepted
// kind, and a regular file larger than `maxBytes` is refused before a byte is
// read. Reads stop at the size found when the file was opened, so a file
// that keeps growing cannot keep a reader busy or fill the memory; a file
// found longer at the end is refused as changed.
//
// Every failure leaves Reason() (what failed and the system's reason,
// without the file's name) and Failure() (the file's name, then the reason).
class InputFile {
 public:
  InputFile(const std::filesystem::path& path, std::uint64_t maxBytes,
            InputKind kind = InputKind::RegularFile);
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  [[nodiscard]] bool Opened() const { return Fd >= 0; }
  [[nodiscard]] const std::string& Reason() const { return Why; }
  [[nodiscard]] std::string Failure() const;
  // The errno of the failed call, 0 when the failure was no system error.
  [[nodiscard]] int Error() const { return SystemError; }
  // The file's size when it was opened (0 for a device).
  [[nodiscard]] std::uint64_t Size() const { return FileSize; }

  // Up to into.size() bytes; 0 at the end of the file, -1 on a failure.
  std::int64_t Read(std::span<std::uint8_t> into);
  // Fills `into` completely; false when the file ends first or a read fails.
  bool ReadExactly(std::span<std::uint8_t> into);
  // Back to the beginning.
  bool Rewind();
  // The whole file; false (with the reason) when a read fails or the file
  // turned out longer than it was when opened.
  bool ReadAll(std::vector<std::uint8_t>& bytes);
  // True when nothing lies beyond the size found at the opening; otherwise
  // records that the file changed while it was read.
  bool EndedWhereExpected();

  // Hands the descriptor over (the serial link keeps it); -1 when not opened.
  int Release();

 private:
  void Refuse(std::string reason);

  std::string Name;
  std::string Why;
  std::uint64_t FileSize = 0;
  std::uint64_t Position = 0;
  bool Device = false;
  int SystemError = 0;
  int Fd = -1;
};

// What a file of this mode is, for a message: "a FIFO", "a directory".
std::string FileKindText(unsigned mode);

// Why an existing `path` must not be replaced by a new file: it is a device,
// a FIFO, a folder or a symbolic link, which a rename would replace. Empty for
// a regular file or no file at all.
std::string NotReplaceableReason(const std::filesystem::path& path);

// Why `path` cannot be written as a whole new file, or empty when it can: its
// folder must exist and be writable, and an existing target must be a
// regular file (never a device, a FIFO, a folder or a symbolic link, which a
// rename would replace). Checked before any work starts.
std::string OutputPathProblem(const std::filesystem::path& path);

// True when both paths name the same existing file (the same device and
// inode), however they are spelt.
bool SameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace orvel
