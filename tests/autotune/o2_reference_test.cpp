#include <gtest/gtest.h>

#include <vector>

#include "autotune/o2_reference.h"

namespace orvel {
namespace {

// Records the position each slider had whenever its change handling ran.
struct O2ReferenceFixture : ::testing::Test {
  O2ReferenceFixture() {
    Follow += Model.RefO2Changed.Subscribe([this] { RefRuns.push_back(Model.RefO2().Position); });
    TargetFollow =
        Model.LogO2TargetChanged.Subscribe([this] { TargetRuns.push_back(Model.LogO2Target().Position); });
  }

  O2ReferenceModel Model{NumberFormat{','}};
  std::vector<std::int32_t> RefRuns;
  std::vector<std::int32_t> TargetRuns;
  Subscriptions Follow;
  Subscription TargetFollow;
};

TEST_F(O2ReferenceFixture, BeforeAnySensorTypeTheDesignRangeHolds) {
  EXPECT_EQ(Model.SensorType(), 0);
  EXPECT_EQ(Model.RefO2().Max, 50);
  EXPECT_EQ(Model.RefO2().Position, 24);
  EXPECT_EQ(Model.O2Ref(), 26);
  EXPECT_EQ(Model.RefO2Text(), "0,51V");
  EXPECT_EQ(Model.RefO2PercentText(), " ");
  EXPECT_EQ(Model.LogO2Target().Position, 255);
}

TEST_F(O2ReferenceFixture, EachSensorTypeGetsItsRangeAndDefault) {
  const struct {
    std::int32_t Type;
    std::int32_t Max;
    std::int32_t Position;
    std::int32_t Value;
    const char* Text;
    const char* Percent;
  } cases[] = {
      {1, 255, 108, 147, "14,7", "0%"}, {0, 51, 25, 26, "0,51V", " "},    {2, 255, 127, 128, "2,5V", " "},
      {3, 255, 108, 147, "14,7", "0%"}, {4, 255, 108, 147, "14,7", "0%"},
  };
  for (const auto& c : cases) {
    Model.ComboBoxO2Change(c.Type);
    EXPECT_EQ(Model.SensorType(), c.Type);
    EXPECT_EQ(Model.RefO2().Max, c.Max) << c.Type;
    EXPECT_EQ(Model.RefO2().Position, c.Position) << c.Type;
    EXPECT_EQ(Model.O2Ref(), c.Value) << c.Type;
    EXPECT_EQ(Model.LogO2Target().Max, c.Max) << c.Type;
    EXPECT_EQ(Model.LogO2Target().Position, c.Position) << c.Type;
    EXPECT_EQ(Model.RefO2Text(), c.Text) << c.Type;
    EXPECT_EQ(Model.RefO2PercentText(), c.Percent) << c.Type;
  }
}

TEST_F(O2ReferenceFixture, LoweredMaximumPullsThePositionDownFirst) {
  Model.ComboBoxO2Change(1);
  RefRuns.clear();
  TargetRuns.clear();

  Model.ComboBoxO2Change(0);
  // 108 -> 51 by the new maximum, then 25, then the closing run.
  EXPECT_EQ(RefRuns, (std::vector<std::int32_t>{51, 25, 25}));
  // The target is pulled to 51 as well, then follows the reference to 25.
  EXPECT_EQ(TargetRuns, (std::vector<std::int32_t>{51, 25, 25}));
}

TEST_F(O2ReferenceFixture, UnchangedPositionsStillRunTheHandlingOnce) {
  Model.ComboBoxO2Change(3);
  RefRuns.clear();
  TargetRuns.clear();
  Model.ComboBoxO2Change(4);
  EXPECT_EQ(RefRuns, (std::vector<std::int32_t>{108}));
  EXPECT_EQ(TargetRuns, (std::vector<std::int32_t>{108}));
}

TEST_F(O2ReferenceFixture, PositionsAreHeldWithinTheRangeAndOnlyChangesNotify) {
  Model.ComboBoxO2Change(0);
  RefRuns.clear();
  Model.SetRefO2Position(300);  // e.g. a saved position of a wider range
  EXPECT_EQ(Model.RefO2().Position, 51);
  EXPECT_EQ(Model.O2Ref(), 0);
  Model.SetRefO2Position(51);
  Model.SetRefO2Position(-4);
  EXPECT_EQ(Model.RefO2().Position, 0);
  EXPECT_EQ(RefRuns, (std::vector<std::int32_t>{51, 0}));
  EXPECT_EQ(Model.RefO2Text(), "1V");  // 51 x 5 / 256 = 0.996
}

TEST_F(O2ReferenceFixture, AirFuelReferenceOfZeroKeepsTheMixtureText) {
  Model.ComboBoxO2Change(1);
  Model.SetRefO2Position(129);  // value 126
  EXPECT_EQ(Model.RefO2PercentText(), "17%");
  Model.SetRefO2Position(255);  // value 0
  EXPECT_EQ(Model.RefO2Text(), "0");
  EXPECT_EQ(Model.RefO2PercentText(), "17%");
}

TEST_F(O2ReferenceFixture, HandlerMayMoveTheOtherSlider) {
  // The log page keeps its target on the rich side of the reference; a
  // handler that moves a slider from inside a change must not loop.
  TargetFollow = Model.LogO2TargetChanged.Subscribe([this] {
    TargetRuns.push_back(Model.LogO2Target().Position);
    if (Model.LogO2Target().Position < Model.RefO2().Position) {
      Model.SetLogO2TargetPosition(Model.RefO2().Position);
    }
  });
  Model.ComboBoxO2Change(1);
  Model.SetLogO2TargetPosition(10);
  EXPECT_EQ(Model.LogO2Target().Position, 108);
}

}  // namespace
}  // namespace orvel
