#include <gtest/gtest.h>

#include "autotune/correction_decision.h"
#include "autotune_rig.h"

namespace orvel {
namespace {

using test::DecisionRig;
using test::EngineState;

// Decides at every tick in the correcting state (B value 1: period 0, N 1).
TMsgCorrAdvice Decide(DecisionRig& rig, std::int32_t o2, std::size_t samples = 1) {
  EngineState state;
  state.O2 = o2;
  rig.Add(state, samples);
  const auto advice = rig.Tick();
  EXPECT_TRUE(advice.has_value());
  return advice.value_or(TMsgCorrAdvice{});
}

TEST(CorrectionDecision, NoAdviceBefore121SamplesThenTheWindowOfTheLast21) {
  DecisionRig rig;
  rig.Decision.Settings().Autocorrection = false;
  EngineState state;
  state.Maf = 50;
  rig.Add(state, 100);
  for (std::int32_t maf = 60; maf < 80; ++maf) {  // samples 101..120
    state.Maf = maf;
    rig.Add(state);
  }
  EXPECT_FALSE(rig.Tick().has_value());
  state.Maf = 70;
  rig.Add(state);  // the 121st: the last 21 are 60..79 and 70
  const auto advice = rig.Tick();
  ASSERT_TRUE(advice.has_value());
  EXPECT_EQ(advice->MafBeg, 60);
  EXPECT_EQ(advice->MafEnd, 79);
  // Autocorrection off: the window still follows, nothing else happens.
  EXPECT_EQ(advice->StateColor, kIdleColor);
  EXPECT_EQ(advice->CorrStep, 0);
  EXPECT_EQ(advice->ResetCorr, 0);
  EXPECT_EQ(advice->ApplyToTable, 0);
}

// The full correcting and training cycle: sensor "0-1V Signal", target 26,
// B value 1 (a decision every tick, one sample), T value 10 (period 1, ten
// samples), a window 5 wide.
TEST(CorrectionDecision, SixTickCycle) {
  DecisionRig rig;
  rig.AddCycling(100, 6, 26, 120);
  const struct {
    std::int32_t Average;
    std::size_t Samples;  // N of the tick
    std::int32_t CorrStep;
    TColorRgb Color;
    std::int32_t TrainCountAfter;
    std::int32_t PrevO2After;
    bool Apply;
  } ticks[] = {
      {30, 1, -1, kCorrectingColor, 0, 30, false}, {28, 1, -1, kCorrectingColor, 0, 28, false},
      {20, 1, +1, kCorrectingColor, 0, 20, false}, {27, 1, -1, kCorrectingColor, 1, 27, false},
      {24, 10, +1, kTrainingColor, 1, 24, false},  {29, 10, 0, kReadyColor, 0, kNoPrevO2, true},
  };
  int tick = 0;
  for (const auto& t : ticks) {
    ++tick;
    EXPECT_EQ(rig.Decision.AveragingCount(), static_cast<std::int32_t>(t.Samples)) << tick;
    rig.AddCycling(100, 6, t.Average, t.Samples);
    const auto decided = rig.Tick();
    ASSERT_TRUE(decided.has_value()) << tick;
    const TMsgCorrAdvice& advice = *decided;
    EXPECT_EQ(advice.MafBeg, 100) << tick;
    EXPECT_EQ(advice.MafEnd, 105) << tick;
    EXPECT_EQ(advice.CorrStep, t.CorrStep) << tick;
    EXPECT_EQ(advice.StateColor, t.Color) << tick;
    EXPECT_EQ(advice.ApplyToTable != 0, t.Apply) << tick;
    EXPECT_EQ(advice.ResetCorr, 0) << tick;
    EXPECT_EQ(rig.Decision.TrainCount(), t.TrainCountAfter) << tick;
    EXPECT_EQ(rig.Decision.PrevO2(), t.PrevO2After) << tick;
  }
}

TEST(CorrectionDecision, StatesThatStopTheDecision) {
  const struct {
    const char* Name;
    EngineState Last;
    std::int32_t Delta;
    int TrainedPoint;  // -1: none
    TColorRgb Color;
    bool ForgetsPrevO2;
  } cases[] = {
      {"forced idle at 1200 rpm and 2 %", {100, 2, 1200, 30}, 10, -1, kForcedIdleColor, false},
      {"width 11 over Delta 10", {111, 30, 3000, 30}, 10, -1, kPulsationsColor, true},
      {"trained point in the window", {104, 30, 3000, 30}, 10, 102, kTrainedWindowColor, false},
  };
  for (const auto& c : cases) {
    DecisionRig rig;
    rig.Decision.Settings().PulsLimit = c.Delta;
    if (c.TrainedPoint >= 0) {
      rig.MainTable.Trained()[static_cast<std::size_t>(c.TrainedPoint)] = 1;
    }
    rig.Add(EngineState{}, 121);
    Decide(rig, 30);  // a first decision: PrevO2 30
    Decide(rig, 20);  // ... and a crossing down
    rig.Add(EngineState{}, 1);
    Decide(rig, 27);  // crossed upwards: TrainCount 1
    ASSERT_EQ(rig.Decision.TrainCount(), 1) << c.Name;
    rig.Add(c.Last, 10);
    const auto advice = rig.Tick();
    ASSERT_TRUE(advice.has_value()) << c.Name;
    EXPECT_EQ(advice->StateColor, c.Color) << c.Name;
    EXPECT_EQ(advice->ResetCorr, 1) << c.Name;
    EXPECT_EQ(advice->CorrStep, 0) << c.Name;
    EXPECT_EQ(rig.Decision.TrainCount(), 0) << c.Name;
    EXPECT_EQ(rig.Decision.PrevO2(), c.ForgetsPrevO2 ? kNoPrevO2 : 27) << c.Name;
  }
}

TEST(CorrectionDecision, JustOutsideTheStoppingStatesItCorrects) {
  const struct {
    const char* Name;
    EngineState Last;
  } cases[] = {
      {"1199 rpm", {100, 2, 1199, 30}},
      {"3 % throttle", {100, 3, 1200, 30}},
      {"width 10", {110, 30, 3000, 30}},
  };
  for (const auto& c : cases) {
    DecisionRig rig;
    rig.MainTable.Trained()[99] = 1;  // just below the window
    rig.Add(EngineState{}, 120);
    rig.Add(c.Last, 1);
    const auto advice = rig.Tick();
    ASSERT_TRUE(advice.has_value()) << c.Name;
    EXPECT_EQ(advice->StateColor, kCorrectingColor) << c.Name;
    EXPECT_EQ(advice->CorrStep, -1) << c.Name;
  }
}

TEST(CorrectionDecision, DirectionFollowsSensorTypeAndToyotaMode) {
  const struct {
    std::int32_t SensorType;
    bool Toyota;
    std::int32_t StepAbove;
  } cases[] = {{0, false, -1}, {0, true, +1}, {1, false, +1}, {2, false, +1}, {4, true, -1}};
  for (const auto& c : cases) {
    DecisionRig rig;
    rig.Decision.Settings().SensorType = c.SensorType;
    rig.Decision.Settings().ToyotaMode = c.Toyota;
    rig.Add(EngineState{}, 120);
    EXPECT_EQ(Decide(rig, 30).CorrStep, c.StepAbove) << c.SensorType << c.Toyota;
    EXPECT_EQ(Decide(rig, 20).CorrStep, -c.StepAbove) << c.SensorType << c.Toyota;
  }
}

TEST(CorrectionDecision, FullThrottleAppliesAtTheFirstCrossingAndDecidesEveryTick) {
  DecisionRig rig;
  rig.Decision.Settings().SetAveraging(40, 40);  // periods 4, N 40
  EngineState full;
  full.TpsPercent = 96;
  full.O2 = 20;
  rig.Add(full, 121);
  const auto below = rig.Tick();
  ASSERT_TRUE(below.has_value());
  EXPECT_EQ(below->CorrStep, +1);
  EXPECT_EQ(rig.Decision.TickPeriod(), 1U);
  full.O2 = 30;
  rig.Add(full, 40);
  const auto crossed = rig.Tick();
  ASSERT_TRUE(crossed.has_value());
  EXPECT_EQ(crossed->ApplyToTable, 1);
  EXPECT_EQ(crossed->StateColor, kReadyColor);

  // At 95 % the same crossing only counts.
  DecisionRig part;
  part.Decision.Settings().SetAveraging(1, 10);
  EngineState ninetyFive;
  ninetyFive.TpsPercent = 95;
  ninetyFive.O2 = 20;
  part.Add(ninetyFive, 121);
  ASSERT_TRUE(part.Tick().has_value());
  ninetyFive.O2 = 30;
  part.Add(ninetyFive, 1);
  EXPECT_EQ(part.Tick()->ApplyToTable, 0);
  EXPECT_EQ(part.Decision.TrainCount(), 1);
}

TEST(CorrectionDecision, TickPeriodSpacesTheDecisions) {
  DecisionRig rig;
  rig.Decision.Settings().SetAveraging(20, 40);  // StepB 2
  rig.Add(EngineState{.O2 = 30}, 121);
  std::vector<std::int32_t> steps;
  for (int i = 0; i < 6; ++i) {
    rig.Add(EngineState{.O2 = 30}, 1);
    steps.push_back(rig.Tick()->CorrStep);
  }
  EXPECT_EQ(steps, (std::vector<std::int32_t>{0, -1, 0, -1, 0, -1}));
}

TEST(CorrectionDecision, ZeroAveragingCountsAsOneSample) {
  DecisionRig rig;
  rig.Decision.Settings().SetAveraging(0, 0);  // the log's settings before the first start
  rig.Add(EngineState{.O2 = 40}, 121);
  const auto advice = rig.Tick();
  ASSERT_TRUE(advice.has_value());
  EXPECT_EQ(advice->CorrStep, -1);
  EXPECT_EQ(rig.Decision.PrevO2(), 40);
}

TEST(ClassifyO2, FourRulesInOrderAndTheUndecidedCases) {
  const struct {
    std::int32_t P, R, A;
    O2Class Expected;
  } cases[] = {
      {1024, 26, 30, O2Class::Above},
      {30, 26, 20, O2Class::Below},
      {20, 26, 25, O2Class::Below},
      {20, 26, 26, O2Class::CrossedUpwards},
      {26, 26, 30, O2Class::CrossedUpwards},
      {26, 26, 26, O2Class::CrossedUpwards},
      // Undecided by the rules: judged by the current average alone.
      {30, 26, 26, O2Class::Hold},   // reached the target from above
      {26, 26, 20, O2Class::Below},  // from the target to below it
      {0, 26, 30, O2Class::Above},   // a previous 0 is no crossing
      {0, 26, 26, O2Class::Hold},
      {0, 0, 0, O2Class::Hold},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyO2(c.P, c.R, c.A), c.Expected) << c.P << ' ' << c.R << ' ' << c.A;
  }
}

}  // namespace
}  // namespace orvel
