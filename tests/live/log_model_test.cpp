#include <gtest/gtest.h>

#include <numeric>

#include "live/log.h"
#include "live/log_time.h"
#include "log_test_support.h"

namespace orvel {
namespace {

using test::Filled;
using test::Record;

TEST(LogModel, ThousandSampleRecordingGivesWindowStepAndSmoothedRange) {
  RecordedMessages messages;
  Log log(messages);
  Record(log, 1000, [](std::int64_t i) {
    SampleValues sample = Filled(0);
    At(sample, Channel::Maf) = static_cast<std::int32_t>(i % 200);
    At(sample, Channel::O2) = static_cast<std::int32_t>(i);  // a ramp: the mean of a window is its middle
    return sample;
  });
  // What the end of a recording runs on the log.
  log.ComputeBounds();
  log.SmoothO2(30, log.Window().LastIndex);
  log.SetStep(static_cast<std::int64_t>(log.SampleCount()) - 2);

  EXPECT_EQ(log.Window().FirstIndex, 0);
  EXPECT_EQ(log.Window().LastIndex, 998);
  EXPECT_EQ(log.Window().MaxMafInLog, 199);
  EXPECT_EQ(log.Window().Step, 2);
  EXPECT_EQ(log.Window().StepLabel, "0.02s");

  const std::vector<std::int32_t> smooth = log.ReadChannels([](const LogChannels& channels) {
    const auto values = channels.Of(Channel::O2Smooth);
    return std::vector<std::int32_t>(values.begin(), values.end());
  });
  ASSERT_EQ(smooth.size(), 1000U);
  EXPECT_EQ(smooth[29], 0);
  EXPECT_EQ(smooth[30], (10 + 49) * 40 / 2 / 40);  // mean of 10..49 = 29.5, truncated
  EXPECT_EQ(smooth[980], (960 + 999) / 2);         // the last full window
  // Past that the window stops at the last sample: mean of 977..999 = 988.
  EXPECT_EQ(smooth[997], 988);
  EXPECT_EQ(smooth[998], 0);
  EXPECT_EQ(smooth[999], 0);
}

TEST(LogModel, SmoothO2EdgeCasesReadNothingOutsideTheLog) {
  RecordedMessages messages;
  Log log(messages);
  Record(log, 25, [](std::int64_t) { return Filled(100); });
  log.SmoothO2(10, 25);    // below 20: nothing
  log.SmoothO2(20, 1000);  // `to` past the end is cut at the last sample
  const auto smooth = log.ReadChannels([](const LogChannels& channels) {
    const auto values = channels.Of(Channel::O2Smooth);
    return std::vector<std::int32_t>(values.begin(), values.end());
  });
  EXPECT_EQ(smooth[19], 100);  // untouched (every channel was recorded as 100)
  for (std::size_t i = 20; i < 25; ++i) {
    EXPECT_EQ(smooth[i], 100) << i;
  }

  Log empty(messages);
  empty.SmoothO2(30, 100);
  empty.ComputeBounds();
  EXPECT_EQ(empty.Window().LastIndex, -2);
  EXPECT_EQ(empty.Window().ValueAxisMin, -30);
}

TEST(LogModel, ValueAxisFollowsTheLowestCorrection) {
  struct Case {
    Channel Which;
    std::int32_t Value;
    std::int32_t AxisMin;
  };
  const Case cases[] = {
      {Channel::Corr, -45, -65},    {Channel::LogCorr, -31, -51}, {Channel::IatCorr, -100, -120},
      {Channel::EctCorr, -30, -30}, {Channel::Corr, 50, -30},     {Channel::Tps, -99, -30},
  };
  for (const Case& c : cases) {
    RecordedMessages messages;
    Log log(messages);
    Record(log, 100, [&c](std::int64_t i) {
      SampleValues sample = Filled(0);
      if (i == 40) {
        At(sample, c.Which) = c.Value;
      }
      return sample;
    });
    log.ComputeBounds();
    EXPECT_EQ(log.Window().ValueAxisMin, c.AxisMin) << static_cast<int>(c.Which) << " " << c.Value;
    EXPECT_EQ(log.Window().ValueAxisMax, 300);
  }
}

TEST(LogModel, StepAndItsLabel) {
  struct Case {
    std::int64_t Range;
    std::int64_t Step;
    const char* Label;
  };
  const Case cases[] = {
      {98, 1, "0.01s"},
      {-1, 1, "0.01s"},
      {860, 2, "0.02s"},
      {5 * 430L, 5, "0.05s"},
      {250 * 430L, 250, "2.50s"},
      {6005 * 430L, 6005, "0.05s"},
      {1234 * 430L, 1234, "12.34s"},
  };
  RecordedMessages messages;
  Log log(messages);
  for (const Case& c : cases) {
    log.SetStep(c.Range);
    EXPECT_EQ(log.Window().Step, c.Step) << c.Range;
    EXPECT_EQ(log.Window().StepLabel, c.Label) << c.Range;
  }
}

TEST(LogModel, TimeOfIndex) {
  const LogTime time = TimeOfIndex(367'512);
  EXPECT_EQ(time, (LogTime{1, 1, 15, 120}));
  EXPECT_EQ(IndexOfTime(time), 367'512);
  EXPECT_DOUBLE_EQ(TimeOfIndex(8'640'000).DayFraction(), 1.0);
  EXPECT_DOUBLE_EQ(TimeOfIndex(50).DayFraction(), 0.5 / 86'400);
}

TEST(LogModel, NewestSampleAndO2Average) {
  RecordedMessages messages;
  Log log(messages);
  EXPECT_FALSE(log.NewestSample().has_value());
  EXPECT_EQ(log.O2Average(5), 0);

  Record(log, 4, [](std::int64_t i) { return Filled(static_cast<std::int32_t>(10 * (i + 1))); });
  ASSERT_TRUE(log.NewestSample().has_value());
  EXPECT_EQ(*log.NewestSample(), Filled(40));
  EXPECT_EQ(log.O2Average(5), 40);  // fewer values than the count: the last one
  EXPECT_EQ(log.O2Average(0), 40);  // no count: the last one, not a division by zero
  EXPECT_EQ(log.O2Average(3), (20 + 30 + 40) / 3);
  EXPECT_EQ(log.O2Average(4), 25);
}

TEST(LogModel, AppendsOnlyBetweenBeginAndEndOfRecording) {
  RecordedMessages messages;
  Log log(messages);
  EXPECT_FALSE(log.AppendSample(Filled(1)));  // idle: refused
  log.BeginRecording();
  EXPECT_TRUE(log.IsRunning());
  EXPECT_TRUE(log.AppendSample(Filled(1)));
  log.EndRecording();
  EXPECT_FALSE(log.AppendSample(Filled(2)));
  EXPECT_EQ(log.SampleCount(), 1U);

  log.SetHasData(true);
  log.BeginRecording();  // a new recording discards the old log
  EXPECT_EQ(log.SampleCount(), 0U);
  EXPECT_FALSE(log.GetHasData());

  log.SetMarkerHeld(true);
  EXPECT_EQ(log.MarkerValue(), 128);
  log.SetMarkerHeld(false);
  EXPECT_EQ(log.MarkerValue(), 0);
  log.SetCorrValue(-7);
  EXPECT_EQ(log.GetCorrValue(), -7);
}

}  // namespace
}  // namespace orvel
