#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "autotune/converter_correction_link.h"
#include "autotune/correction_window.h"
#include "autotune_rig.h"
#include "link/rxtx.h"
#include "support/pty_pair.h"

namespace orvel {
namespace {

struct Recorder final : CorrectionWindowHost {
  [[nodiscard]] bool LiveDataRunning() const override { return Recording; }
  void SetLogCorrValue(std::int32_t value) override { LogCorr = value; }
  void SendToConverterRam() override { ++TablesSent; }
  bool Recording = true;
  std::int32_t LogCorr = 0;
  int TablesSent = 0;
};

struct TempRig : test::DecisionRig {
  TempRig() {
    MainTable.SetDashboardSample(0, 0, 130, 9, 0, 0);  // IAT entry 32, ECT entry 2
  }
  std::int32_t Entry(std::size_t index) { return MainTable.Tab1()[index]; }
  Recorder Host;
  O2ReferenceModel Reference;
  CorrectionWindowModel Window{MainTable, nullptr, Decision.Settings(), Host, Reference};
};

TEST(TempCorrection, TargetButtonAppliesToTheEntryInForceAndHolds) {
  const struct {
    CorrectionTarget Target;
    std::size_t Entry;
    std::int32_t Stored;
    std::int32_t Correction;
    std::int32_t Expected;
  } cases[] = {
      {CorrectionTarget::Iat, 264 + 32, 28, 5, 30},
      {CorrectionTarget::Iat, 264 + 32, 226, -1, -30},  // -30 as a loaded byte
      {CorrectionTarget::Ect, 328 + 2, -4, 3, -1},
  };
  for (const auto& c : cases) {
    TempRig rig;
    rig.MainTable.Tab1()[c.Entry] = c.Stored;
    rig.Window.SetCorrection(c.Correction);
    rig.Window.SelectTarget(c.Target);
    EXPECT_EQ(rig.Entry(c.Entry), c.Expected) << c.Entry;
    EXPECT_EQ(rig.Window.Correction(), 0);
    EXPECT_EQ(rig.Host.LogCorr, 0);
    EXPECT_EQ(rig.Host.TablesSent, 1);
    // The next press adds nothing until a new correction is set.
    rig.Window.SelectTarget(c.Target);
    EXPECT_EQ(rig.Entry(c.Entry), c.Expected) << c.Entry;
  }
}

TEST(TempCorrection, StoppedLiveDataSelectsTheTargetButChangesNothing) {
  TempRig rig;
  rig.Host.Recording = false;
  rig.Window.SetAutocorrection(true);
  rig.Window.SetCorrection(4);
  rig.Window.SelectTarget(CorrectionTarget::Iat);
  EXPECT_EQ(rig.Window.Target(), CorrectionTarget::Iat);
  EXPECT_FALSE(rig.Window.Autocorrection());
  EXPECT_FALSE(rig.Window.AutocorrectionEnabled());
  EXPECT_EQ(rig.Entry(264 + 32), 0);
  EXPECT_FALSE(rig.Window.ApplyTempCorrectionKey(TempCorrection::Iat));  // the key passes on
  EXPECT_EQ(rig.Entry(264 + 32), 0);
  EXPECT_EQ(rig.Host.TablesSent, 0);
}

TEST(TempCorrection, KeysApplyWithoutChangingTargetOrAutocorrection) {
  TempRig rig;
  rig.Window.SetAutocorrection(true);
  rig.Window.SetCorrection(-2);
  EXPECT_TRUE(rig.Window.ApplyTempCorrectionKey(TempCorrection::Ect));
  EXPECT_EQ(rig.Entry(328 + 2), -2);
  EXPECT_EQ(rig.Window.Correction(), 0);
  EXPECT_EQ(rig.Window.Target(), CorrectionTarget::Table);
  EXPECT_TRUE(rig.Window.Autocorrection());
}

TEST(TempCorrection, CorrPanelReleaseAppliesToTheSelectedTemperature) {
  TempRig rig;
  rig.Window.SelectTarget(CorrectionTarget::Iat);
  rig.Window.PressCorrPanel(100);
  rig.Window.DragCorrPanel(70, true);  // +3
  rig.Window.ReleaseCorrPanel(false);  // released outside: still applies to IAT
  EXPECT_EQ(rig.Entry(264 + 32), 3);
  EXPECT_EQ(rig.Window.Correction(), 0);
}

// The converter commands on a real pseudo-terminal.
TEST(ConverterCorrectionLink, SendsCAndGOnlyWhileConnected) {
  test::PtyPair pty;
  TOrvelBroadcaster bus;
  RecordedMessages messages;
  TRXTX link(bus, std::chrono::milliseconds(200));
  ConverterCorrectionLink commands(link, messages);
  commands.TellCorrectionWindow(5, 0, 255, 1);  // not connected: nothing, no error
  link.Open(pty.SlavePath());
  commands.TellCorrectionWindow(-300, 10, 20, 1);
  commands.TellCorrectionWindow(7, 10, 20, 2);
  commands.TellCorrectionWindow(7, 10, 20, 1);
  commands.TellCorrectionWindow(7, 10, 20, 3);  // no such reason
  EXPECT_EQ(pty.Read(9, std::chrono::milliseconds(500)),
            (std::vector<std::uint8_t>{0x63, 255, 1, 0x67, 0x00, 0xFF, 0x63, 7, 0}));
  EXPECT_TRUE(pty.Read(1, std::chrono::milliseconds(50)).empty());
  EXPECT_TRUE(messages.Texts.empty());

  link.Close();  // still "connected": the write fails and is reported
  commands.TellCorrectionWindow(1, 0, 0, 1);
  EXPECT_EQ(messages.Texts.size(), 1U);
}

}  // namespace
}  // namespace orvel
