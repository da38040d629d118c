// The dashboard's share of the tick without widgets: the run's extremes and
// the rules that follow them, and the one frame each sample makes.

#include <gtest/gtest.h>

#include <vector>

#include "autotune/correction_decision.h"
#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/xrpm_table.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "live/live_dashboard.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "table/table.h"

namespace orvel::test {
namespace {

struct RecordingProgram final : CorrectionWindowHost {
  [[nodiscard]] bool LiveDataRunning() const override { return true; }
  void SetLogCorrValue(std::int32_t /*value*/) override {}
  void SendToConverterRam() override {}
};

struct DashboardRig {
  DashboardRig() {
    Scale.TpsMin = 0;
    Scale.TpsMax = 200;
  }

  void Take(std::int32_t maf, std::int32_t conv, std::int32_t tps = 100) {
    TMsgDashData message;
    message.Maf = maf;
    message.Conv = conv;
    message.Tps = tps;
    SampleValues newest{};
    At(newest, Channel::Maf) = maf;
    At(newest, Channel::Conv) = conv;
    At(newest, Channel::Iat) = 40;
    At(newest, Channel::IatCorr) = -3;
    At(newest, Channel::Ect) = 90;
    At(newest, Channel::EctCorr) = 5;
    Dashboard.Take(message, newest);
  }
  [[nodiscard]] const DashboardFrame& LastFrame() const { return Frames.back(); }

  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  LatchedModifiers Keys;
  Table MainTable{Bus, Messages, Keys};
  XrpmTable Scale;
  DecisionSettings Settings;
  RecordingProgram Program;
  O2ReferenceModel Reference;
  CorrectionWindowModel Window{MainTable, nullptr, Settings, Program, Reference};
  Log TheLog{Messages};
  LogLearningControls Learning{TheLog, MainTable, Reference};
  LiveDashboard Dashboard{TheLog, MainTable, Scale, Window, &Learning};
  std::vector<DashboardFrame> Frames;
  Subscription Watching =
      Dashboard.SubscribeFrames([this](const DashboardFrame& frame) { Frames.push_back(frame); });
};

TEST(MafLimitFollow, FollowsWithTheLockUpOrWithAutomaticBorders) {
  struct Case {
    bool Locked;
    bool Autocorrection;
    bool ManualBorders;
    bool Follows;
  };
  for (const Case c :
       {Case{false, false, false, true}, Case{false, true, true, true}, Case{true, false, false, false},
        Case{true, true, false, true}, Case{true, true, true, false}, Case{true, false, true, false}}) {
    const auto position = MafLimitFollow(151, c.Locked, c.Autocorrection, c.ManualBorders);
    EXPECT_EQ(position.has_value(), c.Follows)
        << "locked " << c.Locked << " autocorrection " << c.Autocorrection << " manual " << c.ManualBorders;
    if (position) {
      EXPECT_EQ(*position, 255 - 151);
    }
  }
}

// The correction window model alone keeps the extremes; Start and key A
// restart them, and every view of them is taken from there after each sample.
TEST(LiveDashboard, EverySampleAdvancesTheOneSetOfExtremesAndMakesOneFrame) {
  DashboardRig rig;
  rig.Window.SetToyota(true);
  rig.Window.BeginRun();
  rig.Take(200, 90);
  rig.Take(150, 120);
  ASSERT_EQ(rig.Frames.size(), 2U);
  const DashboardFrame& frame = rig.LastFrame();
  EXPECT_EQ(frame.Sample.Maf, 150);
  EXPECT_EQ(frame.TpsPercent, 50);
  EXPECT_EQ(frame.Points.Maf, 150);
  EXPECT_EQ(frame.Points.Out, 120);
  EXPECT_EQ(frame.Points.IatCorr, -3);
  EXPECT_EQ(frame.Points.Ect, 90);
  EXPECT_EQ(frame.HighestMaf, 200);
  EXPECT_EQ(frame.MaxMafText, "MaxMaf=200");
  EXPECT_EQ(frame.OutputText, "MinOut=90");  // the smallest output in Toyota mode
  EXPECT_EQ(rig.MainTable.MaxMafAnyway(), 200);
  EXPECT_EQ(rig.Window.LastMaf(), 150);
  // The log-limit lock is down and autocorrection off: the limit stays.
  EXPECT_FALSE(frame.MafLimitPosition.has_value());
  EXPECT_EQ(rig.Learning.MafLimitPosition(), 255);

  // Key A: the highest MAF starts over; the output extreme goes on.
  rig.Window.SetAutocorrection(true);
  rig.Take(120, 100);
  EXPECT_EQ(rig.LastFrame().HighestMaf, 120);
  EXPECT_EQ(rig.LastFrame().MaxMafText, "MaxMaf=120");
  EXPECT_EQ(rig.LastFrame().OutputText, "MinOut=90");
  EXPECT_EQ(rig.MainTable.MaxMafAnyway(), 120);
  EXPECT_EQ(rig.LastFrame().MafLimitPosition.value_or(-1), 255 - 120);
  EXPECT_EQ(rig.Learning.MafLimitPosition(), 255 - 120);
  EXPECT_EQ(rig.MainTable.MaxMaf(), 120) << "the log's limit line follows";

  // A new run starts both over.
  rig.Window.SetToyota(false);
  rig.Window.BeginRun();
  rig.Take(80, 60);
  EXPECT_EQ(rig.LastFrame().MaxMafText, "MaxMaf=80");
  EXPECT_EQ(rig.LastFrame().OutputText, "MaxOut=60");
  EXPECT_EQ(rig.MainTable.MaxMafAnyway(), 80);
  EXPECT_EQ(rig.Frames.size(), 4U);
}

}  // namespace
}  // namespace orvel::test
