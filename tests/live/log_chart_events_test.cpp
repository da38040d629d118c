#include <gtest/gtest.h>

#include "live/log.h"
#include "live/log_chart_events.h"
#include "log_test_support.h"
#include "table/table.h"

namespace orvel {
namespace {

using test::Filled;
using test::Record;

// 1000 samples, MAF i % 200, drawn on a 1000 x 330 pixel plot: time 0..10 s
// over x 0..1000 (10 samples a pixel), value 0..330 over y 330..0 (one unit a
// pixel), so a value v lies at y = 330 - v.
struct EventsRig {
  EventsRig() : MainTable(Bus, Messages, Keys), Events(TheLog, MainTable) {
    TheLog.BindChart(Chart, MainTable);
    Record(TheLog, 1000, [](std::int64_t i) {
      SampleValues sample = Filled(0);
      At(sample, Channel::Maf) = static_cast<std::int32_t>(i % 200);
      At(sample, Channel::O2) = 33;
      return sample;
    });
    TheLog.ComputeBounds();
    TheLog.SetVisibleWindow(0, 999);
    TheLog.SetStep(999);  // 2
    for (int m = 0; m < 256; ++m) {
      MainTable.Tab1()[m] = 100;  // a flat "Tab" line at y 230
    }
    TheLog.Redraw(TheLog.Window().Step);
  }

  static constexpr ChartAxes kAxes{{0, 10, 0, 1000}, {0, 330, 330, 0}};

