#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "converter_wait.h"
#include "core/user_messages.h"
#include "dashboard_actions.h"
#include "event_wait.h"
#include "find_by_name.h"
#include "link/link_errors.h"
#include "link/rxtx.h"
#include "live/log.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/main_window.h"

namespace orvel::ui {
namespace {

using test::DashboardAction;
using test::Find;
using test::ProcessEventsUntil;

// A window over a fixed port list; its built-in simulator is the real one on
// a pseudo-terminal.
class MainWindowTest : public ::testing::Test {
 protected:
  // The first start in an empty folder reports the missing state file;
  // the tests below look at what happens after it.
  MainWindowTest() : Window(Messages, Services(Folder)) {
    StartMessages = Messages.Texts;
    Messages.Texts.clear();
  }

  static MainWindowServices Services(const orvel::test::TempDir& folder) {
    MainWindowServices services = DefaultMainWindowServices();
    services.WorkingFolder = folder.Path();
    services.ListPorts = [] { return std::vector<std::string>{"/dev/ttyS0", "/dev/orvel-no-such-port"}; };
    services.LinkTimeout = std::chrono::milliseconds{200};
    return services;
  }

  void Choose(const QString& entry) {
    auto& list = Find<QComboBox>(Window.ConnectionPage(), "ComComboBox1");
    const int index = list.findText(entry);
    ASSERT_GE(index, 0) << entry.toStdString();
    list.setCurrentIndex(index);
    emit list.activated(index);
    ASSERT_TRUE(test::WaitForConverter(Window));
  }

  // A control of the connection page by its name.
  template <typename T>
  T& OnConnectionPage(const char* name) {
    return Find<T>(Window.ConnectionPage(), name);
  }

