#include <gtest/gtest.h>

#include "live/log.h"
#include "live/log_chart.h"
#include "log_test_support.h"
#include "table/table.h"

namespace orvel {
namespace {

using test::Filled;
using test::Record;

// A chart that keeps what the log handed it.
class RecordedChart final : public LogChartView {
 public:
  void ShowLog(const LogChartData& data) override {
    Last = data;
    ++Redraws;
  }
  void ShowAxes(const LogAxisRanges& ranges) override { Axes = ranges; }
  LogChartData Last;
  LogAxisRanges Axes;
  int Redraws = 0;
};

// A log of `samples` samples, prepared for viewing as a load does it.
struct ShownLog {
  explicit ShownLog(std::int64_t samples) : MainTable(Bus, Messages, Keys) {
    TheLog.BindChart(Chart, MainTable);
    Record(TheLog, samples, [](std::int64_t i) {
      SampleValues sample = Filled(0);
      At(sample, Channel::Maf) = static_cast<std::int32_t>(i % 256);
      At(sample, Channel::Conv) = 7;
      At(sample, Channel::RpmPeriod) = 1500;  // 1000 rpm
      return sample;
    });
    TheLog.ComputeBounds();
    TheLog.SetStep(samples - 1);
    TheLog.Redraw(TheLog.Window().Step);
    TheLog.PushWholeLogZoomEntry();
  }

  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  LatchedModifiers Keys;
  Table MainTable;
  RecordedChart Chart;
  Log TheLog{Messages};
};

TEST(LogChart, TenThousandSamplesDraw435PointsOverTheWholeLog) {
  ShownLog shown(10'000);
  const Log& log = shown.TheLog;
  EXPECT_EQ(shown.Chart.Axes, (LogAxisRanges{0, 99.98, -30, 300}));
  EXPECT_EQ(log.Window().Step, 23);
  EXPECT_EQ(log.Window().StepLabel, "0.23s");
  EXPECT_TRUE(log.GetHasData());
  const LogChartData& drawn = shown.Chart.Last;
  ASSERT_EQ(drawn.Time.size(), 435U);
  EXPECT_EQ(drawn.Indices.front(), 0);
  EXPECT_EQ(drawn.Indices.back(), 9982);
  EXPECT_DOUBLE_EQ(drawn.Time.back(), 99.82);
  for (const auto& values : drawn.Values) {
    EXPECT_EQ(values.size(), 435U);
  }
  // Point 1 is sample 23.
  EXPECT_EQ(drawn.ValueAt(LogSeries::Maf, 1), 23);
  EXPECT_EQ(drawn.ValueAt(LogSeries::Converter, 1), 7);
  EXPECT_EQ(drawn.ValueAt(LogSeries::Tab, 1), shown.MainTable.GetOut(23));
  EXPECT_EQ(drawn.ValueAt(LogSeries::Rpm100, 1), 10);
  EXPECT_EQ(drawn.PointCount(LogSeries::MaxMafInLog), 2U);
  EXPECT_EQ(drawn.ValueAt(LogSeries::MaxMafInLog, 0), 255);
  EXPECT_EQ(drawn.ValueAt(LogSeries::O2FromDash, 1), 147);
  EXPECT_DOUBLE_EQ(drawn.TimeAt(LogSeries::O2FromDash, 1), 99.82);
  ASSERT_EQ(log.ZoomHistory().Size(), 1U);
  EXPECT_EQ(log.ZoomHistory().All()[0].Last, 9999);
}

TEST(LogChart, RedrawWaitsForEnoughSamplesAndTheEndOfARecording) {
  RecordedMessages messages;
  Log log(messages);
  RecordedChart chart;
  TOrvelBroadcaster bus;
  LatchedModifiers keys;
  Table table(bus, messages, keys);
  log.BindChart(chart, table);
  Record(log, 117, [](std::int64_t) { return Filled(1); });
  log.ComputeBounds();
  EXPECT_FALSE(log.Redraw(1));
  EXPECT_FALSE(log.GetHasData());

  log.BeginRecording();
  for (int i = 0; i < 200; ++i) {
    log.AppendSample(Filled(1));
  }
  EXPECT_FALSE(log.Redraw(1));  // still recording
  log.EndRecording();
  EXPECT_TRUE(log.Redraw(1));
  EXPECT_EQ(chart.Redraws, 1);
  // A level change redraws a log that is shown, with the new line.
  log.SetMafLimit(90);
  EXPECT_EQ(chart.Redraws, 2);
  EXPECT_EQ(chart.Last.ValueAt(LogSeries::MafLimit, 0), 90);
}

TEST(LogChart, ZoomUndoAndPanFollowTheHistory) {
  ShownLog shown(10'000);
  Log& log = shown.TheLog;
  log.ZoomDone({10.0, 20.0, 0, 200});
  EXPECT_EQ(log.Window().FirstIndex, 1000);
  EXPECT_EQ(log.Window().LastIndex, 2000);
  EXPECT_EQ(log.Window().Step, 2);
  EXPECT_EQ(shown.Chart.Last.Indices.front(), 998);
  EXPECT_EQ(shown.Chart.Last.Indices.back(), 2002);

  log.ZoomDone({12.0, 14.0, 0, 200});
  // Panning by 10 s keeps the step and re-centres the previous zoom's width.
  log.Panned({22.0, 24.0, 0, 200});
  EXPECT_EQ(log.Window().FirstIndex, 2200);
  EXPECT_EQ(log.Window().LastIndex, 2400);
  EXPECT_EQ(log.Window().Step, 1);
  ASSERT_TRUE(log.ZoomUndone());
  EXPECT_EQ(log.Window().FirstIndex, 2300 - 500);
  EXPECT_EQ(log.Window().LastIndex, 2300 + 500);
  EXPECT_EQ(shown.Chart.Axes, (LogAxisRanges{18.0, 28.0, 0, 200}));

  ASSERT_TRUE(log.ZoomUndone());
  EXPECT_EQ(log.Window().FirstIndex, 0);
  EXPECT_EQ(log.Window().LastIndex, 9999);
  EXPECT_EQ(log.Window().Step, 23);
  EXPECT_EQ(shown.Chart.Axes, (LogAxisRanges{0, 99.99, -30, 300}));
  EXPECT_FALSE(log.ZoomUndone());  // the whole log stays
  EXPECT_EQ(log.ZoomHistory().Size(), 1U);
}

TEST(LogChart, TimesOfTheAxisGiveSampleIndices) {
  const struct {
    double Seconds;
    std::int64_t Index;
  } cases[] = {{0, 0},      {-3, 0},          {10.0, 1000}, {99.98, 9998}, {19.9999999, 2000},
               {0.0149, 1}, {3675.12, 367512}};
  for (const auto& c : cases) {
    EXPECT_EQ(IndexOfChartTime(c.Seconds), c.Index) << c.Seconds;
  }
  EXPECT_EQ(Rpm100OfPeriod(0), 0);
  EXPECT_EQ(Rpm100OfPeriod(10'000), 1);  // 150 rpm
  EXPECT_EQ(Rpm100OfPeriod(1), 15'000);
}

}  // namespace
}  // namespace orvel
