// The key table on real models, without widgets.

#include <gtest/gtest.h>

#include <string>

#include "keys_rig.h"
#include "table/parameters.h"

namespace orvel::ui {
namespace {

using test::KeysRig;
using namespace std::chrono_literals;

struct ConsumeCase {
  int Page;
  KeyCode Key;
  bool Shift;
  bool Ctrl;
  bool Running;
  bool Consumed;
};

TEST(KeyTableTest, WhichKeysAreConsumedAndWhichPassOn) {
  const ConsumeCase cases[] = {
      {kTablePagePosition, KeyCode::Digit1, false, false, false, true},
      {kConnectionPagePosition, KeyCode::Digit5, false, false, false, true},
      {kSetupPagePosition, KeyCode::Digit8, false, false, false, true},
      {kLogPagePosition, KeyCode::Q, false, false, false, false},
      {kDashboardPagePosition, KeyCode::E, false, false, false, false},
      {kDashboardPagePosition, KeyCode::I, false, false, false, false},
      {kDashboardPagePosition, KeyCode::E, false, false, true, true},
      {kTablePagePosition, KeyCode::T, false, false, false, false},
      {kLogPagePosition, KeyCode::L, false, false, false, false},
      {kTablePagePosition, KeyCode::L, false, false, false, false},
      {kTablePagePosition, KeyCode::Escape, false, false, false, false},
      {kConnectionPagePosition, KeyCode::Left, false, false, false, true},
      {kSetupPagePosition, KeyCode::Down, false, false, false, true},
      {kSetupPagePosition, KeyCode::Enter, false, false, false, false},
      {kLogPagePosition, KeyCode::Z, false, false, false, true},
      {kLogPagePosition, KeyCode::Space, false, false, false, true},
      {kTablePagePosition, KeyCode::F1, false, false, false, false},
      {kTablePagePosition, KeyCode::F12, false, false, false, false},
      {kLogPagePosition, KeyCode::F2, false, false, false, false},
      {kLogPagePosition, KeyCode::F5, false, false, false, false},
      {kDashboardPagePosition, KeyCode::F3, false, false, false, true},
      {kDashboardPagePosition, KeyCode::F12, true, true, false, true},
  };
  for (const ConsumeCase& c : cases) {
    KeysRig rig;
    rig.On(c.Page);
    if (c.Running) {
      rig.LiveLog.BeginRecording();
    }
    EXPECT_EQ(rig.Down(c.Key, c.Shift, c.Ctrl), c.Consumed)
        << "page " << c.Page << " key " << static_cast<int>(c.Key);
    // The function key rule takes the focus to the page control on the dashboard only.
    if (FunctionKeyNumber(c.Key) != 0) {
      EXPECT_EQ(rig.Window.FocusesToPageControl, c.Page == kDashboardPagePosition ? 1 : 0);
    }
  }
}

TEST(KeyTableTest, DigitsShowPagesAndEightMakesTheOneToOneTable) {
  KeysRig rig;
  const std::pair<KeyCode, int> pages[] = {{KeyCode::Digit2, kTablePagePosition},
                                           {KeyCode::Digit3, kLogPagePosition},
                                           {KeyCode::Digit4, kDashboardPagePosition},
                                           {KeyCode::Digit5, kSetupPagePosition},
                                           {KeyCode::Digit1, kConnectionPagePosition}};
  for (const auto& [key, page] : pages) {
    rig.Down(key);
    EXPECT_EQ(rig.Window.Page, page);
  }
  rig.Down(KeyCode::Digit8);
  EXPECT_EQ(rig.Window.OneToOnes, 1);
}

TEST(KeyTableTest, STwiceStartsOnTheDashboardThenStopsOnTheLogPage) {
  KeysRig rig;
  EXPECT_TRUE(rig.Down(KeyCode::S));
  EXPECT_EQ(rig.Window.Starts, 1);
  EXPECT_EQ(rig.Window.Page, kDashboardPagePosition);
  EXPECT_TRUE(rig.Down(KeyCode::S));
  EXPECT_EQ(rig.Window.Stops, 1);
  EXPECT_EQ(rig.Window.Page, kLogPagePosition);
  EXPECT_TRUE(rig.Down(KeyCode::S, false, true));
  EXPECT_EQ(rig.Window.SaveAlls, 1);
  EXPECT_EQ(rig.Window.Starts, 1);
}

TEST(KeyTableTest, DashboardLeftMovesTheTableWindowAndTheSlidersFollowOnRelease) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.Correction.SetMafBeg(1);
  rig.Correction.SetMafEnd(5);
  rig.Down(KeyCode::Left);
  EXPECT_EQ(rig.MainTable.Dash().MafBeg, 0);
  EXPECT_EQ(rig.MainTable.Dash().MafEnd, 5);
  EXPECT_EQ(rig.Correction.MafBeg(), 1) << "the sliders wait for the release";
  rig.Down(KeyCode::Left);
  EXPECT_EQ(rig.MainTable.Dash().MafBeg, 0);
  EXPECT_EQ(rig.MainTable.Dash().MafEnd, 5);
  rig.Up(KeyCode::Left);
  EXPECT_EQ(rig.Correction.MafBeg(), 0);
  EXPECT_EQ(rig.Correction.MafEnd(), 5);

