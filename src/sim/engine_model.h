#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "sim/simulator_options.h"

namespace orvel::sim {

enum class EnginePhase { Idle, Acceleration, Cruise, Deceleration };

// What the converter's inputs read at one moment.
struct EngineState {
  EnginePhase Phase = EnginePhase::Idle;
  std::uint8_t Maf = 0;         // air-flow sensor signal entering the converter
  std::uint8_t Tps = 0;         // raw throttle count
  int Rpm = 0;                  // engine speed
  std::uint16_t RpmPeriod = 0;  // 1 500 000 / rpm, as the converter measures it
  std::uint8_t Iat = 0;         // raw intake-air temperature count
  std::uint8_t Ect = 0;         // raw coolant temperature count
};

// An engine driving through a repeatable cycle: idle, acceleration, a long
// cruise whose air flow sweeps slowly up and down (so a correction window can
// settle at every point of the middle range), then deceleration with the
// throttle closed and the engine speed high (forced idle). The coolant warms up
// over the first minutes. Small seeded noise makes the signals look measured
// while keeping every run with the same seed identical.
//
// The engine also holds the "ideal" table: the output the engine computer
// would need for each air-flow input to meet stoichiometry. The oxygen signal
// compares the converter's output with it.
class EngineModel {
 public:
  static constexpr SimTime kCycleLength = std::chrono::seconds{40};
  static constexpr std::uint8_t kClosedThrottle = 5;

  explicit EngineModel(std::uint32_t seed);

  // The inputs at the given engine time (not wall time: the host scales it).
  EngineState StateAt(SimTime engineTime);

  [[nodiscard]] std::uint8_t IdealOutput(std::uint8_t maf) const { return Ideal[maf]; }
  [[nodiscard]] const std::array<std::uint8_t, 256>& IdealTable() const { return Ideal; }

 private:
  int Noise(int amplitude);

  std::array<std::uint8_t, 256> Ideal{};
  std::mt19937 Random;
};

// The ideal as a whole table, for measuring how far a tuned table is from
// it: the ideal outputs with the 1:1 table's parameters and no temperature
// correction.
ConverterTable IdealConverterTable(const EngineModel& engine);

}  // namespace orvel::sim
