#include "sim/engine_model.h"

#include <algorithm>
#include <cmath>

namespace orvel::sim {

namespace {

constexpr double kRpmPeriodScale = 1'500'000.0;

std::uint8_t ToByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Transients of the engine computer.
constexpr double kEnrichmentPerFullOpening = 0.25;  // extra fuel for the pedal going from closed to floored
constexpr double kEnrichmentLimit = 0.3;
constexpr double kEnrichmentDecaySeconds = 0.5;
constexpr double kFuelCutAboveRpm = 1500;
constexpr double kFuelResumeBelowRpm = 1300;
constexpr SimTime kFuelCutDelay = std::chrono::milliseconds{300};

}  // namespace

EngineModel::EngineModel(std::uint32_t seed, RealismLevel realism)
    : Features(FeaturesOf(realism)), Random(seed), RealismRandom(seed ^ 0x5EED5EEDU) {
  // Leaner than 1:1 at low air flow, richer at high air flow, with a wave so
  // that a straight line is never the answer.
  for (std::size_t maf = 0; maf < Ideal.size(); ++maf) {
    const auto m = static_cast<double>(maf);
    Ideal[maf] = ToByte(m * 0.85 + 14 + 7 * std::sin(m / 28.0));
  }
}

int EngineModel::Noise(int amplitude) {
  // Taken from the generator's raw output so that the sequence is the same
  // with every standard library.
  const auto span = static_cast<std::uint32_t>(2 * amplitude + 1);
  return static_cast<int>(Random() % span) - amplitude;
}

int EngineModel::HeavyNoise(int amplitude) {
  if (!Features.HeavyNoise) {
    return 0;
  }
  const auto span = static_cast<std::uint32_t>(2 * amplitude + 1);
  return static_cast<int>(RealismRandom() % span) - amplitude;
}

SimTime EngineModel::CycleLength() const {
  return Features.DriveCycle ? SimTime{kRoadCycleLength} : SimTime{kBenchCycleLength};
}

EngineState EngineModel::StateAt(SimTime engineTime) {
  const double seconds = std::chrono::duration<double>(engineTime).count();
  const CycleShape shape = Features.DriveCycle ? RoadCycleAt(seconds) : BenchCycleAt(seconds);
  const bool closed = shape.Phase == EnginePhase::Deceleration || shape.Phase == EnginePhase::Idle;

  EngineState state;
  state.Phase = shape.Phase;
  state.Maf = ToByte(shape.Maf + Noise(1) + HeavyNoise(2));
  state.Tps = closed ? kClosedThrottle : ToByte(shape.Tps + Noise(1) + HeavyNoise(1));
  state.Rpm = static_cast<int>(std::lround(shape.Rpm)) + Noise(10) + HeavyNoise(30);
  state.RpmPeriod = static_cast<std::uint16_t>(std::lround(kRpmPeriodScale / state.Rpm));
  // Intake air wanders slowly; the coolant warms up over the first minutes.
  constexpr double kTwoPi = 6.283185307179586;
  state.Iat = ToByte(110 + 10 * std::sin(kTwoPi * seconds / 300.0));
  state.Ect = ToByte(170 - 110 * std::exp(-seconds / 60.0));
  if (Features.Transients) {
    FollowTransients(state, engineTime, closed ? kClosedThrottle : shape.Tps);
  }
  return state;
}

void EngineModel::FollowTransients(EngineState& state, SimTime engineTime, double smoothTps) {
  const double elapsed = LastCall ? std::chrono::duration<double>(engineTime - *LastCall).count() : 0.0;
  const double opening = LastCall ? std::max(0.0, smoothTps - LastTps) : 0.0;
  LastCall = engineTime;
  LastTps = smoothTps;
  EnrichmentLeft = std::min(kEnrichmentLimit,
                            EnrichmentLeft * std::exp(-std::max(elapsed, 0.0) / kEnrichmentDecaySeconds) +
                                kEnrichmentPerFullOpening * opening / 255.0);
  state.Enrichment = EnrichmentLeft;

  const bool closedAtSpeed = state.Tps <= kClosedThrottle && state.Rpm > kFuelCutAboveRpm;
  if (state.Tps > kClosedThrottle || state.Rpm < kFuelResumeBelowRpm) {
    CuttingFuel = false;
    ClosedAtSpeedSince.reset();
  } else if (closedAtSpeed) {
    if (!ClosedAtSpeedSince) {
      ClosedAtSpeedSince = engineTime;
    }
    CuttingFuel = CuttingFuel || engineTime - *ClosedAtSpeedSince >= kFuelCutDelay;
  }
  state.FuelCut = CuttingFuel;
}

ConverterTable IdealConverterTable(const EngineModel& engine) {
  ConverterTable table = OneToOneTable();
  std::copy(engine.IdealTable().begin(), engine.IdealTable().end(), table.begin());
  return table;
}

}  // namespace orvel::sim
