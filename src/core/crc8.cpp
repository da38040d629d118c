#include "core/crc8.h"

namespace orvel {

std::uint8_t FrameCrc8(std::span<const std::uint8_t> bytes) {
  std::uint8_t crc = 0xF3;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80U) != 0 ? static_cast<std::uint8_t>((crc << 1U) ^ 0x07U)
                               : static_cast<std::uint8_t>(crc << 1U);
    }
  }
  return crc;
}

}  // namespace orvel
