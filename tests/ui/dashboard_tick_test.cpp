// The dashboard's 100 ms tick through the window, with the converter played
// by the test over a pseudo-terminal and the ticks run by hand: what a tick
// shows (gauges, labels, the firmware page's gauges, the log page's MAF
// limit), the one highest MAF that the label, the chart and the table share,
// and how often the dashboard chart is filled.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <optional>
#include <thread>

#include "autotune/correction_window.h"
#include "autotune/xrpm_table.h"
#include "core/crc8.h"
#include "dashboard_actions.h"
#include "dashboard_rig.h"
#include "find_by_name.h"
#include "link/rxtx.h"
#include "live/live_frame.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "support/pty_pair.h"
#include "table/table.h"
#include "ui/charts/dashboard_chart.h"
#include "ui/charts/table_chart.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/firmware_page.h"
#include "ui/pages/table_graph_page.h"
#include "ui/widgets/bar_gauge.h"

namespace orvel::ui::test {
namespace {

using namespace std::chrono_literals;

struct Sample {
  std::uint8_t Maf = 100;
  std::uint8_t Conv = 100;
  std::uint8_t Tps = 77;
  std::uint16_t Period = 500;  // 3000 rpm
  std::uint8_t O2 = 20;
};

LiveFrame FrameOf(const Sample& s) {
  LiveFrame frame{s.Conv,
                  0,
                  s.Conv,
                  s.Maf,
                  s.Tps,
                  static_cast<std::uint8_t>(s.Period >> 8U),
                  static_cast<std::uint8_t>(s.Period & 0xFFU),
                  s.O2,
                  0,
                  0};
  frame[9] = FrameCrc8(std::span(frame).first(9));
  return frame;
}

// Keeps the last dashboard message the bus carried.
class DashRecorder final : public TOrvelReceiver {
 public:
  void Dispatch(const TMessage& message) override {
    if (const auto* dash = MessageAs<TMsgDashData>(message)) {
      Last.emplace(*dash);
    }
  }
  std::optional<TMsgDashData> Last;
};

class DashboardTickTest : public ::testing::Test {
 protected:
  DashboardTickTest() : Window(Messages, Services()) {
    Messages.Texts.clear();  // a first start finds no state file
    Window.Bus().Subscribe(Recorder);
    Window.MainPageControl().setCurrentIndex(TForm1::kDashboardPage);
    Window.resize(1280, 800);
    Window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    Window.activateWindow();
    Window.Link()->Open(Converter.SlavePath());
    test::Find<QComboBox>(Window.ConnectionPage(), "ComComboBox1").setCurrentIndex(0);
    Window.ThrottleScale().TpsMin = 0;
    Window.ThrottleScale().TpsMax = 255;
    Chart = &Find<DashboardChart>(Window.Dashboard(), "DashboardChart");
  }
  ~DashboardTickTest() override {
    if (Window.LogModel().IsRunning()) {
      DashboardAction(Window, "ActionStop").trigger();
      // Bytes for the reader's pending read, so that it sees the stop at once.
      Converter.Write(std::vector<std::uint8_t>(32, 0));
    }
    Window.LogModel().JoinReader();
  }

  MainWindowServices Services() {
    MainWindowServices services = DashboardServices(Folder, Cues, {Converter.SlavePath()});
    // Only the test ticks.
    services.DashboardTick = std::chrono::hours{1};
    return services;
  }

  void Start() {
    DashboardAction(Window, "ActionStart").trigger();
    ASSERT_TRUE(Window.LogModel().IsRunning());
    Converter.Write(FrameOf({}));  // the answer to "sl"
  }

  // A few frames of `sample`, then one tick and the event loop's turn.
  void Tick(const Sample& sample) {
    for (int i = 0; i < 3; ++i) {
      Converter.Write(FrameOf(sample));
      ++Sent;
    }
    ASSERT_TRUE(ProcessEventsUntil([&] { return Window.LogModel().SampleCount() >= Sent; }, 5s));
    // What the window sent back is not read; keep the terminal's buffer empty.
    Converter.Read(1 << 16, 0ms);
    Window.LogModel().TimerTick();
    QApplication::processEvents();
  }

  void Type(Qt::Key key) { QTest::keyClick(Window.windowHandle(), key); }

  // Where a vertical line of the chart stands.
  [[nodiscard]] double LineAt(DashboardChart::Series series) const {
    return Chart->SeriesGraph(series)->data()->at(0)->key;
  }
  [[nodiscard]] QPoint At(double x, double y) const {
    return {static_cast<int>(std::lround(Chart->xAxis->coordToPixel(x))),
            static_cast<int>(std::lround(Chart->yAxis->coordToPixel(y)))};
  }

