#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "core/crc8.h"

namespace orvel {
namespace {

// The converter's own description: a 9-bit register started at 0xFF, every
// data bit and then eight zero bits shifted in from the top, XOR 0x107 on
// overflow. The table-free implementation must agree with it for any input.
std::uint8_t ShiftRegisterCrc(std::span<const std::uint8_t> bytes) {
  unsigned r = 0xFF;
  auto shiftIn = [&r](unsigned bit) {
    r = r * 2 + bit;
    if (r >= 256) {
      r ^= 0x107;
    }
  };
  for (const std::uint8_t byte : bytes) {
    for (int i = 7; i >= 0; --i) {
      shiftIn((byte >> i) & 1U);
    }
  }
  for (int i = 0; i < 8; ++i) {
    shiftIn(0);
  }
  return static_cast<std::uint8_t>(r);
}

TEST(FrameCrc8, KnownCheckValues) {
  const std::array<std::uint8_t, 9> zeros{};
  const std::array<std::uint8_t, 9> digits{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(FrameCrc8(zeros), 0x2D);
  EXPECT_EQ(FrameCrc8(digits), 0xD9);
}

TEST(FrameCrc8, AgreesWithTheShiftRegisterOnPseudoRandomFrames) {
  std::uint32_t seed = 12345;
  for (int frame = 0; frame < 2000; ++frame) {
    std::array<std::uint8_t, 9> bytes{};
    for (auto& byte : bytes) {
      seed = seed * 1664525U + 1013904223U;
      byte = static_cast<std::uint8_t>(seed >> 24U);
    }
    ASSERT_EQ(FrameCrc8(bytes), ShiftRegisterCrc(bytes)) << "frame " << frame;
  }
}

}  // namespace
}  // namespace orvel
