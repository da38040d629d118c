// The dashboard's share of the main thread while recording with
// autocorrection on and the dashboard shown, an hour of samples already in
// the log: one 100 ms tick (dashboard sample, decision, advice handling,
// gauges, labels, one chart redraw), and a whole chart redraw alone (after a
// change of the table). DashboardTick also counts the chart's refills per tick.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <vector>

#include "autotune/xrpm_table.h"
#include "core/user_messages.h"
#include "dashboard_actions.h"
#include "find_by_name.h"
#include "link/rxtx.h"
#include "live/log.h"
#include "live/log_channels.h"
#include "table/table.h"
#include "ui/charts/dashboard_chart.h"
#include "ui/connection_page.h"
#include "ui/main_window.h"
#include "ui/pages/dashboard_page.h"

namespace {

using orvel::Channel;
using orvel::SampleValues;
using orvel::ui::DashboardChart;
using orvel::ui::test::DashboardAction;
using orvel::ui::test::Find;

constexpr std::int64_t kHourOfSamples = 100 * 3600;
constexpr int kSamplesPerTick = 10;

SampleValues DriveSample(std::int64_t index) {
  const double t = static_cast<double>(index) / 100.0;
  SampleValues sample{};
  const auto maf = static_cast<std::int32_t>(120 + 80 * std::sin(t / 9.0));
  const bool rich = std::fmod(t + 0.3 * std::sin(t / 3.0), 1.1) < 0.55;
  sample[static_cast<std::size_t>(Channel::Conv)] = maf;
  sample[static_cast<std::size_t>(Channel::OutputSum)] = maf;
  sample[static_cast<std::size_t>(Channel::Maf)] = maf;
  sample[static_cast<std::size_t>(Channel::Tps)] = 77;
  sample[static_cast<std::size_t>(Channel::RpmPeriod)] = 500;
  sample[static_cast<std::size_t>(Channel::O2)] = rich ? 40 : 10;
  sample[static_cast<std::size_t>(Channel::Iat)] = 120;
  sample[static_cast<std::size_t>(Channel::Ect)] = 200;
  return sample;
}

// A pseudo-terminal whose other end nobody answers: the window's link opens
// the slave; what the window writes is drained from the master.
class SilentPort {
 public:
  SilentPort() : Master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    grantpt(Master);
    unlockpt(Master);
    Slave = ptsname(Master);
  }
  ~SilentPort() { close(Master); }
  SilentPort(const SilentPort&) = delete;
  SilentPort& operator=(const SilentPort&) = delete;
  void Drain() const {
    char buffer[4096];
    while (read(Master, buffer, sizeof buffer) > 0) {
    }
  }
  void Write(const void* bytes, std::size_t count) const { (void)write(Master, bytes, count); }
  [[nodiscard]] const std::string& Path() const { return Slave; }

 private:
  int Master;
  std::string Slave;
};

struct RecordingWindow {
  RecordingWindow() : Window(Messages, Services()) {
    Window.resize(1280, 800);
    Window.MainPageControl().setCurrentIndex(orvel::ui::TForm1::kDashboardPage);
    Window.show();
    for (int i = 0; i < 256; ++i) {
      Window.MainTable().Tab1()[static_cast<std::size_t>(i)] = i;
    }
    Window.Link()->Open(Port.Path());
    Find<QComboBox>(Window.ConnectionPage(), "ComComboBox1").setCurrentIndex(0);
    Window.ThrottleScale().TpsMin = 0;
    Window.ThrottleScale().TpsMax = 255;
    Find<QPushButton>(Window.Dashboard(), "SpeedButtonAutocorr").click();
    DashboardAction(Window, "ActionStart").trigger();
    const std::array<std::uint8_t, 10> proof{};  // the answer to "sl"
    Port.Write(proof.data(), proof.size());
    // The reader waits on the silent port; the hour goes straight into the log.
    for (std::int64_t i = 0; i < kHourOfSamples; ++i) {
      Window.LogModel().AppendSample(DriveSample(i));
    }
    Next = kHourOfSamples;
    QApplication::processEvents();
  }
  ~RecordingWindow() {
    DashboardAction(Window, "ActionStop").trigger();
    // Bytes for the reader's pending read (a bad frame and one more byte), so
    // that it sees the stop and ends.
    const std::array<std::uint8_t, 32> wake{};
    Port.Write(wake.data(), wake.size());
    Window.RunCloseSequence();
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  orvel::ui::MainWindowServices Services() const {
    orvel::ui::MainWindowServices services = orvel::ui::DefaultMainWindowServices();
    services.ListPorts = [path = Port.Path()] { return std::vector<std::string>{path}; };
    services.LinkTimeout = std::chrono::hours{1};
    // The undo history written at close goes to the temporary folder.
    services.WorkingFolder = std::filesystem::temp_directory_path();
    return services;
  }

  SilentPort Port;
  orvel::RecordedMessages Messages;
  orvel::ui::TForm1 Window;
  std::int64_t Next = 0;
};

double Best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

void DashboardTick(benchmark::State& state) {
  RecordingWindow rig;
  const auto& chart = Find<DashboardChart>(rig.Window.Dashboard(), "DashboardChart");
  const long refillsBefore = chart.Refills();
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < kSamplesPerTick; ++i) {
      rig.Window.LogModel().AppendSample(DriveSample(rig.Next++));
    }
    rig.Port.Drain();
    state.ResumeTiming();
    rig.Window.LogModel().TimerTick();
    // The queued chart redraw and the widgets' repaints.
    QApplication::processEvents();
  }
  state.counters["samples"] = static_cast<double>(rig.Window.LogModel().SampleCount());
  state.counters["refills/tick"] =
      static_cast<double>(chart.Refills() - refillsBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(DashboardTick)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ComputeStatistics("best", Best)
    ->ReportAggregatesOnly(true)
    ->Iterations(200);

void DashboardChartRedraw(benchmark::State& state) {
  RecordingWindow rig;
  auto* chart = &Find<DashboardChart>(rig.Window.Dashboard(), "DashboardChart");
  orvel::Table& table = rig.Window.MainTable();
  for (auto _ : state) {
    // A changed curve: the whole plot is drawn again.
    table.Tab1()[128] ^= 1;
    chart->ShowDashboard(table);
    // The queued refill, the plot and the widget's repaint.
    QApplication::processEvents();
  }
}
BENCHMARK(DashboardChartRedraw)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ComputeStatistics("best", Best)
    ->ReportAggregatesOnly(true);

}  // namespace
