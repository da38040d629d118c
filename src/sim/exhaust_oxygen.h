#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <utility>

#include "sim/converter_signal.h"
#include "sim/engine_model.h"
#include "sim/simulator_options.h"

namespace orvel::sim {

// The oxygen signal as the realism level makes it. At "off" it is the plain
// OxygenSensor (the mixture of this very sample, a count or so of noise).
// Above it, in this order:
// - the mixture the engine burns is the one the converter's output asks for,
//   made richer by the engine computer's acceleration enrichment and
//   replaced by pure air during a fuel cut;
// - the exhaust brings it to the sensor after 255 ms x 1000 / rpm, limited to
//   50..300 ms (300 ms at idle, 50 ms at 6000 rpm);
// - the sensor follows with a first-order lag (narrow band 100 ms, wide band
//   150 ms);
// - a cold sensor reads nothing useful for its first 30 s: the narrow band
//   sits near 0.1 V, the wide band controller holds its output at 0 V;
// - the noise: a count or so, or with heavy noise about 0.06 V on the narrow
//   band and 0.2 air-fuel ratio on the wide band.
// Frames come with rising engine times; the delay and lag follow them.
class ExhaustOxygenSensor {
 public:
  static constexpr SimTime kShortestDelay = std::chrono::milliseconds{50};
  static constexpr SimTime kLongestDelay = std::chrono::milliseconds{300};
  static constexpr SimTime kWarmUp = std::chrono::seconds{30};

  ExhaustOxygenSensor(SensorKind kind, RealismLevel realism, std::uint32_t seed);

  // The O2 count of the frame at `engineTime`; `output` is the converter's
  // output handed to the engine computer, `ideal` the output it needed.
  std::uint8_t Count(SimTime engineTime, const EngineState& state, int output, int ideal);

  // The exhaust's transport delay at an engine speed.
  static SimTime ExhaustDelay(int rpm);
  // The sensor's time constant.
  static SimTime LagTimeConstant(SensorKind kind);

 private:
  double DelayedRatio(SimTime engineTime, int rpm, double ratio);
  double Lagged(SimTime engineTime, double reading);
  double Noise();

  SensorKind Kind;
  RealismFeatures Features;
  bool Plain;  // realism "off": the plain sensor alone
  OxygenSensor PlainSensor;
  std::mt19937 Random;
  std::deque<std::pair<SimTime, double>> Exhaust;  // air-fuel ratios on their way, oldest first
  std::optional<double> LagState;
  SimTime LastReading{};
};

}  // namespace orvel::sim
