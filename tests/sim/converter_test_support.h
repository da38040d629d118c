#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sim/simulated_converter.h"

namespace orvel::sim::test {

using namespace std::chrono_literals;

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// Feeds bytes at `at`, runs what is due then and returns what the converter sent.
inline std::vector<std::uint8_t> Exchange(SimulatedConverter& converter, std::span<const std::uint8_t> bytes,
                                          SimTime at) {
  converter.Receive(bytes, at);
  converter.Advance(at);
  return converter.TakeOutput();
}

inline std::vector<std::uint8_t> Exchange(SimulatedConverter& converter, std::string_view text, SimTime at) {
  const auto bytes = Bytes(text);
  return Exchange(converter, bytes, at);
}

// A table whose every byte differs from the 1:1 table.
inline ConverterTable DistinctTable() {
  ConverterTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFFU);
  }
  return table;
}

inline std::vector<std::uint8_t> WithPrefix(std::string_view prefix, std::span<const std::uint8_t> data) {
  auto bytes = Bytes(prefix);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

}  // namespace orvel::sim::test
