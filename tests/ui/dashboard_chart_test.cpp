// The dashboard chart's pointer rules through real mouse events on the chart
// widget: moving the correction window, snapping to trained points, dragging
// a trained point, untraining by a double click, zooming, the cross-hair.

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "autotune/correction_window.h"
#include "dashboard_rig.h"
#include "table/table.h"
#include "ui/charts/dashboard_chart.h"
#include "ui/pages/dashboard_page.h"

namespace orvel::ui::test {
namespace {

class DashboardChartTest : public ::testing::Test {
 protected:
  DashboardChartTest() : Window(Messages, DashboardServices(Folder, Cues)) {
    Messages.Texts.clear();  // a first start finds no state file
    for (int i = 0; i < 256; ++i) {
      Table().Tab1()[static_cast<std::size_t>(i)] = i;
    }
    Window.MainPageControl().setCurrentIndex(TForm1::kDashboardPage);
    Window.show();
    Chart = &Find<DashboardChart>(Window.Dashboard(), "DashboardChart");
    Table().Redraw();
    QApplication::processEvents();  // the chart's refill
  }

  orvel::Table& Table() { return Window.MainTable(); }
  void Train(int point) { Table().Trained()[static_cast<std::size_t>(point)] = Table().GetOut(point); }
  [[nodiscard]] QPoint At(double x, double y) const {
    return {static_cast<int>(std::lround(Chart->xAxis->coordToPixel(x))),
            static_cast<int>(std::lround(Chart->yAxis->coordToPixel(y)))};
  }
  [[nodiscard]] std::pair<int, int> WindowBorders() {
    return {Window.CorrectionWindow().MafBeg(), Window.CorrectionWindow().MafEnd()};
  }

