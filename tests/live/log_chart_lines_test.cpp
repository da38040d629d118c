#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "live/log.h"
#include "live/log_chart_lines.h"
#include "live/log_summary.h"
#include "log_test_support.h"
#include "table/table.h"

namespace orvel {
namespace {

using test::Filled;
using test::Record;

// Channels whose values wander at random, with stretches of a 0 period (an
// engine standing) and an O2Smooth channel that ends early.
LogChannels RandomChannels(std::size_t samples) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int32_t> value(-40, 260);
  std::uniform_int_distribution<std::int32_t> period(0, 3000);
  LogChannels channels;
  for (std::size_t i = 0; i < samples; ++i) {
    SampleValues sample{};
    for (auto& v : sample) {
      v = value(random);
    }
    At(sample, Channel::RpmPeriod) = (i / 500) % 3 == 0 ? 0 : period(random);
    channels.Append(sample);
  }
  channels.Sequence(Channel::O2Smooth).resize(samples - 333);
  return channels;
}

// The span of a series over samples from..to-1, sample by sample as the
// chart's points take them.
ValueSpan SlowSpan(const LogChannels& channels, LogSeries series, std::size_t from, std::size_t to) {
  ValueSpan span;
  for (std::size_t i = from; i < to; ++i) {
    span.Merge(SeriesSpanOf(channels, series, i, i + 1));
  }
  return span;
}

TEST(LogSummary, SpansOfAnyRunMatchTheSamples) {
  const LogChannels channels = RandomChannels(20'011);
  LogSummary summary;
  summary.Refresh(channels);
  const struct {
    std::size_t First;
    std::size_t End;
  } runs[] = {
      {0, 0},      {5, 6},           {0, 16},          {3, 15},          {15, 17},
      {16, 1024},  {17, 1023},       {100, 5'000},     {4'095, 4'097},   {1, 20'011},
      {0, 20'011}, {19'990, 20'011}, {12'345, 19'999}, {20'000, 20'011},
  };
  for (const auto& run : runs) {
    for (std::size_t s = 0; s < kLogDataSeriesCount; ++s) {
      const auto series = static_cast<LogSeries>(s);
      if (series == LogSeries::Tab) {
        continue;
      }
      EXPECT_EQ(summary.Span(channels, series, run.First, run.End),
                SlowSpan(channels, series, run.First, run.End))
          << "series " << s << ", samples " << run.First << ".." << run.End;
    }
    MafPointSet expected;
    const auto maf = channels.Of(Channel::Maf);
    for (std::size_t i = run.First; i < run.End; ++i) {
      expected.Add(maf[i]);
    }
    EXPECT_EQ(summary.MafPoints(channels, run.First, run.End).Words, expected.Words);
  }
}

// A log of flat channels with single-sample spikes, shown on a chart that
// keeps what it got.
class SpikedLog : public ::testing::Test, public LogChartView {
 protected:
  static constexpr std::int64_t kSamples = 400'000;
  static constexpr std::int32_t kFlat = 100;

  SpikedLog() : MainTable(Bus, Messages, Keys) {
    for (int m = 0; m < 256; ++m) {
      MainTable.Tab1()[static_cast<std::size_t>(m)] = m / 2;
    }
    TheLog.BindChart(*this, MainTable);
    Record(TheLog, kSamples, [](std::int64_t i) {
      SampleValues sample = Filled(kFlat);
      const auto spike = std::find(kSpikes.begin(), kSpikes.end(), i);
      if (spike != kSpikes.end()) {
        const auto n = static_cast<std::int32_t>(spike - kSpikes.begin());
        At(sample, Channel::Maf) = 200 + n;
        At(sample, Channel::O2) = -20 - n;
        At(sample, Channel::Corr) = 150 + n;
      }
      return sample;
    });
    TheLog.ComputeBounds();
  }

  void ShowLog(const LogChartData& data) override { Last = data; }
  void ShowAxes(const LogAxisRanges& /*ranges*/) override {}
  [[nodiscard]] std::int64_t PlotColumns() const override { return Columns; }

  // Whether `series` draws a value at least as far from the flat line as
  // `value` within one column of sample `index` (two spikes may share a
  // column; the column then shows the farther one).
  bool Draws(LogSeries series, std::int32_t value, std::int64_t index, double columnSeconds) const {
    const LogChartLines& lines = Last.Lines;
    const double time = ChartTimeOfIndex(index);
    for (std::size_t j = 0; j < lines.Time.size(); ++j) {
      const double drawn = lines.Values[SeriesIndex(series)][j];
      const bool asFar = value > kFlat ? drawn >= value : drawn <= value;
      if (asFar && std::abs(lines.Time[j] - time) <= columnSeconds) {
        return true;
      }
    }
    return false;
  }

  static constexpr std::array<std::int64_t, 5> kSpikes = {0, 16, 123'457, 250'001, kSamples - 1};

  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  LatchedModifiers Keys;
  Table MainTable;
  Log TheLog{Messages};
  LogChartData Last;
  std::int64_t Columns = 997;
};

TEST_F(SpikedLog, EverySpikeIsDrawnInItsColumnAndNothingElse) {
  const struct {
    std::int64_t First;
    std::int64_t Last;
    std::int64_t Columns;
  } windows[] = {
      {0, kSamples - 1, 997},
      {0, kSamples - 1, 1},
      {100'000, 260'000, 640},
      {123'000, 124'000, 300},
      {kSamples - 5'000, kSamples + 5'000, 997},
  };
  for (const auto& window : windows) {
    SCOPED_TRACE(::testing::Message() << window.First << ".." << window.Last << " in " << window.Columns);
    Columns = window.Columns;
    TheLog.SetVisibleWindow(window.First, window.Last);
    ASSERT_TRUE(TheLog.Redraw(1));
    const LogChartLines& lines = Last.Lines;
    EXPECT_LE(lines.Time.size(), static_cast<std::size_t>(2 * (window.Columns + 2)));
    EXPECT_TRUE(std::is_sorted(lines.Time.begin(), lines.Time.end()));
    const std::int64_t columnSamples =
        (std::min(window.Last, kSamples - 1) - window.First + window.Columns) / window.Columns;
    const double column = ChartTimeOfIndex(columnSamples);
    for (std::size_t n = 0; n < kSpikes.size(); ++n) {
      const std::int64_t at = kSpikes[n];
      if (at < window.First - columnSamples || at > window.Last + columnSamples) {
        continue;
      }
      const auto k = static_cast<std::int32_t>(n);
      EXPECT_TRUE(Draws(LogSeries::Maf, 200 + k, at, column)) << "spike " << n;
      EXPECT_TRUE(Draws(LogSeries::O2, -20 - k, at, column)) << "spike " << n;
      EXPECT_TRUE(Draws(LogSeries::Corr, 150 + k, at, column)) << "spike " << n;
      EXPECT_TRUE(Draws(LogSeries::Tab, MainTable.GetOut(200 + k), at, column)) << "spike " << n;
    }
    for (const double value : lines.Values[SeriesIndex(LogSeries::Tps)]) {
      EXPECT_EQ(value, kFlat);
    }
    for (const double value : lines.Values[SeriesIndex(LogSeries::Maf)]) {
      EXPECT_TRUE(value == kFlat || (value >= 200 && value <= 204)) << value;
    }
    for (const double value : lines.Values[SeriesIndex(LogSeries::Tab)]) {
      EXPECT_TRUE(value == MainTable.GetOut(kFlat) || value >= MainTable.GetOut(200)) << value;
    }
  }
}

TEST_F(SpikedLog, AZoomOfAtMostTwoSamplesAColumnDrawsEverySample) {
  TheLog.SetVisibleWindow(123'400, 123'500);
  ASSERT_TRUE(TheLog.Redraw(1));
  const LogChartLines& lines = Last.Lines;
  ASSERT_EQ(lines.Time.size(), 103U);  // one sample of margin on each side
  EXPECT_DOUBLE_EQ(lines.Time.front(), 1233.99);
  EXPECT_EQ(lines.Values[SeriesIndex(LogSeries::Maf)][123'457 - 123'399], 200 + 2);
  EXPECT_EQ(lines.Values[SeriesIndex(LogSeries::Rpm100)][0], Rpm100OfPeriod(kFlat));
}

TEST_F(SpikedLog, SmoothingAfterADrawShowsInTheNextDraw) {
  TheLog.SetVisibleWindow(0, kSamples - 1);
  ASSERT_TRUE(TheLog.Redraw(1));
  EXPECT_EQ(Last.Lines.Values[SeriesIndex(LogSeries::O2Sm)][1], kFlat);
  // O2 is flat at 100 but for the spikes; the smoothed line dips around them.
  TheLog.SmoothO2(20, kSamples);
  ASSERT_TRUE(TheLog.Redraw(1));
  const auto& smooth = Last.Lines.Values[SeriesIndex(LogSeries::O2Sm)];
  EXPECT_LT(*std::min_element(smooth.begin(), smooth.end()), kFlat);
}

}  // namespace
}  // namespace orvel