  orvel::test::TempDir Folder;
  RecordedMessages Messages;
  TForm1 Window;
  std::vector<std::string> StartMessages;
};

TEST_F(MainWindowTest, StartsWithTheConnectionPageInEnglish) {
  EXPECT_EQ(Window.windowTitle(), QStringLiteral("OrvelConfigurator V3.88"));
  QTabWidget& pages = Window.MainPageControl();
  ASSERT_EQ(pages.count(), 5);
  EXPECT_EQ(pages.tabPosition(), QTabWidget::West);
  EXPECT_EQ(pages.currentIndex(), TForm1::kConnectionPage);
  const QStringList captions{" 1 ", "2 Conversion Table", "3 Log Graph", "4 Dashboard", "5 Options/Setup"};
  for (int i = 0; i < pages.count(); ++i) {
    EXPECT_EQ(pages.tabText(i), captions[i]);
  }

  const auto& portList = OnConnectionPage<QComboBox>("ComComboBox1");
  QStringList ports;
  for (int i = 0; i < portList.count(); ++i) {
    ports.append(portList.itemText(i));
  }
  EXPECT_EQ(ports, (QStringList{"/dev/ttyS0", "/dev/orvel-no-such-port", "Simulator"}));
  EXPECT_EQ(portList.currentIndex(), -1);
  EXPECT_FALSE(OnConnectionPage<QPushButton>("SpeedButtonReconnect").isEnabled());
  EXPECT_TRUE(OnConnectionPage<QLabel>("LabelHwVersion").isHidden());
  EXPECT_TRUE(OnConnectionPage<QLabel>("LabelFOsc").isHidden());
  EXPECT_TRUE(OnConnectionPage<QGroupBox>("GroupBoxContactlessSettings").isHidden());
  EXPECT_EQ(OnConnectionPage<QLabel>("LabelFirmware").text(), QStringLiteral("FW_version V: "));
  const auto& angles = OnConnectionPage<QComboBox>("ComboBoxKmaAngleDegrees");
  ASSERT_EQ(angles.count(), 13);
  EXPECT_EQ(angles.currentText(), QStringLiteral("45°"));
  EXPECT_EQ(angles.itemData(12).toInt(), 90);
  // The texts are English while the list still shows its design entry.
  EXPECT_EQ(OnConnectionPage<QComboBox>("ComboBoxLanguage").currentText(), QStringLiteral("Русский"));
  EXPECT_EQ(OnConnectionPage<QPlainTextEdit>("Memo1").document()->blockCount(), 28);
  EXPECT_EQ(Window.SoundFolder(), "Sound/En/");
  EXPECT_TRUE(DashboardAction(Window, "ActionStart").isEnabled());
  EXPECT_FALSE(DashboardAction(Window, "ActionStop").isEnabled());
  EXPECT_FALSE(DashboardAction(Window, "ActionReadCoverter").isEnabled());
  EXPECT_FALSE(DashboardAction(Window, "ActionWriteConverter").isEnabled());
}

TEST_F(MainWindowTest, ChoosingTheSimulatorConnectsAndShowsTheDashboard) {
  Choose(QStringLiteral("Simulator"));
  ASSERT_NE(Window.BuiltInSimulator(), nullptr);
  EXPECT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
  EXPECT_EQ(Window.Link()->Connected(), 1U);
  EXPECT_EQ(Window.Link()->PortName(), Window.BuiltInSimulator()->PortPath());
  EXPECT_TRUE(DashboardAction(Window, "ActionReadCoverter").isEnabled());
  EXPECT_TRUE(DashboardAction(Window, "ActionWriteConverter").isEnabled());
  EXPECT_TRUE(OnConnectionPage<QPushButton>("SpeedButtonReconnect").isEnabled());
  EXPECT_EQ(Window.MainPageControl().currentIndex(), TForm1::kDashboardPage);

  // The procedure read the table, identified the converter and asked for its
  // contactless sensor, in that order.
  const std::vector<std::uint8_t> received = Window.BuiltInSimulator()->ReceivedBytes();
  const std::string commands(received.begin(), received.end());
  const auto read = commands.find("sr");
  const auto identify = commands.find("sv");
  const auto sensor = commands.find("sy");
  ASSERT_NE(read, std::string::npos);
  EXPECT_LT(read, identify);
  EXPECT_LT(identify, sensor);
  const sim::ConverterTable table = Window.BuiltInSimulator()->WorkingTable();
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(Window.MainTable().GetOut(i), table[static_cast<std::size_t>(i)]) << i;
  }
  EXPECT_EQ(OnConnectionPage<QLabel>("LabelFirmware").text(), QStringLiteral("FW_Version:3.8"));
  EXPECT_FALSE(OnConnectionPage<QLabel>("LabelHwVersion").isHidden());
  EXPECT_EQ(OnConnectionPage<QLabel>("LabelHwVersion").text(), QStringLiteral("HW_Version: 5"));
  EXPECT_EQ(OnConnectionPage<QLabel>("LabelFOsc").text(), QStringLiteral("F_OSC: 16MHz"));
  EXPECT_FALSE(OnConnectionPage<QGroupBox>("GroupBoxContactlessSettings").isHidden());
  EXPECT_EQ(OnConnectionPage<QComboBox>("ComboBoxKmaSensorType").count(), 1);

