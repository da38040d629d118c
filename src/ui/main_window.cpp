#include "ui/main_window.h"

#include <QCloseEvent>
#include <QLocale>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "autotune/converter_correction_link.h"
#include "core/ui_texts.h"
#include "link/contactless_sensor.h"
#include "link/converter_steps.h"
#include "link/device_info.h"
#include "link/rxtx.h"
#include "link/serial_port.h"
#include "link/table_transfer.h"
#include "live/live_session.h"
#include "live/log.h"
#include "sim/simulator_host.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/connection_page_binding.h"
#include "ui/keyboard_modifiers.h"
#include "ui/progress_window.h"
#include "ui/qt_dispatcher.h"
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
  // The objects go in the reverse order of their creation: the binding, the
  // live-data session and the log (which joins its reader) before the link
  // they use, and the link before the simulator behind it.
  ConnectionBinding.reset();
  Session.reset();
  LiveLog.reset();
  Sensor.reset();
  Identifier.reset();
  Transfer.reset();
  MainTableModel.reset();
  CorrectionLink.reset();
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
  CorrectionLink = std::make_unique<ConverterCorrectionLink>(*SerialLink, Messages);
  MainTableModel->SetLink(CorrectionLink.get());
  const NumberFormat format{QLocale().decimalPoint().at(0).toLatin1()};
  Progress = new TForm2(this);
  Transfer = std::make_unique<TableTransfer>(*MainTableModel, *SerialLink, Messages, *Progress);
  Identifier = std::make_unique<DeviceIdentification>(*SerialLink, format);
  Sensor = std::make_unique<ContactlessSensor>(*SerialLink);
  Dispatcher = std::make_unique<QtMainThreadDispatcher>(this);
  // The log is the bus's third subscriber, after the window and the link.
  LiveLog = std::make_unique<Log>(Messages,
                                  LiveLinks{*SerialLink, Broadcaster, *MainTableModel, *Dispatcher, format});
  Session =
      std::make_unique<LiveSession>(Broadcaster, *LiveLog, *MainTableModel, *Transfer, Messages, nullptr);
  DashboardTimer = new QTimer(this);
  DashboardTimer->setInterval(100);
  connect(DashboardTimer, &QTimer::timeout, this, [this] { LiveLog->TimerTick(); });

  ConnectionBinding = std::make_unique<ConnectionPageBinding>(
      *this, Messages,
      [this](const std::string& entry) { return DevicePathFor(QString::fromStdString(entry)); },
      [this](SensorQueryView& view) {
        return ConverterSteps([this] { ActionReadCoverterExecute(); }, *Identifier, *Sensor, view);
      });

  ApplyLanguage(kLanguageEnglish);
  MainTableModel->LoadHistory(StateFile(kHistoryFileName));

  connect(Connection->ComComboBox1, &QComboBox::activated, this, [this] { ComComboBox1Change(); });
  connect(Connection->SpeedButtonReconnect, &QPushButton::clicked, this,
          [this] { SpeedButtonReconnectClick(); });
  connect(Connection->ComboBoxLanguage, &QComboBox::activated, this,
          [this](int index) { ApplyLanguage(index); });
  connect(ActionReadCoverter, &QAction::triggered, this, [this] { ActionReadCoverterExecute(); });
  connect(ActionWriteConverter, &QAction::triggered, this, [this] { ActionWriteConverterExecute(); });
  connect(ActionStart, &QAction::triggered, this, [this] { ActionStartExecute(); });
  connect(ActionStop, &QAction::triggered, this, [this] { ActionStopExecute(); });
}

std::string TForm1::SelectedPort() const {
  return Connection->ComComboBox1->currentIndex() < 0 || !SerialLink ? std::string() : SerialLink->PortName();
}

void TForm1::ActionReadCoverterExecute() {
  ActionStopExecute();
  const std::int32_t historyBefore = MainTableModel->History().HistoryPos();
  const std::uint32_t countBefore = MainTableModel->History().HistoryCount();
  if (!Transfer->ReadFromConverter()) {
    // The read reported its failure; the steps below would only fail again.
    return;
  }
  MainTableModel->SetBeginAsLearned(MainTableModel->LearnedBegin(), 0, false);
  LiveLog->SetCorrValue(0);
  Transfer->SendToConverterRam();
  // One undo takes the user back to the table before the read.
  MainTableModel->TieHistorySince(historyBefore, countBefore);
}

void TForm1::ActionWriteConverterExecute() {
  Transfer->WriteToConverter();
}

void TForm1::ActionStartExecute() {
  Session->Start(SelectedPort(), LiveSettings{});
}

void TForm1::ActionStopExecute() {
  Session->Stop(SelectedPort());
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
    DashboardTimer->start();
    ActionReadCoverter->setEnabled(false);
    ActionWriteConverter->setEnabled(false);
    ActionStart->setEnabled(false);
    ActionStop->setEnabled(true);
  } else if (MessageAs<TMsgLogStop>(message) != nullptr) {
    DashboardTimer->stop();
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
    if (SerialLink->Connected() != 0) {
      ActionStopExecute();
    }
    // The reader must have finished its last read before the port goes.
    LiveLog->JoinReader();
    ConnectionBinding.reset();
    Session.reset();
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
