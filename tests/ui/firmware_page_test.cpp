// The firmware page and the contactless sensor's calibration against the
// simulator on a pseudo-terminal.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "autotune/o2_reference.h"
#include "converter_wait.h"
#include "dashboard_actions.h"
#include "frame_rig.h"
#include "link/firmware_update.h"
#include "link/rxtx.h"
#include "live/log.h"
#include "sim/simulated_converter.h"
#include "table/table.h"
#include "ui/pages/firmware_page.h"
#include "ui/widgets/calibration_overlay.h"

namespace orvel::ui {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::DashboardAction;
using test::Find;

Bytes LoadedFirmware(TForm1& window) {
  return window.BuiltInSimulator()->Inspect(
      [](const sim::SimulatedConverter& c) { return c.LoadedFirmware(); });
}

class FirmwarePageTest : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(Rig.File("one.enc")) << "00 03 11 22 33\n"; }

  test::FrameRig Rig;
};

TEST_F(FirmwarePageTest, UpdateSendsTheFileAndACancelledDialogStartsNothing) {
  Rig.Start();
  Rig.Connect();
  TForm1& window = *Rig.Window;
  const auto& progress = Find<QProgressBar>(window.Firmware(), "ProgressBar1");
  auto& update = Find<QAction>(window.Firmware(), "FileOpenFirmware");
  EXPECT_EQ(progress.value(), 50);

  Rig.Dialogs->Answer(std::nullopt);
  const std::size_t before = Rig.Received().size();
  update.trigger();
  ASSERT_TRUE(test::WaitForConverter(window));
  EXPECT_EQ(Rig.Received().size(), before);
  EXPECT_TRUE(Rig.Messages.Texts.empty());
  EXPECT_EQ(progress.value(), 50);

  Rig.Dialogs->Answer(Rig.File("one.enc"));
  update.trigger();
  ASSERT_TRUE(test::WaitForConverter(window));
  ASSERT_EQ(Rig.Dialogs->Requests.back().Filter, QStringLiteral("Firmware files|*.enc"));
  ASSERT_EQ(Rig.Messages.Texts.size(), 1U);
  EXPECT_EQ(Rig.Messages.Texts[0], kFirmwareUpdatedText);
  EXPECT_EQ(progress.value(), 100);
  EXPECT_EQ(LoadedFirmware(window), (Bytes{0x00, 0x03, 0x11, 0x22, 0x33}));
  EXPECT_NE(Rig.Received().find("fiud", before), std::string::npos);
}

TEST_F(FirmwarePageTest, RecoveryOpensThePortOnlyAndTheUpdateSkipsTheLoaderCommand) {
  sim::SimulatorOptions stuck;
  stuck.StartInLoader = true;
  Rig.Start(stuck);
  TForm1& window = *Rig.Window;
  auto& recovery = Find<QCheckBox>(window.ConnectionPage(), "CheckBoxFirmwareRecovery");
  recovery.setChecked(true);
  Rig.Connect();
  EXPECT_TRUE(Rig.Received().empty());

  Rig.Dialogs->Answer(Rig.File("one.enc"));
  Find<QAction>(window.Firmware(), "FileOpenFirmware").trigger();
  ASSERT_TRUE(test::WaitForConverter(window));
  ASSERT_EQ(Rig.Messages.Texts.size(), 1U);
  EXPECT_EQ(Rig.Messages.Texts[0], kFirmwareUpdatedText);
  EXPECT_EQ(Rig.Received().find("fiud"), std::string::npos);
  EXPECT_EQ(LoadedFirmware(window), (Bytes{0x00, 0x03, 0x11, 0x22, 0x33}));
  EXPECT_FALSE(recovery.isChecked()) << "a success unticks it";
}