  // Reconnect closes and reopens the same pseudo-terminal.
  OnConnectionPage<QPushButton>("SpeedButtonReconnect").click();
  ASSERT_TRUE(test::WaitForConverter(Window));
  EXPECT_TRUE(Messages.Texts.empty());
  EXPECT_TRUE(Window.Link()->IsOpen());
}

TEST_F(MainWindowTest, LiveDataRunsUntilStopAndAHangUpReachesTheUserFromTheReader) {
  Choose(QStringLiteral("Simulator"));
  ASSERT_TRUE(Messages.Texts.empty());
  DashboardAction(Window, "ActionStart").trigger();
  EXPECT_FALSE(DashboardAction(Window, "ActionStart").isEnabled());
  EXPECT_TRUE(DashboardAction(Window, "ActionStop").isEnabled());
  ASSERT_TRUE(
      ProcessEventsUntil([this] { return Window.LogModel().SampleCount() >= 30; }, std::chrono::seconds(5)));
  DashboardAction(Window, "ActionStop").trigger();
  EXPECT_TRUE(DashboardAction(Window, "ActionStart").isEnabled());
  Window.LogModel().JoinReader();
  const std::size_t kept = Window.LogModel().SampleCount();
  QTest::qWait(200);
  EXPECT_EQ(Window.LogModel().SampleCount(), kept) << "no sample after the stop";

  // Again, and the converter vanishes mid stream: the reader hands its error
  // text and the stop to the window through the event loop.
  DashboardAction(Window, "ActionStart").trigger();
  ASSERT_TRUE(
      ProcessEventsUntil([this] { return Window.LogModel().SampleCount() >= 20; }, std::chrono::seconds(5)));
  Window.BuiltInSimulator()->HangUp();
  ASSERT_TRUE(ProcessEventsUntil([this] { return DashboardAction(Window, "ActionStart").isEnabled(); },
                                 std::chrono::seconds(5)));
  ASSERT_EQ(Messages.Texts.size(), 1U);
  EXPECT_NE(Messages.Texts[0].find("Serial port"), std::string::npos) << Messages.Texts[0];
  EXPECT_GE(Window.LogModel().SampleCount(), 20U) << "the samples so far are kept";
}

TEST_F(MainWindowTest, APortThatDoesNotOpenAsksToTryAgain) {
  Choose(QStringLiteral("/dev/orvel-no-such-port"));
  ASSERT_EQ(Messages.Texts.size(), 1U);
  EXPECT_EQ(Messages.Texts[0], kTryAgain);
  EXPECT_EQ(Window.Link()->Connected(), 0U);
  EXPECT_FALSE(OnConnectionPage<QPushButton>("SpeedButtonReconnect").isEnabled());
  EXPECT_FALSE(DashboardAction(Window, "ActionReadCoverter").isEnabled());
  EXPECT_EQ(Window.MainPageControl().currentIndex(), TForm1::kConnectionPage);
}

TEST_F(MainWindowTest, WithRecoveryTickedChoosingAPortSendsNothingAndStaysOnThePage) {
  OnConnectionPage<QCheckBox>("CheckBoxFirmwareRecovery").setChecked(true);
  Choose(QStringLiteral("Simulator"));
  EXPECT_TRUE(Messages.Texts.empty());
  EXPECT_EQ(Window.Link()->Connected(), 1U);
  EXPECT_TRUE(Window.BuiltInSimulator()->ReceivedBytes().empty());
  EXPECT_EQ(Window.MainPageControl().currentIndex(), TForm1::kConnectionPage);
  // The connect is over: its label and busy pointer are gone.
  EXPECT_EQ(OnConnectionPage<QLabel>("LabelFirmware").text(), QStringLiteral("FW_version V: "));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, LanguageSwitchRewritesTheTextsBothWays) {
  auto& language = OnConnectionPage<QComboBox>("ComboBoxLanguage");
  language.setCurrentIndex(0);
  emit language.activated(0);
  EXPECT_EQ(Window.MainPageControl().tabText(TForm1::kLogPage), QStringLiteral("3 Графики лога"));
  EXPECT_EQ(OnConnectionPage<QCheckBox>("CheckBoxFirmwareRecovery").text(),
            QStringLiteral("Восстановление прошивки"));
  EXPECT_EQ(Window.SoundFolder(), "Sound/Ru/");
  const QString russianMemo = OnConnectionPage<QPlainTextEdit>("Memo1").toPlainText();
  EXPECT_TRUE(russianMemo.startsWith(QStringLiteral("'F1...F12'- Выбор")));

  language.setCurrentIndex(1);
  emit language.activated(1);
  EXPECT_EQ(Window.MainPageControl().tabText(TForm1::kLogPage), QStringLiteral("3 Log Graph"));
  EXPECT_EQ(OnConnectionPage<QPlainTextEdit>("Memo1").document()->blockCount(), 28);
  EXPECT_EQ(Window.SoundFolder(), "Sound/En/");
}

TEST_F(MainWindowTest, ClosingClosesTheLinkAndStopsTheSimulator) {
  Choose(QStringLiteral("Simulator"));
  ASSERT_TRUE(Window.Link()->IsOpen());
  Window.show();
  EXPECT_TRUE(Window.close());
  EXPECT_TRUE(Window.Core().Closed());
  EXPECT_FALSE(Window.Link()->IsOpen());
  EXPECT_EQ(Window.BuiltInSimulator(), nullptr);
  // The undo history is saved in the working folder.
  EXPECT_TRUE(std::filesystem::exists(Folder.Path() / kHistoryFileName));
  // A second close changes nothing.
  Window.RunCloseSequence();
  EXPECT_TRUE(Messages.Texts.empty());
}

}  // namespace
}  // namespace orvel::ui
