#pragma once

// The oxygen sensor models: how the converter's raw 8-bit O2 count (255 = 5 V)
// becomes the stored O2 value, and how a stored value is shown on the
// dashboard (gauge, colour band, texts).
//
// The model index is the position in the sensor list:
//   0 "0-1V Signal"     stored = raw count
//   1 "Innovate MTX-L"  stored = air-fuel ratio x 10
//   2 "0-5V Signal"     stored = raw count
//   3 "AEM 30-4110"     stored = air-fuel ratio x 10
//   4 "AEM 30-0300"     stored = air-fuel ratio x 10

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/messages.h"
#include "core/number_format.h"

namespace orvel {

inline constexpr std::array<std::string_view, 5> kO2SensorNames = {
    "0-1V Signal", "Innovate MTX-L", "0-5V Signal", "AEM 30-4110", "AEM 30-0300"};

// Air-fuel ratio x 10 of a stoichiometric petrol mixture (14.7).
inline constexpr std::int32_t kStoichiometricAfr = 147;

// Gauge colour bands.
inline constexpr TColorRgb kO2Blue = Rgb(0x00, 0x80, 0xFF);
inline constexpr TColorRgb kO2Green = Rgb(0x00, 0xDD, 0x00);
inline constexpr TColorRgb kO2Yellow = Rgb(0xFF, 0xFF, 0x00);
inline constexpr TColorRgb kO2Orange = Rgb(0xFF, 0x80, 0x00);
inline constexpr TColorRgb kO2Red = Rgb(0xFF, 0x00, 0x00);

// True for the models whose stored value is a voltage count (0 and 2).
bool IsVoltageO2Sensor(std::int32_t sensorType);

// The stored O2 value for a raw count of the converter's O2 input.
std::int32_t ConvertO2(std::int32_t rawCount, std::int32_t sensorType);

// The value text of a stored O2 value: "0.51V" for the voltage models (count x
// 5 / 256, two decimals), the air-fuel ratio ("14.7") for the others.
std::string O2ValueText(std::int32_t value, std::int32_t sensorType, NumberFormat format);

// The mixture text beside it: " " for the voltage models; for the others the
// enrichment against 14.7 in percent ("17%" for 12.6, "-26%" for 20.0), or
// nothing when the value is 0 (the caller keeps what it shows).
std::optional<std::string> O2PercentText(std::int32_t value, std::int32_t sensorType);

// What the dashboard shows for one stored O2 value.
struct TO2Display {
  std::int32_t Gauge = 0;  // 0..255
  TColorRgb Color = 0;
  std::string Text;
  std::string PercentText;
};

// Updates `display` for the stored value `value`. For an unknown model index
// the gauge and colour keep what the caller put there; when O2PercentText
// gives nothing (an air-fuel ratio of 0), PercentText is empty.
void DisplayO2(std::int32_t value, std::int32_t sensorType, NumberFormat format, TO2Display& display);

// The sensor list of the window: the binding shows whatever it is given.
class O2SensorListView {
 public:
  virtual ~O2SensorListView() = default;
  virtual void Clear() = 0;
  virtual void Add(std::string_view name) = 0;
};

// Replaces the list's entries by the five model names, in index order.
void FillO2SensorList(O2SensorListView& list);

}  // namespace orvel
