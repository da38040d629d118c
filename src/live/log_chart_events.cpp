#include "live/log_chart_events.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

// How far from a drawn line the pointer may be to be on it.
constexpr double kHitPixels = 3;
constexpr double kFarAway = 10'000;

double PixelOf(const ChartAxis& axis, double value) {
  if (axis.Max == axis.Min) {
    return axis.PixelOfMin;
  }
  return axis.PixelOfMin + (value - axis.Min) / (axis.Max - axis.Min) * (axis.PixelOfMax - axis.PixelOfMin);
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double length2 = dx * dx + dy * dy;
  double t = 0;
  if (length2 > 0) {
    t = std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0);
  }
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Point index of `series` near (x, y): the nearer end of the first segment
// the pointer lies on.
std::optional<std::size_t> PointUnderMouse(const LogChartData& data, LogSeries series, const ChartAxes& axes,
                                           double x, double y) {
  const std::size_t count = data.PointCount(series);
  for (std::size_t j = 0; j + 1 < count; ++j) {
    const double ax = PixelOf(axes.Time, data.TimeAt(series, j));
    const double bx = PixelOf(axes.Time, data.TimeAt(series, j + 1));
    if (x < std::min(ax, bx) - kHitPixels || x > std::max(ax, bx) + kHitPixels) {
      continue;
    }
    const double ay = PixelOf(axes.Value, data.ValueAt(series, j));
    const double by = PixelOf(axes.Value, data.ValueAt(series, j + 1));
    if (SegmentDistance(x, y, ax, ay, bx, by) <= kHitPixels) {
      return std::hypot(x - ax, y - ay) <= std::hypot(x - bx, y - by) ? j : j + 1;
    }
  }
  return std::nullopt;
}

std::string IntegerText(double value) {
  return std::to_string(static_cast<long long>(value));
}

}  // namespace

ToggleButtonArea ToggleAreaOfChart(int chartWidth) {
  return {static_cast<double>(chartWidth - kToggleButtonRightInset),
          static_cast<double>(kToggleButtonTop + kToggleButtonHeight)};
}

std::optional<bool> ToggleButtonsShown(const ToggleButtonArea& area, double x, double y, bool buttonHeld) {
  if (buttonHeld) {
    return std::nullopt;
  }
  if (x < area.Left) {
    return false;
  }
  if (y <= area.FirstBottom) {
    return true;
  }
  return std::nullopt;
}

std::optional<SeriesHit> SeriesUnderMouse(const LogChartData& data,
                                          const std::array<bool, kLogSeriesCount>& shown,
                                          const ChartAxes& axes, double x, double y) {
  for (std::size_t s = kLogSeriesCount; s-- > 0;) {
    if (!shown[s]) {
      continue;
    }
    const auto series = static_cast<LogSeries>(s);
    if (const auto point = PointUnderMouse(data, series, axes, x, y)) {
      return SeriesHit{series, *point};
    }
  }
  return std::nullopt;
}

double TabLineDistance(const LogChartData& data, const ChartAxes& axes, double x, double y) {
  if (!InPlotArea(axes, x, y) || data.Time.empty()) {
    return kFarAway;
  }
  std::vector<DrawnPoint> tab(data.Time.size());
  const auto& values = data.Values[SeriesIndex(LogSeries::Tab)];
  for (std::size_t j = 0; j < tab.size(); ++j) {
    tab[j] = {data.Time[j], values[j]};
  }
  const auto nearest = NearestDrawnPoint(tab, TimeAtPixel(axes.Time, x));
  if (!nearest) {
    return kFarAway;
  }
  return y - PixelOf(axes.Value, tab[*nearest].Value);
}

std::vector<DrawnPoint> DrawnMafPointsOf(const LogChartData& data) {
  std::vector<DrawnPoint> points(data.Time.size());
  const auto& maf = data.Values[SeriesIndex(LogSeries::Maf)];
  for (std::size_t j = 0; j < points.size(); ++j) {
    points[j] = {data.Time[j], maf[j]};
  }
  return points;
}

