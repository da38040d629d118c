// Keys sent to the real window the way the system delivers them: to its
// top-level window handle, with a control focused inside.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "autotune/correction_window.h"
#include "core/key_selection.h"
#include "core/user_messages.h"
#include "link/rxtx.h"
#include "live/log.h"
#include "scripted_file_dialogs.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/keyboard_modifiers.h"
#include "ui/keys/key_table.h"
#include "ui/main_window.h"
#include "ui/pages/dashboard_page.h"

namespace orvel::ui {
namespace {

using namespace std::chrono_literals;

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
    QComboBox* list = Window.ConnectionPage().ComComboBox1;
    const int index = list->findText(QStringLiteral("Simulator"));
    ASSERT_GE(index, 0);
    list->setCurrentIndex(index);
    emit list->activated(index);
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
  EXPECT_FALSE(Window.ActionStart->isEnabled());
  EXPECT_TRUE(Window.ActionStop->isEnabled());
  Type(Qt::Key_S);
  EXPECT_EQ(Page(), TForm1::kLogPage);
  EXPECT_TRUE(Window.ActionStart->isEnabled());
  EXPECT_FALSE(Window.ActionStop->isEnabled());
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
  ASSERT_FALSE(Window.ActionStart->isEnabled());
  QTest::qWait(300);
  Type(Qt::Key_R);
  EXPECT_TRUE(Window.ActionStart->isEnabled());
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

}  // namespace
}  // namespace orvel::ui
