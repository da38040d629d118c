#pragma once

// What the log chart shows, without a widget: its seventeen series and their
// looks, the points of one redraw, the axis ranges, the zoom history and the
// view interface the chart widget implements.
//
// The chart's time axis is counted in seconds: sample i lies at i / 100 s.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "live/log_channels.h"

namespace orvel {

class Table;
struct LogWindow;
struct LogLevels;

// The series in chart order; the order is also that of the toggle buttons
// and of the hint's search.
enum class LogSeries : std::size_t {
  Maf,
  Tps,
  Converter,
  Tab,
  Marker,
  Enrichment,
  Rpm100,
  O2,
  Corr,
  Iat,
  Ect,
  O2Sm,
  LogCorr,
  MafLimit,
  O2Target,
  O2FromDash,
  MaxMafInLog,
};

inline constexpr std::size_t kLogSeriesCount = 17;
// Series 0..12 follow the channels and have a toggle button each; the last
// four are level lines of two points.
inline constexpr std::size_t kLogDataSeriesCount = 13;
inline constexpr std::size_t kLogLevelSeriesCount = kLogSeriesCount - kLogDataSeriesCount;

enum class LogLineStyle { Solid, Dashed, DashedGap5 };

struct LogSeriesLook {
  std::string_view Title;
  std::uint32_t Rgb = 0;  // 0xRRGGBB
  LogLineStyle Line = LogLineStyle::Solid;
};

inline constexpr std::array<LogSeriesLook, kLogSeriesCount> kLogSeriesLooks = {{
    {"MAF", 0x0FC4FF, LogLineStyle::Solid},
    {"TPS", 0x8000FF, LogLineStyle::Solid},
    {"Converter", 0xFF8000, LogLineStyle::Solid},
    {"Tab", 0xB00000, LogLineStyle::Solid},
    {"Marker", 0xFF0000, LogLineStyle::Solid},
    {"Enrichment", 0xFFFF00, LogLineStyle::Solid},
    {"RPM/100", 0xA8D3FF, LogLineStyle::Solid},
    {"O2", 0x01D10C, LogLineStyle::Solid},
    {"Corr", 0xBADCC0, LogLineStyle::Solid},
    {"IAT", 0xEC9FE4, LogLineStyle::Solid},
    {"ECT", 0xED8481, LogLineStyle::Solid},
    {"O2SM", 0x86E89C, LogLineStyle::Solid},
    {"LogCorr", 0xC9A5A8, LogLineStyle::Solid},
    {"MAFLimit", 0x06CDFF, LogLineStyle::Dashed},
    {"O2Target", 0xFF5E5E, LogLineStyle::DashedGap5},
    {"O2FromDash", 0x80FF00, LogLineStyle::DashedGap5},
    {"MaxMafInLog", 0x808080, LogLineStyle::Dashed},
}};

constexpr std::size_t SeriesIndex(LogSeries series) {
  return static_cast<std::size_t>(series);
}

// The pixel columns the lines are decimated to without a chart that says.
inline constexpr std::int64_t kDefaultPlotColumns = 1000;

// A redraw needs at least this many samples.
inline constexpr std::int64_t kMinSamplesToDraw = 118;

// The time of sample `index` on the chart's axis, in seconds.
double ChartTimeOfIndex(std::int64_t index);
// The sample at a time of the axis: the time is taken to whole milliseconds
// (as a clock time would be) and the milliseconds to hundredths; never below 0.
std::int64_t IndexOfChartTime(double seconds);

// The lines the chart draws for the data series, decimated to its pixel
// columns: for each column the lowest and the highest value of its samples,
// in the order that joins the previous column with the shorter stroke, both
// at the column's middle time; one point per sample once a column holds at
// most two. Every series shares the times.
struct LogChartLines {
  std::vector<double> Time;
  std::array<std::vector<double>, kLogDataSeriesCount> Values;
};

// The points of one redraw: every data series shares the times; each level
// series has two points, at the first and the last drawn time. The points
// are every step-th sample, as the pointer's hints and the table editing
// take them; the chart draws `Lines`.
struct LogChartData {
  std::vector<std::int64_t> Indices;  // the step-th sample indices
  std::vector<double> Time;
  std::array<std::vector<double>, kLogDataSeriesCount> Values;
  LogChartLines Lines;
  std::array<double, 2> LevelTime{};
  std::array<double, kLogLevelSeriesCount> Levels{};

  [[nodiscard]] std::size_t PointCount(LogSeries series) const;
  // Time and value of point j of a series (j < PointCount).
  [[nodiscard]] double TimeAt(LogSeries series, std::size_t j) const;
  [[nodiscard]] double ValueAt(LogSeries series, std::size_t j) const;
};

// The engine speed shown by "RPM/100": rpm / 100 in integer division, rpm
// rounded half to even from the period; 0 for a period of 0.
std::int32_t Rpm100OfPeriod(std::int32_t period);

// The points of a redraw with step `step` over the window (one step of margin
// on each side, held within the samples present). `table` gives "Tab"; with
// none "Tab" is 0. Empty when the log holds no sample.
LogChartData BuildLogChartData(const LogChannels& channels, const LogWindow& window, std::int64_t step,
                               const LogLevels& levels, const Table* table);

// The two axes' ranges: time in seconds, value in signal units.
struct LogAxisRanges {
  double TimeMin = 0;
  double TimeMax = 0;
  double ValueMin = -30;
  double ValueMax = 300;

  friend bool operator==(const LogAxisRanges&, const LogAxisRanges&) = default;
};

// One entry of the zoom history.
struct TZoomBufer {
  std::int32_t First = 0;
  std::int32_t Last = 0;
  double TimeMin = 0;
  double TimeMax = 0;
  double ValueMin = 0;
  double ValueMax = 0;
};

// The zoom history: the first entry describes the whole log and is never
// undone; every zoom adds one.
class LogZoomHistory {
 public:
  void Clear() { Entries.clear(); }
  void Push(const TZoomBufer& entry) { Entries.push_back(entry); }
  [[nodiscard]] std::size_t Size() const { return Entries.size(); }
  [[nodiscard]] const std::vector<TZoomBufer>& All() const { return Entries; }
  // Removes the last entry and returns the one now last; nothing (and no
  // change) with fewer than two entries.
  std::optional<TZoomBufer> Undo();
  // After a pan to first..last: with at least three entries the
  // second-to-last is re-centred on the new view, keeping its width, so that
  // undoing the current zoom returns to that width around the panned place.
  void RecentreAfterPan(std::int64_t first, std::int64_t last);

 private:
  std::vector<TZoomBufer> Entries;
};

// The log chart widget. The log hands it the points of every redraw and the
// axis ranges it sets itself (after a recording, a load, an undone zoom).
class LogChartView {
 public:
  virtual ~LogChartView() = default;
  virtual void ShowLog(const LogChartData& data) = 0;
  virtual void ShowAxes(const LogAxisRanges& ranges) = 0;
  // The pixel columns across the plot, which the lines are decimated to.
  [[nodiscard]] virtual std::int64_t PlotColumns() const { return kDefaultPlotColumns; }

 protected:
  LogChartView() = default;
  LogChartView(const LogChartView&) = default;
  LogChartView& operator=(const LogChartView&) = default;
};

}  // namespace orvel
