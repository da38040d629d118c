#include "sim/exhaust_oxygen.h"

#include <algorithm>
#include <cmath>

namespace orvel::sim {

namespace {

constexpr double kRichest = 10.0;
constexpr double kLeanest = 20.0;  // also what pure air reads on the wide band
constexpr double kCountsPerVolt = 255.0 / 5.0;
constexpr double kColdNarrowVolts = 0.1;
constexpr double kDelayRpmProduct = 255'000.0;  // delay in ms x rpm
constexpr double kPlainNarrowNoise = 0.015 * kCountsPerVolt;
constexpr double kPlainWideNoise = 1.0;
constexpr double kHeavyNarrowNoise = 0.06 * kCountsPerVolt;
constexpr double kHeavyWideNoise = 5.0;

}  // namespace

ExhaustOxygenSensor::ExhaustOxygenSensor(SensorKind kind, RealismLevel realism, std::uint32_t seed)
    : Kind(kind),
      Features(FeaturesOf(realism)),
      Plain(realism == RealismLevel::Off),
      PlainSensor(kind, seed),
      Random(seed) {}

SimTime ExhaustOxygenSensor::ExhaustDelay(int rpm) {
  const double milliseconds = kDelayRpmProduct / std::max(rpm, 1);
  const auto delay = SimTime{std::lround(milliseconds * 1000.0)};
  return std::clamp(delay, kShortestDelay, kLongestDelay);
}

SimTime ExhaustOxygenSensor::LagTimeConstant(SensorKind kind) {
  return kind == SensorKind::NarrowBand ? SimTime{std::chrono::milliseconds{100}}
                                        : SimTime{std::chrono::milliseconds{150}};
}

double ExhaustOxygenSensor::DelayedRatio(SimTime engineTime, int rpm, double ratio) {
  Exhaust.emplace_back(engineTime, ratio);
  const SimTime seen = engineTime - ExhaustDelay(rpm);
  // Keep the newest entry at or before `seen` at the front.
  while (Exhaust.size() > 1 && Exhaust[1].first <= seen) {
    Exhaust.pop_front();
  }
  return Exhaust.front().second;
}

double ExhaustOxygenSensor::Lagged(SimTime engineTime, double reading) {
  if (!LagState) {
    LagState = reading;
  } else {
    const double elapsed = std::chrono::duration<double>(engineTime - LastReading).count();
    const double tau = std::chrono::duration<double>(LagTimeConstant(Kind)).count();
    *LagState += (reading - *LagState) * (1.0 - std::exp(-std::max(elapsed, 0.0) / tau));
  }
  return *LagState;
}

double ExhaustOxygenSensor::Noise() {
  // From the generator's raw output: the same with every standard library.
  const double unit = static_cast<double>(Random() % 2001) / 1000.0 - 1.0;  // -1 .. +1
  const bool narrow = Kind == SensorKind::NarrowBand;
  if (Features.HeavyNoise) {
    return unit * (narrow ? kHeavyNarrowNoise : kHeavyWideNoise);
  }
  return unit * (narrow ? kPlainNarrowNoise : kPlainWideNoise);
}

std::uint8_t ExhaustOxygenSensor::Count(SimTime engineTime, const EngineState& state, int output, int ideal) {
  if (Plain) {
    return PlainSensor.Count(output, ideal);
  }
  double ratio = OxygenSensor::AirFuelRatio(output, ideal);
  if (Features.Transients) {
    ratio = state.FuelCut ? kLeanest : std::clamp(ratio / (1.0 + state.Enrichment), kRichest, kLeanest);
  }
  if (Features.ExhaustDelay) {
    ratio = DelayedRatio(engineTime, state.Rpm, ratio);
  }
  double reading = OxygenSensor::CleanCount(Kind, ratio);
  if (Features.SensorLag) {
    reading = Lagged(engineTime, reading);
  }
  LastReading = engineTime;
  const double noise = Noise();
  if (Features.ColdSensor && engineTime < kWarmUp) {
    if (Kind == SensorKind::WideBand) {
      return 0;  // the controller holds its output until the sensor is hot
    }
    reading = kColdNarrowVolts * kCountsPerVolt;
  }
  return static_cast<std::uint8_t>(std::clamp(std::lround(reading + noise), 0L, 255L));
}

}  // namespace orvel::sim
