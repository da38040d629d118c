// The program state file as the window reads it at start and writes it at
// close, and the quit by SIGTERM through the same close sequence.

#include <gtest/gtest.h>

#include <csignal>

#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/o2_sensor.h"
#include "autotune/xrpm_table.h"
#include "dashboard_actions.h"
#include "frame_rig.h"
#include "live/log.h"
#include "live/program_state.h"
#include "table/table.h"
#include "ui/window/termination_signals.h"

namespace orvel::ui {
namespace {

using test::DashboardAction;

using Bytes = std::vector<std::uint8_t>;

// The file a fresh start writes: the defaults of every field.
const Bytes kDefaults{0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x18, 0x00,
                      0x00, 0x00, 0x00, 0x03, 0xE8, 0x03, 0xE8, 0x04, 0xB0, 0x00,
                      0x02, 0x00, 0x00, 0x00, 0x0A, 0x03, 0xE8, 0x03, 0xE8};

TEST(WindowStateTest, AFirstStartReportsTheMissingFileOnceAndClosingWritesTheDefaults) {
  test::FrameRig rig;
  rig.Start();
  ASSERT_EQ(rig.StartMessages.size(), 1U);
  EXPECT_EQ(rig.StartMessages[0], rig.File("config.cfg").string() +
                                      " Config file load error: cannot open: No such file or directory");
  // English texts while the list still shows its design entry.
  EXPECT_EQ(test::Find<QComboBox>(rig.Window->ConnectionPage(), "ComboBoxLanguage").currentText(),
            QStringLiteral("Русский"));
  EXPECT_EQ(rig.Window->MainPageControl().tabText(TForm1::kSetupPage), QStringLiteral("5 Options/Setup"));
  // The main table was bound at start: its parameters hold their defaults
  // and the history holds the first snapshot.
  EXPECT_EQ(rig.Window->MainTable().History().HistoryCount(), 1U);
  EXPECT_EQ(rig.Window->MainTable().Tab1()[TableBlock::kSmoothMaf], 128);

  rig.Window->close();
  EXPECT_EQ(rig.ReadFile("config.cfg"), kDefaults);
  EXPECT_TRUE(std::filesystem::exists(rig.File(kHistoryFileName)));
  EXPECT_TRUE(rig.Messages.Texts.empty());
}

TEST(WindowStateTest, ASavedStateIsRestoredAtStartAndWrittenBackUnchanged) {
  test::FrameRig rig;
  Bytes saved = kDefaults;
  saved[state_offset::Language] = 0;
  saved[state_offset::SensorType] = 3;
  saved[state_offset::Toyota] = 1;
  saved[state_offset::RefO2Position + 1] = 130;
  saved[state_offset::TpsMin + 1] = 30;
  saved[state_offset::TpsMax + 1] = 230;
  saved[state_offset::LearnedBegin + 1] = 12;
  rig.WriteFile("config.cfg", saved);
  rig.Start();
  EXPECT_TRUE(rig.StartMessages.empty());

  TForm1& window = *rig.Window;
  EXPECT_EQ(test::Find<QComboBox>(window.ConnectionPage(), "ComboBoxLanguage").currentText(),
            QStringLiteral("Русский"));
  EXPECT_EQ(window.MainPageControl().tabText(TForm1::kSetupPage), QStringLiteral("5 Настройки"));
  EXPECT_EQ(window.SoundFolder(), "Sound/Ru/");
  EXPECT_EQ(kO2SensorNames[static_cast<std::size_t>(window.O2Reference().SensorType())], "AEM 30-4110");
  EXPECT_EQ(window.O2Reference().RefO2().Max, 255);
  EXPECT_EQ(window.O2Reference().RefO2().Position, 130);
  EXPECT_EQ(window.CorrectionWindow().O2Ref(), window.O2Reference().O2Ref()) << "the decision aims at it";
  EXPECT_EQ(window.CorrectionWindow().SensorType(), 3);
  EXPECT_TRUE(window.MainTable().ToyotaMode()) << "the Toyota handling ran after loading";
  EXPECT_TRUE(window.CompareTable().ToyotaMode());
  EXPECT_EQ(window.ThrottleScale().TpsMin, 30);
  EXPECT_EQ(window.ThrottleScale().TpsMax, 230);
  EXPECT_EQ(window.CorrectionWindow().LearnedBegin(), 12);

  window.close();
  const Bytes written = rig.ReadFile("config.cfg");
  EXPECT_EQ(written, saved);
  ASSERT_EQ(written.size(), 29U);
  EXPECT_EQ((Bytes{written[9], written[10], written[11], written[12]}), (Bytes{0x00, 0x1E, 0x00, 0xE6}));
}

TEST(WindowStateTest, ATruncatedFileKeepsTheDefaultsBeyondItsEnd) {
  test::FrameRig rig;
  rig.WriteFile("config.cfg", Bytes{0x01, 0x02, 0x01, 0x00, 0x00, 0x00});  // Delta cut in half
  rig.Start();
  EXPECT_TRUE(rig.StartMessages.empty());
  EXPECT_EQ(test::Find<QComboBox>(rig.Window->ConnectionPage(), "ComboBoxLanguage").currentText(),
            QStringLiteral("English"));
  EXPECT_EQ(rig.Window->O2Reference().SensorType(), 2);
  EXPECT_EQ(rig.Window->CorrectionWindow().PulsLimit(), 10);
  rig.Window->close();
  const Bytes written = rig.ReadFile("config.cfg");
  ASSERT_EQ(written.size(), 29U);
  EXPECT_EQ(written[0], 1);
  EXPECT_EQ(written[1], 2);
  EXPECT_EQ(Bytes(written.begin() + 5, written.begin() + 7), (Bytes{0x00, 0x0A}));
}

TEST(WindowStateTest, SigtermDuringLiveDataClosesTheWindowAndSavesEverything) {
  test::FrameRig rig;
  rig.Start();
  rig.Connect();
  TForm1& window = *rig.Window;
  window.show();
  window.CorrectionWindow().SetPulsLimit(42);
  TerminationSignals termination;
  QObject::connect(&termination, &TerminationSignals::Requested, &window,
                   [&window] { CloseFromMainLoop(window); });

  DashboardAction(window, "ActionStart").trigger();
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return window.LogModel().SampleCount() >= 20; },
                                       std::chrono::seconds(5)));
  std::raise(SIGTERM);
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return window.Core().Closed(); }, std::chrono::seconds(5)));
  EXPECT_FALSE(window.Link()->IsOpen());
  EXPECT_TRUE(termination.Pending());
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.LogModel().IsRunning());
  const Bytes state = rig.ReadFile("config.cfg");
  ASSERT_EQ(state.size(), 29U);
  EXPECT_EQ(state[state_offset::Delta + 1], 42);
  EXPECT_TRUE(std::filesystem::exists(rig.File(kHistoryFileName)));
}

