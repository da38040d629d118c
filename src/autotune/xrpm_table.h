#pragma once

// The throttle scale: the raw TPS counts of the released and the fully
// pressed pedal, and the throttle opening in percent between them.

#include <cstddef>
#include <cstdint>
#include <span>

namespace orvel {

struct XrpmTable {
  // Bytes of the scale in the program state file: TpsMin, then TpsMax, each
  // a 16-bit big-endian word.
  static constexpr std::size_t ScaleBytes = 4;

  // Raw TPS counts (0..255) of the released and the fully pressed pedal; 0
  // until the program state file sets them.
  std::int32_t TpsMin = 0;
  std::int32_t TpsMax = 0;

  // The throttle opening 0..100 % of a raw TPS count. The count is first held
  // within the stored scale. An empty scale (TpsMin == TpsMax, as before any
  // calibration was loaded) is replaced by the full range 0..255 from this
  // call on; the count of this call stays as it was held, so a first call on
  // an uncalibrated scale gives 0. Not const for that reason; main thread only.
  std::int32_t TpsPercent(std::int32_t rawTps);

  // The low 16 bits of each value, high byte first.
  void SaveScale(std::span<std::uint8_t, ScaleBytes> bytes) const;
  void LoadScale(std::span<const std::uint8_t, ScaleBytes> bytes);
};

}  // namespace orvel
