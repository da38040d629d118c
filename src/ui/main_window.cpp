#include "ui/main_window.h"

#include <QCloseEvent>
#include <QLocale>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "autotune/converter_correction_link.h"
#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/state_cues.h"
#include "autotune/xrpm_table.h"
#include "core/ui_texts.h"
#include "link/contactless_sensor.h"
#include "link/converter_steps.h"
#include "link/device_info.h"
#include "link/rxtx.h"
#include "link/serial_port.h"
#include "link/table_transfer.h"
#include "live/correction_tick.h"
#include "live/live_correction_host.h"
#include "live/live_run.h"
#include "live/live_session.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "sim/simulator_host.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/connection_page_binding.h"
#include "ui/keyboard_modifiers.h"
#include "ui/pages/compare_page.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/firmware_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/table_graph_page.h"
#include "ui/progress_window.h"
#include "ui/qt_dispatcher.h"
#include "ui/qt_text.h"
#include "ui/sound/qt_cue_player.h"
#include "ui/window/file_dialogs.h"
#include "ui/window/modifier_latches.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

namespace {

constexpr int kKmaAngles[] = {45, 60, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90};

}  // namespace

MainWindowServices DefaultMainWindowServices(double simulatorTimeScale) {
  MainWindowServices services;
  services.ListPorts = [] { return ListSerialPorts(); };
  services.StartSimulator = [simulatorTimeScale] {
    sim::SimulatorOptions options;
    options.TimeScale = simulatorTimeScale;
    return std::make_unique<sim::SimulatorHost>(options);
  };
  services.Dialogs = std::make_shared<QtFileDialogs>();
  services.Cues = [] { return std::make_unique<QtCuePlayer>(); };
  services.DashboardTick = std::chrono::milliseconds{
      std::max<std::int64_t>(1, std::llround(100.0 / std::max(1.0, simulatorTimeScale)))};
  return services;
}

TForm1::TForm1(UserMessages& messages, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent),
      Messages(messages),
      Services(std::move(services)),
      TextsOfWindow(std::make_unique<TextRegistry>()),
      LatchesOfWindow(std::make_unique<LatchRegistry>()) {
  setWindowTitle(QString::fromLatin1(kCaption));
  BuildPages();
  RunCreationSequence();
}

TForm1::~TForm1() {
  // The objects go in the reverse order of their creation: the binding, the
  // live-data session and the log (which joins its reader) before the link
  // they use, and the link before the simulator behind it.
  ConnectionBinding.reset();
  Learning.reset();
  Correction.reset();
  Cues.reset();
  CorrectionHost.reset();
  Session.reset();
  LiveLog.reset();
  Tick.reset();
  Sensor.reset();
  Identifier.reset();
  Transfer.reset();
  CompareTableModel.reset();
  MainTableModel.reset();
  CorrectionLink.reset();
  SerialLink.reset();
  Simulator.reset();
}

void TForm1::BuildPages() {
  TextRegistry& texts = *TextsOfWindow;
  LatchRegistry& latches = *LatchesOfWindow;
  Pages = new QTabWidget(this);
  Pages->setObjectName(QStringLiteral("MainPageControl"));
  Pages->setTabPosition(QTabWidget::West);
  Pages->setDocumentMode(true);

  Connection = new ConnectionPageWidget;
  Pages->addTab(Connection, QStringLiteral(" 1 "));

  TablePages = new QTabWidget;
  TablePages->setTabPosition(QTabWidget::North);
  TableGraphView = new TableGraphPage(texts, latches);
  CompareView = new ComparePage(texts, latches);
  TablePages->addTab(TableGraphView, QStringLiteral("График таблицы замены"));
  TablePages->addTab(CompareView, QStringLiteral("Утилита сранения таблиц"));
  texts.AddTab(TablePages, 0, texts::TabSheetTableGraph);
  texts.AddTab(TablePages, 1, texts::TabSheetTableCompare);
  Pages->addTab(TablePages, QStringLiteral("2 Таблица Замены"));

  LogPageView = new LogPage(texts, latches);
  Pages->addTab(LogPageView, QStringLiteral("3 Графики лога"));

  DashboardView = new DashboardPage(texts, latches);
  Pages->addTab(DashboardView, QStringLiteral("4 Панель приборов"));

  SetupPages = new QTabWidget;
  SetupPages->setTabPosition(QTabWidget::South);
  FirmwareView = new FirmwarePage(texts, latches);
  SetupPages->addTab(FirmwareView, QStringLiteral("Обновление прошивки"));
  texts.AddTab(SetupPages, 0, texts::TabSheetFirmwareUpdate);
  Pages->addTab(SetupPages, QStringLiteral("5 Настройки"));

  texts.AddTab(Pages, kTablePage, texts::TableTabSheet);
  texts.AddTab(Pages, kLogPage, texts::LogTabSheet);
  texts.AddTab(Pages, kDashboardPage, texts::DashboardTabSheet);
  texts.AddTab(Pages, kSetupPage, texts::SetupTabSheet);

  ActionStart = DashboardView->ActionStart;
  ActionStop = DashboardView->ActionStop;
  ActionReadCoverter = DashboardView->ActionReadCoverter;
  ActionWriteConverter = DashboardView->ActionWriteConverter;
  ActionSaveALL = DashboardView->ActionSaveALL;
  ActionTableOneToOne = TableGraphView->ActionTableOneToOne;
  ActionUpgradeFirmwareOneToOne = FirmwareView->ActionUpgradeFirmwareOneToOne;

  Pages->setCurrentIndex(kConnectionPage);
  setCentralWidget(Pages);

  ActionStop->setEnabled(false);
  for (QAction* action : ConverterActions()) {
    action->setEnabled(false);
  }
  resize(1280, 800);
}

