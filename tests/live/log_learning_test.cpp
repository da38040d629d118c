#include <gtest/gtest.h>

#include <vector>

#include "autotune/o2_reference.h"
#include "core/orvel_broadcaster.h"
#include "live/log_file.h"
#include "live/log_learning.h"
#include "live/log_learning_controls.h"
#include "live/log_time.h"
#include "log_test_support.h"
#include "support/temp_dir.h"

namespace orvel {
namespace {

// One sample of the fixture: the channels learning reads.
struct Row {
  std::int32_t Maf;
  std::int32_t Conv;
  std::int32_t O2Smooth;
};

SampleValues SampleOf(const Row& row) {
  SampleValues sample{};
  At(sample, Channel::Maf) = row.Maf;
  At(sample, Channel::Conv) = row.Conv;
  At(sample, Channel::O2Smooth) = row.O2Smooth;
  return sample;
}

struct LearningRig {
  LearningRig() {
    for (int i = 0; i < 256; ++i) {
      MainTable.Tab1()[static_cast<std::size_t>(i)] = i;
    }
  }
  // Records the rows and shows the whole log (the window ends at n - 2, so
  // the last row is outside it).
  void Record(const std::vector<Row>& rows) {
    test::Record(TheLog, static_cast<std::int64_t>(rows.size()),
                 [&rows](std::int64_t i) { return SampleOf(rows[static_cast<std::size_t>(i)]); });
    TheLog.ComputeBounds();
  }
  void Levels(std::int32_t mafLimit, std::int32_t target, std::int32_t fromDash) {
    TheLog.SetMafLimit(mafLimit);
    TheLog.SetO2Target(target);
    TheLog.SetO2FromDash(fromDash);
  }

