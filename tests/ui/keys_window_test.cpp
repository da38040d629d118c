// Keys sent to the real window the way the system delivers them: to its
// top-level window handle, with a control focused inside.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "converter_wait.h"
#include "core/key_selection.h"
#include "core/user_messages.h"
#include "dashboard_actions.h"
#include "find_by_name.h"
#include "link/rxtx.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "scripted_file_dialogs.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/keyboard_modifiers.h"
#include "ui/keys/key_table.h"
#include "ui/main_window.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/table_graph_page.h"

namespace orvel::ui {
namespace {

using namespace std::chrono_literals;
using test::DashboardAction;
using test::Find;

class KeysWindowTest : public ::testing::Test {
 protected:
  KeysWindowTest() : Window(Messages, Services(Folder)) {
    Window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    Window.activateWindow();
    // A first start in an empty folder says it found no state file.
    Messages.Texts.clear();
  }

  static MainWindowServices Services(const orvel::test::TempDir& folder) {
    MainWindowServices services = DefaultMainWindowServices();
    services.WorkingFolder = folder.Path();
    services.ListPorts = [] { return std::vector<std::string>{}; };
    services.LinkTimeout = 300ms;
    services.Dialogs = std::make_shared<test::ScriptedFileDialogs>();
    return services;
  }

  void ConnectSimulator() {
    auto& list = Find<QComboBox>(Window.ConnectionPage(), "ComComboBox1");
    const int index = list.findText(QStringLiteral("Simulator"));
    ASSERT_GE(index, 0);
    list.setCurrentIndex(index);
    emit list.activated(index);
    ASSERT_TRUE(test::WaitForConverter(Window));
    ASSERT_EQ(Window.Link()->Connected(), 1U);
  }

  // A key pressed and released on the window, as the keyboard sends it.
  void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Window.windowHandle(), key, modifiers);
  }

  // An edit field of the connection page with the input focus.
  QLineEdit* FocusedField() {
    auto* field = new QLineEdit(&Window.ConnectionPage());
    field->show();
    field->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(Window.focusWidget(), field);
    return field;
  }

  [[nodiscard]] int Page() { return Window.MainPageControl().currentIndex(); }

  [[nodiscard]] bool PageControlHasFocus() {
    QWidget* focused = QApplication::focusWidget();
    return focused == &Window.MainPageControl() || focused == Window.MainPageControl().tabBar();
  }

  static bool Selected(const QLabel* label) { return label->font().bold() && label->font().italic(); }

  orvel::test::TempDir Folder;
  RecordedMessages Messages;
  TForm1 Window;
};

TEST_F(KeysWindowTest, DigitsSwitchPagesEvenInAnEditFieldAndOtherLettersReachIt) {
  QLineEdit* field = FocusedField();
  Type(Qt::Key_Q);
  Type(Qt::Key_E);  // live data is stopped: E passes on
  Type(Qt::Key_R);  // the reset runs and the letter passes on
  EXPECT_EQ(field->text(), QStringLiteral("qer"));
  Type(Qt::Key_3);
  EXPECT_EQ(Page(), TForm1::kLogPage);
  Window.MainPageControl().setCurrentIndex(TForm1::kConnectionPage);
  field->setFocus();
  Type(Qt::Key_2);
  Type(Qt::Key_8);
  EXPECT_EQ(Page(), TForm1::kTablePage);
  EXPECT_EQ(field->text(), QStringLiteral("qer")) << "the digits never reach the field";
  // The keypad's digits are not the main row's.
  Window.MainPageControl().setCurrentIndex(TForm1::kConnectionPage);
  field->setFocus();
  Type(Qt::Key_4, Qt::KeypadModifier);
  EXPECT_EQ(Page(), TForm1::kConnectionPage);
  EXPECT_EQ(field->text(), QStringLiteral("qer4"));
}

TEST_F(KeysWindowTest, STwiceStartsAndStopsLiveDataAndShowsTheDashboardThenTheLogPage) {
  ConnectSimulator();
  Window.MainPageControl().setCurrentIndex(TForm1::kTablePage);
  Type(Qt::Key_S);
  EXPECT_EQ(Page(), TForm1::kDashboardPage);
  EXPECT_FALSE(DashboardAction(Window, "ActionStart").isEnabled());
  EXPECT_TRUE(DashboardAction(Window, "ActionStop").isEnabled());
  Type(Qt::Key_S);
  EXPECT_EQ(Page(), TForm1::kLogPage);
  EXPECT_TRUE(DashboardAction(Window, "ActionStart").isEnabled());
  EXPECT_FALSE(DashboardAction(Window, "ActionStop").isEnabled());
  EXPECT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
}