TEST(WindowStateTest, ADeferredHistoryLoadsAfterTheFirstPaintAndIsNeverOverwrittenBeforeIt) {
  // A history of a few snapshots from an earlier run.
  Bytes history;
  std::uint32_t snapshots = 0;
  {
    test::FrameRig earlier;
    earlier.Start();
    for (int i = 0; i < 4; ++i) {
      earlier.Window->MainTable().SetOutPoint(i, 100 + i);
      earlier.Window->MainTable().PushHistory();
    }
    snapshots = earlier.Window->MainTable().History().HistoryCount();
    earlier.Window->close();
    history = earlier.ReadFile(kHistoryFileName);
  }
  ASSERT_GT(snapshots, 1U);

  for (const bool shown : {false, true}) {
    SCOPED_TRACE(shown);
    test::FrameRig rig;
    rig.WriteFile("config.cfg", kDefaults);
    rig.WriteFile(kHistoryFileName, history);
    rig.DeferHistory = true;
    rig.Start();
    TForm1& window = *rig.Window;
    EXPECT_FALSE(window.HistoryLoaded());
    if (shown) {
      window.show();
      ASSERT_TRUE(test::ProcessEventsUntil([&] { return window.HistoryLoaded(); }, std::chrono::seconds(5)));
      EXPECT_EQ(window.MainTable().History().HistoryCount(), snapshots);
    }
    window.close();
    // Closed before the load, the file keeps the earlier run's history; after
    // it, the same history is written back.
    EXPECT_EQ(rig.ReadFile(kHistoryFileName), history);
  }
}

}  // namespace
}  // namespace orvel::ui
