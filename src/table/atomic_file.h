#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace orvel {

// How writing a whole file went.
enum class WriteOutcome {
  Written,
  CannotCreate,   // no temporary file could be created in the target's folder
  WriteFailed,    // the temporary file could not be filled (full disk, I/O error)
  CannotReplace,  // the finished file could not take the target's place
};

struct WriteResult {
  WriteOutcome Outcome = WriteOutcome::Written;
  std::string ErrorText;  // the system's text for WriteFailed
};

// Writes the bytes to a temporary file in the target's folder and renames it
// over the target, so the target is either the old file or the complete new
// one, never a half-written file. A failure removes the temporary file.
WriteResult WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Reads at most maxBytes of a file. False when it cannot be opened or read.
bool ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes);

}  // namespace orvel
