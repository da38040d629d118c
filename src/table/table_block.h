#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvel {

// One conversion table as the converter holds it: 392 entries, each a signed
// 32-bit integer in memory and its low byte in files and on the wire.
//   0…255   Out: converter output for air-flow input 0…255
//   256…263 the eight parameters (block units)
//   264…327 IATCorr, 328…391 ECTCorr: signed corrections, entry k for raw temperature 4k…4k+3
struct TableBlock {
  static constexpr std::size_t kSize = 392;
  static constexpr std::size_t kOutCount = 256;
  static constexpr std::size_t kCorrCount = 64;

  static constexpr std::size_t kMafTime = 256;
  static constexpr std::size_t kThreshold = 257;
  static constexpr std::size_t kEnrichment = 258;
  static constexpr std::size_t kEnleanment = 259;
  static constexpr std::size_t kSmoothMaf = 260;
  static constexpr std::size_t kSmoothTps = 261;
  static constexpr std::size_t kSmoothRpm = 262;
  static constexpr std::size_t kTpsThreshold = 263;
  static constexpr std::size_t kIatCorr = 264;
  static constexpr std::size_t kEctCorr = 328;

  std::array<std::int32_t, kSize> Entries{};

  std::int32_t& operator[](std::size_t index) { return Entries[index]; }
  std::int32_t operator[](std::size_t index) const { return Entries[index]; }

  friend bool operator==(const TableBlock&, const TableBlock&) = default;
};

// The byte that files and the converter carry for an entry, and the entry
// read back from such a byte: corrections come back signed.
std::uint8_t EntryByte(std::int32_t entry);
std::int32_t EntryFromByte(std::size_t index, std::uint8_t byte);

// The low byte of a value read as a two's-complement signed byte (226 -> -30).
std::int32_t SignedByte(std::int32_t value);

}  // namespace orvel