  // The chart's widget is not needed: the events read what the log drew.
  struct NoChart final : LogChartView {
    void ShowLog(const LogChartData&) override {}
    void ShowAxes(const LogAxisRanges&) override {}
  };

  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  LatchedModifiers Keys;
  Table MainTable;
  NoChart Chart;
  Log TheLog{Messages};
  LogChartEvents Events;
};

TEST(LogChartEvents, ScrollingFlagFollowsTheButtonAndTheMode) {
  EventsRig rig;
  const struct {
    bool MoveMode;
    ChartButton Button;
    bool Scrolling;
  } cases[] = {{false, ChartButton::Left, false},
               {false, ChartButton::Right, true},
               {true, ChartButton::Left, true},
               {true, ChartButton::Right, true}};
  for (const auto& c : cases) {
    if (rig.Events.InMoveMode() != c.MoveMode) {
      rig.Events.ToggleMoveMode();
    }
    EXPECT_EQ(rig.Events.ZoomMoveCaption(), c.MoveMode ? "\u2190/\u2192" : "+/-");
    rig.Events.MouseDown(c.Button, false, 500, 50, EventsRig::kAxes);
    EXPECT_EQ(rig.Events.Scrolling(), c.Scrolling) << c.MoveMode << static_cast<int>(c.Button);
    rig.Events.MouseUp();
  }
}

TEST(LogChartEvents, GrabbingTheTabLineEditsTheTableInsteadOfZooming) {
  EventsRig rig;
  // 3 px below the line grabs; the drag moves the point of the MAF seen
  // there (sample 500: MAF 100) to the value under the mouse.
  rig.Events.MouseDown(ChartButton::Left, false, 500, 233, EventsRig::kAxes);
  EXPECT_TRUE(rig.Events.Grabbed());
  EXPECT_FALSE(rig.Events.ZoomEnabled());
  const auto moved = rig.Events.MouseMove(false, true, true, 520, 180, EventsRig::kAxes, rig.TheLog.Axes(),
                                          ToggleAreaOfChart(1100));
  EXPECT_TRUE(moved.Edited);
  EXPECT_EQ(rig.MainTable.GetOut(100), 150);
  EXPECT_EQ(rig.TheLog.Drawn().ValueAt(LogSeries::Tab, 250), 150);  // redrawn
  rig.Events.MouseUp();
  EXPECT_TRUE(rig.Events.ZoomEnabled());

  // 6 px away it zooms; Alt turns zooming off without a grab.
  rig.Events.MouseDown(ChartButton::Left, false, 400, 236, EventsRig::kAxes);
  EXPECT_FALSE(rig.Events.Grabbed());
  EXPECT_TRUE(rig.Events.ZoomEnabled());
  rig.Events.MouseUp();
  rig.Events.MouseDown(ChartButton::Left, true, 400, 50, EventsRig::kAxes);
  EXPECT_FALSE(rig.Events.ZoomEnabled());
}

TEST(LogChartEvents, HintsNameTheSeriesUnderTheMouse) {
  EventsRig rig;
  // The "O2" line at 33 (y 297) lies over the "Enrichment" line at 0.
  const auto down = rig.Events.MouseDown(ChartButton::Left, false, 500, 298, EventsRig::kAxes);
  ASSERT_TRUE(down.Hint.has_value());
  EXPECT_EQ(down.Hint->Text, "33  0.02s");
  EXPECT_DOUBLE_EQ(down.Hint->X, 450);
  EXPECT_DOUBLE_EQ(down.Hint->Y, 248);
  rig.Events.MouseUp();

  const auto moved = rig.Events.MouseMove(false, false, false, 500, 330, EventsRig::kAxes, rig.TheLog.Axes(),
                                          ToggleAreaOfChart(1100));
  ASSERT_TRUE(moved.Hint.has_value());
  // Every line at 0 passes here; the last in series order is the O2 target
  // level (still 0), and "O2" is read at the same point index.
  EXPECT_EQ(moved.Hint->Text, "O2Target=0\nO2=33\n0.02s");
  EXPECT_DOUBLE_EQ(moved.Hint->Y, 250);

  // Nothing under the mouse switches the hint off; so does point 0 on mouse down.
  const auto empty = rig.Events.MouseMove(false, false, false, 500, 100, EventsRig::kAxes, rig.TheLog.Axes(),
                                          ToggleAreaOfChart(1100));
  EXPECT_TRUE(empty.HintChanged);
  EXPECT_FALSE(empty.Hint.has_value());
  EXPECT_FALSE(rig.Events.MouseDown(ChartButton::Left, false, 0, 297, EventsRig::kAxes).Hint.has_value());
}

TEST(LogChartEvents, DoubleClickSetsAPointOnlyWithinTheDrawnLogAndAboveTheLimit) {
  EventsRig rig;
  EXPECT_TRUE(rig.Events.DoubleClick(500, 130, EventsRig::kAxes));  // MAF 100 := 200
  EXPECT_EQ(rig.MainTable.GetOut(100), 200);
  EXPECT_FALSE(rig.Events.DoubleClick(500, -20, EventsRig::kAxes));  // above the plot
  rig.TheLog.SetMafLimit(150);
  EXPECT_FALSE(
      rig.Events.DoubleClick(600, 30, EventsRig::kAxes));  // sample 600: MAF 0, at or below the limit
  EXPECT_EQ(rig.MainTable.GetOut(0), 100);

  // Without data every event but mouse up is ignored.
  RecordedMessages messages;
  Log empty(messages);
  LogChartEvents events(empty, rig.MainTable);
  EXPECT_FALSE(events.MouseDown(ChartButton::Right, false, 1, 1, EventsRig::kAxes).Handled);
  EXPECT_FALSE(events.Scrolling());
  EXPECT_FALSE(events.DoubleClick(500, 30, EventsRig::kAxes));
}

TEST(LogChartEvents, ToggleButtonsAppearNearTheTopRightCorner) {
  const ToggleButtonArea area = ToggleAreaOfChart(1100);  // left 1022, first button's bottom 33
  const struct {
    double X, Y;
    bool Held;
    std::optional<bool> Shown;
  } cases[] = {{1030, 20, false, true},  {1030, 33, false, true},  {1030, 200, false, std::nullopt},
               {1021, 20, false, false}, {500, 300, false, false}, {1030, 20, true, std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(ToggleButtonsShown(area, c.X, c.Y, c.Held), c.Shown) << c.X << "," << c.Y;
  }
  EventsRig rig;
  EXPECT_FALSE(rig.Events.SeriesShown(SeriesIndex(LogSeries::Tps)));
  EXPECT_TRUE(rig.Events.SeriesShown(SeriesIndex(LogSeries::Converter)));
}

}  // namespace
}  // namespace orvel
