// Autocorrection through the window: a recorded frame stream fed to the
// window and to the headless tuning session (the core of `orvel tune`) on two
// pseudo-terminals, tick for tick, trains the same points into the same
// table; and the dashboard's enabling and colour rules at Start and Stop
// against the simulator.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <cmath>
#include <thread>

#include "autotune/correction_decision.h"
#include "autotune/correction_window.h"
#include "autotune/xrpm_table.h"
#include "core/crc8.h"
#include "dashboard_actions.h"
#include "dashboard_rig.h"
#include "live/live_frame.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "live/tuning_session.h"
#include "support/pty_pair.h"
#include "table/table.h"
#include "ui/charts/dashboard_chart.h"
#include "ui/pages/dashboard_page.h"
#include "ui/widgets/bar_gauge.h"

namespace orvel::ui::test {
namespace {

using namespace std::chrono_literals;

constexpr int kFramesPerTick = 10;  // 100 frames a second, a tick every 100 ms
constexpr int kTicks = 1200;

// One frame of a drive at 3000 rpm and 30 % throttle: the air flow wanders
// slowly over 40..200 and the narrow-band sensor swings between rich and lean
// about once a second, so the decision corrects, crosses and trains.
LiveFrame RecordedFrame(int index) {
  const double t = index / 100.0;
  const auto maf = static_cast<std::uint8_t>(120 + 80 * std::sin(t / 9.0));
  const bool rich = std::fmod(t + 0.3 * std::sin(t / 3.0), 1.1) < 0.55;
  const std::uint8_t o2 =
      rich ? static_cast<std::uint8_t>(38 + index % 5) : static_cast<std::uint8_t>(9 + index % 7);
  const std::uint16_t period = 500;
  LiveFrame frame{maf,
                  0,
                  maf,
                  maf,
                  77,
                  static_cast<std::uint8_t>(period >> 8U),
                  static_cast<std::uint8_t>(period & 0xFFU),
                  o2,
                  20,
                  0};
  frame[9] = FrameCrc8(std::span(frame).first(9));
  return frame;
}

bool WaitForSamples(const Log& log, std::size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (log.SampleCount() < count) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(200us);
  }
  return true;
}

void OneToOne(Table& table) {
  for (int i = 0; i < 256; ++i) {
    table.Tab1()[static_cast<std::size_t>(i)] = i;
  }
}

TEST(DashboardAutotune, TheWindowTrainsTheSameTableAsTheHeadlessSessionOnTheSameStream) {
  orvel::test::TempDir folder;
  CueRecord cues;
  orvel::test::PtyPair windowSide;
  orvel::test::PtyPair headlessSide;
  RecordedMessages messages;
  TForm1 window(messages, DashboardServices(folder, cues, {windowSide.SlavePath()}));
  messages.Texts.clear();  // a first start finds no state file
  TuningSession session(messages, 2000ms);

  // The same starting table on both sides.
  OneToOne(window.MainTable());
  OneToOne(session.MainTable());

  // The window: the port chosen, the narrow-band sensor, autocorrection on.
  window.Link()->Open(windowSide.SlavePath());
  Find<QComboBox>(window.ConnectionPage(), "ComComboBox1").setCurrentIndex(0);
  window.ThrottleScale().TpsMin = 0;
  window.ThrottleScale().TpsMax = 255;
  DashboardPage& page = window.Dashboard();
  auto& sensors = Find<QComboBox>(page, "ComboBoxO2");
  emit sensors.activated(0);
  Find<QPushButton>(page, "SpeedButtonAutocorr").click();
  ASSERT_TRUE(window.CorrectionWindow().Autocorrection());
  DashboardAction(window, "ActionStart").trigger();
  ASSERT_TRUE(window.LogModel().IsRunning());
  EXPECT_FALSE(sensors.isEnabled());

  // The headless session with the controls the window has.
  session.Open(headlessSide.SlavePath());
  TuningSettings settings;
  settings.SensorType = 0;
  settings.O2Ref = window.CorrectionWindow().O2Ref();
  settings.PulsLimit = window.CorrectionWindow().PulsLimit();
  settings.AvgB = window.CorrectionWindow().AvgB();
  settings.AvgT = window.CorrectionWindow().AvgT();
  ASSERT_EQ(settings.O2Ref, 26);
  session.Begin(settings);

  // The converter's answer to "sl", then the stream, tick by tick. The
  // window's own 100 ms timer stays quiet: no events are processed.
  const auto feed = [&](const LiveFrame& frame) {
    windowSide.Write(frame);
    headlessSide.Write(frame);
  };
  feed(RecordedFrame(0));
  int frame = 1;
  int trainedAlong = 0;
  for (int tick = 0; tick < kTicks; ++tick) {
    for (int i = 0; i < kFramesPerTick; ++i) {
      feed(RecordedFrame(frame++));
    }
    const std::size_t expected = static_cast<std::size_t>(tick + 1) * kFramesPerTick;
    ASSERT_TRUE(WaitForSamples(window.LogModel(), expected)) << "tick " << tick;
    ASSERT_TRUE(WaitForSamples(session.TheLog(), expected)) << "tick " << tick;
    window.LogModel().TimerTick();
    session.TheLog().TimerTick();
    ASSERT_EQ(window.CorrectionWindow().Correction(), session.Window().Correction()) << "tick " << tick;
    ASSERT_EQ(window.CorrectionWindow().MafBeg(), session.Window().MafBeg()) << "tick " << tick;
    // What the two sides wrote to their converters is not read back; keep
    // the pseudo-terminals' buffers from filling.
    windowSide.Read(1 << 16, 0ms);
    headlessSide.Read(1 << 16, 0ms);
    trainedAlong = session.Applied();
  }
  DashboardAction(window, "ActionStop").trigger();
  session.Finish();
  window.LogModel().JoinReader();

  EXPECT_GT(trainedAlong, 3) << "the stream should train several points";
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(window.MainTable().GetOut(i), session.MainTable().GetOut(i)) << "point " << i;
    ASSERT_EQ(window.MainTable().Trained()[static_cast<std::size_t>(i)],
              session.MainTable().Trained()[static_cast<std::size_t>(i)])
        << "point " << i;
  }
  // Stop switched autocorrection off with the correction back to 0 and
  // locked the log's MAF limit where autocorrection left it.
  EXPECT_FALSE(window.CorrectionWindow().Autocorrection());
  EXPECT_FALSE(Find<QPushButton>(page, "SpeedButtonAutocorr").isChecked());
  EXPECT_EQ(window.CorrectionWindow().Correction(), 0);
  EXPECT_TRUE(window.LogLearning().MafLimitLocked());
  EXPECT_TRUE(messages.Texts.empty()) << messages.Texts.front();
}

