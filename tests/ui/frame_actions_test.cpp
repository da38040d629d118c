// The frame's actions: enabling rules around identification and live data,
// Save all with its two dialogs, the page change that releases the latches.

#include <gtest/gtest.h>

#include <QAction>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>

#include "autotune/correction_window.h"
#include "dashboard_actions.h"
#include "frame_rig.h"
#include "live/log.h"
#include "table/table.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/firmware_page.h"
#include "ui/pages/table_graph_page.h"
#include "ui/window/modifier_latches.h"

namespace orvel::ui {
namespace {

using test::DashboardAction;
using test::Find;

struct ActionStates {
  bool Read, Write, Start, Stop;
  friend bool operator==(const ActionStates&, const ActionStates&) = default;
};

// The read and write actions of the dashboard's bar and of the table graph's
// bar, which wait for an identified converter.
std::vector<QAction*> ConverterActions(TForm1& window) {
  return {&DashboardAction(window, "ActionReadCoverter"), &DashboardAction(window, "ActionWriteConverter"),
          &Find<QAction>(window.TableGraph(), "ActionReadCoverter"),
          &Find<QAction>(window.TableGraph(), "ActionWriteConverter")};
}

// Both bars' read and write actions must agree; the first bar's state is returned.
ActionStates States(TForm1& window) {
  const std::vector<QAction*> converter = ConverterActions(window);
  for (QAction* action : converter) {
    EXPECT_EQ(action->isEnabled(), converter.front()->isEnabled()) << action->text().toStdString();
  }
  const auto enabled = [&window](const char* action) { return DashboardAction(window, action).isEnabled(); };
  return {enabled("ActionReadCoverter"), enabled("ActionWriteConverter"), enabled("ActionStart"),
          enabled("ActionStop")};
}

TEST(FrameActionsTest, ConverterActionsFollowIdentificationAndLiveData) {
  test::FrameRig rig;
  rig.Start();
  TForm1& window = *rig.Window;
  EXPECT_EQ(States(window), (ActionStates{false, false, true, false}));

  rig.Connect();
  EXPECT_EQ(States(window), (ActionStates{true, true, true, false}));
  EXPECT_EQ(window.MainPageControl().currentIndex(), TForm1::kDashboardPage);

  DashboardAction(window, "ActionStart").trigger();
  EXPECT_EQ(States(window), (ActionStates{false, false, false, true}));
  // The factory test's gauges take every sample the dashboard gets.
  ASSERT_TRUE(test::ProcessEventsUntil(
      [&] { return Find<QProgressBar>(window.Firmware(), "FactoryGaugeConv").value() > 0; },
      std::chrono::seconds(5)));
  DashboardAction(window, "ActionStop").trigger();
  EXPECT_EQ(States(window), (ActionStates{true, true, true, false}));

  // The factory test's own buttons run Start and Stop whatever the actions say.
  auto& factoryStart = Find<QPushButton>(window.Firmware(), "ButtonFactoryStart");
  factoryStart.click();
  EXPECT_TRUE(DashboardAction(window, "ActionStop").isEnabled());
  factoryStart.click();
  EXPECT_TRUE(rig.Messages.Texts.empty());
  Find<QPushButton>(window.Firmware(), "ButtonFactoryStop").click();
  EXPECT_TRUE(DashboardAction(window, "ActionStart").isEnabled());
}

// Stop and then Start at once: the old reader sits in a read that only its
// stop ends (the converter has stopped streaming and the link waits a minute),
// yet the new recording begins with the converter's next frames, not after
// that minute, and the stream has no damaged frame.
TEST(FrameActionsTest, StopThenStartAtOnceRecordsAgainWithoutWaitingForTheOldRead) {
  test::FrameRig rig;
  rig.Start();
  TForm1& window = *rig.Window;
  rig.Connect();
  window.Core().Link.SetTimeout(std::chrono::minutes(1));
  const auto recorded = [&](std::size_t samples) {
    return test::ProcessEventsUntil([&] { return window.LogModel().SampleCount() >= samples; },
                                    std::chrono::seconds(10));
  };
  DashboardAction(window, "ActionStart").trigger();
  ASSERT_TRUE(recorded(20));
  DashboardAction(window, "ActionStop").trigger();
  DashboardAction(window, "ActionStart").trigger();
  EXPECT_TRUE(window.LogModel().IsRunning());
  EXPECT_TRUE(recorded(20)) << "the new recording waited for the old reader";
  DashboardAction(window, "ActionStop").trigger();
  EXPECT_EQ(window.LogModel().Stream().BadFrames.load(), 0U);
  EXPECT_TRUE(rig.Messages.Texts.empty()) << rig.Messages.Texts.front();
}

TEST(FrameActionsTest, TheReadActionMovesTheWindowToTheLearnedBeginningAndTellsTheConverter) {
  test::FrameRig rig;
  rig.Start();
  rig.Connect();
  TForm1& window = *rig.Window;
  window.CorrectionWindow().SetLearnedBegin(20);
  window.CorrectionWindow().SetCorrection(5);
  const std::size_t before = rig.Received().size();
  DashboardAction(window, "ActionReadCoverter").trigger();
  ASSERT_TRUE(test::WaitForConverter(window));
  EXPECT_TRUE(rig.Messages.Texts.empty());
  EXPECT_EQ(window.CorrectionWindow().MafBeg(), 20);
  EXPECT_EQ(window.CorrectionWindow().Correction(), 0);
  EXPECT_EQ(window.MainTable().LearnedBegin(), 20);
  // "sr", then the correction back to 0 ("c" 0 0), then the table to RAM
  // ("t" and the 392 bytes); the simulator reads them on its own thread.
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return rig.Received().size() >= before + 392; },
                                       std::chrono::seconds(2)));
  const std::string sent = rig.Received().substr(before);
  const auto read = sent.find("sr");
  const auto correction = sent.find(std::string("c\0\0", 3), read);
  ASSERT_NE(read, std::string::npos);
  ASSERT_NE(correction, std::string::npos) << testing::PrintToString(sent);
  EXPECT_NE(sent.find('t', correction), std::string::npos);
}

