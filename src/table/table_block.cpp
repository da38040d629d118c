#include "table/table_block.h"

namespace orvel {

std::uint8_t EntryByte(std::int32_t entry) {
  return static_cast<std::uint8_t>(entry & 0xFF);
}

std::int32_t SignedByte(std::int32_t value) {
  return static_cast<std::int8_t>(EntryByte(value));
}

std::int32_t EntryFromByte(std::size_t index, std::uint8_t byte) {
  return index >= TableBlock::kIatCorr ? SignedByte(byte) : static_cast<std::int32_t>(byte);
}

}  // namespace orvel
