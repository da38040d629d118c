#include "live/log_learning.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/number_format.h"
#include "live/log_time.h"

namespace orvel {

namespace {

constexpr std::int32_t kLastPoint = 255;
constexpr std::int32_t kRicherWhenHigherSensor = 0;

// The range held within the samples present; empty (First > Last) when the
// log holds none.
SampleRange HeldRange(SampleRange range, std::size_t samples) {
  const auto last = static_cast<std::int64_t>(samples) - 1;
  return {std::max<std::int64_t>(range.First, 0), std::min(range.Last, last)};
}

// Runs `visit(index, maf)` for the first sample of every MAF point above
// `mafLimit` within the range.
template <typename Visit>
void ForFirstOccurrences(const LogChannels& channels, SampleRange range, std::int32_t mafLimit, Visit visit) {
  std::array<bool, kLastPoint + 1> done{};
  const auto maf = channels.Of(Channel::Maf);
  const SampleRange held = HeldRange(range, maf.size());
  for (std::int64_t i = held.First; i <= held.Last; ++i) {
    const std::int32_t m = maf[static_cast<std::size_t>(i)];
    if (m <= mafLimit || m < 0 || m > kLastPoint || done[static_cast<std::size_t>(m)]) {
      continue;
    }
    done[static_cast<std::size_t>(m)] = true;
    visit(static_cast<std::size_t>(i), m);
  }
}

SampleRange VisibleRange(const Log& log) {
  return {log.Window().FirstIndex, log.Window().LastIndex};
}

// Single precision, as the chart's own conversion between pixels and values.
float AxisValueAt(const ChartAxis& axis, double pixel) {
  const auto span = static_cast<float>(axis.Max - axis.Min);
  const auto pixels = static_cast<float>(axis.PixelOfMax - axis.PixelOfMin);
  return span / pixels * static_cast<float>(pixel - axis.PixelOfMin) + static_cast<float>(axis.Min);
}

bool Between(double value, double a, double b) {
  return a != b && value >= std::min(a, b) && value <= std::max(a, b);
}

}  // namespace

std::int32_t LearnDelta(std::int32_t o2Smooth, const LogLevels& levels, std::int32_t sensorType,
                        bool toyota) {
  const bool higherIsRicher = sensorType == kRicherWhenHigherSensor;
  const bool rich = higherIsRicher ? o2Smooth > levels.O2Target : o2Smooth < levels.O2Target;
  const bool lean = higherIsRicher ? o2Smooth < levels.O2FromDash : o2Smooth > levels.O2FromDash;
  std::int32_t delta = 0;
  if (rich) {
    delta = toyota ? 1 : -1;
  }
  if (lean) {
    delta = toyota ? -1 : 1;
  }
  return delta;
}

std::vector<LearnStep> LearnFromLogSteps(const LogChannels& channels, SampleRange range,
                                         const LogLevels& levels, std::int32_t sensorType, bool toyota) {
  std::vector<LearnStep> steps;
  ForFirstOccurrences(channels, range, levels.MafLimit, [&](std::size_t i, std::int32_t m) {
    const std::int32_t delta =
        LearnDelta(channels.ValueOr0(Channel::O2Smooth, i), levels, sensorType, toyota);
    steps.push_back({m, channels.ValueOr0(Channel::Conv, i), delta, false});
  });
  return steps;
}

std::vector<LearnStep> LearnSelectedSteps(const LogChannels& channels, SampleRange range,
                                          std::int32_t mafLimit) {
  std::vector<LearnStep> steps;
  ForFirstOccurrences(channels, range, mafLimit, [&](std::size_t i, std::int32_t m) {
    steps.push_back({m, channels.ValueOr0(Channel::Conv, i), 0, true});
  });
  return steps;
}

int ApplyLearnSteps(std::span<const LearnStep> steps, Table& table) {
  int changed = 0;
  for (const LearnStep& step : steps) {
    std::int32_t value = 0;
    if (step.TakeConv) {
      value = step.Conv;
    } else if (table.GetOut(step.Point) != 0) {
      value = table.GetOut(step.Point) + step.Delta;
    } else if (step.Conv != 0) {
      value = step.Conv + step.Delta;
    } else {
      continue;
    }
    // A point at 255 stepped up must stay 255, not wrap to 0 in the file.
    value = std::clamp(value, 0, kLastPoint);
    changed += value != table.GetOut(step.Point) ? 1 : 0;
    table.SetOutPoint(step.Point, value);
  }
  return changed;
}

int LearnFromLog(const Log& log, Table& table, std::int32_t sensorType, bool toyota) {
  const LogLevels levels = log.Levels();
  const auto steps = log.ReadChannels([&](const LogChannels& channels) {
    return LearnFromLogSteps(channels, VisibleRange(log), levels, sensorType, toyota);
  });
  return ApplyLearnSteps(steps, table);
}

int LearnSelected(const Log& log, Table& table) {
  const std::int32_t mafLimit = log.Levels().MafLimit;
  const auto steps = log.ReadChannels(
      [&](const LogChannels& channels) { return LearnSelectedSteps(channels, VisibleRange(log), mafLimit); });
  return ApplyLearnSteps(steps, table);
}

bool InPlotArea(const ChartAxes& axes, double x, double y) {
  return Between(x, axes.Time.PixelOfMin, axes.Time.PixelOfMax) &&
         Between(y, axes.Value.PixelOfMin, axes.Value.PixelOfMax);
}

float TimeAtPixel(const ChartAxis& time, double x) {
  return std::max(AxisValueAt(time, x), 0.0F);
}

std::int64_t ValueAtPixel(const ChartAxis& value, double y) {
  return RoundHalfEven(AxisValueAt(value, y));
}

std::optional<std::size_t> NearestDrawnPoint(std::span<const DrawnPoint> points, float t) {
  for (std::size_t j = 0; j + 1 < points.size(); ++j) {
    const double here = points[j].Time;
    const double next = points[j + 1].Time;
    const double middle = (here + next) / 2;
    if (here <= t && middle > t) {
      return j;
    }
    if (next >= t && middle <= t) {
      return j + 1;
    }
  }
  return std::nullopt;
}

std::vector<DrawnPoint> DrawnMafPoints(const LogChannels& channels, const LogWindow& window) {
  std::vector<DrawnPoint> points;
  const auto maf = channels.Of(Channel::Maf);
  const std::int64_t step = std::max<std::int64_t>(window.Step, 1);
  const std::int64_t start = std::max<std::int64_t>(window.FirstIndex - step, 0);
  const std::int64_t end = std::min(window.LastIndex + step, static_cast<std::int64_t>(maf.size()) - 1);
  for (std::int64_t i = start; i <= end; i += step) {
    points.push_back({TimeOfIndex(i).DayFraction(), static_cast<double>(maf[static_cast<std::size_t>(i)])});
  }
  return points;
}

bool EditTableFromChart(Table& table, std::int32_t mafLimit, const ChartAxes& axes,
                        std::span<const DrawnPoint> mafPoints, const ChartGesture& gesture) {
  const bool inside =
      gesture.Drag ? InPlotArea(axes, gesture.X, gesture.Y) : InPlotArea(axes, gesture.DownX, gesture.DownY);
  if (!inside) {
    return false;
  }
  const auto nearest = NearestDrawnPoint(mafPoints, TimeAtPixel(axes.Time, gesture.DownX));
  if (!nearest) {
    return false;
  }
  const auto value = ValueAtPixel(axes.Value, gesture.Drag ? gesture.Y : gesture.DownY);
  const auto m =
      std::clamp<std::int64_t>(static_cast<std::int64_t>(mafPoints[*nearest].Value), 0, kLastPoint);
  const auto w = std::clamp<std::int64_t>(value, 0, kLastPoint);
  if (m <= mafLimit) {
    return false;
  }
  table.SetOutPoint(static_cast<int>(m), static_cast<int>(w));
  return true;
}

}  // namespace orvel