  orvel::test::TempDir Folder;
  CueRecord Cues;
  RecordedMessages Messages;
  TForm1 Window;
  DashboardChart* Chart = nullptr;
};

TEST_F(DashboardChartTest, AClickFarFromTheCurveZoomsAndStillMovesTheWindow) {
  const QPoint press = At(100, 250);
  QTest::mousePress(Chart, Qt::LeftButton, {}, press);
  EXPECT_EQ(WindowBorders(), std::make_pair(100, 100));
  const QPoint end = At(160, 180);
  MoveWithButtons(Chart, end, Qt::LeftButton);
  QTest::mouseRelease(Chart, Qt::LeftButton, {}, end);
  EXPECT_TRUE(Chart->Zoomed());
  EXPECT_NEAR(Chart->xAxis->range().lower, 100, 1);
  EXPECT_NEAR(Chart->xAxis->range().upper, 160, 1);
  EXPECT_NEAR(Chart->yAxis->range().upper, 250, 1);
  Find<QPushButton>(Window.Dashboard(), "ButtonUndoZoom").click();
  EXPECT_FALSE(Chart->Zoomed());
  EXPECT_EQ(Table().GetOut(100), 100) << "a zoom edits nothing";
}

TEST_F(DashboardChartTest, AClickNearATrainedPointMovesTheWindowOntoIt) {
  Train(120);
  struct Case {
    int ClickedPoint;
    int WindowAt;
  };
  for (const Case c : {Case{125, 120}, Case{115, 120}, Case{130, 130}, Case{110, 110}}) {
    const QPoint press = At(c.ClickedPoint, 20);  // far below the curve
    QTest::mousePress(Chart, Qt::LeftButton, {}, press);
    QTest::mouseRelease(Chart, Qt::LeftButton, {}, press);
    EXPECT_EQ(WindowBorders(), std::make_pair(c.WindowAt, c.WindowAt)) << "clicked " << c.ClickedPoint;
  }
}

TEST_F(DashboardChartTest, DraggingATrainedPointReinterpolatesAndReleaseSendsTheTable) {
  ChoosePort(Window, QStringLiteral("Simulator"));
  ASSERT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
  Window.MainPageControl().setCurrentIndex(TForm1::kDashboardPage);
  for (int i = 0; i < 256; ++i) {
    Table().Tab1()[static_cast<std::size_t>(i)] = i;
    Table().Trained()[static_cast<std::size_t>(i)] = 0;
  }
  Train(100);
  Train(120);
  Train(140);
  Table().Redraw();
  QApplication::processEvents();  // the chart's refill
  const auto sentTables = [this] {
    const std::vector<std::uint8_t> bytes = Window.BuiltInSimulator()->ReceivedBytes();
    return std::count(bytes.begin(), bytes.end(), std::uint8_t{'t'});
  };
  const auto before = sentTables();

  QTest::mousePress(Chart, Qt::LeftButton, {}, At(120, 120));
  EXPECT_EQ(WindowBorders(), std::make_pair(120, 120));
  MoveWithButtons(Chart, At(120, 123), Qt::LeftButton);
  MoveWithButtons(Chart, At(120, 125), Qt::LeftButton);
  EXPECT_EQ(Table().GetOut(120), 125);
  EXPECT_EQ(Table().Trained()[120], 125);
  // The neighbours follow the trained points 100 -> 125 -> 140.
  EXPECT_NEAR(Table().GetOut(110), 112.5, 0.6);
  EXPECT_NEAR(Table().GetOut(130), 132.5, 0.6);
  EXPECT_EQ(Table().GetOut(100), 100);
  EXPECT_EQ(Table().GetOut(140), 140);
  EXPECT_FALSE(Chart->Zoomed());
  QTest::mouseRelease(Chart, Qt::LeftButton, {}, At(120, 125));
  // The "t" may reach the simulator before the block behind it does.
  ASSERT_TRUE(ProcessEventsUntil(
      [&] { return sentTables() > before && Window.BuiltInSimulator()->WorkingTable()[120] == 125; },
      std::chrono::seconds(2)));
}

TEST_F(DashboardChartTest, ADoubleClickTogglesTheTrainedStateAndClearsTheWindowAtAnUntrainedPoint) {
  Train(120);
  Train(122);
  DoubleClick(Chart, At(120, 120));
  EXPECT_EQ(Table().Trained()[120], 0) << "untrained";
  EXPECT_EQ(WindowBorders(), std::make_pair(120, 120));
  EXPECT_EQ(Table().Trained()[122], 122) << "outside the cleared window";

  DoubleClick(Chart, At(130, 130));
  EXPECT_EQ(Table().Trained()[130], 130) << "trained";
  EXPECT_EQ(WindowBorders(), std::make_pair(130, 130));

  // Outside the plot area nothing changes.
  DoubleClick(Chart, QPoint(2, 2));
  EXPECT_EQ(Table().Trained()[130], 130);
}

TEST_F(DashboardChartTest, TheCrossHairFollowsThePointerAndSnapsToATrainedPointNearTheCurve) {
  Train(120);
  // The vertical line's top is the cross-hair: (x, y).
  const auto crossHair = [this] {
    const auto top = Chart->SeriesGraph(DashboardChart::XCursorSeries)->data()->at(1);
    return std::make_pair(top->key, top->value);
  };
  MoveWithButtons(Chart, At(80, 200), Qt::NoButton);
  EXPECT_EQ(crossHair(), std::make_pair(80.0, 200.0));
  MoveWithButtons(Chart, At(124, 124), Qt::NoButton);
  EXPECT_EQ(crossHair(), std::make_pair(120.0, 120.0));
  MoveWithButtons(Chart, QPoint(2, 2), Qt::NoButton);
  EXPECT_EQ(crossHair(), std::make_pair(0.0, 0.0));
}

// The values of the cross-hair stand in red-bordered boxes at the axes; the
// area below the bottom axis holds no red otherwise.
TEST_F(DashboardChartTest, TheCrossHairsValuesAreDrawnBelowTheBottomAxis) {
  const auto redBelowTheAxis = [this] {
    const QImage image = Chart->grab().toImage();
    const int axisY = static_cast<int>(Chart->yAxis->coordToPixel(Chart->yAxis->range().lower));
    const int x = At(150, 0).x();
    for (int y = axisY + 1; y < std::min(image.height(), axisY + 30); ++y) {
      for (int dx = -25; dx <= 25; ++dx) {
        if (image.pixelColor(x + dx, y) == QColor(Qt::red)) {
          return true;
        }
      }
    }
    return false;
  };
  EXPECT_FALSE(redBelowTheAxis());
  MoveWithButtons(Chart, At(150, 200), Qt::NoButton);
  QApplication::processEvents();
  EXPECT_TRUE(redBelowTheAxis());
}

}  // namespace
}  // namespace orvel::ui::test
