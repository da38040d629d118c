// Not a check: pictures of the dashboard for people to look at. Run with
//   orvel_ui_tests --gtest_also_run_disabled_tests --gtest_filter='*DashboardScreenshots*'
// It connects to the built-in simulator at a raised time scale, starts live
// data with autocorrection on, lets it train for a while and saves the window
// in both languages under ORVEL_SHOTS_DIR (default /tmp/orvel-shots).

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <cstdlib>

#include "autotune/correction_window.h"
#include "dashboard_actions.h"
#include "dashboard_rig.h"
#include "table/table.h"
#include "ui/pages/dashboard_page.h"

namespace orvel::ui::test {
namespace {

double EnvNumber(const char* name, double fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atof(value) : fallback;
}

TEST(DashboardScreenshots, DISABLED_TrainingAgainstTheSimulatorInBothLanguages) {
  const char* dir = std::getenv("ORVEL_SHOTS_DIR");
  const QString folder = QString::fromLocal8Bit(dir != nullptr ? dir : "/tmp/orvel-shots");
  QDir().mkpath(folder);
  const double timeScale = EnvNumber("ORVEL_SHOTS_TIME_SCALE", 30);
  const double seconds = EnvNumber("ORVEL_SHOTS_SECONDS", 20);

  orvel::test::TempDir working;
  CueRecord cues;
  RecordedMessages messages;
  TForm1 window(messages, DashboardServices(working, cues, {}, timeScale));
  messages.Texts.clear();  // a first start finds no state file
  window.resize(1280, 800);
  window.show();
  ChoosePort(window, QStringLiteral("Simulator"));
  DashboardPage& page = window.Dashboard();
  emit Find<QComboBox>(page, "ComboBoxO2").activated(0);
  Find<QPushButton>(page, "SpeedButtonAutocorr").click();
  DashboardAction(window, "ActionStart").trigger();
  const auto until = std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  ProcessEventsUntil([] { return false; }, until);
  int trained = 0;
  for (const std::int32_t value : window.MainTable().Trained()) {
    trained += value != 0 ? 1 : 0;
  }
  std::cout << "trained points: " << trained << ", cues asked: " << cues.Played.size() << "\n";
  window.grab().save(folder + QStringLiteral("/dashboard_training_en.png"));
  auto& language = Find<QComboBox>(window.ConnectionPage(), "ComboBoxLanguage");
  language.setCurrentIndex(0);
  emit language.activated(0);
  ProcessEventsUntil([] { return false; }, std::chrono::milliseconds(1500));
  window.grab().save(folder + QStringLiteral("/dashboard_training_ru.png"));
  DashboardAction(window, "ActionStop").trigger();
  ProcessEventsUntil([] { return false; }, std::chrono::milliseconds(300));
  window.grab().save(folder + QStringLiteral("/dashboard_stopped_ru.png"));
  EXPECT_TRUE(messages.Texts.empty()) << messages.Texts.front();
}

}  // namespace
}  // namespace orvel::ui::test
