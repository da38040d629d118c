#include "core/number_format.h"

#include <cmath>
#include <cstdlib>

namespace orvel {

namespace {

std::int64_t PowerOfTen(int decimals) {
  std::int64_t power = 1;
  for (int i = 0; i < decimals; ++i) {
    power *= 10;
  }
  return power;
}

// The value in units of 10^-decimals. The product is first rounded to 9
// significant places below the unit so that a decimal tie such as 0.125,
// which binary floating point cannot hold exactly, is still seen as a tie.
std::int64_t ScaledUnits(double value, int decimals) {
  const double scaled = value * static_cast<double>(PowerOfTen(decimals));
  const double cleaned = std::round(scaled * 1e6) / 1e6;
  return RoundHalfEven(cleaned);
}

std::string Compose(std::int64_t units, int decimals, bool trimZeros, NumberFormat format) {
  const bool negative = units < 0;
  const std::uint64_t magnitude =
      negative ? static_cast<std::uint64_t>(-units) : static_cast<std::uint64_t>(units);
  const auto power = static_cast<std::uint64_t>(PowerOfTen(decimals));
  std::string text = std::to_string(magnitude / power);
  std::string fraction = decimals > 0 ? std::to_string(magnitude % power) : std::string();
  if (decimals > 0) {
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  }
  if (trimZeros) {
    while (!fraction.empty() && fraction.back() == '0') {
      fraction.pop_back();
    }
  }
  if (!fraction.empty()) {
    text += format.DecimalSeparator;
    text += fraction;
  }
  if (negative && magnitude != 0) {
    text.insert(0, 1, '-');
  }
  return text;
}

}  // namespace

std::int64_t RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  auto result = static_cast<std::int64_t>(floor);
  if (diff > 0.5 || (diff == 0.5 && (result % 2) != 0)) {
    ++result;
  }
  return result;
}

std::string FormatDecimal(double value, int decimals, NumberFormat format) {
  return Compose(ScaledUnits(value, decimals), decimals, true, format);
}

std::string FormatFixed(double value, int decimals, NumberFormat format) {
  return Compose(ScaledUnits(value, decimals), decimals, false, format);
}

}  // namespace orvel
