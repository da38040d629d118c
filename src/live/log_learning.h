#pragma once

// Learning table corrections from a recorded log: the learning pass (every
// MAF point seen in the visible window moves one step toward the wanted
// mixture), taking the converter's output, and editing the table by dragging
// or double-clicking on the log chart.
//
// Each pass reads the log's channels under the log's lock and collects at
// most one step per MAF point; the table is changed afterwards, without the
// lock, so that the table's redraws may read the log. The caller then
// redraws the log chart and, for the two passes, sends the table to the
// converter's working memory.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "live/log.h"
#include "live/log_channels.h"
#include "table/table.h"

namespace orvel {

// The samples a pass looks at, both included.
struct SampleRange {
  std::int64_t First = 0;
  std::int64_t Last = 0;
};

// The step a learning pass gives the point of one O2Smooth value: -1 when the
// mixture is richer than O2Target, +1 when it is leaner than O2FromDash (the
// lean step wins when both hold), both reversed with `toyota`. A larger value
// is richer on sensor 0 and leaner on every other sensor type.
std::int32_t LearnDelta(std::int32_t o2Smooth, const LogLevels& levels, std::int32_t sensorType, bool toyota);

// One table point a pass will write: at MAF point `Point`, the table's
// output (or, where that is 0, the converter's output `Conv`) plus `Delta`.
// For LearnSelected `Delta` is 0 and the converter's output is taken as it is.
struct LearnStep {
  std::int32_t Point = 0;
  std::int32_t Conv = 0;
  std::int32_t Delta = 0;
  bool TakeConv = false;
};

// The steps of a learning pass over `range` (held within the samples
// present): the first sample of every MAF point above MafLimit.
std::vector<LearnStep> LearnFromLogSteps(const LogChannels& channels, SampleRange range,
                                         const LogLevels& levels, std::int32_t sensorType, bool toyota);
// The steps of taking the converter's output over `range`.
std::vector<LearnStep> LearnSelectedSteps(const LogChannels& channels, SampleRange range,
                                          std::int32_t mafLimit);

// Writes the steps into Tab1 with SetOutPoint, values held to 0..255. A
// learning step whose table output and converter output are both 0 is
// skipped. Returns the number of points whose value changed.
int ApplyLearnSteps(std::span<const LearnStep> steps, Table& table);

// The passes over the log's visible window with its levels.
int LearnFromLog(const Log& log, Table& table, std::int32_t sensorType, bool toyota);
int LearnSelected(const Log& log, Table& table);

// --- Chart editing. ---

// One axis of the chart: its value range and the pixel positions of its
// minimum and maximum (for the value axis the maximum is drawn higher, at the
// smaller pixel).
struct ChartAxis {
  double Min = 0;
  double Max = 0;
  double PixelOfMin = 0;
  double PixelOfMax = 0;
};

struct ChartAxes {
  ChartAxis Time;
  ChartAxis Value;
};

// The plot area: between the pixels of both axes' ends, inclusive. An axis
// whose ends share one pixel has no area.
bool InPlotArea(const ChartAxes& axes, double x, double y);
// The time at pixel x, in single precision; a negative time counts as 0.
float TimeAtPixel(const ChartAxis& time, double x);
// The value at pixel y, rounded to the nearest integer (halves to even).
std::int64_t ValueAtPixel(const ChartAxis& value, double y);

// A drawn point of the "MAF" series.
struct DrawnPoint {
  double Time = 0;
  double Value = 0;
};

// The drawn point nearest in time to t: point j when its time is <= t and the
// midpoint to point j + 1 is > t, point j + 1 when its time is >= t and that
// midpoint is <= t. Nothing when t lies beyond the last point or fewer than
// two points are drawn.
std::optional<std::size_t> NearestDrawnPoint(std::span<const DrawnPoint> points, float t);

// The "MAF" series as the log chart draws it: every step-th sample from one
// step before the window to one step after it, at TimeOfIndex's day fraction.
std::vector<DrawnPoint> DrawnMafPoints(const LogChannels& channels, const LogWindow& window);

// A pointer gesture on the chart, in pixels.
struct ChartGesture {
  double DownX = 0;  // where the button went down: chooses the moment; for a
  double DownY = 0;  // double-click also the value and the plot-area test
  double X = 0;      // a drag: where the mouse is now
  double Y = 0;
  bool Drag = true;  // false: a double-click
};

// Sets the table point of the MAF seen at the gesture's moment to the value
// under the mouse, unless that point is at or below `mafLimit`. A drag whose
// current position or a double-click whose button-down position lies outside
// the plot area does nothing. True when SetOutPoint ran.
bool EditTableFromChart(Table& table, std::int32_t mafLimit, const ChartAxes& axes,
                        std::span<const DrawnPoint> mafPoints, const ChartGesture& gesture);

}  // namespace orvel
