// Log: drawing into the log chart and the chart's zoom history.

#include <new>

#include "live/log.h"
#include "live/log_chart.h"
#include "live/log_chart_lines.h"

namespace orvel {

void Log::SetMafLimit(std::int32_t value) {
  LevelValues.MafLimit = value;
  RedrawIfData();
}

void Log::SetO2Target(std::int32_t value) {
  LevelValues.O2Target = value;
  RedrawIfData();
}

void Log::SetO2FromDash(std::int32_t value) {
  LevelValues.O2FromDash = value;
  RedrawIfData();
}

void Log::BindChart(LogChartView& chart, const Table& mainTable) {
  Chart = &chart;
  ChartTable = &mainTable;
}

void Log::UnbindChart() {
  Chart = nullptr;
  ChartTable = nullptr;
}

bool Log::Redraw(std::int64_t step) {
  if (Running.load()) {
    return false;
  }
  const std::int64_t columns = Chart != nullptr ? Chart->PlotColumns() : kDefaultPlotColumns;
  try {
    LogChartData data;
    {
      const std::scoped_lock lock(ChannelsLock);
      if (static_cast<std::int64_t>(Channels.SampleCount()) < kMinSamplesToDraw) {
        return false;
      }
      data = BuildLogChartData(Channels, View, step, LevelValues, ChartTable);
      Summary.Refresh(Channels);
      data.Lines = BuildLogChartLines(Channels, Summary, View, columns, ChartTable);
    }
    DrawnData = std::move(data);
  } catch (const std::bad_alloc&) {
    // The chart keeps what it showed.
    return false;
  }
  if (Chart != nullptr) {
    Chart->ShowLog(DrawnData);
  }
  HasData.store(true);
  return true;
}

void Log::RedrawIfData() {
  if (GetHasData()) {
    Redraw(View.Step);
  }
}

void Log::PushWholeLogZoomEntry() {
  const auto last = static_cast<std::int64_t>(SampleCount()) - 1;
  Zooms.Push({0, static_cast<std::int32_t>(last), AxisRanges.TimeMin, AxisRanges.TimeMax, AxisRanges.ValueMin,
              AxisRanges.ValueMax});
}

void Log::ZoomDone(const LogAxisRanges& ranges) {
  AxisRanges = ranges;
  SetVisibleWindow(IndexOfChartTime(ranges.TimeMin), IndexOfChartTime(ranges.TimeMax));
  Zooms.Push({static_cast<std::int32_t>(View.FirstIndex), static_cast<std::int32_t>(View.LastIndex),
              ranges.TimeMin, ranges.TimeMax, ranges.ValueMin, ranges.ValueMax});
  SetStep(View.LastIndex - View.FirstIndex);
  Redraw(View.Step);
}

bool Log::ZoomUndone() {
  const auto entry = Zooms.Undo();
  if (!entry) {
    return false;
  }
  AxisRanges = {ChartTimeOfIndex(entry->First), ChartTimeOfIndex(entry->Last), entry->ValueMin,
                entry->ValueMax};
  if (Chart != nullptr) {
    Chart->ShowAxes(AxisRanges);
  }
  SetVisibleWindow(entry->First, entry->Last);
  SetStep(static_cast<std::int64_t>(entry->Last) - entry->First);
  Redraw(View.Step);
  return true;
}

void Log::Panned(const LogAxisRanges& ranges) {
  AxisRanges = ranges;
  SetVisibleWindow(IndexOfChartTime(ranges.TimeMin), IndexOfChartTime(ranges.TimeMax));
  Redraw(View.Step);
  Zooms.RecentreAfterPan(View.FirstIndex, View.LastIndex);
}

}  // namespace orvel
