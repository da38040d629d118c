// The simulator's realism levels: the default stream stays as it always was,
// and each effect shows where a real engine shows it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "converter_test_support.h"
#include "sim/engine_model.h"
#include "sim/exhaust_oxygen.h"
#include "sim/simulated_converter.h"

namespace orvel::sim::test {
namespace {

constexpr std::uint32_t kSeed = 3;
constexpr int kIdeal = 100;
constexpr int kRich = 120;  // an output this far above the ideal is clearly rich
constexpr int kLean = 80;

// FNV-1a over two bench cycles of frames from a 1:1 table.
std::uint64_t StreamHash(SimulatorOptions options) {
  options.Seed = kSeed;
  SimulatedConverter converter(options);
  Exchange(converter, "sl", 0ms);
  std::uint64_t hash = 1469598103934665603ULL;
  for (const std::uint8_t byte : Stream(converter, 0ms, 2 * EngineModel::kCycleLength)) {
    hash = (hash ^ byte) * 1099511628211ULL;
  }
  return hash;
}

TEST(Realism, TheDefaultLevelStreamsExactlyWhatItAlwaysStreamed) {
  // Hashes of the stream the simulator made before the realism levels existed.
  SimulatorOptions wide;
  wide.Sensor = SensorKind::WideBand;
  EXPECT_EQ(StreamHash({}), 0x03847433df942197ULL);
  EXPECT_EQ(StreamHash(wide), 0x961479d86c96ecd8ULL);
}

// Feeds the sensor 10 ms frames at a steady speed: the output is rich until
// `stepAt`, lean after it. Returns the first time the reading is on the lean
// side, or -1 ms.
SimTime FirstLeanReading(SensorKind kind, RealismLevel level, int rpm, SimTime stepAt) {
  ExhaustOxygenSensor sensor(kind, level, kSeed);
  EngineState state;
  state.Rpm = rpm;
  const double stoichiometric = OxygenSensor::CleanCount(kind, 14.7);
  for (SimTime at = 0ms; at < stepAt + 1s; at += 10ms) {
    const int count = sensor.Count(at, state, at < stepAt ? kRich : kLean, kIdeal);
    const bool lean = kind == SensorKind::NarrowBand ? count < stoichiometric : count > stoichiometric;
    if (at >= stepAt && lean) {
      return at - stepAt;
    }
  }
  return -1ms;
}

TEST(Realism, TheSensorSeesAMixtureAfterTheExhaustDelayAndItsOwnLag) {
  struct Case {
    SensorKind Kind;
    RealismLevel Level;
    int Rpm;
    SimTime Shortest, Longest;  // when the first lean reading may come
  };
  const Case cases[] = {
      {SensorKind::NarrowBand, RealismLevel::Off, 850, 0ms, 0ms},
      {SensorKind::NarrowBand, RealismLevel::Delay, 850, 300ms, 300ms},
      {SensorKind::WideBand, RealismLevel::Delay, 2550, 100ms, 100ms},
      {SensorKind::WideBand, RealismLevel::Delay, 6000, 50ms, 50ms},
      {SensorKind::WideBand, RealismLevel::Delay, 8000, 50ms, 50ms},
      // The lag adds a good part of its time constant to the delay.
      {SensorKind::NarrowBand, RealismLevel::Lag, 6000, 80ms, 150ms},
      {SensorKind::WideBand, RealismLevel::Lag, 6000, 100ms, 250ms},
  };
  for (const Case& c : cases) {
    const SimTime seen = FirstLeanReading(c.Kind, c.Level, c.Rpm, 1s);
    EXPECT_GE(seen, c.Shortest) << RealismLevelName(c.Level) << " at " << c.Rpm << " rpm";
    EXPECT_LE(seen, c.Longest) << RealismLevelName(c.Level) << " at " << c.Rpm << " rpm";
  }
}

TEST(Realism, AColdSensorReadsNothingUsefulForItsFirstThirtySeconds) {
  EngineState state;
  state.Rpm = 850;
  for (const SensorKind kind : {SensorKind::NarrowBand, SensorKind::WideBand}) {
    ExhaustOxygenSensor sensor(kind, RealismLevel::Realistic, kSeed);
    int coldRich = 0;
    int warmRich = 0;
    for (SimTime at = 0ms; at < 40s; at += 10ms) {
      const int count = sensor.Count(at, state, kRich, kIdeal);
      const bool readsRich = kind == SensorKind::NarrowBand ? count > 26 : count < 120;
      (at < ExhaustOxygenSensor::kWarmUp ? coldRich : warmRich) += readsRich ? 1 : 0;
      if (kind == SensorKind::WideBand && at < ExhaustOxygenSensor::kWarmUp) {
        EXPECT_EQ(count, 0);
      }
    }
    // The narrow band reads lean while cold; the wide band's 0 V looks rich
    // but says nothing (it never moves).
    EXPECT_EQ(coldRich, kind == SensorKind::NarrowBand ? 0 : 3000);
    EXPECT_GE(warmRich, 990);
  }
}

TEST(Realism, TheEngineComputerEnrichesOnAccelerationAndCutsFuelOnTheOverrun) {
  for (const RealismLevel level : {RealismLevel::Transients, RealismLevel::Realistic}) {
    EngineModel engine(kSeed, level);
    std::map<EnginePhase, double> richest;
    int cutFrames = 0;
    for (SimTime at = 0ms; at < engine.CycleLength(); at += 10ms) {
      const EngineState state = engine.StateAt(at);
      richest[state.Phase] = std::max(richest[state.Phase], state.Enrichment);
      if (state.FuelCut) {
        ++cutFrames;
        EXPECT_EQ(state.Tps, EngineModel::kClosedThrottle) << RealismLevelName(level);
        EXPECT_GE(state.Rpm, 1200) << RealismLevelName(level);
      }
    }
    EXPECT_GE(richest[EnginePhase::Acceleration], 0.05) << RealismLevelName(level);
    EXPECT_LT(richest[EnginePhase::Cruise], 0.05) << RealismLevelName(level);
    EXPECT_GE(cutFrames, 300) << RealismLevelName(level);
  }
  // Below "transients" the engine computer does neither.
  EngineModel plain(kSeed, RealismLevel::Noisy);
  for (SimTime at = 0ms; at < plain.CycleLength(); at += 10ms) {
    const EngineState state = plain.StateAt(at);
    ASSERT_FALSE(state.FuelCut);
    ASSERT_EQ(state.Enrichment, 0);
  }
}

TEST(Realism, AFuelCutReadsAsPureAirOnTheWideBand) {
  SimulatorOptions options;
  options.Sensor = SensorKind::WideBand;
  options.Realism = RealismLevel::Transients;
  SimulatedConverter converter(options);
  Exchange(converter, "sl", 0ms);
  const auto frames = SplitFrames(Stream(converter, 0ms, EngineModel::kCycleLength));
  // The deceleration starts at 32 s with the speed at 3200 rpm; after the
  // cut's own delay and the exhaust's the sensor reads the leanest it can.
  const auto leanest = std::count_if(frames.begin() + 3300, frames.begin() + 3600,
                                     [](const LiveFrame& frame) { return frame[7] >= 250; });
  EXPECT_GE(leanest, 280);
}

TEST(Realism, TheRoadCycleIdlesCruisesFloorsThePedalAndBrakesWithTheEngine) {
  EngineModel engine(kSeed, RealismLevel::Realistic);
  EXPECT_EQ(engine.CycleLength(), SimTime{kRoadCycleLength});
  int fullThrottle = 0;
  int engineBraking = 0;
  int idle = 0;
  int lowest = 255;
  int highest = 0;
  for (SimTime at = 0ms; at < engine.CycleLength(); at += 10ms) {
    const EngineState state = engine.StateAt(at);
    fullThrottle += state.Tps * 100 > 95 * 255 ? 1 : 0;
    engineBraking += state.Tps == EngineModel::kClosedThrottle && state.Rpm > 1500 ? 1 : 0;
    idle += state.Phase == EnginePhase::Idle && state.Rpm < 1000 ? 1 : 0;
    lowest = std::min<int>(lowest, state.Maf);
    highest = std::max<int>(highest, state.Maf);
  }
  EXPECT_GE(fullThrottle, 600);
  EXPECT_GE(engineBraking, 1000);
  EXPECT_GE(idle, 1500);
  EXPECT_LE(lowest, 22);
  EXPECT_GE(highest, 228);
}

TEST(Realism, LevelsAndTheWindowsSimulatorComeFromNamesAndTheEnvironment) {
  const auto names = RealismLevelNames();
  ASSERT_EQ(names.size(), 6U);
  EXPECT_EQ(names.front(), "off");
  EXPECT_EQ(names.back(), "realistic");
  for (const auto name : names) {
    EXPECT_EQ(RealismLevelName(ParseRealismLevel(name).value()), name);
  }
  EXPECT_FALSE(ParseRealismLevel("Realistic"));

  struct Case {
    const char* Level;
    const char* Scale;
    RealismLevel ExpectedLevel;
    double ExpectedScale;
  };
  const Case cases[] = {
      {nullptr, nullptr, RealismLevel::Off, 1.0},
      {"noisy", "20", RealismLevel::Noisy, 20.0},
      {"realistic", "0.5", RealismLevel::Realistic, 0.5},
      {"bogus", "2000", RealismLevel::Off, 1.0},
      {"", "5x", RealismLevel::Off, 1.0},
      {"lag", "", RealismLevel::Lag, 1.0},
  };
  for (const Case& c : cases) {
    const SimulatorOptions options = SimulatorOptionsFromEnvironment([&c](const char* name) -> const char* {
      return std::string(name) == kRealismVariable ? c.Level : c.Scale;
    });
    EXPECT_EQ(options.Realism, c.ExpectedLevel) << (c.Level ? c.Level : "unset");
    EXPECT_EQ(options.TimeScale, c.ExpectedScale) << (c.Scale ? c.Scale : "unset");
  }
}

}  // namespace
}  // namespace orvel::sim::test
