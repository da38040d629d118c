#include "sim/drive_cycle.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvel::sim {

namespace {

constexpr double kIdleMaf = 38;
constexpr double kIdleRpm = 850;
constexpr double kClosed = 5;  // raw throttle count of the released pedal
constexpr double kFullThrottle = 250;
constexpr double kTwoPi = 6.283185307179586;

double Lerp(double from, double to, double fraction) {
  return from + (to - from) * fraction;
}

double InCycle(double seconds, std::chrono::seconds length) {
  const auto cycle = static_cast<double>(length.count());
  return std::fmod(std::max(seconds, 0.0), cycle);
}

struct BenchPhase {
  EnginePhase Kind;
  double Start;  // seconds into the cycle
  double End;
};

constexpr std::array<BenchPhase, 4> kBenchPhases{{
    {EnginePhase::Idle, 0.0, 5.0},
    {EnginePhase::Acceleration, 5.0, 10.0},
    {EnginePhase::Cruise, 10.0, 32.0},
    {EnginePhase::Deceleration, 32.0, 40.0},
}};

// One stretch of the road cycle: the values move linearly from the first to
// the second, and a cruise's air flow wanders around that line.
struct RoadSegment {
  EnginePhase Kind;
  double Duration;  // seconds
  double MafFrom, MafTo;
  double TpsFrom, TpsTo;
  double RpmFrom, RpmTo;
  double Wander;  // amplitude of the slow wandering of the air flow
};

constexpr std::array<RoadSegment, 13> kRoadSegments{{
    {EnginePhase::Idle, 10, kIdleMaf, kIdleMaf, kClosed, kClosed, kIdleRpm, kIdleRpm, 0},
    {EnginePhase::Acceleration, 5, kIdleMaf, 100, kClosed, 70, kIdleRpm, 2300, 0},
    {EnginePhase::Cruise, 25, 100, 130, 70, 85, 2300, 2600, 4},
    {EnginePhase::Acceleration, 4, 130, 230, kFullThrottle, kFullThrottle, 2600, 5600, 0},
    {EnginePhase::Deceleration, 7, 26, 20, kClosed, kClosed, 5600, 1900, 0},
    {EnginePhase::Cruise, 30, 80, 58, 45, 35, 1900, 1600, 3},
    {EnginePhase::Cruise, 30, 58, 175, 35, 110, 1600, 3400, 3},
    {EnginePhase::Acceleration, 3, 175, 235, kFullThrottle, kFullThrottle, 3400, 6000, 0},
    {EnginePhase::Deceleration, 8, 28, 20, kClosed, kClosed, 6000, 1500, 0},
    {EnginePhase::Acceleration, 4, 40, 150, 30, 100, 1500, 3000, 0},
    {EnginePhase::Cruise, 25, 150, 85, 100, 60, 3000, 2000, 4},
    {EnginePhase::Deceleration, 6, 24, 20, kClosed, kClosed, 2000, 1000, 0},
    {EnginePhase::Idle, 8, kIdleMaf, kIdleMaf, kClosed, kClosed, kIdleRpm, kIdleRpm, 0},
}};

constexpr double RoadLength() {
  double total = 0;
  for (const RoadSegment& segment : kRoadSegments) {
    total += segment.Duration;
  }
  return total;
}
static_assert(RoadLength() == static_cast<double>(kRoadCycleLength.count()));

}  // namespace

CycleShape BenchCycleAt(double seconds) {
  const double inCycle = InCycle(seconds, kBenchCycleLength);
  const auto* phase =
      std::find_if(kBenchPhases.begin(), kBenchPhases.end(),
                   [inCycle](const BenchPhase& candidate) { return inCycle < candidate.End; });
  if (phase == kBenchPhases.end()) {
    phase = std::prev(kBenchPhases.end());
  }
  const double fraction = (inCycle - phase->Start) / (phase->End - phase->Start);
  switch (phase->Kind) {
    case EnginePhase::Idle:
      return {phase->Kind, kIdleMaf, kClosed, kIdleRpm};
    case EnginePhase::Acceleration: {
      // The pedal opens within the first third, air flow and speed follow.
      const double pedal = std::min(1.0, fraction * 3.0);
      return {phase->Kind, Lerp(kIdleMaf, 215, fraction), Lerp(kClosed, 200, pedal),
              Lerp(kIdleRpm, 4800, fraction)};
    }
    case EnginePhase::Cruise: {
      // A slow triangle 70 -> 170 -> 70 over the cruise: about 9 counts a second.
      const double triangle = fraction < 0.5 ? fraction * 2.0 : (1.0 - fraction) * 2.0;
      const double maf = Lerp(70, 170, triangle);
      return {phase->Kind, maf, 40 + (maf - 70) * 0.5, 1800 + (maf - 70) * 15};
    }
    case EnginePhase::Deceleration:
      return {phase->Kind, Lerp(30, 20, fraction), kClosed, Lerp(3200, 1000, fraction)};
  }
  return {EnginePhase::Idle, kIdleMaf, kClosed, kIdleRpm};
}

CycleShape RoadCycleAt(double seconds) {
  double start = 0;
  const double inCycle = InCycle(seconds, kRoadCycleLength);
  const RoadSegment* segment = &kRoadSegments.back();
  for (const RoadSegment& candidate : kRoadSegments) {
    if (inCycle < start + candidate.Duration) {
      segment = &candidate;
      break;
    }
    start += candidate.Duration;
  }
  if (segment == &kRoadSegments.back()) {
    start = RoadLength() - segment->Duration;
  }
  const double fraction = std::clamp((inCycle - start) / segment->Duration, 0.0, 1.0);
  // The wandering: a few counts over about six seconds, starting and ending
  // on the line so that segments join.
  const double wander =
      segment->Wander * std::sin(kTwoPi * (inCycle - start) / 6.25) * std::sin(kTwoPi * fraction / 2.0);
  return {segment->Kind, Lerp(segment->MafFrom, segment->MafTo, fraction) + wander,
          Lerp(segment->TpsFrom, segment->TpsTo, fraction), Lerp(segment->RpmFrom, segment->RpmTo, fraction)};
}

}  // namespace orvel::sim
