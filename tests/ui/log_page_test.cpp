#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#ifdef ORVEL_HAS_CLI
#include "cli/commands.h"
#endif

#include "autotune/o2_reference.h"
#include "core/user_messages.h"
#include "find_by_name.h"
#include "live/log.h"
#include "live/log_chart_events.h"
#include "live/log_learning.h"
#include "live/log_learning_controls.h"
#include "scripted_file_dialogs.h"
#include "support/temp_dir.h"
#include "table/table.h"
#include "ui/charts/dashboard_chart.h"
#include "ui/charts/log_chart.h"
#include "ui/charts/log_series_graph.h"
#include "ui/charts/table_chart.h"
#include "ui/main_window.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/table_graph_page.h"

namespace orvel::ui {
namespace {

using test::Find;

// A recorded log of 10 000 samples (or `samples`): MAF steps through
// 100..199, the converter's output follows it, the smoothed O2 swings rich
// and lean.
void WriteTestLog(const std::filesystem::path& path, std::int32_t samples = 10'000) {
  RecordedMessages messages;
  Log log(messages);
  log.BeginRecording();
  for (std::int32_t i = 0; i < samples; ++i) {
    SampleValues sample{};
    At(sample, Channel::Maf) = 100 + (i / 50) % 100;
    At(sample, Channel::Conv) = 90 + (i / 50) % 100;
    At(sample, Channel::RpmPeriod) = 500;
    At(sample, Channel::O2) = 140;
    At(sample, Channel::O2Smooth) = 120 + (i / 37) % 40;
    log.AppendSample(sample);
  }
  log.EndRecording();
  ASSERT_TRUE(log.SaveToFile(path));
}

std::vector<char> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LogPageTest : public ::testing::Test {
 protected:
  LogPageTest() : Dialogs(std::make_shared<test::ScriptedFileDialogs>()), Window(Messages, Services()) {
    Messages.Texts.clear();  // a first start finds no state file
    Window.MainPageControl().setCurrentIndex(TForm1::kLogPage);
    Window.show();
    QApplication::processEvents();
  }

  MainWindowServices Services() {
    MainWindowServices services = DefaultMainWindowServices();
    services.WorkingFolder = Folder.Path();
    services.ListPorts = [] { return std::vector<std::string>{}; };
    services.Dialogs = Dialogs;
    return services;
  }

  LogPage& Page() { return Window.LogView(); }
  // A control of the log page by its name.
  template <typename T>
  T& OnPage(const char* name) {
    return Find<T>(Page(), name);
  }
  LogChart& Chart() { return OnPage<LogChart>("LogChart"); }
  Log& TheLog() { return Window.LogModel(); }

  // Opens the test log through the bar's open action.
  void OpenTestLog() {
    const auto path = Folder.Path() / "run.log";
    WriteTestLog(path);
    Dialogs->Answer(path);
    OnPage<QAction>("LogFileOpen").trigger();
    Chart().replot();  // lays out the axes for the pixel mapping
  }

  // A mouse event at a position between pixels, as a pointer delivers it.
  void Mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, at, Chart().mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(&Chart(), &event);
  }
  void Drag(QPointF from, QPointF to, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(QEvent::MouseButtonPress, from, button, button);
    Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
    Mouse(QEvent::MouseMove, to, Qt::NoButton, button);
    Mouse(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
  }
  QPointF At(double seconds, double value) {
    return {Chart().xAxis->coordToPixel(seconds), Chart().yAxis->coordToPixel(value)};
  }

  orvel::test::TempDir Folder;
  RecordedMessages Messages;
  std::shared_ptr<test::ScriptedFileDialogs> Dialogs;
  TForm1 Window;
};

TEST_F(LogPageTest, OpeningALogDrawsTheWholeLogWithTpsHidden) {
  OpenTestLog();
  ASSERT_EQ(Dialogs->Requests.size(), 1U);
  EXPECT_EQ(Dialogs->Requests[0].Filter, QStringLiteral("Log Files|*.log"));
  EXPECT_DOUBLE_EQ(Chart().xAxis->range().lower, 0);
  EXPECT_DOUBLE_EQ(Chart().xAxis->range().upper, 99.98);
  EXPECT_EQ(TheLog().Window().StepLabel, "0.23s");
  // Every series draws the lowest and the highest value of each pixel column
  // and of the margin's column after the last (the log has none before its
  // first sample).
  const int columns = Chart().axisRect()->width();
  EXPECT_EQ(TheLog().Drawn().Lines.Time.size(), static_cast<std::size_t>(2 * (columns + 1)));
  for (std::size_t s = 0; s < kLogDataSeriesCount; ++s) {
    EXPECT_EQ(Chart().Series(static_cast<LogSeries>(s))->data()->size(), 2 * (columns + 1)) << s;
  }
  EXPECT_EQ(Chart().Series(LogSeries::MaxMafInLog)->data()->size(), 2);
  EXPECT_FALSE(Chart().Series(LogSeries::Tps)->visible());
  EXPECT_FALSE(Chart().ToggleButtons[SeriesIndex(LogSeries::Tps)]->isChecked());
  EXPECT_EQ(Chart().ToggleButtons[kLogDataSeriesCount]->text(), QStringLiteral("*****"));
  EXPECT_EQ(Chart().xAxis->label(), QStringLiteral("Time"));
  EXPECT_EQ(Chart().yAxis->label(), QStringLiteral("Signal Level"));

  // The buttons appear when the pointer comes near the top right corner.
  EXPECT_FALSE(Chart().ButtonsShown());
  Mouse(QEvent::MouseMove, QPointF(Chart().width() - 40, 20), Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(Chart().ButtonsShown());
  EXPECT_EQ(Chart().ToggleButtons[1]->geometry(), QRect(Chart().width() - 78, 41, 70, 25));
  Mouse(QEvent::MouseMove, QPointF(100, 200), Qt::NoButton, Qt::NoButton);
  EXPECT_FALSE(Chart().ButtonsShown());

  // Hiding "Converter" survives a redraw.
  QPushButton* converter = Chart().ToggleButtons[SeriesIndex(LogSeries::Converter)];
  converter->show();
  QTest::mouseClick(converter, Qt::LeftButton);
  EXPECT_FALSE(Chart().Series(LogSeries::Converter)->visible());
  TheLog().RedrawIfData();
  EXPECT_FALSE(Chart().Series(LogSeries::Converter)->visible());
  EXPECT_EQ(Chart().Series(LogSeries::Converter)->data()->size(), 2 * (columns + 1));
}

TEST_F(LogPageTest, RubberBandZoomsAndADragTowardTheUpperLeftUndoes) {
  OpenTestLog();
  // Just inside 10 s and 20 s, a little off the pixel grid.
  Drag(At(10.001, 250), At(20.001, 50));
  EXPECT_EQ(TheLog().Window().FirstIndex, 1000);
  EXPECT_EQ(TheLog().Window().LastIndex, 2000);
  EXPECT_EQ(TheLog().Window().Step, 2);
  // At most two samples a pixel column: every sample is drawn, with one of
  // margin on each side.
  const auto maf = Chart().Series(LogSeries::Maf)->data();
  EXPECT_DOUBLE_EQ(maf->constBegin()->key, 9.99);
  EXPECT_DOUBLE_EQ((maf->constEnd() - 1)->key, 20.01);
  EXPECT_EQ(maf->size(), 1003);
  EXPECT_NEAR(Chart().yAxis->range().lower, 50, 0.5);

  Drag(At(18, 235), At(12, 248));
  EXPECT_EQ(TheLog().Window().FirstIndex, 0);
  EXPECT_EQ(TheLog().Window().Step, 23);
  EXPECT_DOUBLE_EQ(Chart().xAxis->range().upper, 99.99);
  EXPECT_DOUBLE_EQ(Chart().yAxis->range().lower, -30);
  Drag(At(80, 270), At(40, 290));
  EXPECT_EQ(TheLog().ZoomHistory().Size(), 1U);
  EXPECT_DOUBLE_EQ(Chart().xAxis->range().upper, 99.99);
}

TEST_F(LogPageTest, MoveModeScrollsOnEitherButtonAndPansTheView) {
  OpenTestLog();
  LogChartEvents& events = Chart().Events();
  Mouse(QEvent::MouseButtonPress, At(50, 250), Qt::LeftButton, Qt::LeftButton);
  EXPECT_FALSE(events.Scrolling());
  Mouse(QEvent::MouseButtonRelease, At(50, 250), Qt::LeftButton, Qt::NoButton);

  auto& zoom = OnPage<QPushButton>("SpeedButtonLogZoom");
  QTest::mouseClick(&zoom, Qt::LeftButton);
  EXPECT_EQ(zoom.text(), QStringLiteral("\u2190/\u2192"));
  for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    Mouse(QEvent::MouseButtonPress, At(50, 250), button, button);
    EXPECT_TRUE(events.Scrolling());
    Mouse(QEvent::MouseButtonRelease, At(50, 250), button, Qt::NoButton);
  }

  // Zoom to 10..20 s with the right button, then pan with the left one.
  Drag(At(10.001, 250), At(20.001, 50), Qt::RightButton);
  ASSERT_EQ(TheLog().Window().FirstIndex, 1000);
  const QPointF from = At(15, 150);
  Drag(from, from - QPointF(Chart().xAxis->coordToPixel(15) - Chart().xAxis->coordToPixel(10), 0));
  EXPECT_NEAR(static_cast<double>(TheLog().Window().FirstIndex), 1500, 2);
  EXPECT_NEAR(static_cast<double>(TheLog().Window().LastIndex), 2500, 2);
  EXPECT_EQ(TheLog().Window().Step, 2);

  QTest::mouseClick(&zoom, Qt::LeftButton);
  EXPECT_EQ(zoom.text(), QStringLiteral("+/-"));
}

TEST_F(LogPageTest, GrabbingTheTabLineEditsTheTableAndSixPixelsAwayZooms) {
  Table& table = Window.MainTable();
  for (std::size_t m = 0; m < 256; ++m) {
    table.Tab1()[m] = 100;
  }
  OpenTestLog();
  const QPointF line = At(50, 100);
  // The MAF of the drawn point nearest to 50 s.
  const auto points = DrawnMafPointsOf(TheLog().Drawn());
  const auto nearest = NearestDrawnPoint(points, 50.0F);
  ASSERT_TRUE(nearest.has_value());
  const int maf = static_cast<int>(points[*nearest].Value);

  Mouse(QEvent::MouseButtonPress, line + QPointF(0, 3), Qt::LeftButton, Qt::LeftButton);
  EXPECT_TRUE(Chart().Events().Grabbed());
  Mouse(QEvent::MouseMove, At(50.5, 150), Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, At(50.5, 150), Qt::LeftButton, Qt::NoButton);
  EXPECT_NEAR(table.GetOut(maf), 150, 1);
  EXPECT_EQ(TheLog().ZoomHistory().Size(), 1U);  // no zoom

  Drag(At(30, 100) + QPointF(0, 6), At(60, 50));
  EXPECT_FALSE(Chart().Events().Grabbed());
  EXPECT_EQ(TheLog().ZoomHistory().Size(), 2U);
}

TEST_F(LogPageTest, TheLearningButtonGivesTheSameTableAsTheCommandLine) {
  OpenTestLog();
  const auto before = Folder.Path() / "before.tab";
  ASSERT_TRUE(Window.MainTable().SaveTableFile(before, 1));
  Window.O2Reference().ComboBoxO2Change(1);              // wide band: reference 147
  OnPage<QSlider>("TrackBarLogO2Target").setValue(125);  // target 130
  EXPECT_EQ(OnPage<QLabel>("LabelRefO2Log").text(), QStringLiteral("13"));
  EXPECT_EQ(OnPage<QLabel>("LabelLogMixtuePercent").text(), QStringLiteral("13%"));
  EXPECT_EQ(OnPage<QLabel>("LabelLogO2RefFromDash").text(), QStringLiteral("14.7"));
  EXPECT_TRUE(OnPage<QPushButton>("LockLogLimitSpeedButton").isChecked());
  EXPECT_FALSE(OnPage<QSlider>("LogLimitTrackBar").isEnabled());

  QTest::mouseClick(&OnPage<QPushButton>("SpeedButtonLogMagicLearn"), Qt::LeftButton);
  const auto window = Folder.Path() / "window.tab";
  ASSERT_TRUE(Window.MainTable().SaveTableFile(window, 1));

#ifdef ORVEL_HAS_CLI
  const auto cli = Folder.Path() / "cli.tab";
  const std::string last = std::to_string(TheLog().Window().LastIndex);
  const std::string args[] = {"orvel",
                              "learn",
                              before.string(),
                              (Folder.Path() / "run.log").string(),
                              cli.string(),
                              "--sensor",
                              "1",
                              "--o2-target",
                              "130",
                              "--o2-ref",
                              "147",
                              "--to",
                              last};
  std::vector<const char*> argv;
  for (const auto& arg : args) {
    argv.push_back(arg.c_str());
  }
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(cli::Run(static_cast<int>(argv.size()), argv.data(), out, err), 0) << err.str();
  EXPECT_EQ(FileBytes(window), FileBytes(cli));
#endif
  EXPECT_NE(FileBytes(window), FileBytes(before));
}

TEST_F(LogPageTest, SaveProposesADatedNameAndAFileThatCannotBeReadKeepsTheLog) {
  OpenTestLog();
  const auto saved = Folder.Path() / "copy";
  Dialogs->Answer(saved);
  OnPage<QAction>("LogFileSave").trigger();
  ASSERT_EQ(Dialogs->Requests.size(), 2U);
  const FileDialogRequest& request = Dialogs->Requests[1];
  EXPECT_EQ(request.Filter, QStringLiteral("Log Files|*.log"));
  EXPECT_EQ(request.DefaultSuffix, QStringLiteral("log"));
  EXPECT_TRUE(request.ProposedName.startsWith(QLatin1Char('D')));
  EXPECT_EQ(std::filesystem::file_size(Folder.Path() / "copy.log"), 15U + 15U * 10'000U);

  Dialogs->Answer(Folder.Path() / "missing.log");
  OnPage<QAction>("LogFileOpen").trigger();
  ASSERT_FALSE(Messages.Texts.empty());
  EXPECT_NE(Messages.Texts.back().find("Log file load error"), std::string::npos) << Messages.Texts.back();
  EXPECT_EQ(TheLog().SampleCount(), 10'000U);
  EXPECT_EQ(Chart().Series(LogSeries::Maf)->data()->size(), TheLog().Drawn().Lines.Time.size());
}

// The series paint straight runs as one segment: only points that change
// the drawn line are kept, and NaN gaps stay.
TEST(LogSeriesGraphTest, StraightRunsKeepOnlyTheirEnds) {
  const double gap = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* What;
    QVector<QPointF> Points;
    QVector<QPointF> Kept;
  };
  const std::vector<Case> cases = {
      {"a flat stretch", {{0, 5}, {1, 5}, {1, 5}, {2, 5}, {3, 5}}, {{0, 5}, {3, 5}}},
      {"column pairs of a flat stretch, then a rise",
       {{0, 5}, {0, 5}, {1, 5}, {1, 5}, {2, 5}, {2, 9}},
       {{0, 5}, {2, 5}, {2, 9}}},
      {"a vertical run one way", {{1, 0}, {1, 2}, {1, 7}}, {{1, 0}, {1, 7}}},
      {"a vertical turn stays", {{1, 0}, {1, 7}, {1, 2}}, {{1, 0}, {1, 7}, {1, 2}}},
      {"a horizontal turn stays", {{0, 5}, {10, 5}, {3, 5}}, {{0, 5}, {10, 5}, {3, 5}}},
      {"a zig-zag stays", {{0, 1}, {0, 9}, {1, 2}, {1, 8}}, {{0, 1}, {0, 9}, {1, 2}, {1, 8}}},
      {"a gap stays", {{0, 5}, {1, 5}, {2, gap}, {3, 5}, {4, 5}}, {{0, 5}, {1, 5}, {2, gap}, {3, 5}, {4, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const QVector<QPointF> kept = WithoutStraightRunInteriors(c.Points);
    ASSERT_EQ(kept.size(), c.Kept.size());
    for (qsizetype i = 0; i < kept.size(); ++i) {
      EXPECT_EQ(kept[i].x(), c.Kept[i].x());
      if (!std::isnan(c.Kept[i].y())) {
        EXPECT_EQ(kept[i].y(), c.Kept[i].y());
      }
    }
  }
}

// Column pairs are painted as filled columns: every pixel between a
// column's low and high is the series' colour, and a column that does not
// overlap the one before reaches over to it, as the zig-zag would.
TEST(LogSeriesGraphTest, ColumnPairsFillTheirColumnsAndJoinTheNext) {
  QCustomPlot plot;
  plot.resize(240, 240);
  plot.setBackground(Qt::black);
  plot.setNotAntialiasedElements(QCP::aeAll);  // as the log chart draws its series
  plot.axisRect()->setAutoMargins(QCP::msNone);
  plot.axisRect()->setMargins(QMargins(20, 20, 20, 20));
  plot.xAxis->setRange(0, 200);
  plot.yAxis->setRange(0, 200);
  auto* graph = new LogSeriesGraph(plot.xAxis, plot.yAxis);
  const QColor colour(0x0F, 0xC4, 0xFF);
  graph->setPen(QPen(colour, 1));
  graph->setAdaptiveSampling(false);
  // Columns at x = 50, 51, ...: a tall one, a short one, then one far above.
  QVector<QCPGraphData> points;
  for (int x = 50; x < 60; ++x) {
    points.append({static_cast<double>(x), 20.0});
    points.append({static_cast<double>(x), 120.0});
  }
  points.append({60.0, 170.0});
  points.append({60.0, 180.0});
  graph->data()->set(points, true);
  const QImage image = plot.toPixmap(240, 240).toImage();
  const auto pixel = [&](double x, double y) {
    return image.pixelColor(qRound(plot.xAxis->coordToPixel(x)), qRound(plot.yAxis->coordToPixel(y)));
  };
  for (const double value : {20.0, 50.0, 119.0}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(pixel(55, value), colour);
  }
  EXPECT_EQ(pixel(55, 150), QColor(Qt::black));
  EXPECT_EQ(pixel(60, 150), colour) << "the last column reaches down to the one before";
}

// A long log is read and written off the UI thread: the event loop turns
// while it opens and while it is saved, and the saved file is the opened one
// byte for byte (the save writes it in several pieces).
TEST_F(LogPageTest, ALongLogOpensAndSavesWhileTheWindowTurns) {
  const auto path = Folder.Path() / "long.log";
  constexpr std::int32_t kSamples = 300'000;
  WriteTestLog(path, kSamples);
  int ticks = 0;
  QTimer timer;
  timer.setInterval(1);
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start();
  Dialogs->Answer(path);
  OnPage<QAction>("LogFileOpen").trigger();
  const int ticksWhileOpening = ticks;
  Dialogs->Answer(Folder.Path() / "copy.log");
  OnPage<QAction>("LogFileSave").trigger();
  timer.stop();

  EXPECT_EQ(TheLog().SampleCount(), static_cast<std::size_t>(kSamples));
  EXPECT_GT(ticksWhileOpening, 0) << "the event loop stood still while the log was read";
  EXPECT_GT(ticks, ticksWhileOpening) << "the event loop stood still while the log was written";
  EXPECT_EQ(FileBytes(Folder.Path() / "copy.log"), FileBytes(path));
  EXPECT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
}

// Undo and redo from any of the three button pairs show the restored table on
// every chart that draws it, whichever page is in front: the table graph, the
// dashboard chart and the log chart's "Tab" line.
TEST_F(LogPageTest, EveryUndoRedoPairShowsTheRestoredTableOnEveryChart) {
  OpenTestLog();
  Table& table = Window.MainTable();
  const std::int32_t original = table.Tab1()[150];
  constexpr std::int32_t kEdited = 7;
  ASSERT_NE(original, kEdited);
  table.Tab1()[150] = kEdited;
  table.PushHistory();

  const auto tableGraphAt150 = [&] {
    return Find<TableChart>(Window.TableGraph(), "ChartTableGraph")
        .Series(0)
        ->data()
        ->findBegin(150, false)
        ->value;
  };
  const auto dashboardAt150 = [&] {
    return Find<DashboardChart>(Window.Dashboard(), "DashboardChart")
        .SeriesGraph(DashboardChart::Tab1Series)
        ->data()
        ->findBegin(150, false)
        ->value;
  };
  // The log's MAF steps through 100…199, so samples at 150 draw the table's
  // entry there on the "Tab" line.
  const auto logShows = [&](std::int32_t value) {
    const auto& line = *Chart().Series(LogSeries::Tab)->data();
    return std::any_of(line.constBegin(), line.constEnd(),
                       [value](const QCPGraphData& point) { return point.value == value; });
  };

  const struct {
    const char* Page;
    QAbstractButton* Undo;
    QAbstractButton* Redo;
  } pairs[] = {
      {"table graph", &Find<QToolButton>(Window.TableGraph(), "SpeedButtonUndo"),
       &Find<QToolButton>(Window.TableGraph(), "SpeedButtonRedo")},
      {"log", &OnPage<QPushButton>("SpeedButtonLogUndo"), &OnPage<QPushButton>("SpeedButtonLogRedo")},
      {"dashboard", &Find<QPushButton>(Window.Dashboard(), "ButtonUndo"),
       &Find<QPushButton>(Window.Dashboard(), "ButtonRedo")},
  };
  for (const auto& pair : pairs) {
    SCOPED_TRACE(pair.Page);
    pair.Undo->click();
    QApplication::processEvents();  // the dashboard chart redraws once per turn
    EXPECT_EQ(table.Tab1()[150], original);
    EXPECT_EQ(tableGraphAt150(), original);
    EXPECT_EQ(dashboardAt150(), original);
    EXPECT_TRUE(logShows(original));
    EXPECT_FALSE(logShows(kEdited));

    pair.Redo->click();
    QApplication::processEvents();
    EXPECT_EQ(tableGraphAt150(), kEdited);
    EXPECT_EQ(dashboardAt150(), kEdited);
    EXPECT_TRUE(logShows(kEdited));
  }
}

}  // namespace
}  // namespace orvel::ui
