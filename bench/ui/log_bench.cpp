// The log chart with an hour-long log (360 000 samples): redrawing all 17
// series at the whole-log view and at a 10 s zoom, and loading the log with
// its bounds, smoothing and first drawing. Memory: the process's resident
// growth with the hour loaded and drawn, against the channels' own size.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include <malloc.h>
#include <unistd.h>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_chart.h"
#include "table/table.h"
#include "ui/charts/log_chart.h"

namespace {

using namespace orvel;

constexpr std::int64_t kHour = 360'000;

// An hour of samples that move on every channel.
void RecordHour(Log& log) {
  log.BeginRecording();
  for (std::int64_t i = 0; i < kHour; ++i) {
    const double t = static_cast<double>(i) / 100;
    SampleValues s{};
    const auto maf = static_cast<std::int32_t>(110 + 60 * std::sin(t / 37) + 25 * std::sin(t / 5.3));
    At(s, Channel::Maf) = maf;
    At(s, Channel::Conv) = maf - 8;
    At(s, Channel::Tps) = static_cast<std::int32_t>(40 + 30 * std::sin(t / 11));
    At(s, Channel::RpmPeriod) = static_cast<std::int32_t>(1'500'000 / (2500 + 1200 * std::sin(t / 23)));
    At(s, Channel::O2) = static_cast<std::int32_t>(147 + 12 * std::sin(t / 1.7));
    At(s, Channel::Iat) = 60;
    At(s, Channel::Ect) = 150;
    At(s, Channel::Corr) = static_cast<std::int32_t>((i / 3000) % 7 - 3);
    log.AppendSample(s);
  }
  log.EndRecording();
}

std::filesystem::path HourFile() {
  static const std::filesystem::path path = [] {
    const auto file =
        std::filesystem::temp_directory_path() / ("orvel_bench_hour_" + std::to_string(::getpid()) + ".log");
    RecordedMessages messages;
    Log log(messages);
    RecordHour(log);
    log.SaveToFile(file);
    return file;
  }();
  return path;
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

// Arg 0: the whole log; arg 1: a 10 s zoom in the middle.
void LogChartRedrawHour(benchmark::State& state) {
  ChartRig rig;
  rig.TheLog.LoadFromFile(HourFile());
  if (state.range(0) == 1) {
    rig.TheLog.ZoomDone({1800.0, 1810.0, -30, 300});
    rig.Chart.ShowAxes(rig.TheLog.Axes());
  }
  for (auto _ : state) {
    rig.TheLog.Redraw(rig.TheLog.Window().Step);
    rig.Chart.replot(QCustomPlot::rpImmediateRefresh);
  }
  state.counters["points"] = static_cast<double>(rig.TheLog.Drawn().Time.size());
  state.SetLabel(state.range(0) == 0 ? "whole log" : "10 s zoom");
}
BENCHMARK(LogChartRedrawHour)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void LogChartLoadHour(benchmark::State& state) {
  ChartRig rig;
  const auto file = HourFile();
  for (auto _ : state) {
    rig.TheLog.LoadFromFile(file);
    rig.TheLog.SmoothO2(30, rig.TheLog.Window().LastIndex);
    rig.Chart.replot(QCustomPlot::rpImmediateRefresh);
  }
}
BENCHMARK(LogChartLoadHour)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Resident memory with an hour loaded and drawn, measured once: the growth
// against the channels' own size. The memory freed by writing the hour file
// is given back first, so the load cannot hide in it.
void LogChartMemoryHour(benchmark::State& state) {
  const auto file = HourFile();
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
BENCHMARK(LogChartMemoryHour)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
