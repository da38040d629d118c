// A tuning session driven from the keyboard only, against the built-in
// simulator. With ORVEL_SHOT_DIR set, the window is also grabbed at each
// stage into that folder for people to look at.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTest>

#include "autotune/correction_window.h"
#include "converter_wait.h"
#include "core/user_messages.h"
#include "dashboard_actions.h"
#include "event_wait.h"
#include "find_by_name.h"
#include "link/rxtx.h"
#include "live/log.h"
#include "scripted_file_dialogs.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/main_window.h"

namespace orvel::ui {
namespace {

using test::DashboardAction;

using namespace std::chrono_literals;

class KeyboardSessionTest : public ::testing::Test {
 protected:
  KeyboardSessionTest()
      : Dialogs(std::make_shared<test::ScriptedFileDialogs>()), Window(Messages, Services()) {
    Window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    Window.activateWindow();
    Messages.Texts.clear();  // a first start finds no state file
  }

  MainWindowServices Services() {
    MainWindowServices services = DefaultMainWindowServices();
    services.WorkingFolder = Folder.Path();
    services.ListPorts = [] { return std::vector<std::string>{}; };
    services.LinkTimeout = 300ms;
    services.Dialogs = Dialogs;
    return services;
  }

  void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Window.windowHandle(), key, modifiers);
  }

  void Shot(const char* name) {
    const QByteArray folder = qgetenv("ORVEL_SHOT_DIR");
    if (folder.isEmpty()) {
      return;
    }
    QDir().mkpath(QString::fromLocal8Bit(folder));
    QApplication::processEvents();
    Window.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/") + QLatin1String(name) +
                       QStringLiteral(".png"));
  }

  template <typename Condition>
  static bool Until(Condition done, std::chrono::milliseconds limit = 5s) {
    return test::ProcessEventsUntil(done, limit);
  }

  orvel::test::TempDir Folder;
  std::shared_ptr<test::ScriptedFileDialogs> Dialogs;
  RecordedMessages Messages;
  TForm1 Window;
};

TEST_F(KeyboardSessionTest, StartCorrectMarkStopUndoAndSaveFromTheKeyboard) {
  auto& ports = test::Find<QComboBox>(Window.ConnectionPage(), "ComComboBox1");
  const int simulator = ports.findText(QStringLiteral("Simulator"));
  ports.setCurrentIndex(simulator);
  emit ports.activated(simulator);
  ASSERT_TRUE(test::WaitForConverter(Window));
  ASSERT_EQ(Window.Link()->Connected(), 1U);
  sim::SimulatorHost& converter = *Window.BuiltInSimulator();
  Table& table = Window.MainTable();
  CorrectionWindowModel& correction = Window.CorrectionWindow();

  Type(Qt::Key_4);
  Type(Qt::Key_S);
  ASSERT_FALSE(DashboardAction(Window, "ActionStart").isEnabled());
  ASSERT_TRUE(Until([&] { return Window.LogModel().SampleCount() >= 100; }));
  Type(Qt::Key_A);
  EXPECT_TRUE(correction.Autocorrection());
  Shot("keys_1_dashboard_running");

  // Manual borders: the window is the user's; three steps right, then one
  // unit up on the window's middle point, sent to the converter on release.
  Type(Qt::Key_F8);
  EXPECT_TRUE(correction.ManualBorders());
  EXPECT_FALSE(correction.Autocorrection());
  correction.SetMafBeg(80);
  correction.SetMafEnd(80);
  for (int i = 0; i < 3; ++i) {
    Type(Qt::Key_Right);
  }
  EXPECT_EQ(correction.MafBeg(), 83);
  EXPECT_EQ(correction.MafEnd(), 83);
  const int before = table.GetOut(83);
  Type(Qt::Key_Up);
  EXPECT_EQ(table.GetOut(83), std::min(before + 1, 255));
  EXPECT_TRUE(Until([&] { return converter.WorkingTable()[83] == table.GetOut(83); }, 2s));
  // Enter marks the latest live sample's point learned and moves the window there.
  // A dashboard tick may land while the key is delivered: the point is the
  // latest sample's either just before or just after it.
  const int lastBefore = correction.LastMaf();
  Type(Qt::Key_Return);
  const int lastAfter = correction.LastMaf();
  EXPECT_TRUE(correction.MafBeg() == lastBefore || correction.MafBeg() == lastAfter)
      << correction.MafBeg() << " not " << lastBefore << " or " << lastAfter;
  Shot("keys_2_dashboard_manual");

  Type(Qt::Key_S);
  EXPECT_TRUE(DashboardAction(Window, "ActionStart").isEnabled());
  EXPECT_EQ(Window.MainPageControl().currentIndex(), TForm1::kLogPage);
  Window.LogModel().JoinReader();
  Shot("keys_3_log_page");

  // Undo steps back over the edits until the correction is gone.
  for (int i = 0; i < 3 && table.GetOut(83) != before; ++i) {
    Type(Qt::Key_Z, Qt::ControlModifier);
  }
  EXPECT_EQ(table.GetOut(83), before);
  EXPECT_TRUE(Until([&] { return converter.WorkingTable()[83] == before; }, 2s)) << "Ctrl+Z sends on release";

  // Ctrl+S follows the Save all action's enabling.
  QAction& saveAll = DashboardAction(Window, "ActionSaveALL");
  const std::size_t asked = Dialogs->Requests.size();
  saveAll.setEnabled(false);
  Type(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Dialogs->Requests.size(), asked) << "no dialog while Save all is disabled";
  saveAll.setEnabled(true);
  Dialogs->Answer(Folder.Path() / "session.tab");
  Dialogs->Answer(Folder.Path() / "session.log");
  Type(Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(std::filesystem::exists(Folder.Path() / "session.tab"));
  EXPECT_TRUE(std::filesystem::exists(Folder.Path() / "session.log"));
  Type(Qt::Key_2);
  Shot("keys_4_table_page");
  EXPECT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
}

}  // namespace
}  // namespace orvel::ui
