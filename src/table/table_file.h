#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/user_messages.h"
#include "table/table_block.h"

namespace orvel {

inline constexpr std::size_t kTableFileSize = TableBlock::kSize;
// Files of this size carry the table and its parameters but no corrections.
inline constexpr std::size_t kShortTableFileSize = 512;
inline constexpr std::size_t kTableFileReadLimit = 600;
// A longer file is no table (a table file is 392 bytes; longer files give
// their first 392): it is refused before it is read.
inline constexpr std::size_t kTableFileLargest = 65536;
// What follows a table file's name in the message when it cannot be read.
inline constexpr std::string_view kTableLoadErrorText = "Tab file load error";

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

// What a table file of `count` bytes lacks and what loading put in its
// place, for the user; empty when it holds a whole table.
std::string MissingFromTableFile(std::size_t count);

// Reads what a table file holds (at most kTableFileReadLimit bytes) into
// `bytes`. False when it cannot be opened, is no regular file, is larger than
// kTableFileLargest or cannot be read; `failure` then holds the reason
// (without the file's name).
bool ReadTableFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                        std::string& failure);

}  // namespace orvel