  // Without Shift, Left from 3 pulls the end down; Right moves both.
  rig.Correction.SetMafBeg(3);
  rig.Press(KeyCode::Left);
  EXPECT_EQ(rig.Correction.MafBeg(), 2);
  EXPECT_EQ(rig.Correction.MafEnd(), 2);
  rig.Press(KeyCode::Right);
  EXPECT_EQ(rig.Correction.MafBeg(), 3);
  EXPECT_EQ(rig.Correction.MafEnd(), 3);
  // With Shift, Right widens the window up to 255 and no further.
  rig.Correction.SetMafEnd(254);
  rig.Down(KeyCode::Right, true);
  rig.Down(KeyCode::Right, true);
  rig.Up(KeyCode::Right, true);
  EXPECT_EQ(rig.Correction.MafBeg(), 3);
  EXPECT_EQ(rig.Correction.MafEnd(), 255);
}

TEST(KeyTableTest, DashboardLeftIsIgnoredWhileTheCorrectionOrDeltaFieldHasTheFocus) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.Correction.SetMafBeg(20);
  rig.Window.DeltaFocused = true;
  EXPECT_TRUE(rig.Down(KeyCode::Left));
  EXPECT_EQ(rig.MainTable.Dash().MafBeg, 20);
  rig.Down(KeyCode::Right);
  EXPECT_EQ(rig.MainTable.Dash().MafBeg, 21);
}

TEST(KeyTableTest, CtrlArrowsJumpToTheNextTrainedPointAndTheReleaseKeepsIt) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.MainTable.Trained()[40] = rig.MainTable.GetOut(40);
  rig.MainTable.Trained()[90] = rig.MainTable.GetOut(90);
  rig.Correction.SetMafBeg(50);
  rig.Press(KeyCode::Right, false, true);
  EXPECT_EQ(rig.Correction.MafBeg(), 90);
  EXPECT_EQ(rig.Correction.MafEnd(), 90);
  rig.Press(KeyCode::Left, false, true);
  EXPECT_EQ(rig.Correction.MafBeg(), 40);
  rig.Press(KeyCode::Left, false, true);
  EXPECT_EQ(rig.Correction.MafBeg(), 0) << "none below: the table's first point";
  rig.Press(KeyCode::Right, false, true);
  rig.Press(KeyCode::Right, false, true);
  rig.Press(KeyCode::Right, false, true);
  EXPECT_EQ(rig.Correction.MafBeg(), 255) << "none above: the last point";
}

