#include <gtest/gtest.h>

#include "table_fixture.h"

namespace orvel::test {
namespace {

TEST_F(TableTest, ShiftEditRoundsHalfToEven) {
  struct Case {
    int Left, Right, Middle;
  };
  for (const Case c : {Case{10, 11, 10}, Case{11, 12, 12}}) {
    Keys.Shift = true;
    Model.SetPoint(0, c.Left);
    Model.SetPoint(2, c.Right);
    EXPECT_EQ(Model.GetOut(1), c.Middle) << c.Left;
    EXPECT_EQ(Model.Anchors1()[0], 255);
    EXPECT_EQ(Model.Anchors1()[2], 255);
    Keys.Shift = false;
    Model.SetPoint(0, c.Left);  // forget anchors
  }
}

TEST_F(TableTest, SingleAnchorWithEndsDrawsLineThroughTableEnd) {
  Keys.Shift = true;
  Keys.Ctrl = true;
  Model.SetPoint(100, 50);
  EXPECT_EQ(Model.GetOut(0), 0);
  EXPECT_EQ(Model.GetOut(99), 50);  // 49.5 rounds to even
  EXPECT_EQ(Model.GetOut(255), 128);

  Keys.Shift = false;
  Model.SetPoint(100, 50);
  Model.SetToyotaMode(true);
  Keys.Shift = true;
  Model.SetPoint(100, 50);
  EXPECT_EQ(Model.GetOut(0), 255);
  EXPECT_EQ(Model.GetOut(124), 1);
  for (int i = 125; i < 256; ++i) {
    ASSERT_EQ(Model.GetOut(i), 0) << i;
  }
}

TEST_F(TableTest, SingleAnchorAtZeroRunsToTheFarCorner) {
  Keys.Shift = true;
  Keys.Ctrl = true;
  Model.SetPoint(0, 0);
  EXPECT_EQ(Model.GetOut(128), 128);
  EXPECT_EQ(Model.GetOut(255), 255);
  Keys.Shift = false;
  Model.SetPoint(0, 0);
  Model.SetToyotaMode(true);
  Keys.Shift = true;
  Model.SetPoint(0, 255);
  EXPECT_EQ(Model.GetOut(255), 0);
  EXPECT_EQ(Model.GetOut(100), 155);
}

TEST_F(TableTest, EndsExtendFromTheEditedSide) {
  Keys.Shift = true;
  Keys.Ctrl = true;
  Model.SetPoint(100, 100);
  Model.SetPoint(110, 120);  // edited at the last anchor: the last interval continues to 255
  EXPECT_EQ(Model.GetOut(120), 140);
  EXPECT_EQ(Model.GetOut(255), 255);
  EXPECT_EQ(Model.GetOut(0), 0);  // left of the first anchor stays from the single-anchor line
  Model.SetPoint(50, 10);         // edited at the first anchor: the first slope continues down
  EXPECT_EQ(Model.GetOut(49), 8);
  EXPECT_EQ(Model.GetOut(45), 1);
  EXPECT_EQ(Model.GetOut(44), 0);
}

TEST_F(TableTest, PlainEditForgetsAnchorsButKeepsTrainedValues) {
  SetOut({{5, 40}});
  Model.Trained()[5] = 40;
  Model.Anchors2()[3] = 255;
  Model.Anchors1()[300] = 255;
  Model.TrainedAnchors()[7] = 255;
  Model.SetPoint(5, 60);
  EXPECT_EQ(Model.Trained()[5], 60);  // a trained point carries its trained value along
  EXPECT_EQ(Model.Anchors2()[3], 0);
  EXPECT_EQ(Model.Anchors1()[300], 0);
  EXPECT_EQ(Model.TrainedAnchors()[7], 0);
  Model.SetPoint(6, 70);
  EXPECT_EQ(Model.Trained()[6], 0);
}

TEST_F(TableTest, SeriesEditingTargetsAndLimits) {
  struct Case {
    EditSeries Series;
    int X, Value;
    int Block;
    std::size_t Entry;
    int Expected;
  };
  for (const Case c :
       {Case{EditSeries::IATCorr, 130, -45, 1, 296, -30}, Case{EditSeries::ECTCorr, 3, 40, 1, 328, 30},
        Case{EditSeries::IATCorr2, 64, 5, 2, 280, 5}, Case{EditSeries::Tab2, 300, 400, 2, 255, 255},
        Case{EditSeries::Tab1, -3, -7, 1, 0, 0}}) {
    Model.SelectSeries(c.Series);
    Model.SetPoint(c.X, c.Value);
    EXPECT_EQ(Model.Block(c.Block)[c.Entry], c.Expected) << c.Entry;
  }
}

TEST_F(TableTest, TrainedSeriesTrainsAtOrAboveTheCurve) {
  SetOut({{20, 80}});
  Model.SelectSeries(EditSeries::Trained);
  Model.SetPoint(20, 80);
  EXPECT_EQ(Model.Trained()[20], 80);
  Model.SetPoint(20, 79);
  EXPECT_EQ(Model.Trained()[20], 0);
}

TEST_F(TableTest, ShiftEditInterpolatesSecondBlockUnlimitedAndCorrections) {
  Keys.Shift = true;
  Model.SelectSeries(EditSeries::IATCorr);
  Model.SetPoint(0, -10);
  Model.SetPoint(16, 10);
  EXPECT_EQ(Model.Tab1()[266], 0);
  Model.SelectSeries(EditSeries::Tab2);
  Model.SetPoint(0, 0);
  Model.SetPoint(10, 100);
  EXPECT_EQ(Model.Tab2()[5], 50);
}

TEST_F(TableTest, OneToOne) {
  Model.Trained()[3] = 3;
  Model.Tab1()[300] = 7;
  Model.SetLearnedBegin(9);
  for (const bool toyota : {false, true}) {
    Model.SetToyotaMode(toyota);
    Model.MakeOneToOne();
    EXPECT_EQ(Model.GetOut(0), toyota ? 255 : 0);
    EXPECT_EQ(Model.GetOut(255), toyota ? 0 : 255);
  }
  EXPECT_EQ(Model.Trained()[3], 0);
  EXPECT_EQ(Model.Tab1()[300], 0);
  EXPECT_EQ(Model.Tab1()[TableBlock::kEnleanment], 64);
  EXPECT_EQ(Model.LearnedBegin(), 9);
}

TEST_F(TableTest, SetBeginAsLearnedFlattensAndTrainsTheBeginning) {
  Model.MakeOneToOne();
  SetOut({{40, 100}});
  Model.SetBeginAsLearned(40, 3, false);
  for (int i = 0; i <= 40; ++i) {
    ASSERT_EQ(Model.GetOut(i), 103);
    ASSERT_EQ(Model.Trained()[i], 103);
    ASSERT_EQ(Model.TrainedAnchors()[i], 255);
  }
  EXPECT_EQ(Model.LearnedBegin(), 40);
  EXPECT_EQ(Model.GetOut(41), 41);
}

TEST_F(TableTest, SetBeginAsLearnedWithResetDrawsLineToTheEnd) {
  SetOut({{10, 50}});
  Model.Trained()[200] = 9;
  Model.SetBeginAsLearned(10, 0, true);
  EXPECT_EQ(Model.GetOut(0), 50);
  EXPECT_EQ(Model.GetOut(255), 255);
  EXPECT_EQ(Model.GetOut(133), 153);  // 50 + 123 × 205/245 = 152.9
  EXPECT_EQ(Model.Trained()[200], 0);
  EXPECT_EQ(Model.Anchors1()[255], 0);
  EXPECT_EQ(Model.TrainedAnchors()[5], 0);
}

TEST_F(TableTest, WindowCorrectionMidpointAndWholeWindow) {
  Model.MakeOneToOne();
  Model.Trained()[0] = Model.GetOut(0);  // 0 = 0 is trained for interpolation
  Model.Trained()[20] = 20;
  Model.ApplyWindowCorrection(2, 10, 13, 1);
  EXPECT_EQ(Model.GetOut(12), 14);
  EXPECT_EQ(Model.Trained()[12], 14);
  EXPECT_EQ(Model.Trained()[11], 0);
  EXPECT_EQ(Model.Trained()[13], 0);
  EXPECT_EQ(Model.GetOut(6), 7);  // refilled between 0 and 12
  EXPECT_EQ(Model.GetOut(16), 17);

  Model.ApplyWindowCorrection(-300, 30, 31, 3);
  EXPECT_EQ(Model.GetOut(30), 0);
  EXPECT_EQ(Model.GetOut(31), 0);
}

TEST_F(TableTest, LearnedMarksAndSearch) {
  Model.MakeOneToOne();
  EXPECT_EQ(Model.FindTrainedPoint(100, true, false), 255);
  EXPECT_EQ(Model.FindTrainedPoint(100, false, false), 0);
  Model.Trained().fill(-1);
  Model.MarkLearned(50);
  Model.MarkLearned(60);
  EXPECT_EQ(Model.FindTrainedPoint(50, true, false), 60);
  EXPECT_EQ(Model.FindTrainedPoint(52, true, true), 50);  // a re-search starts two below
  EXPECT_EQ(Model.FindTrainedPoint(52, false, false), 50);
  EXPECT_EQ(Model.FindTrainedPoint(1, true, true), 50);  // a re-search below the table starts at 0
  EXPECT_EQ(Model.FindTrainedPoint(255, false, true), 60);

  Model.SetLearnedBegin(55);
  Model.MarkLearned(52);
  EXPECT_EQ(Model.Anchors1()[52], 0);
  Model.UnmarkLearned(50);  // at or below the beginning: no change
  EXPECT_EQ(Model.Trained()[50], 50);

  Model.ClearLearnedRange(56, 256);
  EXPECT_EQ(Model.Trained()[60], 0);
  EXPECT_EQ(Model.Trained()[50], 50);
}

TEST_F(TableTest, UnmarkLearnedReinterpolatesOnlyWithAnchorsAfterThePoint) {
  Model.MakeOneToOne();
  SetOut({{100, 200}});
  Model.MarkLearned(80);
  Model.MarkLearned(100);
  Model.MarkLearned(120);
  Model.UnmarkLearned(100);
  EXPECT_EQ(Model.GetOut(100), 100);  // re-filled between 80 and 120
  EXPECT_EQ(Model.Trained()[100], 0);
  SetOut({{120, 30}});
  Model.UnmarkLearned(120);  // no anchor at or after it: the curve stays
  EXPECT_EQ(Model.GetOut(120), 30);
  EXPECT_EQ(Model.GetOut(100), 100);
}

TEST_F(TableTest, TrainedSpansFollowTheirEnds) {
  Model.MakeOneToOne();
  Model.Trained()[10] = 10;
  Model.Trained()[20] = 20;
  Model.Trained()[30] = 0;
  Model.Trained()[25] = 25;
  Model.TrainedAnchors()[10] = 255;
  Model.TrainedAnchors()[20] = 255;
  Model.TrainedAnchors()[30] = 255;
  Model.InterpolateByAnchors(false, 0, false);
  EXPECT_EQ(Model.Trained()[15], 15);  // both ends trained: trained
  EXPECT_EQ(Model.Trained()[25], 25);  // one end trained: left alone
}

TEST_F(TableTest, TempCorrectionReadsSignedAndLimits) {
  Model.SetDashboardSample(0, 0, 130, 8, 0, 0);
  Model.Tab1()[296] = 28;
  Model.ApplyTempCorrection(5, TempCorrection::Iat);
  EXPECT_EQ(Model.Tab1()[296], 30);
  Model.Tab1()[330] = 226;
  Model.ApplyTempCorrection(-1, TempCorrection::Ect);
  EXPECT_EQ(Model.Tab1()[330], -30);
}

// Views and the link see the model's changes.
class CountingViews final : public TableGraphView, public DashboardChartView, public CorrectionWindowLink {
 public:
  void ShowTable(const Table& /*table*/) override { ++Tables; }
  void ShowEditHint(EditSeries /*series*/, int x, int value) override { Hint = {x, value}; }
  void ShowDashboard(const Table& /*table*/) override { ++Dashboards; }
  void TellCorrectionWindow(int correction, int /*beg*/, int /*end*/, int reason) override {
    Told = {correction, reason};
  }
  int Tables = 0;
  int Dashboards = 0;
  std::pair<int, int> Hint;
  std::pair<int, int> Told;
};

TEST(TableViews, BoundViewsAreRedrawnAndTold) {
  TOrvelBroadcaster bus;
  RecordedMessages messages;
  LatchedModifiers keys;
  CountingViews views;
  Table table(bus, messages, keys);
  table.BindGraph(&views, true, nullptr);
  EXPECT_EQ(views.Tables, 1);
  table.BindDashboard(&views);
  EXPECT_TRUE(table.HasDashboard());
  table.SelectSeries(EditSeries::ECTCorr);
  table.SetPoint(130, 7);
  EXPECT_EQ(views.Hint, std::make_pair(128, 7));
  EXPECT_EQ(views.Tables, 2);
  table.SetLink(&views);
  const int before = views.Dashboards;
  table.SetCorrectionWindow(-3, 10, 20, 1);
  EXPECT_EQ(views.Told, std::make_pair(-3, 1));
  EXPECT_EQ(table.Dash().MafEnd, 20);
  EXPECT_EQ(views.Dashboards, before + 1);
  // A new correction in the same window is told, but draws nothing new.
  table.SetCorrectionWindow(4, 10, 20, 1);
  EXPECT_EQ(views.Told, std::make_pair(4, 1));
  EXPECT_EQ(views.Dashboards, before + 1);

  // What the dashboard's tick hands over every 100 ms is stored, not drawn:
  // the dashboard draws it from its own frame.
  const int tables = views.Tables;
  const int dashboards = views.Dashboards;
  table.SetMaxMafAnyway(200);
  table.SetDashboardSample(120, 130, 40, 80, 1, 2);
  EXPECT_EQ(table.MaxMafAnyway(), 200);
  EXPECT_EQ(table.Dash().DashIat, 40);
  EXPECT_EQ(views.Tables, tables);
  EXPECT_EQ(views.Dashboards, dashboards);
}

}  // namespace
}  // namespace orvel::test