TEST_F(KeysWindowTest, RWhileStoppedResetsTheConverterAndReadsItsTable) {
  ConnectSimulator();
  Window.MainTable().Trained()[100] = 5;
  const std::size_t before = Window.BuiltInSimulator()->ReceivedBytes().size();
  const auto start = std::chrono::steady_clock::now();
  Type(Qt::Key_R);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms) << "two pauses of 200 ms";
  const std::vector<std::uint8_t> received = Window.BuiltInSimulator()->ReceivedBytes();
  const std::string commands(received.begin() + static_cast<std::ptrdiff_t>(before), received.end());
  EXPECT_EQ(commands.rfind("ksr", 0), 0U) << commands;
  EXPECT_EQ(Window.MainTable().Trained()[100], 0);
  EXPECT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
}

TEST_F(KeysWindowTest, RWhileRecordingStopsLiveDataFirst) {
  ConnectSimulator();
  Type(Qt::Key_S);
  ASSERT_FALSE(DashboardAction(Window, "ActionStart").isEnabled());
  QTest::qWait(300);
  Type(Qt::Key_R);
  EXPECT_TRUE(DashboardAction(Window, "ActionStart").isEnabled());
  EXPECT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
  const std::vector<std::uint8_t> received = Window.BuiltInSimulator()->ReceivedBytes();
  const std::string commands(received.begin(), received.end());
  const auto reset = commands.rfind('k');
  ASSERT_NE(reset, std::string::npos);
  EXPECT_EQ(commands.substr(reset, 3), "ksr");
}

TEST_F(KeysWindowTest, ALatchedCtrlCountsAsHeldAndAKeyPageChangeKeepsIt) {
  Table& table = Window.MainTable();
  table.PushHistory();
  table.SetOutPoint(40, 200);
  const int edited = table.GetOut(40);
  Window.ModifierKeys().CtrlLatched = true;
  Type(Qt::Key_2);
  EXPECT_EQ(Page(), TForm1::kTablePage);
  EXPECT_TRUE(Window.ModifierKeys().CtrlLatched) << "a page change by key keeps the latch";
  Type(Qt::Key_Z);
  EXPECT_NE(table.GetOut(40), edited) << "Z with the latched Ctrl undoes";
  Type(Qt::Key_Z, Qt::ShiftModifier);
  EXPECT_EQ(table.GetOut(40), edited) << "and with Shift redoes";
}

TEST_F(KeysWindowTest, CtrlZReleasedSendsTheTableToTheConverterEvenWithNothingToUndo) {
  ConnectSimulator();
  Window.MainTable().Tab1()[9] = 123;
  // Only the release: whatever Ctrl+Z did before, coming up it sends.
  QTest::keyRelease(Window.windowHandle(), Qt::Key_Z, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window.BuiltInSimulator()->WorkingTable()[9] == 123; }, 2000));
}

TEST_F(KeysWindowTest, FunctionKeysOnTheDashboardSelectAndTakeTheFocusToThePageControl) {
  Window.MainPageControl().setCurrentIndex(TForm1::kDashboardPage);
  QLineEdit* field = FocusedField();
  field->setParent(&Window.Dashboard());
  field->show();
  field->setFocus();
  Type(Qt::Key_F4);
  EXPECT_EQ(Window.Selection().DashParam(), 4);
  EXPECT_FALSE(field->hasFocus());
  Type(Qt::Key_Up);
  EXPECT_EQ(Window.CorrectionWindow().AvgB(), 2);
  Type(Qt::Key_Escape);
  EXPECT_EQ(Window.Selection().DashParam(), 4);
  Type(Qt::Key_F10);
  Type(Qt::Key_Escape);
  EXPECT_EQ(Window.Selection().DashParam(), 1);
}

TEST_F(KeysWindowTest, ARepeatingKeyIsNotReleasedUntilItReallyComesUp) {
  Window.MainPageControl().setCurrentIndex(TForm1::kDashboardPage);
  CorrectionWindowModel& borders = Window.CorrectionWindow();
  borders.SetMafBeg(10);
  borders.SetMafEnd(10);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier, QString(), true);
  QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, QString(), true);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
  for (QKeyEvent* event : {&press, &repeatRelease, &repeatPress, &repeatRelease, &repeatPress}) {
    QCoreApplication::sendEvent(Window.windowHandle(), event);
  }
  EXPECT_EQ(Window.MainTable().Dash().MafBeg, 7);
  EXPECT_EQ(borders.MafBeg(), 10) << "the sliders wait for the key to come up";
  QCoreApplication::sendEvent(Window.windowHandle(), &release);
  EXPECT_EQ(borders.MafBeg(), 7);
  EXPECT_EQ(borders.MafEnd(), 7);
}

