#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "converter_test_support.h"
#include "core/crc8.h"
#include "sim/simulated_converter.h"

namespace orvel::sim::test {
namespace {

bool CheckByteMatches(const LiveFrame& frame) {
  return FrameCrc8(std::span(frame).first(kFrameSize - 1)) == frame[kFrameSize - 1];
}

int Rpm(const LiveFrame& frame) {
  return 1'500'000 / (frame[5] * 256 + frame[6]);
}

TEST(LiveStream, AWholeCycleOfFramesChecksAndDecodesSensibly) {
  SimulatedConverter converter({});
  auto bytes = Exchange(converter, "sl", 0ms);
  const auto streamed = Stream(converter, 0ms, EngineModel::kCycleLength);
  bytes.insert(bytes.end(), streamed.begin(), streamed.end());
  ASSERT_EQ(bytes.size() % kFrameSize, 0U);
  const auto frames = SplitFrames(bytes);
  ASSERT_GE(frames.size(), 3999U);

  int lowestMaf = 255;
  int highestMaf = 0;
  int forcedIdleFrames = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const LiveFrame& frame = frames[i];
    ASSERT_TRUE(CheckByteMatches(frame)) << "frame " << i;
    EXPECT_EQ(frame[1], i % 4);
    // 1:1 table, no correction: the output base is the air-flow input.
    EXPECT_EQ(frame[2], frame[3]);
    EXPECT_EQ(frame[0], frame[2]);
    EXPECT_GE(Rpm(frame), 700);
    EXPECT_LE(Rpm(frame), 5000);
    switch (frame[1]) {
      case 0:
        EXPECT_GE(frame[8], 95);  // intake air
        EXPECT_LE(frame[8], 125);
        break;
      case 1:
        EXPECT_GE(frame[8], 55);  // coolant warming up
        EXPECT_LE(frame[8], 170);
        break;
      default:
        EXPECT_EQ(frame[8], 0);  // no temperature corrections in the 1:1 table
    }
    lowestMaf = std::min<int>(lowestMaf, frame[3]);
    highestMaf = std::max<int>(highestMaf, frame[3]);
    forcedIdleFrames += frame[4] == EngineModel::kClosedThrottle && Rpm(frame) >= 1200 ? 1 : 0;
  }
  EXPECT_LE(lowestMaf, 25);
  EXPECT_GE(highestMaf, 200);
  EXPECT_GE(forcedIdleFrames, 300);  // a few seconds of deceleration with the throttle closed
}

struct RateCase {
  double TimeScale;
  std::size_t FramesPerSecond;
};

class FrameRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(FrameRateTest, StreamsAHundredFramesPerScaledSecond) {
  SimulatorOptions options;
  options.TimeScale = GetParam().TimeScale;
  SimulatedConverter converter(options);
  Exchange(converter, "sl", 0ms);
  // Advance at every frame time, as the host does.
  std::size_t bytes = 0;
  for (SimTime at = 0ms; at < 1s;) {
    converter.Advance(at);
    bytes += converter.TakeOutput().size();
    at = converter.NextEventTime().value_or(1s);
  }
  EXPECT_NEAR(static_cast<double>(bytes / kFrameSize), static_cast<double>(GetParam().FramesPerSecond), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Scales, FrameRateTest, ::testing::Values(RateCase{1.0, 100}, RateCase{10.0, 1000}));

TEST(LiveStream, AReaderThatDoesNotKeepUpLosesFramesNotMemory) {
  SimulatedConverter converter({});
  Exchange(converter, "sl", 0ms);
  for (SimTime at = 0ms; at < 2s; at += 1ms) {
    converter.Advance(at);
  }
  EXPECT_LT(converter.Output().size(), SimulatedConverter::kMaxBacklog + kFrameSize);
  EXPECT_EQ(converter.NextEventTime(), std::nullopt);  // nothing to do until output drains
}

TEST(LiveStream, CorrectionAndTemperatureCorrectionsShapeTheOutput) {
  ConverterTable table = OneToOneTable();
  std::fill_n(table.begin() + kIatCorrBegin, 64, static_cast<std::uint8_t>(-5));
  std::fill_n(table.begin() + kEctCorrBegin, 64, std::uint8_t{3});
  SimulatorOptions options;
  options.InitialTable = table;
  SimulatedConverter converter(options);
  Exchange(converter, std::vector<std::uint8_t>{'c', 20, 0, 'g', 60, 120, 's', 'l'}, 0ms);
  const auto frames = SplitFrames(Stream(converter, 0ms, 20s));
  int inWindow = 0;
  for (const LiveFrame& frame : frames) {
    const bool inside = frame[3] >= 60 && frame[3] <= 120;
    inWindow += inside ? 1 : 0;
    EXPECT_EQ(frame[2], std::min(255, frame[3] + (inside ? 20 : 0)));
    EXPECT_EQ(frame[0], frame[2] - 2);
    if (frame[1] == 2) {
      EXPECT_EQ(static_cast<std::int8_t>(frame[8]), -5);
    }
    if (frame[1] == 3) {
      EXPECT_EQ(frame[8], 3);
    }
  }
  EXPECT_GT(inWindow, 100);
  EXPECT_LT(inWindow, static_cast<int>(frames.size()));
}

// The mean O2 count over a cycle with every output moved by `offset` from the ideal.
double MeanO2(SensorKind sensor, int offset) {
  SimulatorOptions options;
  options.Sensor = sensor;
  SimulatedConverter converter(options);
  ConverterTable table = OneToOneTable();
  const auto& ideal = converter.Engine().IdealTable();
  std::transform(ideal.begin(), ideal.end(), table.begin(),
                 [offset](int out) { return static_cast<std::uint8_t>(std::clamp(out + offset, 0, 255)); });
  Exchange(converter, WithPrefix("t", table), 0ms);
  Exchange(converter, "sl", 0ms);
  const auto frames = SplitFrames(Stream(converter, 0ms, EngineModel::kCycleLength));
  const double sum = std::accumulate(frames.begin(), frames.end(), 0.0,
                                     [](double total, const LiveFrame& f) { return total + f[7]; });
  return sum / static_cast<double>(frames.size());
}

TEST(LiveStream, NarrowBandSensorSwitchesBetweenRichAndLean) {
  constexpr double kCountsPerVolt = 51.0;
  EXPECT_GT(MeanO2(SensorKind::NarrowBand, +25), 0.7 * kCountsPerVolt);
  EXPECT_LT(MeanO2(SensorKind::NarrowBand, -25), 0.2 * kCountsPerVolt);
  EXPECT_NEAR(MeanO2(SensorKind::NarrowBand, 0), 0.45 * kCountsPerVolt, 2.0);
}

TEST(LiveStream, WideBandSensorReadsHigherWhenLeaner) {
  const double rich = MeanO2(SensorKind::WideBand, +25);
  const double stoichiometric = MeanO2(SensorKind::WideBand, 0);
  const double lean = MeanO2(SensorKind::WideBand, -25);
  EXPECT_LT(rich, stoichiometric - 30);
  EXPECT_GT(lean, stoichiometric + 30);
  EXPECT_NEAR(stoichiometric, (14.7 - 10.0) / 10.0 * 255.0, 2.0);
}

TEST(LiveStream, TheSameSeedGivesTheSameStream) {
  auto streamWithSeed = [](std::uint32_t seed) {
    SimulatorOptions options;
    options.Seed = seed;
    SimulatedConverter converter(options);
    Exchange(converter, "sl", 0ms);
    return Stream(converter, 0ms, 2s);
  };
  EXPECT_EQ(streamWithSeed(7), streamWithSeed(7));
  EXPECT_NE(streamWithSeed(7), streamWithSeed(8));
}

}  // namespace
}  // namespace orvel::sim::test