TEST(KeyTableTest, F11ThenUpStepsTheCorrectionSelectsF1AndLeftMovesTheCursorAgain) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.Correction.SetMafBeg(30);
  rig.Correction.SetMafEnd(40);
  rig.Down(KeyCode::F11);
  rig.Press(KeyCode::Left);
  EXPECT_EQ(rig.Correction.MafBeg(), 29) << "F11: Left moves the beginning slider";
  EXPECT_EQ(rig.Correction.MafEnd(), 40);

  rig.Press(KeyCode::Up);
  EXPECT_EQ(rig.Correction.Correction(), 1);
  EXPECT_EQ(rig.Selection.DashParam(), 1);
  EXPECT_TRUE(rig.Selection.LabelSelected(SelectionPage::Dashboard, 1));

  rig.Down(KeyCode::Left);
  EXPECT_EQ(rig.Correction.MafBeg(), 29) << "the slider waits for the release";
  EXPECT_EQ(rig.MainTable.Dash().MafBeg, 28);
  EXPECT_EQ(rig.MainTable.Dash().MafEnd, 28);
}

TEST(KeyTableTest, F3SelectsNothingToChange) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.Down(KeyCode::F3);
  const TableBlock before = rig.MainTable.Tab1();
  const int shown = rig.View.Shown;
  const std::uint32_t snapshots = rig.MainTable.History().HistoryCount();
  rig.Press(KeyCode::Up);
  rig.Press(KeyCode::Down);
  EXPECT_EQ(rig.Selection.DashParam(), 3);
  EXPECT_EQ(rig.MainTable.Tab1(), before);
  EXPECT_EQ(rig.View.Shown, shown);
  EXPECT_EQ(rig.Correction.Correction(), 0);
  EXPECT_EQ(rig.Reference.RefO2().Position, 24);
  EXPECT_EQ(rig.MainTable.History().HistoryCount(), snapshots);
}

TEST(KeyTableTest, DashboardParametersStepAndStopAtTheirEndsWithoutChangeHandling) {
  struct Case {
    KeyCode Select;
    KeyCode Arrow;
    std::function<void(KeysRig&)> ToEnd;  // the value next to the end
    std::function<int(KeysRig&)> Value;
    int Expected;
  };
  const Case cases[] = {
      {KeyCode::F2, KeyCode::Up, [](KeysRig& r) { r.Reference.SetRefO2Position(1); },
       [](KeysRig& r) { return r.Reference.RefO2().Position; }, 0},
      {KeyCode::F2, KeyCode::Down, [](KeysRig& r) { r.Reference.SetRefO2Position(49); },
       [](KeysRig& r) { return r.Reference.RefO2().Position; }, 50},
      {KeyCode::F4, KeyCode::Up, [](KeysRig& r) { r.Correction.SetAvgB(999); },
       [](KeysRig& r) { return r.Correction.AvgB(); }, 1000},
      {KeyCode::F4, KeyCode::Down, [](KeysRig& r) { r.Correction.SetAvgB(2); },
       [](KeysRig& r) { return r.Correction.AvgB(); }, 1},
      {KeyCode::F5, KeyCode::Down, [](KeysRig& r) { r.Correction.SetAvgT(11); },
       [](KeysRig& r) { return r.Correction.AvgT(); }, 10},
      {KeyCode::F10, KeyCode::Up, [](KeysRig& r) { r.Correction.SetPulsLimit(254); },
       [](KeysRig& r) { return r.Correction.PulsLimit(); }, 255},
      {KeyCode::F10, KeyCode::Down, [](KeysRig& r) { r.Correction.SetPulsLimit(1); },
       [](KeysRig& r) { return r.Correction.PulsLimit(); }, 0},
      {KeyCode::F12, KeyCode::Down, [](KeysRig& r) { r.Correction.SetCorrection(-254); },
       [](KeysRig& r) { return r.Correction.Correction(); }, -255},
  };
  for (const Case& c : cases) {
    KeysRig rig;
    rig.On(kDashboardPagePosition);
    int referenceChanges = 0;
    const Subscription counting = rig.Reference.RefO2Changed.Subscribe([&] { ++referenceChanges; });
    c.ToEnd(rig);
    rig.Down(c.Select);
    rig.Down(c.Arrow);
    EXPECT_EQ(c.Value(rig), c.Expected) << static_cast<int>(c.Select);
    const int shown = rig.View.Shown;
    const int references = referenceChanges;
    rig.Down(c.Arrow);
    EXPECT_EQ(c.Value(rig), c.Expected) << static_cast<int>(c.Select);
    EXPECT_EQ(rig.View.Shown, shown) << "no change handling at the end " << static_cast<int>(c.Select);
    EXPECT_EQ(referenceChanges, references);
  }
}