LogChartEvents::LogChartEvents(Log& log, Table& mainTable) : LogModel(log), MainTable(mainTable) {
  Shown.fill(true);
  Shown[SeriesIndex(LogSeries::Tps)] = false;
}

std::optional<SeriesHit> LogChartEvents::HitAt(double x, double y, const ChartAxes& axes) const {
  return SeriesUnderMouse(LogModel.Drawn(), Shown, axes, x, y);
}

LogChartEvents::DownOutcome LogChartEvents::MouseDown(ChartButton button, bool alt, double x, double y,
                                                      const ChartAxes& axes) {
  DownOutcome outcome;
  if (!LogModel.GetHasData()) {
    return outcome;
  }
  outcome.Handled = true;
  DownX = x;
  DownY = y;
  ScrollingFlag = MoveMode || button == ChartButton::Right;
  const double d = TabLineDistance(LogModel.Drawn(), axes, x, y);
  GrabFlag = d >= -kGrabPixels && d <= kGrabPixels;
  if (alt || GrabFlag) {
    ZoomOn = false;
  }
  const auto hit = HitAt(x, y, axes);
  if (hit && hit->Point != 0) {
    const double value = LogModel.Drawn().ValueAt(hit->Series, hit->Point);
    outcome.Hint =
        ChartHint{IntegerText(value) + "  " + LogModel.Window().StepLabel, x - kHintLeft, y - kDownHintUp};
  }
  return outcome;
}

LogChartEvents::MoveOutcome LogChartEvents::MouseMove(bool alt, bool buttonHeld, bool zoomButtonHeld,
                                                      double x, double y, const ChartAxes& axes,
                                                      const LogAxisRanges& ranges,
                                                      const ToggleButtonArea& area) {
  MoveOutcome outcome;
  if (!LogModel.GetHasData()) {
    return outcome;
  }
  outcome.ToggleButtons = ToggleButtonsShown(area, x, y, buttonHeld);
  if ((alt || GrabFlag) && zoomButtonHeld) {
    const auto maf = DrawnMafPointsOf(LogModel.Drawn());
    EditTableFromChart(MainTable, LogModel.Levels().MafLimit, axes, maf,
                       ChartGesture{DownX, DownY, x, y, true});
    LogModel.Redraw(LogModel.Window().Step);
    outcome.Edited = true;
    return outcome;
  }
  outcome.HintChanged = true;
  if (const auto hit = HitAt(x, y, axes)) {
    const LogChartData& data = LogModel.Drawn();
    std::string text = std::string(kLogSeriesLooks[SeriesIndex(hit->Series)].Title) + "=" +
                       IntegerText(data.ValueAt(hit->Series, hit->Point)) + "\n";
    if (hit->Point < data.PointCount(LogSeries::O2)) {
      text += std::string(kLogSeriesLooks[SeriesIndex(LogSeries::O2)].Title) + "=" +
              IntegerText(data.ValueAt(LogSeries::O2, hit->Point)) + "\n";
    }
    text += LogModel.Window().StepLabel;
    outcome.Hint = ChartHint{std::move(text), x - kHintLeft, y - kMoveHintUp};
  }
  if (ScrollingFlag && buttonHeld) {
    LogModel.Panned(ranges);
    outcome.Panned = true;
  }
  return outcome;
}

bool LogChartEvents::DoubleClick(double x, double y, const ChartAxes& axes) {
  if (!LogModel.GetHasData()) {
    return false;
  }
  const auto maf = DrawnMafPointsOf(LogModel.Drawn());
  const bool changed =
      EditTableFromChart(MainTable, LogModel.Levels().MafLimit, axes, maf, ChartGesture{x, y, x, y, false});
  LogModel.Redraw(LogModel.Window().Step);
  return changed;
}

}  // namespace orvel
