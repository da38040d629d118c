#pragma once

// The pixel/value mathematics of the table charts: where the plot area lies,
// which table point a pointer position means, which point an edit grabs, and
// the texts of the hints. The chart widget hands in its pixel geometry and
// shows what these functions decide.

#include <optional>
#include <string>

#include "table/table_views.h"

namespace orvel {

class Table;

// The axes of a table chart after binding (and after "undo zoom").
inline constexpr double kChartXMin = 0.0;
inline constexpr double kChartXMax = 300.0;
inline constexpr double kChartYMin = -30.0;
inline constexpr double kChartYMax = 300.0;

// What NearestPoint reports for a pixel offset that does not apply.
inline constexpr double kNoOffset = 10000.0;
// A press arms a drag when the pointer is this close (vertically, in pixels)
// to the selected series' point.
inline constexpr double kDragArmPixels = 4.0;

// The plot area: its pixel edges and the axis ranges drawn between them.
struct PlotArea {
  double Left = 0;
  double Right = 1;
  double Top = 0;
  double Bottom = 1;
  double XMin = kChartXMin;
  double XMax = kChartXMax;
  double YMin = kChartYMin;
  double YMax = kChartYMax;

  [[nodiscard]] bool Contains(double px, double py) const;
  [[nodiscard]] double XToPixel(double x) const;
  [[nodiscard]] double YToPixel(double y) const;
  // The pointer's x in data units, limited to the table's points 0…255.
  [[nodiscard]] double PixelToX(double px) const;
  // The pointer's y in data units, rounded to the nearest integer.
  [[nodiscard]] int PixelToY(double py) const;
};

// x snapped to the samples 0, step, 2·step, … up to 255 of a series: x goes
// to sample i from x(i) up to (not including) the midpoint with the next
// sample, and from there on to the next sample; beyond the last pair, 255.
int SnapToSamples(double x, int step);

// The sample spacing of an editable series: 4 for the correction series,
// 1 for the others.
int SampleStep(EditSeries series);

// A data point of the chart: x snapped to the table's points, y rounded.
struct ChartPoint {
  int X = 0;
  int Y = 0;
};
// The table point under a pointer inside the plot area; nothing outside it.
std::optional<ChartPoint> PointerToData(const PlotArea& area, double px, double py);

// What a press on the chart grabs.
struct NearestPointResult {
  int E = 0;              // the pointer's x snapped to the series' samples
  int Y = 0;              // the pointer's y in data units
  double Dx = kNoOffset;  // pixel offset of the pointer from the series' point e
  double Dy = kNoOffset;
  int N = 0;  // the trained point (Trained = Out) nearest to e
};
NearestPointResult NearestPoint(const Table& table, EditSeries series, const PlotArea& area, double px,
                                double py);

// Whether a press with this result arms a drag.
inline bool ArmsDrag(const NearestPointResult& nearest) {
  return nearest.Dy >= -kDragArmPixels && nearest.Dy <= kDragArmPixels;
}

// The series of a chart in their drawing order: 0…3 the main ones, 4…6 the
// second table's (comparison chart only).
struct ChartSeriesPoint {
  int Series = 0;
  int X = 0;
  int Y = 0;
};
// The point lying under the pointer (within the drag distance in both
// directions), of the last such series in series order; the "Trained" series
// counts only while shown, the second table's only on the comparison chart.
std::optional<ChartSeriesPoint> PointUnderPointer(const Table& table, bool secondTable, const PlotArea& area,
                                                  double px, double py);

// "MAF=x  OUT=y", or for series 1 and 5 "IAT=x  IATCorr=y", for 2 and 6
// "ECT=x  ECTCorr=y".
std::string PointHintText(int seriesNumber, int x, int y);
// The hint of an edited point of the selected series.
std::string EditHintText(EditSeries series, int x, int value);

// Hints are shown this far left of and above the pointer.
inline constexpr int kHintOffsetPixels = 50;

// Legend buttons come into view when the pointer is right of the first
// button's left edge and not below its bottom edge, and go when it is left of
// that edge. Nothing changes otherwise.
std::optional<bool> LegendButtonsWanted(double px, double py, double firstLeft, double firstBottom);

}  // namespace orvel