TEST(KeyTableTest, UpWithF1CorrectsTheWindowWhileStoppedAndTheReleaseSendsAndRecords) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.Correction.SetMafBeg(100);
  rig.Correction.SetMafEnd(102);
  const std::uint32_t snapshots = rig.MainTable.History().HistoryCount();
  rig.Down(KeyCode::Up);
  rig.Down(KeyCode::Up);
  for (int i = 100; i <= 102; ++i) {
    EXPECT_EQ(rig.MainTable.GetOut(i), i + 12) << i;
    EXPECT_NE(rig.MainTable.Trained()[static_cast<std::size_t>(i)], 0) << i;
  }
  EXPECT_EQ(rig.MainTable.GetOut(103), 113);
  EXPECT_EQ(rig.MainTable.History().HistoryCount(), snapshots);
  rig.Up(KeyCode::Up);
  EXPECT_EQ(rig.MainTable.History().HistoryCount(), snapshots + 1);
  EXPECT_TRUE(rig.ConverterHoldsTab1());
}

TEST(KeyTableTest, UpWithF1WhileRecordingStepsTheCorrectionAndSendsNothingOnRelease) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.LiveLog.BeginRecording();
  const TableBlock before = rig.MainTable.Tab1();
  const std::uint32_t snapshots = rig.MainTable.History().HistoryCount();
  rig.Press(KeyCode::Up);
  rig.Press(KeyCode::Down);
  rig.Press(KeyCode::Down);
  EXPECT_EQ(rig.Correction.Correction(), -1);
  EXPECT_EQ(rig.LiveLog.GetCorrValue(), -1);
  EXPECT_EQ(rig.MainTable.Tab1(), before);
  EXPECT_EQ(rig.MainTable.History().HistoryCount(), snapshots);
}

TEST(KeyTableTest, TableSlidersFollowTheirKeysAndF8LeavesOnlyUpAndDownOnMafSmoothing) {
  KeysRig rig;
  rig.On(kTablePagePosition);
  const auto field = [&](PanelField f) { return rig.Panel.FieldText(f); };
  ASSERT_EQ(field(PanelField::SmoothMaf), "100");
  ASSERT_EQ(field(PanelField::MafTime), "4");

  rig.Down(KeyCode::F4);
  EXPECT_TRUE(rig.Selection.LabelSelected(SelectionPage::Table, 4));
  rig.Down(KeyCode::Left);
  EXPECT_EQ(field(PanelField::MafTime), "4") << "at its minimum";
  rig.Down(KeyCode::Right);
  rig.Down(KeyCode::Up);
  EXPECT_EQ(field(PanelField::MafTime), "6");

  rig.Down(KeyCode::F8);
  EXPECT_EQ(rig.Selection.TableParam(), 8);
  EXPECT_TRUE(rig.Selection.LabelSelected(SelectionPage::Table, 4)) << "the labels stay";
  const TextPanel before = rig.Panel;
  rig.Down(KeyCode::Left);
  rig.Down(KeyCode::Right);
  EXPECT_EQ(rig.Panel.Texts, before.Texts);
  rig.Down(KeyCode::Down);
  EXPECT_EQ(field(PanelField::SmoothMaf), "99");
  EXPECT_TRUE(rig.Selection.LabelSelected(SelectionPage::Table, 1));
  EXPECT_EQ(rig.Selection.TableParam(), 8);
  rig.Down(KeyCode::Up);
  rig.Down(KeyCode::Up);
  EXPECT_EQ(field(PanelField::SmoothMaf), "100") << "at its maximum";
}

