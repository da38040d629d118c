// The Start and Stop actions without a window.

#include <gtest/gtest.h>

#include "autotune/xrpm_table.h"
#include "core/progress.h"
#include "link/table_transfer.h"
#include "live/correction_tick.h"
#include "live/live_correction_host.h"
#include "live/live_run.h"
#include "live/live_session.h"
#include "live_rig.h"
#include "support/pty_pair.h"

namespace orvel::test {
namespace {

struct SessionRig : LiveRig {
  KeptProgress Progress;
  TableTransfer Transfer{MainTable, Link, Messages, Progress};
  XrpmTable Scale;
  CorrectionTick Decision{MainTable, Scale, Bus};
  LiveSession Session{Bus, TheLog, MainTable, Transfer, Messages, &Decision};
};

TEST(LiveSession, WithoutAPortBothActionsOnlyAskForOne) {
  SessionRig rig;
  EXPECT_FALSE(rig.Session.Start("", LiveSettings{}));
  EXPECT_FALSE(rig.Session.Stop(""));
  ASSERT_EQ(rig.Messages.Texts.size(), 2U);
  EXPECT_EQ(rig.Messages.Texts[0], kChooseComPortText);
  EXPECT_FALSE(rig.TheLog.IsRunning());
  EXPECT_EQ(rig.Window.Stops, 0);
}

// F7 at 40, then the 1:1 table: the table keeps its own learned beginning
// (40), the correction window's goes back to 0. Start marks the beginning up
// to the window's, so the fresh 1:1 table stays a straight line.
TEST(LiveSession, StartMarksTheBeginningUpToTheCorrectionWindowsLearnedBegin) {
  PtyPair pty;
  SessionRig rig;
  rig.Link.Open(pty.SlavePath());
  LiveCorrectionHost host{rig.TheLog, rig.Transfer};
  O2ReferenceModel reference;
  CorrectionWindowModel window{rig.MainTable, nullptr, rig.Decision.Settings(), host, reference};
  window.SetMafBeg(40);
  window.SetBeginOfTableAsLearned();
  rig.MainTable.MakeOneToOne();
  window.SetLearnedBegin(0);
  ASSERT_EQ(rig.MainTable.LearnedBegin(), 40);

  ASSERT_TRUE(StartLiveRun(rig.Session, window, pty.SlavePath()));
  for (int i = 1; i <= 40; ++i) {
    EXPECT_EQ(rig.MainTable.GetOut(i), i) << "point " << i;
    EXPECT_EQ(rig.MainTable.Trained()[i], 0) << "point " << i;
  }
  EXPECT_EQ(rig.MainTable.LearnedBegin(), 0);
  StopLiveRun(rig.Session, window, pty.SlavePath());
}

TEST(LiveSession, StartSendsTheTableThenStartsLiveDataAndStopLocksTheLogLimit) {
  PtyPair pty;
  SessionRig rig;
  rig.Link.Open(pty.SlavePath());
  rig.TheLog.SetCorrValue(7);
  LiveSettings settings;
  settings.ToyotaMode = true;
  settings.Autocorrection = true;
  settings.AvgB = 30;
  settings.AvgT = 50;
  settings.O2SensorType = 2;
  ASSERT_TRUE(rig.Session.Start(pty.SlavePath(), settings));
  EXPECT_EQ(rig.TheLog.GetCorrValue(), 0);
  EXPECT_EQ(rig.Decision.State().Settings().StepB, 3);
  EXPECT_EQ(rig.Decision.State().Settings().StepT, 5);
  EXPECT_EQ(rig.TheLog.SensorType(), 2);
  pty.Write(std::vector<std::uint8_t>(kFrameSize, 0));  // the answer to "sl"
  // "t" with the 392-byte table, then the log's "sl". The log clears the
  // transmit buffer before "sl", which on a pty discards whatever of the table
  // the other end has not read yet; so only the order is checked here.
  const auto sent = pty.Read(1 + 392 + 2, 100ms);
  ASSERT_GE(sent.size(), 2U);
  EXPECT_EQ(sent[sent.size() - 2], 's');
  EXPECT_EQ(sent.back(), 'l');
  if (sent.size() > 2) {
    EXPECT_EQ(sent.front(), 't');
  }

  // Stop switches autocorrection off and locks the log limit.
  ASSERT_TRUE(rig.Session.Stop(pty.SlavePath()));
  EXPECT_FALSE(rig.Session.Autocorrection());
  EXPECT_FALSE(rig.Decision.State().Settings().Autocorrection);
  EXPECT_TRUE(rig.Session.LogLimitLocked());
  EXPECT_EQ(rig.Window.Stops, 1);
  EXPECT_FALSE(rig.TheLog.IsRunning());
}

}  // namespace
}  // namespace orvel::test
