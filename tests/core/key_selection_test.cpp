#include <gtest/gtest.h>

#include "core/key_selection.h"

namespace orvel {
namespace {

struct Shown {
  std::int32_t Dash, Table, Log;
};

Shown LabelsOf(const KeySelection& s) {
  return {s.SelectedLabel(SelectionPage::Dashboard), s.SelectedLabel(SelectionPage::Table),
          s.SelectedLabel(SelectionPage::Log)};
}

TEST(KeySelectionTest, StartsWithF1EverywhereAndOnlyTheDashboardF3LabelHidden) {
  KeySelection s;
  EXPECT_EQ(s.DashParam(), 1);
  EXPECT_EQ(s.TableParam(), 1);
  EXPECT_EQ(s.LogParam(), 1);
  EXPECT_TRUE(s.LabelSelected(SelectionPage::Dashboard, 1));
  EXPECT_FALSE(KeySelection::LabelVisible(SelectionPage::Dashboard, 3));
  EXPECT_TRUE(KeySelection::LabelVisible(SelectionPage::Table, 3));
  EXPECT_FALSE(KeySelection::LabelVisible(SelectionPage::Dashboard, 6));
  EXPECT_FALSE(KeySelection::LabelVisible(SelectionPage::Log, 3));
}

TEST(KeySelectionTest, FunctionKeysSelectPerPageAndLeaveTheOtherPagesAlone) {
  KeySelection s;
  int restyles = 0;
  const Subscription counting = s.LabelsChanged.Subscribe([&] { ++restyles; });
  s.SelectDash(11);
  s.SelectTable(5);
  s.SelectLog(2);
  EXPECT_EQ(s.DashParam(), 11);
  EXPECT_EQ(s.TableParam(), 5);
  EXPECT_EQ(s.LogParam(), 2);
  EXPECT_EQ(LabelsOf(s).Dash, 11);
  EXPECT_EQ(LabelsOf(s).Table, 5);
  EXPECT_EQ(LabelsOf(s).Log, 2);
  EXPECT_EQ(restyles, 3);

  // F3 on the dashboard selects a parameter whose label is hidden.
  s.SelectDash(3);
  EXPECT_EQ(s.DashParam(), 3);
  EXPECT_TRUE(s.LabelSelected(SelectionPage::Dashboard, 3));
  // Keys without a parameter of the page change nothing.
  s.SelectDash(7);
  s.SelectLog(3);
  EXPECT_EQ(s.DashParam(), 3);
  EXPECT_EQ(s.LogParam(), 2);
}

TEST(KeySelectionTest, TableF8ToF12SelectNoSliderAndKeepTheLabels) {
  KeySelection s;
  s.SelectTable(4);
  for (const std::int32_t key : {8, 10, 12}) {
    s.SelectTable(key);
    EXPECT_EQ(s.TableParam(), key);
    EXPECT_TRUE(s.LabelSelected(SelectionPage::Table, 4)) << key;
  }
  // The arrows then show F1 while the parameter stays.
  s.ShowTableF1();
  EXPECT_EQ(s.TableParam(), 12);
  EXPECT_TRUE(s.LabelSelected(SelectionPage::Table, 1));
}

TEST(KeySelectionTest, EscapeCorrectionAndDeltaRules) {
  struct Case {
    std::int32_t Selected;
    std::int32_t AfterEscape;
    std::int32_t AfterCorrectionChange;
    bool DeltaSelects;
  };
  for (const Case c : {Case{1, 1, 1, true}, Case{2, 2, 1, true}, Case{10, 1, 1, false}, Case{11, 1, 1, true},
                       Case{12, 1, 1, true}, Case{5, 5, 1, true}}) {
    KeySelection escape;
    escape.SelectDash(c.Selected);
    escape.Escape();
    EXPECT_EQ(escape.DashParam(), c.AfterEscape) << c.Selected;
    EXPECT_TRUE(escape.LabelSelected(SelectionPage::Dashboard, c.AfterEscape));

    KeySelection correction;
    correction.SelectDash(c.Selected);
    correction.CorrectionChanged();
    EXPECT_EQ(correction.DashParam(), c.AfterCorrectionChange) << c.Selected;

    KeySelection delta;
    delta.SelectDash(c.Selected);
    EXPECT_EQ(delta.DeltaTouched(), c.DeltaSelects) << c.Selected;
    EXPECT_EQ(delta.DashParam(), 10);
  }
}

TEST(KeySelectionTest, AChangeOfTheCorrectionWithF1SelectedRestylesNothing) {
  KeySelection s;
  int restyles = 0;
  const Subscription counting = s.LabelsChanged.Subscribe([&] { ++restyles; });
  s.CorrectionChanged();
  s.SelectDash(10);
  s.DeltaTouched();
  EXPECT_EQ(restyles, 1);
}

}  // namespace
}  // namespace orvel