TEST(KeyTableTest, LogPageArrowsMoveTheSliderTheModifiersChoose) {
  struct Case {
    bool Shift;
    bool Ctrl;
    int LogParam;
    bool Locked;
    int RefPosition;
    int TargetPosition;
    int LimitPosition;
  };
  // Up lowers the position of the chosen slider by one.
  const Case cases[] = {
      {false, false, 1, true, 24, 254, 255}, {false, true, 1, true, 23, 255, 255},
      {true, false, 1, false, 24, 255, 254}, {true, false, 1, true, 24, 255, 255},
      {true, true, 1, false, 24, 254, 255},  {false, false, 2, false, 24, 255, 254},
      {false, true, 2, true, 24, 255, 255},
  };
  for (const Case& c : cases) {
    KeysRig rig;
    rig.On(kLogPagePosition);
    rig.Reference.ComboBoxO2Change(1);  // an air-fuel sensor: the target may stand anywhere
    rig.Reference.SetRefO2Position(24);
    rig.Reference.SetLogO2TargetPosition(255);
    rig.Learning.SetMafLimitLocked(c.Locked);
    rig.Down(c.LogParam == 2 ? KeyCode::F2 : KeyCode::F1);
    rig.Down(KeyCode::Up, c.Shift, c.Ctrl);
    const std::string name = "shift " + std::to_string(c.Shift) + " ctrl " + std::to_string(c.Ctrl) + " F" +
                             std::to_string(c.LogParam) + " locked " + std::to_string(c.Locked);
    EXPECT_EQ(rig.Reference.RefO2().Position, c.RefPosition) << name;
    EXPECT_EQ(rig.Reference.LogO2Target().Position, c.TargetPosition) << name;
    EXPECT_EQ(rig.Learning.MafLimitPosition(), c.LimitPosition) << name;
  }
}

TEST(KeyTableTest, UndoRedoAndTheCtrlZReleaseSendsTheTableEvenWithNothingToUndo) {
  KeysRig rig;
  rig.On(kLogPagePosition);
  rig.MainTable.SetOutPoint(50, 200);
  ASSERT_EQ(rig.MainTable.GetOut(50), 200);
  rig.Down(KeyCode::Z, false, true);
  EXPECT_EQ(rig.MainTable.GetOut(50), 60);
  rig.Down(KeyCode::Z, true, true);
  EXPECT_EQ(rig.MainTable.GetOut(50), 200);
  rig.Down(KeyCode::Z);
  EXPECT_EQ(rig.MainTable.GetOut(50), 200) << "plain Z does nothing";

  // Nothing left to redo; the table differs from the converter's.
  rig.MainTable.Tab1()[7] = 77;
  rig.Down(KeyCode::Z, true, true);
  rig.Up(KeyCode::Z, false, false);
  EXPECT_FALSE(rig.ConverterHoldsTab1(300ms)) << "a release without Ctrl sends nothing";
  rig.Up(KeyCode::Z, false, true);
  EXPECT_TRUE(rig.ConverterHoldsTab1());
}

TEST(KeyTableTest, SpaceHoldsTheMarkerEscapeLeavesBordersAndDeleteUnmarks) {
  KeysRig rig;
  rig.On(kSetupPagePosition);
  rig.Down(KeyCode::Space);
  EXPECT_TRUE(rig.LiveLog.IsMarkerHeld());
  rig.Up(KeyCode::Space);
  EXPECT_FALSE(rig.LiveLog.IsMarkerHeld());

  rig.On(kDashboardPagePosition);
  rig.Down(KeyCode::F12);
  rig.On(kTablePagePosition);
  EXPECT_FALSE(rig.Down(KeyCode::Escape));
  EXPECT_EQ(rig.Selection.DashParam(), 1);
  EXPECT_EQ(rig.Window.FocusesToPageControl, 2);

  rig.Correction.SetMafBeg(120);
  rig.MainTable.MarkLearned(120);
  ASSERT_NE(rig.MainTable.Trained()[120], 0);
  const std::uint32_t snapshots = rig.MainTable.History().HistoryCount();
  rig.Down(KeyCode::Delete);
  EXPECT_EQ(rig.MainTable.Trained()[120], 0);
  EXPECT_EQ(rig.MainTable.History().HistoryCount(), snapshots + 1);
  EXPECT_TRUE(rig.ConverterHoldsTab1());
}

