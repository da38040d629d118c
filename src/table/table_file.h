#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>

#include "core/user_messages.h"
#include "table/table_block.h"

namespace orvel {

inline constexpr std::size_t kTableFileSize = TableBlock::kSize;
// Files of this size carry the table and its parameters but no corrections.
inline constexpr std::size_t kShortTableFileSize = 512;
inline constexpr std::size_t kTableFileReadLimit = 600;

// The path a table is saved under: ".tab" is appended unless the name already
// ends in exactly ".tab".
std::filesystem::path TableFilePath(const std::filesystem::path& path);

// The 392 bytes of a block: the low byte of every entry.
std::array<std::uint8_t, kTableFileSize> TableFileBytes(const TableBlock& block);

// Writes the block's bytes under TableFilePath(path), through a temporary file
// and a rename; a failure leaves any old file as it was. The failure's
// message goes to `messages`.
bool WriteTableFile(const std::filesystem::path& path, const TableBlock& block, UserMessages& messages);

// What a table file's bytes give a block. `bytes` is what was read (at most
// 600 are looked at); corrections are dropped unless the file holds all 392
// bytes (and is not the 512-byte layout). parametersFound is false when the
// file ends before the first parameter; the caller then resets them.
struct TableFileContents {
  TableBlock Block;
  bool ParametersFound = true;
};
TableFileContents DecodeTableFile(std::span<const std::uint8_t> bytes);

}  // namespace orvel