  TOrvelBroadcaster Bus;
  RecordedMessages Messages;
  LatchedModifiers Keys;
  Table MainTable{Bus, Messages, Keys};
  Log TheLog{Messages};
};

// While a recording runs, opening a file would swap its channels under the
// reader and a pass would learn from a log still growing: both are refused
// with a message, and the recording and the table stay as they were.
TEST(LogLearningControls, OpeningALogAndLearningAreRefusedWhileRecording) {
  test::TempDir dir;
  LearningRig rig;
  rig.Record(std::vector<Row>(50, Row{100, 90, 160}));
  ASSERT_TRUE(rig.TheLog.SaveToFile(dir.Path() / "other.log"));
  O2ReferenceModel reference;
  LogLearningControls controls(rig.TheLog, rig.MainTable, reference);

  rig.TheLog.BeginRecording();
  rig.TheLog.AppendSample(test::Filled(7));
  const TableBlock before = rig.MainTable.Tab1();
  int sent = 0;
  EXPECT_FALSE(rig.TheLog.LoadFromFile(dir.Path() / "other.log"));
  EXPECT_EQ(controls.LearnFromLogPass([&sent] { ++sent; }), 0);
  EXPECT_EQ(controls.TakeConverterOutput([&sent] { ++sent; }), 0);
  EXPECT_EQ(rig.TheLog.SampleCount(), 1U) << "the recording keeps only its own sample";
  EXPECT_EQ(rig.MainTable.Tab1().Entries, before.Entries);
  EXPECT_EQ(sent, 0);
  ASSERT_EQ(rig.Messages.Texts.size(), 3U);
  EXPECT_EQ(rig.Messages.Texts[0], kStopLiveDataFirstText);

  rig.TheLog.EndRecording();
  EXPECT_TRUE(rig.TheLog.LoadFromFile(dir.Path() / "other.log"));
  EXPECT_EQ(rig.TheLog.SampleCount(), 50U);
}

TEST(LearnDelta, RichLeanAndDirection) {
  const struct {
    std::int32_t Sensor;
    std::int32_t Target;
    std::int32_t FromDash;
    bool Toyota;
    std::int32_t O2Smooth;
    std::int32_t Delta;
  } cases[] = {
      {1, 130, 147, false, 125, -1}, {1, 130, 147, false, 150, +1}, {1, 130, 147, false, 140, 0},
      {1, 130, 147, true, 125, +1},  {1, 130, 147, true, 150, -1},  {0, 30, 26, false, 35, -1},
      {0, 30, 26, false, 20, +1},    {0, 30, 26, false, 28, 0},     {2, 100, 120, false, 90, -1},
      {0, 20, 30, false, 25, +1},  // rich and lean at once: the lean step wins
  };
  for (const auto& c : cases) {
    const LogLevels levels{0, c.Target, c.FromDash};
    EXPECT_EQ(LearnDelta(c.O2Smooth, levels, c.Sensor, c.Toyota), c.Delta)
        << c.Sensor << ' ' << c.O2Smooth << ' ' << c.Toyota;
  }
}

TEST(LearnFromLog, FirstSampleOfEachPointDecidesOncePerPass) {
  LearningRig rig;
  std::vector<Row> rows;
  rows.push_back({80, 0, 140});  // between the levels: 80 is done, unchanged (second pass)
  for (int i = 0; i < 500; ++i) {
    rows.push_back({80, 0, 125});  // rich, but 80 is already done
  }
  rows.push_back({90, 0, 150});   // lean: +1
  rows.push_back({100, 0, 125});  // at the MAF limit: untouched
  rows.push_back({120, 0, 125});  // rich: -1
  rows.push_back({255, 0, 150});  // lean at the top: held at 255
  rows.push_back({130, 0, 150});  // last sample: outside the window
  rig.Record(rows);
  rig.Levels(100, 130, 147);
  const int changed = LearnFromLog(rig.TheLog, rig.MainTable, 1, false);
  EXPECT_EQ(rig.MainTable.GetOut(80), 80);  // 80, 90 and 100 are at or below the limit
  EXPECT_EQ(rig.MainTable.GetOut(90), 90);
  EXPECT_EQ(rig.MainTable.GetOut(100), 100);
  EXPECT_EQ(rig.MainTable.GetOut(120), 119);
  EXPECT_EQ(rig.MainTable.GetOut(255), 255);
  EXPECT_EQ(rig.MainTable.GetOut(130), 130);
  EXPECT_EQ(changed, 1);

  rig.Levels(0, 130, 147);
  LearnFromLog(rig.TheLog, rig.MainTable, 1, false);
  EXPECT_EQ(rig.MainTable.GetOut(80), 80);  // decided by its first sample again
  EXPECT_EQ(rig.MainTable.GetOut(90), 91);
  EXPECT_EQ(rig.MainTable.GetOut(120), 118);  // a pass moves a point one unit
}

TEST(LearnFromLog, EmptyTablePointTakesTheConverterOutput) {
  LearningRig rig;
  rig.MainTable.Tab1()[150] = 0;
  rig.MainTable.Tab1()[160] = 0;
  rig.Record({{150, 100, 150}, {160, 0, 150}, {170, 0, 0}});
  rig.Levels(0, 130, 147);
  LearnFromLog(rig.TheLog, rig.MainTable, 1, false);
  EXPECT_EQ(rig.MainTable.GetOut(150), 101);
  EXPECT_EQ(rig.MainTable.GetOut(160), 0);
}

TEST(LearnSelected, TakesTheFirstConverterOutputAboveTheLimit) {
  LearningRig rig;
  rig.Record({{50, 7, 0}, {120, 40, 0}, {120, 41, 0}, {200, 300, 0}, {201, 9, 0}});
  rig.Levels(100, 0, 147);
  EXPECT_EQ(LearnSelected(rig.TheLog, rig.MainTable), 2);
  EXPECT_EQ(rig.MainTable.GetOut(50), 50);
  EXPECT_EQ(rig.MainTable.GetOut(120), 40);
  EXPECT_EQ(rig.MainTable.GetOut(200), 255);
  EXPECT_EQ(rig.MainTable.GetOut(201), 201);  // the last sample lies outside the window
}

TEST(LearnFromLog, WindowBeyondTheSamplesIsHeldAndAnEmptyLogChangesNothing) {
  LearningRig rig;
  EXPECT_EQ(LearnFromLog(rig.TheLog, rig.MainTable, 0, false), 0);
  std::vector<Row> rows(10, Row{140, 0, 150});
  rig.Record(rows);
  rig.TheLog.SetVisibleWindow(-50, 5000);
  rig.Levels(0, 130, 147);
  EXPECT_EQ(LearnFromLog(rig.TheLog, rig.MainTable, 1, false), 1);
  EXPECT_EQ(rig.MainTable.GetOut(140), 141);
}

// A chart 400 px wide (x 100..500) showing times 0..100 and values -30..300
// from y 350 (bottom) to y 20 (top).
const ChartAxes kAxes{{0, 100, 100, 500}, {-30, 300, 350, 20}};

TEST(ChartEditing, PixelsToTimeAndValue) {
  EXPECT_FLOAT_EQ(TimeAtPixel(kAxes.Time, 100), 0);
  EXPECT_FLOAT_EQ(TimeAtPixel(kAxes.Time, 300), 50);
  EXPECT_FLOAT_EQ(TimeAtPixel(kAxes.Time, 60), 0);  // a negative time counts as 0
  EXPECT_EQ(ValueAtPixel(kAxes.Value, 350), -30);
  EXPECT_EQ(ValueAtPixel(kAxes.Value, 20), 300);
  EXPECT_EQ(ValueAtPixel(kAxes.Value, 185), 135);
  EXPECT_TRUE(InPlotArea(kAxes, 100, 20));
  EXPECT_FALSE(InPlotArea(kAxes, 300, 19));   // above the value axis's maximum
  EXPECT_FALSE(InPlotArea(kAxes, 501, 200));  // right of the time axis
  EXPECT_FALSE(InPlotArea(ChartAxes{{0, 1, 100, 100}, kAxes.Value}, 100, 200));  // no width
}

TEST(ChartEditing, NearestDrawnPoint) {
  const std::vector<DrawnPoint> points{{0, 0}, {10, 0}, {20, 0}};
  const struct {
    float T;
    std::optional<std::size_t> Point;
  } cases[] = {{0, 0}, {4.9F, 0}, {5, 1}, {14.9F, 1}, {15, 2}, {20, 2}, {20.5F, std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(NearestDrawnPoint(points, c.T), c.Point) << c.T;
  }
  const std::vector<DrawnPoint> one{{0, 0}};
  EXPECT_EQ(NearestDrawnPoint(one, 0), std::nullopt);
}

TEST(ChartEditing, GesturesSetThePointOfTheMafSeen) {
  LearningRig rig;
  const std::vector<DrawnPoint> maf{{0, 120.7}, {50, 90}, {100, 200}};
  // Double-click at t 0 (x 100), value at y 185: 135 into point 120.
  EXPECT_TRUE(EditTableFromChart(rig.MainTable, 100, kAxes, maf, {100, 185, 0, 0, false}));
  EXPECT_EQ(rig.MainTable.GetOut(120), 135);
  // Drag grabbed at t 50 (point MAF 90), now at y 30: at or below the limit.
  EXPECT_FALSE(EditTableFromChart(rig.MainTable, 100, kAxes, maf, {300, 200, 300, 30, true}));
  EXPECT_EQ(rig.MainTable.GetOut(90), 90);
  // Drag from t 100 to y 21: the value 299 is stored as 255.
  EXPECT_TRUE(EditTableFromChart(rig.MainTable, 100, kAxes, maf, {500, 200, 200, 21, true}));
  EXPECT_EQ(rig.MainTable.GetOut(200), 255);
  // Dragged above the plot area, or double-clicked beyond the last point.
  EXPECT_FALSE(EditTableFromChart(rig.MainTable, 0, kAxes, maf, {100, 200, 100, 10, true}));
  const std::vector<DrawnPoint> shorter{{0, 150}, {40, 150}};
  EXPECT_FALSE(EditTableFromChart(rig.MainTable, 0, kAxes, shorter, {400, 200, 0, 0, false}));
  EXPECT_EQ(rig.MainTable.GetOut(150), 150);
}

TEST(ChartEditing, DrawnMafPointsFollowTheChartsRange) {
  LearningRig rig;
  std::vector<Row> rows;
  for (int i = 0; i < 3000; ++i) {
    rows.push_back({i % 256, 0, 0});
  }
  rig.Record(rows);
  rig.TheLog.SetVisibleWindow(1000, 2000);
  rig.TheLog.SetStep(1000);
  const auto points =
      rig.TheLog.ReadChannels([&](const LogChannels& c) { return DrawnMafPoints(c, rig.TheLog.Window()); });
  ASSERT_EQ(points.size(), 503U);  // 998, 1000, ... 2002
  EXPECT_DOUBLE_EQ(points.front().Time, TimeOfIndex(998).DayFraction());
  EXPECT_EQ(points.front().Value, 998 % 256);
  EXPECT_EQ(points.back().Value, 2002 % 256);
}

TEST(LogLearningControls, MafLimitFollowsOnlyWhenUnlockedOrDashboardDriven) {
  LearningRig rig;
  O2ReferenceModel reference;
  LogLearningControls controls(rig.TheLog, rig.MainTable, reference);
  EXPECT_EQ(controls.MafLimitText(), "255");
  EXPECT_TRUE(controls.MafLimitLocked());
  controls.SetMafLimitPosition(155);  // locked: the slider moves, nothing follows
  EXPECT_EQ(controls.MafLimitValue(), 100);
  EXPECT_EQ(rig.TheLog.Levels().MafLimit, 0);
  controls.SetMafLimitPosition(150, true);  // the dashboard's autocorrection drives it
  EXPECT_EQ(rig.TheLog.Levels().MafLimit, 105);
  EXPECT_EQ(rig.MainTable.MaxMaf(), 105);
  EXPECT_EQ(controls.MafLimitText(), "105");
  controls.SetMafLimitLocked(false);
  controls.SetMafLimitPosition(-5);
  EXPECT_EQ(rig.TheLog.Levels().MafLimit, 255);
}

TEST(LogLearningControls, O2TargetStaysOnTheRichSideWithItsTexts) {
  LearningRig rig;
  O2ReferenceModel reference;
  LogLearningControls controls(rig.TheLog, rig.MainTable, reference);
  // A first start, before any sensor type is chosen: the reference slider
  // (0..50 at 24, value 26 = 0.51 V) holds the target (0..255) at the same
  // value, not at the same position (value 231 = 4.51 V).
  controls.O2FromDashChanged();
  EXPECT_EQ(reference.LogO2Target().Value(), 26);
  EXPECT_EQ(rig.TheLog.Levels().O2Target, 26);
  EXPECT_EQ(controls.O2TargetText(), "0.51");

  reference.ComboBoxO2Change(1);          // reference 147 at position 108
  reference.SetLogO2TargetPosition(125);  // value 130: richer than 14.7
  EXPECT_EQ(rig.TheLog.Levels().O2Target, 130);
  EXPECT_EQ(controls.O2TargetText(), "13");
  EXPECT_EQ(controls.O2TargetMixtureText(), "13%");
  reference.SetLogO2TargetPosition(100);  // value 155 is leaner: back to the reference
  EXPECT_EQ(reference.LogO2Target().Position, 108);
  EXPECT_EQ(rig.TheLog.Levels().O2Target, 147);

  reference.ComboBoxO2Change(0);         // reference 26 at position 25 of 0..51
  reference.SetLogO2TargetPosition(40);  // value 11: leaner on this sensor
  EXPECT_EQ(reference.LogO2Target().Position, 25);
  reference.SetLogO2TargetPosition(10);  // value 41: richer, stays
  EXPECT_EQ(rig.TheLog.Levels().O2Target, 41);
  EXPECT_EQ(controls.O2TargetText(), "0.8");
  EXPECT_EQ(controls.O2TargetMixtureText(), " ");

  controls.O2FromDashChanged();
  EXPECT_EQ(rig.TheLog.Levels().O2FromDash, 26);
  EXPECT_EQ(controls.O2FromDashText(), "0.51");
}

TEST(LogLearningControls, MovingTheReferencePastTheTargetTakesTheTargetAlong) {
  LearningRig rig;
  O2ReferenceModel reference;
  LogLearningControls controls(rig.TheLog, rig.MainTable, reference);
  struct Case {
    std::int32_t SensorType;
    std::int32_t TargetPosition;  // on the rich side of the default reference
    std::int32_t RefPosition;     // moved past it
  };
  // Sensor 0: richer is higher (a smaller position); the others the reverse.
  for (const Case c : {Case{0, 10, 5}, Case{1, 125, 130}, Case{2, 140, 150}}) {
    reference.ComboBoxO2Change(c.SensorType);
    reference.SetLogO2TargetPosition(c.TargetPosition);
    ASSERT_EQ(reference.LogO2Target().Position, c.TargetPosition) << c.SensorType;
    reference.SetRefO2Position(c.RefPosition);
    EXPECT_EQ(reference.LogO2Target().Position, c.RefPosition) << c.SensorType;
    EXPECT_EQ(rig.TheLog.Levels().O2Target, reference.O2Ref()) << c.SensorType;
    EXPECT_EQ(rig.TheLog.Levels().O2FromDash, reference.O2Ref()) << c.SensorType;
  }
  // A reference moved away to the lean side leaves the target where it is.
  reference.ComboBoxO2Change(1);
  reference.SetLogO2TargetPosition(120);
  reference.SetRefO2Position(100);
  EXPECT_EQ(reference.LogO2Target().Position, 120);
}

TEST(LogLearningControls, PassesRedrawAndSendAndTheReferenceReachesTheLogPage) {
  LearningRig rig;
  O2ReferenceModel reference;
  LogLearningControls controls(rig.TheLog, rig.MainTable, reference);
  int changes = 0;
  const Subscription counting = controls.Changed.Subscribe([&changes] { ++changes; });
  // The dashboard's reference slider reaches the log and the page's labels
  // without anyone wiring it.
  reference.ComboBoxO2Change(1);
  EXPECT_EQ(rig.TheLog.Levels().O2FromDash, 147);
  EXPECT_EQ(controls.O2FromDashText(), "14.7");
  EXPECT_GT(changes, 0);

  std::vector<Row> rows;
  for (int i = 0; i < 200; ++i) {
    rows.push_back({50 + i % 100, 90, 160});  // leaner than 14.7: every point +1
  }
  rig.Record(rows);
  int sent = 0;
  EXPECT_GT(controls.LearnFromLogPass([&sent] { ++sent; }), 0);
  EXPECT_EQ(rig.MainTable.GetOut(60), 61);
  EXPECT_EQ(rig.MainTable.GetOut(149), 150);
  EXPECT_EQ(sent, 1);
  EXPECT_TRUE(rig.TheLog.GetHasData());  // the chart was redrawn
  EXPECT_GT(controls.TakeConverterOutput([&sent] { ++sent; }), 0);
  EXPECT_EQ(rig.MainTable.GetOut(60), 90);
  EXPECT_EQ(sent, 2);
}

}  // namespace
}  // namespace orvel