TEST(KeyTableTest, TemperatureKeysWhileRecordingPutTheCorrectionIntoTheirTable) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.LiveLog.BeginRecording();
  rig.MainTable.SetDashboardSample(100, 100, 40, 80, 0, 0);
  rig.Correction.SetCorrection(3);
  EXPECT_TRUE(rig.Down(KeyCode::E));
  EXPECT_EQ(rig.MainTable.Tab1()[TableBlock::kEctCorr + 20], 3);
  EXPECT_EQ(rig.Correction.Correction(), 0);
  rig.Correction.SetCorrection(-2);
  rig.Down(KeyCode::I);
  EXPECT_EQ(rig.MainTable.Tab1()[TableBlock::kIatCorr + 10], -2);
  EXPECT_EQ(rig.LiveLog.GetCorrValue(), 0);
}

TEST(KeyTableTest, DashboardButtonKeysToggleTheirModelState) {
  KeysRig rig;
  rig.On(kDashboardPagePosition);
  rig.Down(KeyCode::A);
  EXPECT_TRUE(rig.Correction.Autocorrection());
  rig.Down(KeyCode::F6);
  rig.Down(KeyCode::F9);
  EXPECT_TRUE(rig.Correction.Extrapolate());
  EXPECT_TRUE(rig.MainTable.InterpolateEnds());
  EXPECT_TRUE(rig.MainTable.ToyotaMode());
  rig.Down(KeyCode::F8);
  EXPECT_TRUE(rig.Correction.ManualBorders());
  EXPECT_FALSE(rig.Correction.Autocorrection()) << "manual borders end autocorrection";
  EXPECT_EQ(rig.Selection.DashParam(), 1) << "F6…F9 are commands, not parameters";

  rig.Correction.SetMafBeg(60);
  rig.Down(KeyCode::F7);
  EXPECT_EQ(rig.Correction.LearnedBegin(), 60);
  rig.On(kTablePagePosition);
  rig.Down(KeyCode::F7);
  EXPECT_EQ(rig.Selection.TableParam(), 7);
  EXPECT_TRUE(rig.Correction.ManualBorders()) << "F8 on the table page selects, it does not toggle";
}

TEST(KeyTableTest, EnterOnEachPage) {
  KeysRig rig;
  rig.Window.CanReconnect = false;
  rig.Down(KeyCode::Enter);
  EXPECT_EQ(rig.Window.Reconnects, 0);
  rig.Window.CanReconnect = true;
  EXPECT_TRUE(rig.Down(KeyCode::Enter));
  EXPECT_EQ(rig.Window.Reconnects, 1);

  rig.On(kTablePagePosition);
  rig.MainTable.Tab1()[3] = 99;
  rig.Down(KeyCode::Enter);
  EXPECT_TRUE(rig.ConverterHoldsTab1());

  // Dashboard, stopped: the correction goes into the window.
  rig.On(kDashboardPagePosition);
  rig.Correction.SetMafBeg(10);
  rig.Correction.SetMafEnd(11);
  rig.Correction.SetCorrection(5);
  rig.Down(KeyCode::Enter);
  EXPECT_EQ(rig.MainTable.GetOut(10), 25);
  EXPECT_EQ(rig.Correction.Correction(), 0);

  // Log page: the learning pass (nothing to learn from an empty log) and the send.
  rig.On(kLogPagePosition);
  rig.MainTable.Tab1()[4] = 44;
  EXPECT_TRUE(rig.Down(KeyCode::Enter));
  EXPECT_TRUE(rig.ConverterHoldsTab1());
  rig.MainTable.Tab1()[5] = 55;
  EXPECT_FALSE(rig.Down(KeyCode::T));
  EXPECT_TRUE(rig.ConverterHoldsTab1());
}

}  // namespace
}  // namespace orvel::ui
