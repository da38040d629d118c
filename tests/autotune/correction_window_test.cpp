#include <gtest/gtest.h>

#include <vector>

#include "autotune/correction_window.h"
#include "autotune_rig.h"

namespace orvel {
namespace {

using test::DecisionRig;
using test::EngineState;

// The rest of the program as the window model sees it: a recording flag, the
// log's correction value, the table transfers and the converter commands.
struct FakeProgram final : CorrectionWindowHost, CorrectionWindowLink {
  [[nodiscard]] bool LiveDataRunning() const override { return Recording; }
  void SetLogCorrValue(std::int32_t value) override { LogCorr = value; }
  void SendToConverterRam() override { ++TablesSent; }
  void TellCorrectionWindow(int correction, int /*beg*/, int /*end*/, int reason) override {
    Told.push_back({correction, reason});
  }

  struct Told_ {
    int Correction;
    int Reason;
    bool operator==(const Told_&) const = default;
  };
  bool Recording = false;
  std::int32_t LogCorr = 0;
  int TablesSent = 0;
  std::vector<Told_> Told;
};

struct WindowRig : DecisionRig {
  WindowRig() {
    for (int i = 0; i < 256; ++i) {
      MainTable.Tab1()[static_cast<std::size_t>(i)] = i;
    }
    MainTable.SetLink(&Program);
  }
  FakeProgram Program;
  O2ReferenceModel Reference;
  CorrectionWindowModel Window{MainTable, nullptr, Decision.Settings(), Program, Reference};
};

TMsgCorrAdvice Advice(std::int32_t beg, std::int32_t end, std::int32_t step, bool apply = false,
                      bool reset = false, TColorRgb color = kCorrectingColor) {
  TMsgCorrAdvice advice;
  advice.MafBeg = beg;
  advice.MafEnd = end;
  advice.CorrStep = step;
  advice.ApplyToTable = apply ? 1 : 0;
  advice.ResetCorr = reset ? 1 : 0;
  advice.StateColor = color;
  return advice;
}

TEST(CorrectionWindow, BordersPullEachOtherAndTellTheConverter) {
  WindowRig rig;
  EXPECT_EQ(rig.Window.WidthText(), "255");
  rig.Window.SetMafEnd(40);
  rig.Window.SetMafBeg(60);  // above the end: the end follows
  EXPECT_EQ(rig.Window.MafEnd(), 60);
  rig.Window.SetMafEnd(50);  // below the beginning: the beginning follows
  EXPECT_EQ(rig.Window.MafBeg(), 50);
  rig.Window.SetMafEnd(300);
  EXPECT_EQ(rig.Window.MafEnd(), 255);
  EXPECT_EQ(rig.Window.WidthText(), "205");
  rig.Window.SetMafEnd(255);  // no move, nothing told
  EXPECT_EQ(rig.Program.Told.size(), 4U);
  for (const auto& told : rig.Program.Told) {
    EXPECT_EQ(told.Reason, 2);
  }
  EXPECT_EQ(rig.MainTable.Dash().MafBeg, 50);
  EXPECT_EQ(rig.MainTable.Dash().MafEnd, 255);
}

TEST(CorrectionWindow, CorrectionIsHeldAndReachesLogAndConverter) {
  WindowRig rig;
  rig.Window.SetCorrection(-300);
  EXPECT_EQ(rig.Window.Correction(), -255);
  EXPECT_EQ(rig.Program.LogCorr, -255);
  rig.Window.StepCorrection(-1);  // at the end of the range: nothing runs
  ASSERT_EQ(rig.Program.Told.size(), 1U);
  EXPECT_EQ(rig.Program.Told[0], (FakeProgram::Told_{-255, 1}));
  EXPECT_EQ(rig.MainTable.Dash().Correction, -255);
}

TEST(CorrectionWindow, AdviceMovesWindowStepsResetsAndShowsTheColour) {
  struct Colours final : CorrectionWindowView {
    void ShowCorrectionWindow(const CorrectionWindowModel& /*model*/) override {}
    void ShowStateColor(TColorRgb color, bool playCue) override {
      Shown.push_back(color);
      Cues += playCue ? 1 : 0;
    }
    std::vector<TColorRgb> Shown;
    int Cues = 0;
  } view;
  WindowRig rig;
  rig.Window.BindView(&view);
  rig.Window.OnCorrAdvice(Advice(80, 84, -1));
  EXPECT_EQ(rig.Window.MafBeg(), 80);
  EXPECT_EQ(rig.Window.MafEnd(), 84);
  rig.Window.OnCorrAdvice(Advice(70, 72, -1));
  EXPECT_EQ(rig.Window.MafBeg(), 70);
  EXPECT_EQ(rig.Window.MafEnd(), 72);
  EXPECT_EQ(rig.Window.Correction(), -2);
  rig.Window.OnCorrAdvice(Advice(70, 72, 0, false, true, kForcedIdleColor));
  EXPECT_EQ(rig.Window.Correction(), 0);
  EXPECT_EQ(view.Shown, (std::vector<TColorRgb>{kCorrectingColor, kCorrectingColor, kForcedIdleColor}));
  EXPECT_EQ(view.Cues, 3);
  rig.Window.LiveDataStopped();
  EXPECT_EQ(rig.Window.StateColor(), kIdleColor);
}

TEST(CorrectionWindow, ManualBordersKeepTheWindowUnlessAutomatic) {
  WindowRig rig;
  rig.Window.SetMafBeg(10);
  rig.Window.SetMafEnd(20);
  rig.Window.SetAutocorrection(true);
  rig.Window.SetCorrection(5);
  rig.Window.SetManualBorders(true);  // correction 0, autocorrection off
  EXPECT_EQ(rig.Window.Correction(), 0);
  EXPECT_FALSE(rig.Window.Autocorrection());
  EXPECT_FALSE(rig.Decision.Settings().Autocorrection);
  rig.Window.OnCorrAdvice(Advice(80, 84, -1));
  EXPECT_EQ(rig.Window.MafBeg(), 10);
  EXPECT_EQ(rig.Window.Correction(), 0);

  // Automatic borders: the trained point found from two below MafEnd.
  rig.MainTable.Trained()[90] = 90;  // trained: output equals its trained value
  rig.Window.SetAutocorrection(true);
  rig.Window.OnCorrAdvice(Advice(80, 84, -1));
  EXPECT_EQ(rig.Window.MafBeg(), 90);
  EXPECT_EQ(rig.Window.MafEnd(), 90);
  EXPECT_EQ(rig.Window.Correction(), 0);
}

TEST(CorrectionWindow, ApplyingWhileStoppedCorrectsTheWholeWindow) {
  WindowRig rig;
  rig.Window.SetMafEnd(104);
  rig.Window.SetMafBeg(100);
  rig.Window.SetCorrection(3);
  rig.Window.ApplyCorrectionToTable();
  for (int i = 100; i <= 104; ++i) {
    EXPECT_EQ(rig.MainTable.GetOut(i), i + 3) << i;
    EXPECT_EQ(rig.MainTable.Trained()[static_cast<std::size_t>(i)], i + 3) << i;
  }
  EXPECT_EQ(rig.Window.Correction(), 0);
  EXPECT_EQ(rig.Program.LogCorr, 0);
  EXPECT_EQ(rig.Program.TablesSent, 1);
}

TEST(CorrectionWindow, ApplyingAtOrBelowTheLearnedBeginningLearnsTheBeginning) {
  WindowRig rig;
  rig.Window.SetLearnedBegin(20);
  rig.Window.SetMafEnd(30);
  rig.Window.SetMafBeg(15);
  rig.Window.SetCorrection(4);
  rig.Window.ApplyCorrectionToTable();
  for (int i = 0; i <= 20; ++i) {
    EXPECT_EQ(rig.MainTable.GetOut(i), 24) << i;  // the level of point 20, plus 4
  }
  EXPECT_EQ(rig.MainTable.GetOut(30), 30);
  EXPECT_EQ(rig.Window.Correction(), 0);
}

TEST(CorrectionWindow, TemperatureTargetDisarmsTheNextTablePress) {
  WindowRig rig;
  rig.Window.SetMafEnd(104);
  rig.Window.SetMafBeg(100);
  rig.Window.SetAutocorrection(true);
  rig.Window.SelectTarget(CorrectionTarget::Iat);  // stopped: nothing applied
  EXPECT_FALSE(rig.Window.Autocorrection());
  EXPECT_FALSE(rig.Window.AutocorrectionEnabled());
  EXPECT_FALSE(rig.Window.ApplyArmed());
  rig.Window.SetCorrection(2);
  rig.Window.ApplyCorrectionToTable();  // the target is IAT: nothing
  EXPECT_EQ(rig.MainTable.GetOut(102), 102);
  rig.Window.SelectTarget(CorrectionTarget::Table);  // only re-selects
  EXPECT_EQ(rig.MainTable.GetOut(102), 102);
  EXPECT_TRUE(rig.Window.ApplyArmed());
  EXPECT_TRUE(rig.Window.AutocorrectionEnabled());
  EXPECT_EQ(rig.Window.Correction(), 2);
  rig.Window.SelectTarget(CorrectionTarget::Table);  // now it applies
  EXPECT_EQ(rig.MainTable.GetOut(102), 104);
}

// The decision and the model together: the six-tick cycle while recording
// puts the accumulated correction on the middle point of the window, which
// then holds a trained point.
TEST(CorrectionWindow, DecisionCycleTrainsTheMiddlePoint) {
  WindowRig rig;
  rig.Program.Recording = true;
  rig.Window.SetAutocorrection(true);
  rig.Window.SetAvgB(1);
  rig.Window.SetAvgT(10);
  rig.Reference.SetRefO2Value(26);
  ASSERT_EQ(rig.Window.O2Ref(), 26);
  // A window 100..104 around the point 102.
  const auto add = [&rig](std::int32_t o2, std::size_t count) { rig.AddCycling(100, 5, o2, count); };
  add(26, 120);
  const struct {
    std::int32_t O2;
    std::size_t Samples;
  } ticks[] = {{30, 1}, {28, 1}, {20, 1}, {27, 1}, {24, 10}, {29, 10}};
  for (const auto& t : ticks) {
    add(t.O2, t.Samples);
    const auto advice = rig.Tick();
    ASSERT_TRUE(advice.has_value());
    rig.Window.OnCorrAdvice(*advice);
  }
  EXPECT_EQ(rig.MainTable.GetOut(102), 101);
  EXPECT_NE(rig.MainTable.Trained()[102], 0);
  EXPECT_EQ(rig.Window.Correction(), 0);
  EXPECT_EQ(rig.Window.StateColor(), kReadyColor);

  add(30, 1);
  const auto advice = rig.Tick();
  ASSERT_TRUE(advice.has_value());
  EXPECT_EQ(advice->StateColor, kTrainedWindowColor);
  EXPECT_EQ(advice->ResetCorr, 1);
}

TEST(CorrectionWindow, ClearButtonsAndWindowPoint) {
  WindowRig rig;
  for (std::size_t i = 0; i < 256; ++i) {
    rig.MainTable.Trained()[i] = static_cast<std::int32_t>(i);
  }
  rig.Window.SetLearnedBegin(10);
  TMsgWindowPoint point;
  point.Point = 50;
  point.ClearWindow = 0x101;  // only the low byte counts
  EXPECT_TRUE(rig.Window.Dispatch(point));
  EXPECT_FALSE(rig.Window.Dispatch(TMsgLogStop{}));
  EXPECT_EQ(rig.Window.MafBeg(), 50);
  EXPECT_EQ(rig.Window.MafEnd(), 50);
  EXPECT_EQ(rig.MainTable.Trained()[50], 0);
  EXPECT_EQ(rig.MainTable.Trained()[49], 49);

  rig.Window.SetMafBeg(5);  // inside the learned beginning: "O" starts at 10
  rig.Window.SetMafEnd(12);
  rig.Window.ClearWindowLearned();
  EXPECT_EQ(rig.MainTable.Trained()[9], 9);
  EXPECT_EQ(rig.MainTable.Trained()[10], 0);
  EXPECT_EQ(rig.MainTable.Trained()[12], 0);

  rig.Window.ClearAllLearned();
  EXPECT_EQ(rig.MainTable.Trained()[10], 0);
  EXPECT_EQ(rig.MainTable.Trained()[255], 0);
  EXPECT_EQ(rig.MainTable.Trained()[9], 9);
}

TEST(CorrectionWindow, StartingLiveDataHandsTheDecisionItsSettings) {
  WindowRig rig;
  rig.Window.SetPulsLimit(7);
  rig.Window.SetAvgB(25);
  rig.Window.SetAvgT(1000);
  rig.Reference.ComboBoxO2Change(3);
  rig.Window.SetForcedIdle(1500, 4);
  rig.Window.SetToyota(true);
  rig.Window.SetCorrection(9);
  rig.Decision.Settings() = DecisionSettings{};
  rig.Window.StartLiveData();
  const DecisionSettings& s = rig.Decision.Settings();
  EXPECT_EQ(s.PulsLimit, 7);
  EXPECT_EQ(s.AvgB, 25);
  EXPECT_EQ(s.StepB, 2);
  EXPECT_EQ(s.StepT, 100);
  EXPECT_EQ(s.SensorType, 3);
  EXPECT_EQ(s.ForcedIdleRpm, 1500);
  EXPECT_EQ(s.ForcedIdleTps, 4);
  EXPECT_TRUE(s.ToyotaMode);
  EXPECT_TRUE(rig.MainTable.ToyotaMode());
  EXPECT_EQ(rig.Window.Correction(), 0);
  EXPECT_EQ(rig.Window.OutputExtremeText(), "MinOut=255");
  EXPECT_EQ(rig.Program.TablesSent, 1);
  EXPECT_EQ(rig.Window.BTimeText(), "0.25s");
  EXPECT_EQ(rig.Window.TTimeText(), "10.00s");

  rig.Window.TakeSample(120, 90);
  rig.Window.TakeSample(110, 95);
  EXPECT_EQ(rig.Window.MaxMafText(), "MaxMaf=120");
  EXPECT_EQ(rig.Window.OutputExtremeText(), "MinOut=90");
  EXPECT_EQ(rig.Window.LastMaf(), 110);
}

TEST(CorrectionWindow, TimeLabelsUseTheUsersDecimalSeparator) {
  WindowRig rig;
  CorrectionWindowModel window{rig.MainTable, nullptr,       rig.Decision.Settings(),
                               rig.Program,   rig.Reference, NumberFormat{','}};
  window.SetAvgB(25);
  EXPECT_EQ(window.BTimeText(), "0,25s");
  EXPECT_EQ(window.TTimeText(), "0,10s");
}

TEST(CorrectionWindow, CorrPanelAndBorderSliderGestures) {
  WindowRig rig;
  rig.Window.PressCorrPanel(200);
  rig.Window.DragCorrPanel(171, true);  // 29 px up: +2
  EXPECT_EQ(rig.Window.Correction(), 2);
  rig.Window.DragCorrPanel(260, false);  // left the panel
  EXPECT_EQ(rig.Window.Correction(), 0);

  rig.Window.SetMafBeg(40);
  rig.Window.PressBorderSlider(100, true);
  rig.Window.DragBorderSlider(124);  // 24 px: 4 points
  EXPECT_EQ(rig.Window.MafBeg(), 44);
  EXPECT_EQ(rig.Window.MafEnd(), 44);
  rig.MainTable.Trained()[60] = 60;
  rig.Window.DoubleClickBorderSlider();
  EXPECT_EQ(rig.Window.MafBeg(), 60);
}

}  // namespace
}  // namespace orvel