TEST_F(KeysWindowTest, SelectionLabelsFollowTheFunctionKeysAndTheFocusRules) {
  Type(Qt::Key_4);
  DashboardPage& dashboard = Window.Dashboard();
  const auto label = [&dashboard](const char* name) { return &Find<QLabel>(dashboard, name); };
  EXPECT_TRUE(Selected(label("LabelF1")));
  EXPECT_TRUE(label("LabelF3")->isHidden());
  Type(Qt::Key_F4);
  EXPECT_TRUE(Selected(label("LabelF4")));
  EXPECT_FALSE(Selected(label("LabelF1")));
  Type(Qt::Key_F11);
  EXPECT_TRUE(Selected(label("LabelF11")));
  EXPECT_FALSE(Selected(label("LabelF4")));

  // Sliders that take the focus select their parameter and pass the focus on.
  Find<QSlider>(dashboard, "TrackBarRefO2").setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(Window.Selection().DashParam(), 2);
  EXPECT_TRUE(Selected(label("LabelF2")));
  EXPECT_TRUE(PageControlHasFocus());
  Find<QSlider>(dashboard, "TrackBarMafKon").setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(Window.Selection().DashParam(), 2);
  EXPECT_TRUE(PageControlHasFocus());
  Find<QSpinBox>(dashboard, "UpDown1").setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(Window.Selection().DashParam(), 10);
  EXPECT_TRUE(PageControlHasFocus());
  // The correction field keeps the focus, and Left leaves the window alone then.
  auto& correctionField = Find<QSpinBox>(dashboard, "UpDownCorrection");
  correctionField.setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(Window.Selection().DashParam(), 1);
  EXPECT_TRUE(correctionField.hasFocus());
  Window.CorrectionWindow().SetMafBeg(30);
  Type(Qt::Key_Left);
  EXPECT_EQ(Find<QSlider>(dashboard, "TrackBarMafNach").value(), 30);

  Type(Qt::Key_2);
  TableGraphPage& table = Window.TableGraph();
  auto& mafTime = Find<QSlider>(table, "TrackBarMafTime");
  mafTime.setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(Window.Selection().TableParam(), 4);
  EXPECT_TRUE(PageControlHasFocus());
  const int time = mafTime.value();
  Type(Qt::Key_Up);
  EXPECT_EQ(mafTime.value(), time + 1);
  EXPECT_TRUE(Selected(&Find<QLabel>(table, "LabelTableF4")));
  Type(Qt::Key_F8);
  Type(Qt::Key_Right);
  EXPECT_EQ(mafTime.value(), time + 1) << "F8 selects no slider";
  Type(Qt::Key_Down);
  EXPECT_EQ(Find<QSlider>(table, "TrackBarMafSm").value(), 99);
  EXPECT_TRUE(Selected(&Find<QLabel>(table, "LabelTableF1")));
}

TEST_F(KeysWindowTest, DashboardLeftFromOneToZeroShowsZeroAndFiveOnTheSliders) {
  Type(Qt::Key_4);
  const auto& beginning = Find<QSlider>(Window.Dashboard(), "TrackBarMafNach");
  const auto& end = Find<QSlider>(Window.Dashboard(), "TrackBarMafKon");
  Window.CorrectionWindow().SetMafBeg(1);
  Window.CorrectionWindow().SetMafEnd(5);
  Type(Qt::Key_Left);
  Type(Qt::Key_Left);
  EXPECT_EQ(beginning.value(), 0);
  EXPECT_EQ(end.value(), 5);
  Type(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(end.value(), 6);
}

TEST_F(KeysWindowTest, LogPageLockAndArrowsMoveItsControls) {
  Type(Qt::Key_3);
  LogPage& log = Window.LogView();
  const auto& lock = Find<QPushButton>(log, "LockLogLimitSpeedButton");
  const auto& limitSlider = Find<QSlider>(log, "LogLimitTrackBar");
  const auto& targetSlider = Find<QSlider>(log, "TrackBarLogO2Target");
  ASSERT_TRUE(lock.isChecked()) << "pressed at start";
  Type(Qt::Key_L);
  EXPECT_FALSE(lock.isChecked());
  EXPECT_TRUE(limitSlider.isEnabled());
  Type(Qt::Key_F2);
  EXPECT_TRUE(Selected(&Find<QLabel>(log, "LabelLogF2")));
  // Up raises the value: the position of the upside-down slider goes down.
  const int limit = limitSlider.value();
  Type(Qt::Key_Up);
  EXPECT_EQ(Window.LogLearning().MafLimitPosition(), limit - 1);
  EXPECT_EQ(limitSlider.value(), limit - 1);
  Type(Qt::Key_F1);
  const int target = targetSlider.value();
  Type(Qt::Key_Up);
  EXPECT_EQ(Window.O2Reference().LogO2Target().Position, target - 1);
  EXPECT_EQ(targetSlider.value(), target - 1);
}

}  // namespace
}  // namespace orvel::ui
