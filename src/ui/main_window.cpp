#include "ui/main_window.h"

#include <QCloseEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/ui_texts.h"
#include "link/rxtx.h"
#include "link/serial_port.h"
#include "sim/simulator_host.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/connection_page_binding.h"
#include "ui/keyboard_modifiers.h"
#include "ui/qt_text.h"

namespace orvel::ui {

namespace {

constexpr int kKmaAngles[] = {45, 60, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90};

QWidget* PageWithBar(QToolBar* bar, QWidget* content) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  if (bar != nullptr) {
    layout->addWidget(bar);
  }
  layout->addWidget(content, 1);
  return page;
}

}  // namespace

MainWindowServices DefaultMainWindowServices() {
  MainWindowServices services;
  services.ListPorts = [] { return ListSerialPorts(); };
  services.StartSimulator = [] { return std::make_unique<sim::SimulatorHost>(sim::SimulatorOptions{}); };
  return services;
}

TForm1::TForm1(UserMessages& messages, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent),
      ActionStart(new QAction(QStringLiteral("Start"), this)),
      ActionStop(new QAction(QStringLiteral("Stop"), this)),
      ActionReadCoverter(new QAction(QStringLiteral("Считать из конвертера"), this)),
      ActionWriteConverter(new QAction(QStringLiteral("Записать в конвертер"), this)),
      ActionSaveALL(new QAction(QStringLiteral("Сохранить все"), this)),
      ActionTableOneToOne(new QAction(QStringLiteral("Замена 1:1"), this)),
      ActionUpgradeFirmwareOneToOne(new QAction(QStringLiteral("ActionUpgradeFirmwareOneToOne"), this)),
      Messages(messages),
      Services(std::move(services)) {
  setWindowTitle(QString::fromLatin1(kCaption));
  BuildPages();
  RunCreationSequence();
}

TForm1::~TForm1() {
  // The binding refers to widgets and to the link; it goes first. The table
  // model may refer to the link too.
  ConnectionBinding.reset();
  MainTableModel.reset();
  SerialLink.reset();
  Simulator.reset();
}

void TForm1::BuildPages() {
  Pages = new QTabWidget(this);
  Pages->setObjectName(QStringLiteral("MainPageControl"));
  Pages->setTabPosition(QTabWidget::West);
  Pages->setDocumentMode(true);

  Connection = new ConnectionPageWidget;
  Pages->addTab(Connection, QStringLiteral(" 1 "));

  TablePages = new QTabWidget;
  TablePages->setTabPosition(QTabWidget::North);
  auto* tableBar = new QToolBar;
  tableBar->addAction(ActionTableOneToOne);
  tableBar->addAction(ActionReadCoverter);
  tableBar->addAction(ActionWriteConverter);
  TablePages->addTab(PageWithBar(tableBar, new QWidget), QStringLiteral("График таблицы замены"));
  TablePages->addTab(new QWidget, QStringLiteral("Утилита сранения таблиц"));
  Pages->addTab(TablePages, QStringLiteral("2 Таблица Замены"));

  Pages->addTab(new QWidget, QStringLiteral("3 Графики лога"));

  auto* dashboardBar = new QToolBar;
  dashboardBar->addAction(ActionSaveALL);
  dashboardBar->addAction(ActionWriteConverter);
  dashboardBar->addAction(ActionReadCoverter);
  dashboardBar->addAction(ActionStart);
  dashboardBar->addAction(ActionStop);
  Pages->addTab(PageWithBar(dashboardBar, new QWidget), QStringLiteral("4 Панель приборов"));

  SetupPages = new QTabWidget;
  SetupPages->setTabPosition(QTabWidget::South);
  auto* firmwareBar = new QToolBar;
  firmwareBar->addAction(ActionUpgradeFirmwareOneToOne);
  SetupPages->addTab(PageWithBar(firmwareBar, new QWidget), QStringLiteral("Обновление прошивки"));
  Pages->addTab(SetupPages, QStringLiteral("5 Настройки"));

  Pages->setCurrentIndex(kConnectionPage);
  setCentralWidget(Pages);

  ActionStop->setEnabled(false);
  ActionReadCoverter->setEnabled(false);
  ActionWriteConverter->setEnabled(false);
  resize(1100, 720);
}

