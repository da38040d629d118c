#include <gtest/gtest.h>

#include "table/chart_pointer.h"
#include "table/parameter_slider_text.h"
#include "table_fixture.h"

namespace orvel::test {
namespace {

// A plot area where one data unit is two pixels on either axis: x 0…300 over
// pixels 40…640, y −30…300 over pixels 680…20.
PlotArea Area() {
  return PlotArea{40, 640, 20, 680, kChartXMin, kChartXMax, kChartYMin, kChartYMax};
}
double Px(double x) {
  return Area().XToPixel(x);
}
double Py(double y) {
  return Area().YToPixel(y);
}

TEST(ChartPointerTest, PointerSnapsToTheNearestTablePoint) {
  struct Case {
    double X;
    int Snapped;
  };
  for (const Case c : {Case{0, 0}, Case{10.4, 10}, Case{10.5, 11}, Case{10.6, 11}, Case{254.5, 255},
                       Case{255, 255}, Case{280, 255}, Case{300, 255}}) {
    const auto point = PointerToData(Area(), Px(c.X), Py(0));
    ASSERT_TRUE(point.has_value()) << c.X;
    EXPECT_EQ(point->X, c.Snapped) << c.X;
  }
}

TEST(ChartPointerTest, PointerYIsRoundedAndOutsideGivesNothing) {
  EXPECT_EQ(PointerToData(Area(), Px(50), Py(-45 / 2.0 + 0.25))->Y, -22);
  EXPECT_EQ(PointerToData(Area(), Px(50), Py(100.5))->Y, 100);  // a tie goes to the even neighbour
  EXPECT_EQ(PointerToData(Area(), Px(50), Py(101.5))->Y, 102);
  EXPECT_FALSE(PointerToData(Area(), 39, Py(0)).has_value());
  EXPECT_FALSE(PointerToData(Area(), Px(50), 681).has_value());
}

TEST(ChartPointerTest, CorrectionSeriesSnapToEveryFourthPoint) {
  struct Case {
    double X;
    int Snapped;
  };
  for (const Case c : {Case{129.9, 128}, Case{130, 132}, Case{250, 252}, Case{253, 255}}) {
    EXPECT_EQ(SnapToSamples(c.X, 4), c.Snapped) << c.X;
  }
}

TEST_F(TableTest, NearestPointMeasuresFromTheSelectedSeriesPoint) {
  SetOut({{10, 100}});
  Model.Tab1()[TableBlock::kIatCorr + 32] = -20;
  Model.Tab2()[TableBlock::kEctCorr + 16] = 12;

  NearestPointResult onCurve = NearestPoint(Model, EditSeries::Tab1, Area(), Px(10.2), Py(101));
  EXPECT_EQ(onCurve.E, 10);
  EXPECT_EQ(onCurve.Y, 101);
  EXPECT_NEAR(onCurve.Dx, 0.4, 1e-9);
  EXPECT_NEAR(onCurve.Dy, -2.0, 1e-9);
  EXPECT_TRUE(ArmsDrag(onCurve));
  EXPECT_FALSE(ArmsDrag(NearestPoint(Model, EditSeries::Tab1, Area(), Px(10), Py(103))));

  NearestPointResult corr = NearestPoint(Model, EditSeries::IATCorr, Area(), Px(130), Py(-20));
  EXPECT_EQ(corr.E, 132);  // entry 33, drawn at 0
  EXPECT_NEAR(corr.Dy, Py(-20) - Py(0), 1e-9);
  corr = NearestPoint(Model, EditSeries::IATCorr, Area(), Px(129), Py(-20));
  EXPECT_EQ(corr.E, 128);
  EXPECT_NEAR(corr.Dy, 0, 1e-9);
  EXPECT_TRUE(ArmsDrag(NearestPoint(Model, EditSeries::ECTCorr2, Area(), Px(64), Py(13))));

  const NearestPointResult trained = NearestPoint(Model, EditSeries::Trained, Area(), Px(10), Py(0));
  EXPECT_EQ(trained.Dx, kNoOffset);
  EXPECT_EQ(trained.Dy, kNoOffset);
  EXPECT_FALSE(ArmsDrag(trained));

  const NearestPointResult outside = NearestPoint(Model, EditSeries::Tab1, Area(), 10, 10);
  EXPECT_EQ(outside.E, 0);
  EXPECT_EQ(outside.N, 0);
  EXPECT_FALSE(ArmsDrag(outside));
}

TEST_F(TableTest, NearestPointFindsTheNearestTrainedPoint) {
  // Every point is "trained" (Out = Trained = 0) until the outputs differ.
  for (int i = 0; i < 256; ++i) {
    Model.Tab1()[static_cast<std::size_t>(i)] = 50;
  }
  Model.Trained()[20] = 50;
  Model.Trained()[30] = 50;
  struct Case {
    double X;
    int N;
  };
  // The middle 25 goes down.
  for (const Case c : {Case{20, 20}, Case{24, 20}, Case{25, 20}, Case{26, 30}, Case{30, 30}}) {
    EXPECT_EQ(NearestPoint(Model, EditSeries::Tab1, Area(), Px(c.X), Py(0)).N, c.N) << c.X;
  }
}

TEST_F(TableTest, PointUnderPointerTakesTheLastSeriesThere) {
  SetOut({{8, 0}});
  // Tab1, IATCorr and ECTCorr all draw a point at (8, 0); ECTCorr is last.
  auto under = PointUnderPointer(Model, false, Area(), Px(8) + 1, Py(0) - 1);
  ASSERT_TRUE(under.has_value());
  EXPECT_EQ(under->Series, 3);  // "Trained" (0 at 8) is shown on the main chart
  EXPECT_EQ(PointHintText(under->Series, under->X, under->Y), "MAF=8  OUT=0");
  SetOut({{9, 120}});
  under = PointUnderPointer(Model, false, Area(), Px(9), Py(120));
  ASSERT_TRUE(under.has_value());
  EXPECT_EQ(under->Series, 0);
  EXPECT_FALSE(PointUnderPointer(Model, false, Area(), Px(9), Py(160)).has_value());
}

TEST(ChartPointerTest, HintTextsNameTheSeries) {
  EXPECT_EQ(EditHintText(EditSeries::Tab1, 12, 200), "MAF=12  OUT=200");
  EXPECT_EQ(EditHintText(EditSeries::IATCorr, 128, -30), "IAT=128  IATCorr=-30");
  EXPECT_EQ(EditHintText(EditSeries::IATCorr2, 64, 5), "IAT=64  IATCorr=5");
  EXPECT_EQ(EditHintText(EditSeries::ECTCorr, 4, 1), "ECT=4  ECTCorr=1");
  EXPECT_EQ(EditHintText(EditSeries::ECTCorr2, 4, 1), "ECT=4  ECTCorr=1");
  EXPECT_EQ(EditHintText(EditSeries::Tab2, 3, 7), "MAF=3  OUT=7");
}

TEST(ChartPointerTest, LegendButtonsFollowThePointerNearTheCorner) {
  EXPECT_EQ(LegendButtonsWanted(700, 20, 650, 33), std::optional<bool>(true));
  EXPECT_EQ(LegendButtonsWanted(700, 300, 650, 33), std::nullopt);
  EXPECT_EQ(LegendButtonsWanted(600, 20, 650, 33), std::optional<bool>(false));
}

TEST(ParameterSliderTextTest, LabelsShowUnitsAndTheUsersSeparator) {
  EXPECT_EQ(SliderValueText(PanelField::MafTime, 4, NumberFormat{','}), "0,04s");
  EXPECT_EQ(SliderValueText(PanelField::MafTime, 150, NumberFormat{'.'}), "1.50s");
  EXPECT_EQ(SliderValueText(PanelField::Enrichment, 13, {}), "+13%");
  EXPECT_EQ(SliderValueText(PanelField::Enleanment, 50, {}), "-50%");
  EXPECT_EQ(SliderValueText(PanelField::SmoothMaf, 100, {}), "100");
}

}  // namespace
}  // namespace orvel::test