TEST_F(FirmwarePageTest, UpdateWithOneToOneWritesTheTableSelectsTheVoltageSensorAndStartsLiveData) {
  Rig.Start();
  Rig.Connect();
  TForm1& window = *Rig.Window;
  window.MainTable().SetOutPoint(40, 250);
  Rig.Dialogs->Answer(Rig.File("one.enc"));
  Find<QAction>(window.Firmware(), "ActionUpgradeFirmwareOneToOne").trigger();
  ASSERT_TRUE(test::WaitForConverter(window));
  ASSERT_FALSE(Rig.Messages.Texts.empty());
  EXPECT_EQ(Rig.Messages.Texts[0], kFirmwareUpdatedText);
  EXPECT_EQ(Rig.Messages.Texts.size(), 1U) << Rig.Messages.Texts.back();
  EXPECT_EQ(window.MainTable().GetOut(40), 40);
  EXPECT_EQ(window.BuiltInSimulator()->PermanentTable()[40], 40);
  EXPECT_EQ(window.O2Reference().SensorType(), 2);
  EXPECT_TRUE(window.LogModel().IsRunning());
  EXPECT_TRUE(DashboardAction(window, "ActionStop").isEnabled());
  DashboardAction(window, "ActionStop").trigger();
}

TEST_F(FirmwarePageTest, UpdateWithOneToOneAfterAFailedUpdateDoesNothingMore) {
  Rig.Start();
  // No converter answers: the port is not even chosen.
  Rig.Dialogs->Answer(Rig.File("one.enc"));
  Find<QAction>(Rig.Window->Firmware(), "ActionUpgradeFirmwareOneToOne").trigger();
  ASSERT_TRUE(test::WaitForConverter(*Rig.Window));
  EXPECT_EQ(Rig.Messages.Texts, (std::vector<std::string>{std::string(kNoPortText)}));
  EXPECT_EQ(Rig.Window->O2Reference().SensorType(), 0);
  EXPECT_FALSE(Rig.Window->LogModel().IsRunning());
}

TEST(CalibrationTest, TheButtonSendsTheSettingsThenCountsDownOnTheOverlay) {
  test::FrameRig rig;
  rig.Start();
  rig.Connect();
  TForm1& window = *rig.Window;
  window.show();
  ConnectionPageWidget& page = window.ConnectionPage();
  ASSERT_FALSE(Find<QGroupBox>(page, "GroupBoxContactlessSettings").isHidden());
  auto& angle = Find<QComboBox>(page, "ComboBoxKmaAngleDegrees");
  auto& direction = Find<QComboBox>(page, "ComboBoxKmaDirection");
  auto& end = Find<QComboBox>(page, "ComboBoxKmaCalAtMinOrMaxAngle");
  auto& idleSwitch = Find<QCheckBox>(page, "CheckBoxIdleSwitch");

  // A type change: "←", "Min. α", the angle nearest 90°.
  direction.setCurrentIndex(1);
  end.setCurrentIndex(1);
  idleSwitch.setChecked(true);
  emit Find<QComboBox>(page, "ComboBoxKmaSensorType").activated(0);
  EXPECT_EQ(direction.currentIndex(), 0);
  EXPECT_EQ(end.currentIndex(), 0);
  EXPECT_FALSE(idleSwitch.isChecked());
  EXPECT_EQ(angle.currentData().toInt(), 90);

  angle.setCurrentIndex(angle.findData(83));
  direction.setCurrentIndex(1);  // "→" on kind 2: direction byte 0
  end.setCurrentIndex(1);        // "Max. α": 949
  const std::size_t before = rig.Received().size();
  int shownCounts = 0;
  // The overlay shows while the click waits; look at it from a timer.
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (auto* overlay = window.findChild<TCalibrationOverlayForm*>();
        overlay != nullptr && overlay->isVisible()) {
      ++shownCounts;
      EXPECT_EQ(overlay->size(), QSize(110, 110));
      EXPECT_TRUE(overlay->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
      EXPECT_TRUE(overlay->windowFlags().testFlag(Qt::FramelessWindowHint));
      EXPECT_EQ(QApplication::activeModalWidget(), overlay);
    }
  });
  probe.start(1);
  Find<QPushButton>(page, "ButtonCalibrateKMA").click();
  probe.stop();
  EXPECT_GT(shownCounts, 0);
  EXPECT_EQ(window.findChild<TCalibrationOverlayForm*>(), nullptr) << "the overlay goes with its calibration";
  EXPECT_TRUE(rig.Messages.Texts.empty());
  ASSERT_TRUE(
      test::ProcessEventsUntil([&] { return rig.Received().size() >= before + 7; }, std::chrono::seconds(2)));
  EXPECT_EQ(rig.Received().substr(before), std::string("se\x53\x87\x00\x03\xB5", 7));
}

}  // namespace
}  // namespace orvel::ui
