#include "sim/engine_model.h"

#include <algorithm>
#include <cmath>

namespace orvel::sim {

namespace {

constexpr double kRpmPeriodScale = 1'500'000.0;

struct Phase {
  EnginePhase Kind;
  double Start;  // seconds into the cycle
  double End;
};

constexpr std::array<Phase, 4> kCycle{{
    {EnginePhase::Idle, 0.0, 5.0},
    {EnginePhase::Acceleration, 5.0, 10.0},
    {EnginePhase::Cruise, 10.0, 32.0},
    {EnginePhase::Deceleration, 32.0, 40.0},
}};

double Lerp(double from, double to, double fraction) {
  return from + (to - from) * fraction;
}

std::uint8_t ToByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Smooth parameters of the cycle without noise.
struct Smooth {
  double Maf;
  double Tps;
  double Rpm;
};

Smooth CycleShape(EnginePhase phase, double fraction) {
  constexpr double kIdleMaf = 38;
  constexpr double kIdleRpm = 850;
  constexpr double kClosed = EngineModel::kClosedThrottle;
  switch (phase) {
    case EnginePhase::Idle:
      return {kIdleMaf, kClosed, kIdleRpm};
    case EnginePhase::Acceleration: {
      // The pedal opens within the first third, air flow and speed follow.
      const double pedal = std::min(1.0, fraction * 3.0);
      return {Lerp(kIdleMaf, 215, fraction), Lerp(kClosed, 200, pedal), Lerp(kIdleRpm, 4800, fraction)};
    }
    case EnginePhase::Cruise: {
      // A slow triangle 70 -> 170 -> 70 over the cruise: about 9 counts a second.
      const double triangle = fraction < 0.5 ? fraction * 2.0 : (1.0 - fraction) * 2.0;
      const double maf = Lerp(70, 170, triangle);
      return {maf, 40 + (maf - 70) * 0.5, 1800 + (maf - 70) * 15};
    }
    case EnginePhase::Deceleration:
      return {Lerp(30, 20, fraction), kClosed, Lerp(3200, 1000, fraction)};
  }
  return {kIdleMaf, kClosed, kIdleRpm};
}

}  // namespace

EngineModel::EngineModel(std::uint32_t seed) : Random(seed) {
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

EngineState EngineModel::StateAt(SimTime engineTime) {
  const double seconds = std::chrono::duration<double>(engineTime).count();
  const double cycleSeconds = std::chrono::duration<double>(kCycleLength).count();
  const double inCycle = std::fmod(std::max(seconds, 0.0), cycleSeconds);
  const auto* phase = std::find_if(kCycle.begin(), kCycle.end(),
                                   [inCycle](const Phase& candidate) { return inCycle < candidate.End; });
  if (phase == kCycle.end()) {
    phase = std::prev(kCycle.end());
  }
  const double fraction = (inCycle - phase->Start) / (phase->End - phase->Start);
  const Smooth shape = CycleShape(phase->Kind, fraction);

  EngineState state;
  state.Phase = phase->Kind;
  state.Maf = ToByte(shape.Maf + Noise(1));
  state.Tps = phase->Kind == EnginePhase::Deceleration || phase->Kind == EnginePhase::Idle
                  ? kClosedThrottle
                  : ToByte(shape.Tps + Noise(1));
  state.Rpm = static_cast<int>(std::lround(shape.Rpm)) + Noise(10);
  state.RpmPeriod = static_cast<std::uint16_t>(std::lround(kRpmPeriodScale / state.Rpm));
  // Intake air wanders slowly; the coolant warms up over the first minutes.
  constexpr double kTwoPi = 6.283185307179586;
  state.Iat = ToByte(110 + 10 * std::sin(kTwoPi * seconds / 300.0));
  state.Ect = ToByte(170 - 110 * std::exp(-seconds / 60.0));
  return state;
}

ConverterTable IdealConverterTable(const EngineModel& engine) {
  ConverterTable table = OneToOneTable();
  std::copy(engine.IdealTable().begin(), engine.IdealTable().end(), table.begin());
  return table;
}

}  // namespace orvel::sim
