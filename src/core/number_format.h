#pragma once

#include <cstdint>
#include <string>

namespace orvel {

// How numbers are shown to the user. The window takes the separator from the
// user's locale; the command-line tool and tests choose it.
struct NumberFormat {
  char DecimalSeparator = '.';
};

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
std::int64_t RoundHalfEven(double value);

// `value` rounded to `decimals` places (ties to even), written with the
// separator and without trailing zeros: 3.8, 16, 14.746, 0.04.
std::string FormatDecimal(double value, int decimals, NumberFormat format = {});

// `value` rounded to `decimals` places (ties to even), always with exactly
// that many places: 1.02, 0.00.
std::string FormatFixed(double value, int decimals, NumberFormat format = {});

}  // namespace orvel