void TForm1::RunCreationSequence() {
  // The hardware labels appear only for the converter kind that reports them.
  Connection->LabelHwVersion->hide();
  Connection->LabelFOsc->hide();
  for (const int angle : kKmaAngles) {
    Connection->ComboBoxKmaAngleDegrees->addItem(QString::number(angle) + QStringLiteral("°"), angle);
  }
  Connection->ComboBoxKmaAngleDegrees->setCurrentIndex(0);

  // The window is the bus's first subscriber.
  Broadcaster.Subscribe(*this);
  FillPortList();
  SerialLink = std::make_unique<TRXTX>(Broadcaster, Services.LinkTimeout);
  Modifiers = std::make_unique<KeyboardModifiers>();
  MainTableModel = std::make_unique<Table>(Broadcaster, Messages, *Modifiers);
  ConnectionBinding = std::make_unique<ConnectionPageBinding>(
      *this, Messages,
      [this](const std::string& entry) { return DevicePathFor(QString::fromStdString(entry)); });

  ApplyLanguage(kLanguageEnglish);
  MainTableModel->LoadHistory(StateFile(kHistoryFileName));

  connect(Connection->ComComboBox1, &QComboBox::activated, this, [this] { ComComboBox1Change(); });
  connect(Connection->SpeedButtonReconnect, &QPushButton::clicked, this,
          [this] { SpeedButtonReconnectClick(); });
  connect(Connection->ComboBoxLanguage, &QComboBox::activated, this,
          [this](int index) { ApplyLanguage(index); });
}

void TForm1::FillPortList() {
  QStringList names;
  for (const auto& port : Services.ListPorts()) {
    names.append(QString::fromStdString(port));
  }
  names.append(QString::fromLatin1(kSimulatorEntry));
  Connection->SetPortNames(names);
}

std::string TForm1::DevicePathFor(const QString& entry) {
  if (entry != QLatin1String(kSimulatorEntry)) {
    return entry.toStdString();
  }
  if (!Simulator && Services.StartSimulator) {
    try {
      Simulator = Services.StartSimulator();
    } catch (const std::exception&) {
      // No pseudo-terminal to be had: the open of the empty path fails and
      // the port selection reports it like any port that does not open.
      return {};
    }
  }
  return Simulator ? Simulator->PortPath() : std::string();
}

void TForm1::ComComboBox1Change() {
  if (Closed) {
    return;
  }
  if (Connection->ComComboBox1->currentIndex() < 0) {
    return;
  }
  ConnectionBinding->SelectPort();
}

void TForm1::SpeedButtonReconnectClick() {
  if (Closed) {
    return;
  }
  ConnectionBinding->Reconnect();
}

void TForm1::Dispatch(const TMessage& message) {
  if (MessageAs<TMsgLogStart>(message) != nullptr) {
    ActionReadCoverter->setEnabled(false);
    ActionWriteConverter->setEnabled(false);
    ActionStart->setEnabled(false);
    ActionStop->setEnabled(true);
  } else if (MessageAs<TMsgLogStop>(message) != nullptr) {
    ActionStop->setEnabled(false);
    ActionReadCoverter->setEnabled(true);
    ActionWriteConverter->setEnabled(true);
    ActionStart->setEnabled(true);
  }
}

void TForm1::ApplyLanguage(int languagePosition) {
  Pages->setTabText(kTablePage, ToQString(texts::TableTabSheet.For(languagePosition)));
  Pages->setTabText(kLogPage, ToQString(texts::LogTabSheet.For(languagePosition)));
  Pages->setTabText(kDashboardPage, ToQString(texts::DashboardTabSheet.For(languagePosition)));
  Pages->setTabText(kSetupPage, ToQString(texts::SetupTabSheet.For(languagePosition)));
  TablePages->setTabText(0, ToQString(texts::TabSheetTableGraph.For(languagePosition)));
  TablePages->setTabText(1, ToQString(texts::TabSheetTableCompare.For(languagePosition)));
  SetupPages->setTabText(0, ToQString(texts::TabSheetFirmwareUpdate.For(languagePosition)));
  Connection->ApplyLanguage(languagePosition);
  if (auto folder = SoundFolderFor(languagePosition)) {
    CurrentSoundFolder = *folder;
  }
}

void TForm1::RunCloseSequence() {
  if (Closed) {
    return;
  }
  Closed = true;
  try {
    // Live data and the manual borders join this sequence with their parts;
    // the link goes last of the steps whose failures are swallowed.
    ConnectionBinding.reset();
    SerialLink.reset();
  } catch (...) {
    // A failure while taking the link down must not keep the state from being saved.
  }
  Simulator.reset();
  MainTableModel->SaveHistory(StateFile(kHistoryFileName));
}

std::filesystem::path TForm1::StateFile(const char* name) const {
  return Services.WorkingFolder / name;
}

void TForm1::closeEvent(QCloseEvent* event) {
  RunCloseSequence();
  event->accept();
}

}  // namespace orvel::ui
