// The log chart with logs of one and of ten hours (360 000 and 3 600 000
// samples; the first argument is the hours): redrawing all 17 series at the
// whole-log view and at a 10 s zoom, and loading the log with its bounds,
// smoothing and first drawing. Memory: the process's resident growth with the
// log loaded and drawn, against the channels' own size.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <malloc.h>
#include <unistd.h>

#include "../recorded_hours.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_chart.h"
#include "table/table.h"
#include "ui/charts/log_chart.h"

namespace {

using namespace orvel;

constexpr std::int64_t kHour = bench::kSamplesPerHour;
using bench::RecordHours;

// The log files of this run, by hours; written at first use, removed at the end.
class LogFiles {
 public:
  LogFiles() = default;
  LogFiles(const LogFiles&) = delete;
  LogFiles& operator=(const LogFiles&) = delete;
  ~LogFiles() {
    std::error_code error;
    for (const auto& [hours, path] : Paths) {
      std::filesystem::remove(path, error);
    }
  }
  const std::filesystem::path& Of(std::int64_t hours) {
    auto& path = Paths[hours];
    if (path.empty()) {
      path = std::filesystem::temp_directory_path() /
             ("orvel_bench_" + std::to_string(hours) + "h_" + std::to_string(::getpid()) + ".log");
      RecordedMessages messages;
      Log log(messages);
      RecordHours(log, hours);
      log.SaveToFile(path);
    }
    return path;
  }

 private:
  std::map<std::int64_t, std::filesystem::path> Paths;
};

std::filesystem::path HoursFile(std::int64_t hours) {
  static LogFiles files;
  return files.Of(hours);
}

double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

struct ChartRig {
  ChartRig() : MainTable(Bus, Messages, Keys), Chart(TheLog, MainTable) {
    Chart.resize(1100, 700);
    Chart.show();
    QApplication::processEvents();
  }
  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  LatchedModifiers Keys;
  Table MainTable;
  Log TheLog{Messages};
  ui::LogChart Chart;
};

// Arguments: hours; 0 for the whole log, 1 for a 10 s zoom in the middle.
void LogChartRedraw(benchmark::State& state) {
  ChartRig rig;
  const std::int64_t hours = state.range(0);
  rig.TheLog.LoadFromFile(HoursFile(hours));
  if (state.range(1) == 1) {
    const double middle = static_cast<double>(hours) * 1800.0;
    rig.TheLog.ZoomDone({middle, middle + 10.0, -30, 300});
    rig.Chart.ShowAxes(rig.TheLog.Axes());
  }
  for (auto _ : state) {
    rig.TheLog.Redraw(rig.TheLog.Window().Step);
    rig.Chart.replot(QCustomPlot::rpImmediateRefresh);
  }
  state.counters["points"] = static_cast<double>(rig.Chart.Series(LogSeries::Maf)->data()->size());
  state.SetLabel(state.range(1) == 0 ? "whole log" : "10 s zoom");
}
BENCHMARK(LogChartRedraw)
    ->ArgNames({"hours", "zoom"})
    ->ArgsProduct({{1, 10}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void LogChartLoad(benchmark::State& state) {
  ChartRig rig;
  const auto file = HoursFile(state.range(0));
  for (auto _ : state) {
    rig.TheLog.LoadFromFile(file);
    rig.TheLog.SmoothO2(30, rig.TheLog.Window().LastIndex);
    rig.Chart.replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(LogChartLoad)
    ->ArgName("hours")
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Resident memory with the log loaded and drawn, measured once: the growth
// against the channels' own size. The memory freed by writing the file is
// given back first, so the load cannot hide in it.
void LogChartMemory(benchmark::State& state) {
  const auto file = HoursFile(state.range(0));
  malloc_trim(0);
  ChartRig rig;
  rig.Chart.replot(QCustomPlot::rpImmediateRefresh);
  const double before = ResidentBytes();
  for (auto _ : state) {
    rig.TheLog.LoadFromFile(file);
    rig.TheLog.SmoothO2(30, rig.TheLog.Window().LastIndex);
    rig.Chart.replot(QCustomPlot::rpImmediateRefresh);
  }
  const double channels =
      static_cast<double>(rig.TheLog.ReadChannels([](const LogChannels& c) { return c.CapacityBytes(); }));
  const double growth = ResidentBytes() - before;
  state.counters["channels_MB"] = channels / 1e6;
  state.counters["rss_growth_MB"] = growth / 1e6;
  state.counters["ratio"] = growth / channels;
}
BENCHMARK(LogChartMemory)->ArgName("hours")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
