#include "autotune/xrpm_table.h"

#include "core/number_format.h"

namespace orvel {

namespace {

void WriteWord(std::int32_t value, std::uint8_t* bytes) {
  bytes[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  bytes[1] = static_cast<std::uint8_t>(value & 0xFF);
}

std::int32_t ReadWord(const std::uint8_t* bytes) {
  return (bytes[0] << 8) | bytes[1];
}

}  // namespace

std::int32_t XrpmTable::TpsPercent(std::int32_t rawTps) {
  std::int32_t held = rawTps;
  if (held > TpsMax) {
    held = TpsMax;
  }
  if (held < TpsMin) {
    held = TpsMin;
  }
  if (TpsMax == TpsMin) {
    TpsMax = 255;
    TpsMin = 0;
  }
  // Single precision, as the throttle gauge has always been scaled.
  const float percent = static_cast<float>(held - TpsMin) * 100.0F / static_cast<float>(TpsMax - TpsMin);
  return static_cast<std::int32_t>(RoundHalfEven(percent));
}

void XrpmTable::SaveScale(std::span<std::uint8_t, ScaleBytes> bytes) const {
  WriteWord(TpsMin, &bytes[0]);
  WriteWord(TpsMax, &bytes[2]);
}

void XrpmTable::LoadScale(std::span<const std::uint8_t, ScaleBytes> bytes) {
  TpsMin = ReadWord(&bytes[0]);
  TpsMax = ReadWord(&bytes[2]);
}

}  // namespace orvel
