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

namespace orvel::sim::test {

// Streams for `duration` of simulator time, advancing in 1 ms steps, and
// returns every byte sent.
inline std::vector<std::uint8_t> Stream(SimulatedConverter& converter, SimTime from, SimTime duration) {
  std::vector<std::uint8_t> bytes;
  for (SimTime at = from; at < from + duration; at += 1ms) {
    converter.Advance(at);
    const auto out = converter.TakeOutput();
    bytes.insert(bytes.end(), out.begin(), out.end());
  }
  return bytes;
}

inline std::vector<LiveFrame> SplitFrames(std::span<const std::uint8_t> bytes) {
  std::vector<LiveFrame> frames;
  for (std::size_t at = 0; at + kFrameSize <= bytes.size(); at += kFrameSize) {
    LiveFrame frame{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), kFrameSize, frame.begin());
    frames.push_back(frame);
  }
  return frames;
}

}  // namespace orvel::sim::test
