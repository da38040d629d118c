#include "autotune/o2_sensor.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace orvel {

namespace {

constexpr std::int32_t kGaugeFull = 255;

// Truncates the air-fuel ratio x 10 that a wide-band controller's linear
// output stands for: ratio = volts x slope + offset.
std::int32_t WidebandAfr(double volts, double slope, double offset) {
  return static_cast<std::int32_t>(((volts * slope) + offset) * 10);
}

// Integer quotient rounded to the nearest, ties to even; the inputs are
// integers, so a tie is seen exactly.
std::int64_t DivideRoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  std::int64_t quotient = numerator / denominator;
  std::int64_t remainder = numerator % denominator;
  if (remainder < 0) {  // floor division
    --quotient;
    remainder += denominator;
  }
  const std::int64_t twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) {
    ++quotient;
  }
  return quotient;
}

// The gauge position in 0..255 from a computation in 64 bits, so that no
// stored value can overflow it.
std::int32_t GaugePosition(std::int64_t position) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(position, 0, kGaugeFull));
}

// A colour band of the gauge: positions up to and including UpTo.
struct GaugeBand {
  std::int32_t UpTo;
  TColorRgb Color;
};

// Narrow-band sensor (0..1 V): bands end at 124.5, 199.2 and 224.1.
constexpr std::array<GaugeBand, 4> kNarrowbandBands = {
    {{124, kO2Blue}, {199, kO2Green}, {224, kO2Yellow}, {kGaugeFull, kO2Red}}};

// Air-fuel ratio sensors: bands end at 124.5, 144.42, 174.3 and 204.18.
constexpr std::array<GaugeBand, 5> kWidebandBands = {
    {{124, kO2Blue}, {144, kO2Green}, {174, kO2Yellow}, {204, kO2Orange}, {kGaugeFull, kO2Red}}};

void ShowGauge(std::int64_t position, std::span<const GaugeBand> bands, TO2Display& display) {
  display.Gauge = GaugePosition(position);
  for (const GaugeBand& band : bands) {
    if (display.Gauge <= band.UpTo) {
      display.Color = band.Color;
      return;
    }
  }
}

}  // namespace

bool IsVoltageO2Sensor(std::int32_t sensorType) {
  return sensorType == 0 || sensorType == 2;
}

std::int32_t ConvertO2(std::int32_t rawCount, std::int32_t sensorType) {
  const double volts = rawCount * (1.0 / 255) * 5;
  switch (sensorType) {
    case 1:
      return WidebandAfr(volts, 3.008, 7.35);
    case 3:
      return WidebandAfr(volts, 1.996, 10);
    case 4:
      return WidebandAfr(volts, 2.375, 7.3125);
    default:
      return rawCount;
  }
}

std::string O2ValueText(std::int32_t value, std::int32_t sensorType, NumberFormat format) {
  if (IsVoltageO2Sensor(sensorType)) {
    return FormatDecimal(value * 5.0 / 256, 2, format) + "V";
  }
  return FormatDecimal(value * 0.1, 1, format);
}

std::optional<std::string> O2PercentText(std::int32_t value, std::int32_t sensorType) {
  if (IsVoltageO2Sensor(sensorType)) {
    return std::string(" ");
  }
  if (value == 0) {
    return std::nullopt;
  }
  // (147 / value - 1) x 100 = (14700 - 100 x value) / value
  const std::int64_t percent = DivideRoundHalfEven((kStoichiometricAfr - std::int64_t{value}) * 100, value);
  return std::to_string(percent) + "%";
}

void DisplayO2(std::int32_t value, std::int32_t sensorType, NumberFormat format, TO2Display& display) {
  switch (sensorType) {
    case 0:
      // 4.98 steps per count (51 counts fill the gauge), in hundredths so
      // that the truncation is exact.
      ShowGauge(std::int64_t{value} * 498 / 100, kNarrowbandBands, display);
      break;
    case 1:
    case 3:
    case 4:
      // 7.3 fills the gauge, 22.3 empties it: 1.7 steps per 0.1 of ratio, in
      // hundredths, truncated toward zero.
      ShowGauge((25500 - (std::int64_t{value} - 73) * 170) / 100, kWidebandBands, display);
      break;
    case 2:
      display.Gauge = GaugePosition(value);
      display.Color = kO2Green;
      break;
    default:
      break;
  }
  display.Text = O2ValueText(value, sensorType, format);
  // An air-fuel ratio of 0 has no mixture: the text is emptied rather than
  // left showing the previous sample's percentage.
  display.PercentText = O2PercentText(value, sensorType).value_or(std::string());
}

void FillO2SensorList(O2SensorListView& list) {
  list.Clear();
  for (const std::string_view name : kO2SensorNames) {
    list.Add(name);
  }
}

}  // namespace orvel
