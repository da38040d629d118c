#include "live/log_chart.h"

#include <algorithm>
#include <cmath>

#include "core/number_format.h"
#include "live/log.h"
#include "live/log_time.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr std::int32_t kRpmOfPeriod = 1'500'000;
constexpr std::int32_t kLastPoint = 255;
constexpr double kMillisecondsPerSecond = 1000;
constexpr std::int64_t kMillisecondsPerSample = 10;

}  // namespace

double ChartTimeOfIndex(std::int64_t index) {
  return static_cast<double>(index) / static_cast<double>(kSamplesPerSecond);
}

std::int64_t IndexOfChartTime(double seconds) {
  if (!(seconds > 0)) {
    return 0;
  }
  return std::llround(seconds * kMillisecondsPerSecond) / kMillisecondsPerSample;
}

std::size_t LogChartData::PointCount(LogSeries series) const {
  return SeriesIndex(series) < kLogDataSeriesCount ? Time.size() : (Time.empty() ? 0 : 2);
}

double LogChartData::TimeAt(LogSeries series, std::size_t j) const {
  return SeriesIndex(series) < kLogDataSeriesCount ? Time[j] : LevelTime[j];
}

double LogChartData::ValueAt(LogSeries series, std::size_t j) const {
  const std::size_t s = SeriesIndex(series);
  return s < kLogDataSeriesCount ? Values[s][j] : Levels[s - kLogDataSeriesCount];
}

std::int32_t Rpm100OfPeriod(std::int32_t period) {
  if (period == 0) {
    return 0;
  }
  const auto rpm = RoundHalfEven(static_cast<double>(kRpmOfPeriod) / period);
  return static_cast<std::int32_t>(rpm / 100);
}

LogChartData BuildLogChartData(const LogChannels& channels, const LogWindow& window, std::int64_t step,
                               const LogLevels& levels, const Table* table) {
  LogChartData data;
  const auto samples = static_cast<std::int64_t>(channels.SampleCount());
  if (samples == 0) {
    return data;
  }
  step = std::max<std::int64_t>(step, 1);
  const std::int64_t start = std::clamp<std::int64_t>(window.FirstIndex - step, 0, samples - 1);
  const std::int64_t end = std::clamp<std::int64_t>(window.LastIndex + step, start, samples - 1);
  const auto count = static_cast<std::size_t>((end - start) / step + 1);

  // Every array gets its final length first, then is filled in one pass.
  data.Indices.resize(count);
  data.Time.resize(count);
  for (auto& values : data.Values) {
    values.resize(count);
  }
  auto series = [&data](LogSeries s) -> std::vector<double>& { return data.Values[SeriesIndex(s)]; };
  auto channel = [&channels](Channel c) { return channels.Of(c); };
  const auto maf = channel(Channel::Maf);
  const auto tps = channel(Channel::Tps);
  const auto conv = channel(Channel::Conv);
  const auto marker = channel(Channel::Marker);
  const auto period = channel(Channel::RpmPeriod);
  const auto o2 = channel(Channel::O2);
  const auto at = [](std::span<const std::int32_t> values, std::size_t i) {
    return i < values.size() ? static_cast<double>(values[i]) : 0.0;
  };
  std::size_t j = 0;
  for (std::int64_t i = start; i <= end; i += step, ++j) {
    const auto k = static_cast<std::size_t>(i);
    data.Indices[j] = i;
    data.Time[j] = ChartTimeOfIndex(i);
    const std::int32_t mafValue = k < maf.size() ? maf[k] : 0;
    series(LogSeries::Maf)[j] = mafValue;
    series(LogSeries::Tps)[j] = at(tps, k);
    series(LogSeries::Converter)[j] = at(conv, k);
    series(LogSeries::Tab)[j] = table != nullptr ? table->GetOut(std::clamp(mafValue, 0, kLastPoint)) : 0.0;
    series(LogSeries::Marker)[j] = at(marker, k);
    series(LogSeries::Enrichment)[j] = 0;
    series(LogSeries::Rpm100)[j] = k < period.size() ? Rpm100OfPeriod(period[k]) : 0;
    series(LogSeries::O2)[j] = at(o2, k);
    series(LogSeries::Corr)[j] = channels.ValueOr0(Channel::Corr, k);
    series(LogSeries::Iat)[j] = channels.ValueOr0(Channel::Iat, k);
    series(LogSeries::Ect)[j] = channels.ValueOr0(Channel::Ect, k);
    series(LogSeries::O2Sm)[j] = channels.ValueOr0(Channel::O2Smooth, k);
    series(LogSeries::LogCorr)[j] = channels.ValueOr0(Channel::LogCorr, k);
  }
  data.LevelTime = {data.Time.front(), data.Time.back()};
  data.Levels = {static_cast<double>(levels.MafLimit), static_cast<double>(levels.O2Target),
                 static_cast<double>(levels.O2FromDash), static_cast<double>(window.MaxMafInLog)};
  return data;
}

std::optional<TZoomBufer> LogZoomHistory::Undo() {
  if (Entries.size() < 2) {
    return std::nullopt;
  }
  Entries.pop_back();
  return Entries.back();
}

void LogZoomHistory::RecentreAfterPan(std::int64_t first, std::int64_t last) {
  if (Entries.size() < 3) {
    return;
  }
  TZoomBufer& previous = Entries[Entries.size() - 2];
  const std::int64_t width = static_cast<std::int64_t>(previous.Last) - previous.First;
  const std::int64_t centre = (last + first) / 2;
  previous.First = static_cast<std::int32_t>(centre - width / 2);
  previous.Last = static_cast<std::int32_t>(centre + width / 2);
}

}  // namespace orvel