TEST(DashboardAutotune, StartAndStopSetTheControlsAndTheBackgroundColour) {
  orvel::test::TempDir folder;
  CueRecord cues;
  RecordedMessages messages;
  TForm1 window(messages, DashboardServices(folder, cues, {}, 4.0));
  messages.Texts.clear();  // a first start finds no state file
  DashboardPage& page = window.Dashboard();
  auto& sensors = Find<QComboBox>(page, "ComboBoxO2");
  auto& autocorrection = Find<QPushButton>(page, "SpeedButtonAutocorr");
  const auto& chart = Find<DashboardChart>(page, "DashboardChart");
  QAction& start = DashboardAction(window, "ActionStart");
  ChoosePort(window, QStringLiteral("Simulator"));
  ASSERT_TRUE(messages.Texts.empty()) << messages.Texts.front();

  // Start reads its settings from the controls.
  emit sensors.activated(0);
  Find<QSpinBox>(page, "UpDown1").setValue(40);
  Find<QSlider>(page, "TrackBarB").setValue(20);
  autocorrection.click();
  start.trigger();
  EXPECT_FALSE(sensors.isEnabled());
  EXPECT_FALSE(start.isEnabled());
  EXPECT_TRUE(DashboardAction(window, "ActionStop").isEnabled());
  EXPECT_EQ(Find<QLabel>(page, "LabelBTime").text(), QStringLiteral("0.20s"));

  // With autocorrection on the decision colours the background once 121
  // samples are in.
  const QColor idle(0xED, 0xF0, 0x6C);
  ASSERT_TRUE(ProcessEventsUntil([&] { return chart.StateColor() != idle; }, 10s));
  EXPECT_NE(Find<QLabel>(page, "LabelRpmDash").text(), QStringLiteral("3500RPM"))
      << "the gauges follow the samples";
  EXPECT_GT(Find<BarGauge>(page, "GaugeRpm").Value(), 0);
  EXPECT_TRUE(Find<QLabel>(page, "LabelMaxMaf").text().startsWith(QStringLiteral("MaxMaf=")));
  EXPECT_EQ(window.CorrectionWindow().PulsLimit(), 40);
  EXPECT_TRUE(cues.Played.empty() || cues.Played.front().starts_with("Sound/En/"));

  DashboardAction(window, "ActionStop").trigger();
  EXPECT_EQ(chart.StateColor(), idle);
  EXPECT_TRUE(sensors.isEnabled());
  EXPECT_TRUE(start.isEnabled());
  EXPECT_FALSE(autocorrection.isChecked());
  EXPECT_EQ(window.CorrectionWindow().Correction(), 0);
  EXPECT_EQ(Find<QSpinBox>(page, "UpDownCorrection").value(), 0);
  window.LogModel().JoinReader();
  QTest::qWait(50);
  EXPECT_EQ(window.BuiltInSimulator()->Correction().Value, 0) << "the converter's correction returned to 0";
}

}  // namespace
}  // namespace orvel::ui::test