  orvel::test::TempDir Folder;
  orvel::test::PtyPair Converter;
  CueRecord Cues;
  RecordedMessages Messages;
  DashRecorder Recorder;
  TForm1 Window;
  DashboardChart* Chart = nullptr;
  std::size_t Sent = 0;
};

// Key A restarts the highest MAF; from the next tick on the label, the
// chart's grey line, the table's line and the log page's MAF limit all show
// the one value the run keeps.
TEST_F(DashboardTickTest, AfterKeyAEveryViewShowsTheSameHighestMaf) {
  Start();
  Tick({.Maf = 234, .Conv = 200});
  DashboardPage& page = Window.Dashboard();
  EXPECT_EQ(Find<QLabel>(page, "LabelMaxMaf").text(), QStringLiteral("MaxMaf=234"));
  EXPECT_EQ(LineAt(DashboardChart::MaxMafAnywaySeries), 234);

  Type(Qt::Key_A);
  ASSERT_TRUE(Window.CorrectionWindow().Autocorrection());
  Tick({.Maf = 151, .Conv = 120});
  Tick({.Maf = 140, .Conv = 110});

  EXPECT_EQ(Window.CorrectionWindow().HighestMaf(), 151);
  EXPECT_EQ(Find<QLabel>(page, "LabelMaxMaf").text(), QStringLiteral("MaxMaf=151"));
  EXPECT_EQ(LineAt(DashboardChart::MaxMafAnywaySeries), 151);
  EXPECT_EQ(Window.MainTable().MaxMafAnyway(), 151);
  // Autocorrection with automatic borders: the MAF limit follows the same value.
  EXPECT_EQ(Window.LogLearning().MafLimitPosition(), 255 - 151);
  EXPECT_EQ(Window.CorrectionWindow().LastMaf(), 140);
}

TEST_F(DashboardTickTest, ATickShowsItsSampleOnBothPagesAndMovesTheUnlockedMafLimit) {
  Window.ThrottleScale().TpsMin = 30;
  Window.ThrottleScale().TpsMax = 230;
  DashboardPage& page = Window.Dashboard();
  Find<QPushButton>(page, "SpeedButtonToyota").click();
  Start();
  const Sample sample{.Maf = 120, .Conv = 90, .Tps = 130, .Period = 500, .O2 = 40};
  Tick(sample);
  ASSERT_TRUE(Recorder.Last.has_value()) << "TMsgDashData still goes out on the bus";
  const TMsgDashData& sent = *Recorder.Last;
  EXPECT_EQ(sent.Maf, 120);
  EXPECT_EQ(Find<BarGauge>(page, "GaugeRpm").Value(), 3000);
  EXPECT_EQ(Find<QLabel>(page, "LabelRpmDash").text(), QStringLiteral("3000"));
  EXPECT_EQ(Find<BarGauge>(page, "GaugeTps").Value(), 50);
  EXPECT_EQ(Find<QLabel>(page, "LabelTpsDash").text(), QStringLiteral("130N2.55V"));
  EXPECT_EQ(Find<BarGauge>(page, "GaugeMarker").Value(), sent.Marker);
  EXPECT_EQ(Find<BarGauge>(page, "GaugeO2").Value(), sent.O2Gauge);
  EXPECT_EQ(Find<BarGauge>(page, "GaugeO2").ForeColor().rgb() & 0xFFFFFFU, sent.O2Color);
  EXPECT_EQ(Find<QLabel>(page, "LabelO2Val").text(), QString::fromStdString(sent.O2Text));
  EXPECT_EQ(Find<QLabel>(page, "LabelDashO2Percent").text(), QString::fromStdString(sent.O2PercentText));
  EXPECT_EQ(Find<QLabel>(page, "LabelMaxMaf").text(), QStringLiteral("MaxMaf=120"));
  EXPECT_EQ(Find<QLabel>(page, "LabelMaxOut").text(), QStringLiteral("MinOut=90"));
  const auto gauge = [this](const char* name) {
    return test::Find<QProgressBar>(Window.Firmware(), name).value();
  };
  EXPECT_EQ(gauge("FactoryGaugeMAF"), 120);
  EXPECT_EQ(gauge("FactoryGaugeTPS"), 130);
  EXPECT_EQ(gauge("FactoryGaugeConv"), 90);
  EXPECT_EQ(gauge("FactoryGaugeO2"), std::clamp(sent.O2, 0, 255));
  const auto point = Chart->SeriesGraph(DashboardChart::ConvOutSeries)->data()->at(0);
  EXPECT_EQ(point->key, 120);
  EXPECT_EQ(point->value, 90);

  // The log-limit lock is down after the start and autocorrection is off:
  // the log's MAF limit stays; with the lock up it follows.
  EXPECT_EQ(Window.LogLearning().MafLimitPosition(), 255);
  // The table graph is not redrawn for the highest MAF, but shows it once it
  // comes into view.
  Window.MainPageControl().setCurrentIndex(TForm1::kTablePage);
  QApplication::processEvents();
  const auto& graph = test::Find<TableChart>(Window.TableGraph(), "ChartTableGraph");
  EXPECT_EQ(graph.Series(graph.SeriesCount() - 1)->data()->at(0)->key, 120);
  Window.LogLearning().SetMafLimitLocked(false);
  Tick(sample);
  EXPECT_EQ(Window.LogLearning().MafLimitPosition(), 255 - 120);
}

// A tick fills the chart once; changes between two turns of the event loop
// are drawn together; a pointer move that edits nothing moves the cross-hair
// alone.
TEST_F(DashboardTickTest, TheChartIsFilledOncePerTurnAndNotForTheCrossHair) {
  Start();
  Tick({.Maf = 100});
  long before = Chart->Refills();
  Tick({.Maf = 120, .Conv = 130});
  EXPECT_EQ(Chart->Refills() - before, 1);

  before = Chart->Refills();
  CorrectionWindowModel& correction = Window.CorrectionWindow();
  correction.SetMafBeg(60);
  correction.SetMafEnd(64);
  correction.SetCorrection(3);
  QApplication::processEvents();
  EXPECT_EQ(Chart->Refills() - before, 1);
  EXPECT_EQ(LineAt(DashboardChart::MafBegSeries), 60);
  EXPECT_EQ(LineAt(DashboardChart::MafEndSeries), 64);

  before = Chart->Refills();
  MoveWithButtons(Chart, At(80, 200), Qt::NoButton);
  QApplication::processEvents();
  EXPECT_EQ(Chart->Refills(), before);
  EXPECT_EQ(LineAt(DashboardChart::XCursorSeries), 80);
}

}  // namespace
}  // namespace orvel::ui::test
