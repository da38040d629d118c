#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>

#include "sim/drive_cycle.h"
#include "sim/simulator_options.h"

namespace orvel::sim {

// What the converter's inputs read at one moment.
struct EngineState {
  EnginePhase Phase = EnginePhase::Idle;
  std::uint8_t Maf = 0;         // air-flow sensor signal entering the converter
  std::uint8_t Tps = 0;         // raw throttle count
  int Rpm = 0;                  // engine speed
  std::uint16_t RpmPeriod = 0;  // 1 500 000 / rpm, as the converter measures it
  std::uint8_t Iat = 0;         // raw intake-air temperature count
  std::uint8_t Ect = 0;         // raw coolant temperature count
  // The engine computer's own fuel changes (realism level "transients" and
  // up): extra fuel after the throttle opened fast, as a fraction (0.2 = 20 %
  // more fuel), and no fuel at all on the overrun.
  double Enrichment = 0;
  bool FuelCut = false;
};

// An engine driving through a repeatable cycle: by default the 40 s bench
// cycle (idle, acceleration, a long slow sweep of cruise, deceleration with the
// throttle closed and the engine speed high), at realism "realistic" the
// 165 s road cycle. The coolant warms up over the first minutes. Small seeded
// noise makes the signals look measured while keeping every run with the same
// seed identical; realism "noisy" and up add heavier noise from a generator of
// its own, so the default sequence is untouched.
//
// From realism "transients" up the engine computer adds fuel when the
// throttle opens fast (decaying in about half a second) and cuts the fuel on
// the overrun: throttle closed above 1500 rpm for 0.3 s, until the throttle
// opens or the speed falls below 1300 rpm.
//
// The engine also holds the "ideal" table: the output the engine computer
// would need for each air-flow input to meet stoichiometry. The oxygen signal
// compares the converter's output with it.
class EngineModel {
 public:
  static constexpr SimTime kCycleLength = kBenchCycleLength;
  static constexpr std::uint8_t kClosedThrottle = 5;

  explicit EngineModel(std::uint32_t seed, RealismLevel realism = RealismLevel::Off);

  // The inputs at the given engine time (not wall time: the host scales it).
  // Called with rising times; the transients follow the calls.
  EngineState StateAt(SimTime engineTime);

  [[nodiscard]] SimTime CycleLength() const;

  [[nodiscard]] std::uint8_t IdealOutput(std::uint8_t maf) const { return Ideal[maf]; }
  [[nodiscard]] const std::array<std::uint8_t, 256>& IdealTable() const { return Ideal; }

 private:
  int Noise(int amplitude);
  int HeavyNoise(int amplitude);
  void FollowTransients(EngineState& state, SimTime engineTime, double smoothTps);

  std::array<std::uint8_t, 256> Ideal{};
  RealismFeatures Features;
  std::mt19937 Random;
  std::mt19937 RealismRandom;

  // Transients: the previous call, the enrichment left, since when the
  // throttle has been closed at speed.
  std::optional<SimTime> LastCall;
  double LastTps = 0;
  double EnrichmentLeft = 0;
  std::optional<SimTime> ClosedAtSpeedSince;
  bool CuttingFuel = false;
};

// The ideal as a whole table, for measuring how far a tuned table is from
// it: the ideal outputs with the 1:1 table's parameters and no temperature
// correction.
ConverterTable IdealConverterTable(const EngineModel& engine);

}  // namespace orvel::sim
