#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace orvel {

// How writing a whole file went.
enum class WriteOutcome {
  Written,
  CannotCreate,   // no temporary file could be created in the target's folder
  WriteFailed,    // the temporary file could not be filled or flushed (full disk, I/O
                  // error), or the folder not flushed after the rename (the
                  // target then holds the new file, which may not survive a power cut)
  CannotReplace,  // the finished file could not take the target's place
  NotAFile,       // the target exists and is no regular file (a device, a FIFO,
                  // a folder, a symbolic link): a rename would replace it
};

struct WriteResult {
  WriteOutcome Outcome = WriteOutcome::Written;
  std::string ErrorText;  // the system's reason; for NotAFile what the target is
};

// A file written piece by piece into a temporary file in the target's folder
// and renamed over the target by Commit. Without a successful Commit the
// temporary file is removed and the target stays as it was.
//
// Where the file system allows it the temporary file has no name until the
// content is on the disk (O_TMPFILE), so a save killed or cut off by a power
// loss leaves nothing behind (a history save would otherwise leave 133 MB
// beside the target every time); elsewhere it is a named ".orvel-XXXXXX" in
// the target's folder. The temporary name is short, so it fits wherever the
// target's name fits.
//
// A target that exists and is no regular file is refused (NotAFile): the
// rename would put a file where a device, a FIFO or a symbolic link was.
//
// This is how every file the program and the tool write is written (table,
// log, undo history, program state, CSV, autosave): Commit flushes the
// content to the disk before the rename and the folder after it, so a crash
// or a power cut at any moment leaves the complete old or the complete new
// file under the target's name, never an empty or partial one.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::filesystem::path target);
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter();

  // False once anything failed; the failure is kept for Commit.
  bool Write(std::span<const std::uint8_t> bytes);
  WriteResult Commit();

 private:
  void Discard();

  // Gives the unnamed temporary file a name beside the target.
  bool NameUnnamed();

  std::filesystem::path Target;
  std::string Temporary;  // the temporary file's name, once it has one
  bool Unnamed = false;   // the temporary file has no name yet
  int Fd = -1;
  WriteResult Failure;
};

// Writes the bytes to a temporary file in the target's folder, flushes it and
// renames it over the target (see AtomicFileWriter), so the target is either
// the old file or the complete new one, never a half-written file, even after
// a power cut. A failure removes the temporary file. Use this (or
// AtomicFileWriter for a file written in pieces) for every file the program
// saves.
WriteResult WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Reads a whole regular file of at most maxBytes (see InputFile: a FIFO or
// a device is refused without blocking, a larger file before a byte is read).
// False when it cannot be read, with what failed and the system's reason
// (without the file's name) in `failure`.
bool ReadFileBytes(const std::filesystem::path& path, std::uint64_t maxBytes,
                   std::vector<std::uint8_t>& bytes, std::string* failure = nullptr);

// Reads a whole regular file of at most maxBytes through a buffer of
// `pieceBytes`: `sized` gets the file's size, then `take` every piece in
// order. A large file is never held in memory at once. False, with the
// failure as for ReadFileBytes, when it cannot be read.
bool ReadFilePieces(const std::filesystem::path& path, std::uint64_t maxBytes, std::size_t pieceBytes,
                    const std::function<void(std::size_t)>& sized,
                    const std::function<void(std::span<const std::uint8_t>)>& take,
                    std::string* failure = nullptr);

}  // namespace orvel
