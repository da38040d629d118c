#pragma once

#include <chrono>

#include "sim/simulator_options.h"

namespace orvel::sim {

enum class EnginePhase { Idle, Acceleration, Cruise, Deceleration };

// Smooth values of a drive cycle at one moment, before any noise.
struct CycleShape {
  EnginePhase Phase = EnginePhase::Idle;
  double Maf = 0;
  double Tps = 0;
  double Rpm = 0;
};

// The bench cycle (40 s): idle, one acceleration, a long cruise whose air flow
// sweeps slowly up and down (so a correction window can settle at every point
// of the middle range), then deceleration with the throttle closed.
CycleShape BenchCycleAt(double seconds);
inline constexpr std::chrono::seconds kBenchCycleLength{40};

// A road cycle (165 s) closer to a real drive: idle, pulling away, cruises at
// different loads that wander slowly, two full-throttle accelerations to high
// speed, engine braking from high speed and back to idle.
CycleShape RoadCycleAt(double seconds);
inline constexpr std::chrono::seconds kRoadCycleLength{165};

}  // namespace orvel::sim