std::vector<QAction*> TForm1::ConverterActions() const {
  return {DashboardView->ActionReadCoverter, DashboardView->ActionWriteConverter,
          TableGraphView->ActionReadCoverter, TableGraphView->ActionWriteConverter};
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
  Scale = std::make_unique<XrpmTable>();
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
  CompareTableModel = std::make_unique<Table>(Broadcaster, Messages, *Modifiers);
  Tick = std::make_unique<CorrectionTick>(*MainTableModel, *Scale, Broadcaster);
  // The log's tick runs the correction decision after every dashboard message.
  LiveLog->SetDashboardHook(Tick.get());
  Session =
      std::make_unique<LiveSession>(Broadcaster, *LiveLog, *MainTableModel, *Transfer, Messages, Tick.get());
  CorrectionHost = std::make_unique<LiveCorrectionHost>(*LiveLog, *Transfer);
  Correction = std::make_unique<CorrectionWindowModel>(*MainTableModel, CompareTableModel.get(),
                                                       Tick->Settings(), *CorrectionHost, format);
  Reference = std::make_unique<O2ReferenceModel>(format);
  Learning = std::make_unique<LogLearningControls>(*LiveLog, *MainTableModel, *Reference, format);
  Cues = Services.Cues ? Services.Cues() : std::make_unique<QtCuePlayer>();
  DashboardView->Bind(DashboardModels{*MainTableModel, *Scale, *Correction, *Reference, *Learning,
                                      Broadcaster, *CorrectionHost, *Cues});
  DashboardTimer = new QTimer(this);
  DashboardTimer->setInterval(Services.DashboardTick);
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
  for (QAction* read : {DashboardView->ActionReadCoverter, TableGraphView->ActionReadCoverter}) {
    connect(read, &QAction::triggered, this, [this] { ActionReadCoverterExecute(); });
  }
  for (QAction* write : {DashboardView->ActionWriteConverter, TableGraphView->ActionWriteConverter}) {
    connect(write, &QAction::triggered, this, [this] { ActionWriteConverterExecute(); });
  }
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
  StartLiveRun(*Session, *Correction, SelectedPort());
}

void TForm1::ActionStopExecute() {
  const bool autocorrection = Correction->Autocorrection();
  if (StopLiveRun(*Session, *Correction, SelectedPort()) && autocorrection) {
    // The run's MAF limit stays where autocorrection left it.
    Learning->SetMafLimitLocked(true);
  }
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
  if (const auto* dash = MessageAs<TMsgDashData>(message)) {
    DashboardView->ShowDashData(*dash);
    return;
  }
  if (Correction && Correction->Dispatch(message)) {  // TMsgCorrAdvice, TMsgWindowPoint
    return;
  }
  if (MessageAs<TMsgLogStart>(message) != nullptr) {
    DashboardView->SetRecording(true);
    DashboardTimer->start();
    for (QAction* action : ConverterActions()) {
      action->setEnabled(false);
    }
    ActionStart->setEnabled(false);
    ActionStop->setEnabled(true);
  } else if (MessageAs<TMsgLogStop>(message) != nullptr) {
    DashboardTimer->stop();
    DashboardView->SetRecording(false);
    Correction->LiveDataStopped();
    ActionStop->setEnabled(false);
    for (QAction* action : ConverterActions()) {
      action->setEnabled(true);
    }
    ActionStart->setEnabled(true);
  }
}

void TForm1::ApplyLanguage(int languagePosition) {
  TextsOfWindow->Apply(languagePosition);
  Connection->ApplyLanguage(languagePosition);
  if (auto folder = SoundFolderFor(languagePosition)) {
    CurrentSoundFolder = *folder;
  }
  DashboardView->SetSoundFolder(CurrentSoundFolder);
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
