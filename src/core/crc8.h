#pragma once

#include <cstdint>
#include <span>

namespace orvel {

// Check byte of a live-data frame: CRC-8 with polynomial 0x07, initial value
// 0xF3, no reflection and no final XOR, over the given bytes. The converter
// computes it as a 9-bit shift register started at 0xFF that shifts in every
// data bit and then eight zero bits; both give the same value.
std::uint8_t FrameCrc8(std::span<const std::uint8_t> bytes);

}  // namespace orvel