TEST(FrameActionsTest, SaveAllRunsBothDialogsWithOneNameAndACancelSkipsOnlyItsOwnFile) {
  test::FrameRig rig;
  rig.Start();
  rig.Connect();
  TForm1& window = *rig.Window;
  // A log to save.
  DashboardAction(window, "ActionStart").trigger();
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return window.LogModel().SampleCount() >= 20; },
                                       std::chrono::seconds(5)));
  DashboardAction(window, "ActionStop").trigger();
  struct Case {
    bool SaveTable, SaveLog;
  };
  for (const Case c : {Case{false, true}, Case{true, false}}) {
    rig.Dialogs->Requests.clear();
    rig.Messages.Texts.clear();
    const auto table = rig.File(c.SaveTable ? "saved.tab" : "unused.tab");
    const auto log = rig.File(c.SaveLog ? "saved.log" : "unused.log");
    rig.Dialogs->Answer(c.SaveTable ? std::optional(table) : std::nullopt);
    rig.Dialogs->Answer(c.SaveLog ? std::optional(log) : std::nullopt);
    DashboardAction(window, "ActionSaveALL").trigger();
    ASSERT_EQ(rig.Dialogs->Requests.size(), 2U);
    const FileDialogRequest& tableRequest = rig.Dialogs->Requests[0];
    const FileDialogRequest& logRequest = rig.Dialogs->Requests[1];
    EXPECT_EQ(tableRequest.Filter, QStringLiteral("Tab Files|*.tab"));
    EXPECT_EQ(logRequest.Filter, QStringLiteral("Log Files|*.log"));
    EXPECT_TRUE(tableRequest.ProposedName.startsWith(QLatin1Char('D')));
    EXPECT_FALSE(tableRequest.ProposedName.contains(QLatin1Char(' ')));
    EXPECT_FALSE(tableRequest.ProposedName.contains(QLatin1Char('/')));
    EXPECT_EQ(tableRequest.ProposedName, logRequest.ProposedName);
    EXPECT_EQ(std::filesystem::exists(table), c.SaveTable);
    EXPECT_EQ(std::filesystem::exists(log), c.SaveLog);
    EXPECT_TRUE(rig.Messages.Texts.empty());
  }
  EXPECT_EQ(std::filesystem::file_size(rig.File("saved.tab")), 392U);
}

TEST(FrameActionsTest, APageChangeByMouseReleasesTheLatchesAndOneByProgramDoesNot) {
  test::FrameRig rig;
  rig.Start();
  TForm1& window = *rig.Window;
  window.show();
  int releases = 0;
  window.Latches().Add([&releases] { ++releases; });
  QTabWidget& pages = window.MainPageControl();

  pages.setCurrentIndex(TForm1::kLogPage);  // as the keys 1…5 do
  EXPECT_EQ(releases, 0);

  QTabBar* bar = pages.tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(TForm1::kTablePage).center());
  EXPECT_EQ(pages.currentIndex(), TForm1::kTablePage);
  EXPECT_EQ(releases, 1);

  window.close();
  EXPECT_EQ(releases, 2) << "closing releases them too";
}

TEST(FrameActionsTest, TheOneToOneActionReplacesTheTableAndForgetsTheLearnedBeginning) {
  test::FrameRig rig;
  rig.Start();
  TForm1& window = *rig.Window;
  window.MainTable().SetOutPoint(10, 200);
  window.CorrectionWindow().SetLearnedBegin(30);
  Find<QAction>(window.TableGraph(), "ActionTableOneToOne").trigger();
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(window.MainTable().GetOut(i), i);
  }
  EXPECT_EQ(window.CorrectionWindow().LearnedBegin(), 0);
}

}  // namespace
}  // namespace orvel::ui
