#include "table/chart_pointer.h"

#include <algorithm>
#include <cmath>

#include "core/number_format.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr int kLastPoint = 255;

bool IsSecondTable(EditSeries series) {
  return series == EditSeries::Tab2 || series == EditSeries::IATCorr2 || series == EditSeries::ECTCorr2;
}

// The value drawn at sample x of a series (x a multiple of 4 for corrections).
int SeriesValue(const Table& table, EditSeries series, int x) {
  const TableBlock& block = IsSecondTable(series) ? table.Tab2() : table.Tab1();
  switch (series) {
    case EditSeries::Tab1:
    case EditSeries::Tab2:
      return block[static_cast<std::size_t>(x)];
    case EditSeries::IATCorr:
    case EditSeries::IATCorr2:
      return block[TableBlock::kIatCorr + static_cast<std::size_t>(x / 4)];
    case EditSeries::ECTCorr:
    case EditSeries::ECTCorr2:
      return block[TableBlock::kEctCorr + static_cast<std::size_t>(x / 4)];
    case EditSeries::Trained:
      return table.Trained()[static_cast<std::size_t>(x)];
  }
  return 0;
}

bool IsTrainedPoint(const Table& table, int i) {
  return table.Tab1()[static_cast<std::size_t>(i)] == table.Trained()[static_cast<std::size_t>(i)];
}

int NearestTrainedPoint(const Table& table, int e) {
  if (IsTrainedPoint(table, e)) {
    return e;
  }
  int after = kLastPoint + 1;
  for (int i = e; i <= kLastPoint; ++i) {
    if (IsTrainedPoint(table, i)) {
      after = i;
      break;
    }
  }
  int before = -1;
  for (int i = e; i >= 0; --i) {
    if (IsTrainedPoint(table, i)) {
      before = i;
      break;
    }
  }
  return (after + before) / 2 < e ? after : before;
}

}  // namespace

bool PlotArea::Contains(double px, double py) const {
  return px >= Left && px <= Right && py >= Top && py <= Bottom;
}

double PlotArea::XToPixel(double x) const {
  return Left + (x - XMin) * (Right - Left) / (XMax - XMin);
}

double PlotArea::YToPixel(double y) const {
  return Bottom - (y - YMin) * (Bottom - Top) / (YMax - YMin);
}

double PlotArea::PixelToX(double px) const {
  const double x = XMin + (XMax - XMin) * (px - Left) / (Right - Left);
  return std::clamp(x, 0.0, static_cast<double>(kLastPoint));
}

int PlotArea::PixelToY(double py) const {
  return static_cast<int>(RoundHalfEven(YMin + (YMax - YMin) * (Bottom - py) / (Bottom - Top)));
}

int SnapToSamples(double x, int step) {
  for (int sample = 0; sample + step <= kLastPoint; sample += step) {
    const int next = sample + step;
    const double middle = (sample + next) / 2.0;
    if (x >= sample && x < middle) {
      return sample;
    }
    if (x >= middle && x <= next) {
      return next;
    }
  }
  return kLastPoint;
}

int SampleStep(EditSeries series) {
  switch (series) {
    case EditSeries::IATCorr:
    case EditSeries::ECTCorr:
    case EditSeries::IATCorr2:
    case EditSeries::ECTCorr2:
      return 4;
    default:
      return 1;
  }
}

std::optional<ChartPoint> PointerToData(const PlotArea& area, double px, double py) {
  if (!area.Contains(px, py)) {
    return std::nullopt;
  }
  return ChartPoint{SnapToSamples(area.PixelToX(px), 1), area.PixelToY(py)};
}

NearestPointResult NearestPoint(const Table& table, EditSeries series, const PlotArea& area, double px,
                                double py) {
  NearestPointResult result;
  if (!area.Contains(px, py)) {
    return result;
  }
  const int step = SampleStep(series);
  result.E = SnapToSamples(area.PixelToX(px), step);
  result.Y = area.PixelToY(py);
  if (series != EditSeries::Trained) {
    // A correction series draws entry e / 4 at x = 4 · (e / 4).
    const int drawnX = step == 4 ? result.E / 4 * 4 : result.E;
    result.Dx = px - area.XToPixel(drawnX);
    result.Dy = py - area.YToPixel(SeriesValue(table, series, drawnX));
  }
  result.N = NearestTrainedPoint(table, result.E);
  return result;
}

std::optional<ChartSeriesPoint> PointUnderPointer(const Table& table, bool secondTable, const PlotArea& area,
                                                  double px, double py) {
  static constexpr EditSeries kOrder[] = {EditSeries::Tab1,    EditSeries::IATCorr, EditSeries::ECTCorr,
                                          EditSeries::Trained, EditSeries::Tab2,    EditSeries::IATCorr2,
                                          EditSeries::ECTCorr2};
  std::optional<ChartSeriesPoint> found;
  for (int number = 0; number < 7; ++number) {
    const EditSeries series = kOrder[number];
    if ((series == EditSeries::Trained && !table.ShowTrained()) || (IsSecondTable(series) && !secondTable)) {
      continue;
    }
    // Of the series' points near the pointer, the closest one.
    const int step = SampleStep(series);
    double closest = kNoOffset;
    for (int x = 0; x <= kLastPoint; x += step) {
      const int y = SeriesValue(table, series, x);
      const double dx = std::abs(px - area.XToPixel(x));
      const double dy = std::abs(py - area.YToPixel(y));
      if (dx <= kDragArmPixels && dy <= kDragArmPixels && dx + dy < closest) {
        closest = dx + dy;
        found = ChartSeriesPoint{number, x, y};
      }
    }
  }
  return found;
}

std::string PointHintText(int seriesNumber, int x, int y) {
  const std::string xs = std::to_string(x);
  const std::string ys = std::to_string(y);
  if (seriesNumber == 1 || seriesNumber == 5) {
    return "IAT=" + xs + "  IATCorr=" + ys;
  }
  if (seriesNumber == 2 || seriesNumber == 6) {
    return "ECT=" + xs + "  ECTCorr=" + ys;
  }
  return "MAF=" + xs + "  OUT=" + ys;
}

std::string EditHintText(EditSeries series, int x, int value) {
  return PointHintText(static_cast<int>(series), x, value);
}

std::optional<bool> LegendButtonsWanted(double px, double py, double firstLeft, double firstBottom) {
  if (px < firstLeft) {
    return false;
  }
  if (py <= firstBottom) {
    return true;
  }
  return std::nullopt;
}

}  // namespace orvel
