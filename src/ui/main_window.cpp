#include "ui/main_window.h"

#include <QCloseEvent>
#include <QLocale>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <thread>

#include "autotune/converter_correction_link.h"
#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/state_cues.h"
#include "autotune/xrpm_table.h"
#include "core/ui_texts.h"
#include "link/contactless_sensor.h"
#include "link/converter_steps.h"
#include "link/device_info.h"
#include "link/firmware_update.h"
#include "link/link_errors.h"
#include "link/rxtx.h"
#include "link/serial_port.h"
#include "link/table_transfer.h"
#include "live/correction_tick.h"
#include "live/live_correction_host.h"
#include "live/live_run.h"
#include "live/live_session.h"
#include "live/live_settings.h"
#include "live/log.h"
#include "live/log_autosave.h"
#include "live/log_learning_controls.h"
#include "sim/simulator_host.h"
#include "table/table.h"
#include "ui/connection_page.h"
#include "ui/connection_page_binding.h"
#include "ui/keyboard_modifiers.h"
#include "ui/keys/window_keyboard.h"
#include "ui/pages/compare_page.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/firmware_page.h"
#include "ui/pages/firmware_page_binding.h"
#include "ui/pages/log_page.h"
#include "ui/pages/table_graph_page.h"
#include "ui/progress_window.h"
#include "ui/qt_dispatcher.h"
#include "ui/qt_text.h"
#include "ui/sound/qt_cue_player.h"
#include "ui/widgets/calibration_overlay.h"
#include "ui/window/file_dialogs.h"
#include "ui/window/modifier_latches.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

namespace {

// The sensor model the update-with-1:1 action selects: "0-5V Signal".
constexpr int kWidebandVoltageSensor = 2;

}  // namespace

MainWindowServices DefaultMainWindowServices(double simulatorTimeScale) {
  MainWindowServices services;
  services.ListPorts = [] { return ListSerialPorts(); };
  // ORVEL_SIM_REALISM and ORVEL_SIM_TIME_SCALE set up the built-in simulator;
  // a time scale from the command line (above 0) overrides the latter.
  services.StartSimulator = [simulatorTimeScale] {
    sim::SimulatorOptions options = sim::SimulatorOptionsFromEnvironment();
    if (simulatorTimeScale > 0) {
      options.TimeScale = simulatorTimeScale;
    }
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
  // they use, and the link before the simulator behind it. No key reaches
  // the commands once their models start to go.
  Keyboard.reset();
  ConnectionBinding.reset();
  FirmwareRun.reset();
  FirmwareBinding.reset();
  // The pages and the progress window are bound to the models below (the log
  // chart unbinds itself from the log as it goes), so they go before the
  // models; QWidget's own destructor would delete them after every member.
  delete takeCentralWidget();
  Pages = nullptr;
  delete Progress;
  Progress = nullptr;
  State.reset();
  Autosave.reset();
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

  Connection = new ConnectionPageWidget(texts);
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

  texts.AddFixed(Pages->widget(kConnectionPage));
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
  // The values the window keeps for the program state file start as
  // WindowSettings gives them (spare 10, remembered B and T 1000).
  Frame = WindowSettings{};
  // The hardware labels appear only for the converter kind that reports them.
  Connection->LabelHwVersion->hide();
  Connection->LabelFOsc->hide();
  for (const int angle : kSensorAngles) {
    Connection->ComboBoxKmaAngleDegrees->addItem(QString::number(angle) + QStringLiteral("°"), angle);
  }
  Connection->ComboBoxKmaAngleDegrees->setCurrentIndex(0);

  // The window is the bus's first subscriber.
  Broadcaster.Subscribe(*this);
  FillPortList();
  // The link is the second subscriber.
  SerialLink = std::make_unique<TRXTX>(Broadcaster, Services.LinkTimeout);
  Modifiers = std::make_unique<KeyboardModifiers>();
  Scale = std::make_unique<XrpmTable>();
  MainTableModel = std::make_unique<Table>(Broadcaster, Messages, *Modifiers);
  // Binding the table page resets the table's parameters and takes the
  // history's first snapshot.
  TableGraphView->Bind(*MainTableModel, *Modifiers, *Services.Dialogs);
  MainTableModel->BindDashboard(nullptr);
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
  DashboardTimer = new QTimer(this);
  DashboardTimer->setInterval(Services.DashboardTick);
  connect(DashboardTimer, &QTimer::timeout, this, [this] { LiveLog->TimerTick(); });
  CompareTableModel = std::make_unique<Table>(Broadcaster, Messages, *Modifiers);
  CompareView->Bind(*CompareTableModel, *Services.Dialogs);
  Tick = std::make_unique<CorrectionTick>(*MainTableModel, *Scale, Broadcaster);
  // The log's tick runs the correction decision after every dashboard message.
  LiveLog->SetDashboardHook(Tick.get());
  Session =
      std::make_unique<LiveSession>(Broadcaster, *LiveLog, *MainTableModel, *Transfer, Messages, Tick.get());
  CorrectionHost = std::make_unique<LiveCorrectionHost>(*LiveLog, *Transfer);
  // The correction window starts armed, with LearnedBegin 0.
  Correction = std::make_unique<CorrectionWindowModel>(*MainTableModel, CompareTableModel.get(),
                                                       Tick->Settings(), *CorrectionHost, format);
  Correction->SetLearnedBegin(0);
  // The oxygen sensor list starts at its first model.
  Reference = std::make_unique<O2ReferenceModel>(format);
  Learning = std::make_unique<LogLearningControls>(*LiveLog, *MainTableModel, *Reference, format);
  // The log-limit lock is pressed at start, so its slider starts disabled.
  Learning->SetMafLimitLocked(true);
  // The log page's controls follow the reference themselves.
  Reference->SetRefO2ChangeHandler([this] { Correction->SetO2Ref(Reference->O2Ref()); });
  // The reference's and the averaging sliders' change handling, so their
  // values reach the decision before anything is loaded.
  Correction->SetO2Ref(Reference->O2Ref());
  Learning->O2FromDashChanged();
  Correction->SetAvgB(Correction->AvgB());
  Correction->SetAvgT(Correction->AvgT());
  Keyboard = std::make_unique<WindowKeyboard>(
      *this, WindowKeyboardModels{*SerialLink, *Transfer, *MainTableModel, *Correction, *Reference, *Learning,
                                  *LiveLog, *Modifiers, Messages});
  Cues = Services.Cues ? Services.Cues() : std::make_unique<QtCuePlayer>();
  DashboardView->Bind(DashboardModels{*MainTableModel, *Scale, *Correction, *Reference, *Learning, *LiveLog,
                                      Broadcaster, *CorrectionHost, *Cues});
  // The table page's undo and redo show the restored table on the log chart too.
  connect(TableGraphView, &TableGraphPage::HistoryMoved, this, [this] { LiveLog->RedrawIfData(); });
  // Every recording is also written to a file as it grows; subscribed after
  // the log, so a new file starts after the log has been cleared.
  Autosave = std::make_unique<LogAutosave>(*LiveLog, Messages, Services.WorkingFolder / kAutosaveFolderName);
  Broadcaster.Subscribe(*Autosave);
  LogPageView->Bind({*LiveLog, *MainTableModel, *Learning, *Reference, *Services.Dialogs, *Modifiers,
                     [this] { Transfer->SendToConverterRam(); }});
  connect(DashboardTimer, &QTimer::timeout, this, [this] { Autosave->Flush(); });

  ConnectionBinding = std::make_unique<ConnectionPageBinding>(
      *this, Messages,
      [this](const std::string& entry) { return DevicePathFor(QString::fromStdString(entry)); },
      [this](SensorQueryView& view) {
        return ConverterSteps([this] { ActionReadCoverterExecute(); }, *Identifier, *Sensor, view);
      });
  FirmwareBinding = std::make_unique<FirmwarePageBinding>(
      *FirmwareView, *Connection->CheckBoxFirmwareRecovery, [this] { return LiveLog->IsRunning(); });
  FirmwareRun = std::make_unique<FirmwareUpdate>(*SerialLink, Messages, *FirmwareBinding);
  Texts().Add(Progress, texts::ProgressCaption,
              [this](const QString& title) { Progress->setWindowTitle(title); });

  // English first; the state file may then choose another language.
  ApplyLanguage(kLanguageEnglish);
  State = std::make_unique<ProgramState>(
      ProgramStateModels{*Correction, *Reference, *Scale, Frame,
                         [this](std::int32_t language) { LanguageChanged(language); }, nullptr},
      Messages);
  State->LoadState(StateFile(kStateFileName));
  // The Toyota button's click handling, so the tables follow its restored state.
  Correction->SetToyota(Correction->Toyota());
  // The history comes last, now or right after the first paint.
  HistoryPending = true;
  if (!Services.LoadHistoryAfterFirstPaint) {
    MainTableModel->LoadHistory(StateFile(kHistoryFileName));
    HistoryPending = false;
  }

  ConnectControls();
}

void TForm1::ConnectControls() {
  connect(Connection->ComComboBox1, &QComboBox::activated, this, [this] { ComComboBox1Change(); });
  connect(Connection->SpeedButtonReconnect, &QPushButton::clicked, this,
          [this] { SpeedButtonReconnectClick(); });
  connect(Connection->ComboBoxLanguage, &QComboBox::activated, this, [this](int index) {
    Frame.Language = index;
    ApplyLanguage(index);
  });
  connect(Connection->ComboBoxKmaSensorType, &QComboBox::activated, this,
          [this] { ComboBoxKmaSensorTypeChange(); });
  connect(Connection->ButtonCalibrateKMA, &QPushButton::clicked, this, [this] { ButtonCalibrateKMAClick(); });
  for (QAction* read : {DashboardView->ActionReadCoverter, TableGraphView->ActionReadCoverter}) {
    connect(read, &QAction::triggered, this, [this] { ActionReadCoverterExecute(); });
  }
  for (QAction* write : {DashboardView->ActionWriteConverter, TableGraphView->ActionWriteConverter}) {
    connect(write, &QAction::triggered, this, [this] { ActionWriteConverterExecute(); });
  }
  connect(ActionStart, &QAction::triggered, this, [this] { ActionStartExecute(); });
  connect(ActionStop, &QAction::triggered, this, [this] { ActionStopExecute(); });
  connect(ActionSaveALL, &QAction::triggered, this, [this] { ActionSaveALLExecute(); });
  connect(ActionTableOneToOne, &QAction::triggered, this, [this] { ActionTableOneToOneExecute(); });
  connect(FirmwareView->FileOpenFirmware, &QAction::triggered, this, [this] { FileOpenFirmwareExecute(); });
  connect(ActionUpgradeFirmwareOneToOne, &QAction::triggered, this,
          [this] { ActionUpgradeFirmwareOneToOneExecute(); });
  // The factory test runs Start and Stop whatever the actions' state.
  connect(FirmwareView->ButtonFactoryStart, &QPushButton::clicked, this, [this] { ActionStartExecute(); });
  connect(FirmwareView->ButtonFactoryStop, &QPushButton::clicked, this, [this] { ActionStopExecute(); });
  // A page change by mouse releases the modifier latches; the keys 1…5 set
  // the page without it.
  connect(Pages->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
    if (index != Pages->currentIndex()) {
      LatchesOfWindow->ReleaseAll();
    }
  });
}

void TForm1::LanguageChanged(int languagePosition) {
  // A position the list does not have leaves it without a selection.
  Connection->ComboBoxLanguage->setCurrentIndex(
      languagePosition >= 0 && languagePosition < Connection->ComboBoxLanguage->count() ? languagePosition
                                                                                        : -1);
  ApplyLanguage(languagePosition);
}

std::string TForm1::SelectedPort() const {
  return Connection->ComComboBox1->currentIndex() < 0 || !SerialLink ? std::string() : SerialLink->PortName();
}

void TForm1::ActionReadCoverterExecute() {
  const OperationGuard::Scope busy = Operations.Hold();
  ActionStopExecute();
  const std::int32_t historyBefore = MainTableModel->History().HistoryPos();
  const std::uint32_t countBefore = MainTableModel->History().HistoryCount();
  if (!Transfer->ReadFromConverter()) {
    // The read reported its failure; the steps below would only fail again.
    return;
  }
  // The MAF window's beginning follows the learned beginning, which is
  // marked learned with correction 0; the correction goes back to 0 through
  // the correction window, so the log and the converter hear of it.
  const std::int32_t learnedBegin = Correction->LearnedBegin();
  Correction->SetMafBeg(learnedBegin);
  MainTableModel->SetBeginAsLearned(learnedBegin, 0, false);
  Correction->SetCorrection(0);
  LiveLog->SetCorrValue(0);
  Transfer->SendToConverterRam();
  // One undo takes the user back to the table before the read.
  MainTableModel->TieHistorySince(historyBefore, countBefore);
}

void TForm1::ActionWriteConverterExecute() {
  const OperationGuard::Scope busy = Operations.Hold();
  Transfer->WriteToConverter();
}

void TForm1::ActionStartExecute() {
  if (Closed) {
    return;
  }
  StartLiveRun(*Session, *Correction, SelectedPort());
}

void TForm1::ActionStopExecute() {
  if (Closed) {
    return;
  }
  const bool autocorrection = Correction->Autocorrection();
  if (StopLiveRun(*Session, *Correction, SelectedPort()) && autocorrection) {
    // The run's MAF limit stays where autocorrection left it.
    Learning->SetMafLimitLocked(true);
  }
}

KeySelection& TForm1::Selection() {
  return Keyboard->Selection();
}

KeyCommands& TForm1::Keys() {
  return Keyboard->Commands();
}

void TForm1::ShowPageByKey(int page) {
  Pages->setCurrentIndex(page);
}

void TForm1::ActionSaveALLExecute() {
  // One name for both dialogs, built once.
  const QString name = ProposedSaveName();
  if (auto table =
          Dialogs().Save(FileDialogRequest{QStringLiteral("Tab Files|*.tab"), QStringLiteral("tab"), name})) {
    MainTableModel->SaveTableFile(*table, 1);
  }
  if (auto log =
          Dialogs().Save(FileDialogRequest{QStringLiteral("Log Files|*.log"), QStringLiteral("log"), name})) {
    LiveLog->SaveToFile(*log);
  }
}

void TForm1::ActionTableOneToOneExecute() {
  MainTableModel->MakeOneToOne();
  // The window's copy of the learned beginning and the MAF window's beginning
  // go back to 0; the table's own LearnedBegin stays.
  Correction->SetLearnedBegin(0);
  Correction->SetMafBeg(0);
}

void TForm1::FileOpenFirmwareExecute() {
  const OperationGuard::Scope busy = Operations.Hold();
  FirmwareRun->Update(Dialogs().Open(FileDialogRequest{QStringLiteral("Firmware files|*.enc"), {}, {}}));
}

void TForm1::ActionUpgradeFirmwareOneToOneExecute() {
  const OperationGuard::Scope busy = Operations.Hold();
  const auto chosen = Dialogs().Open(FileDialogRequest{QStringLiteral("Firmware files|*.enc"), {}, {}});
  if (FirmwareRun->Update(chosen) != FirmwareOutcome::Updated) {
    return;
  }
  repaint();
  // The converter needs a moment to start its new firmware before it
  // answers the table write.
  std::this_thread::sleep_for(kFirmwareStartPause);
  ActionTableOneToOneExecute();
  Transfer->WriteToConverter();
  // Whatever the write's outcome: the wideband voltage sensor and live data.
  ComboBoxO2Change(kWidebandVoltageSensor);
  ActionStartExecute();
}

void TForm1::ComboBoxO2Change(int sensorType) {
  Reference->ComboBoxO2Change(sensorType);
  Correction->SetSensorType(sensorType);
}

void TForm1::ComboBoxKmaSensorTypeChange() {
  SensorChoice choice;
  choice.TypeChanged();
  Connection->ComboBoxKmaDirection->setCurrentIndex(choice.DirectionIndex);
  Connection->ComboBoxKmaCalAtMinOrMaxAngle->setCurrentIndex(choice.End == CalibrationEnd::MaxAngle ? 1 : 0);
  Connection->CheckBoxIdleSwitch->setChecked(false);
  Connection->CheckBoxFullSwitch->setChecked(false);
  Connection->ComboBoxKmaAngleDegrees->setCurrentIndex(choice.AngleIndex);
}

void TForm1::ButtonCalibrateKMAClick() {
  SensorChoice choice;
  choice.AngleIndex = std::max(0, Connection->ComboBoxKmaAngleDegrees->currentIndex());
  choice.DirectionIndex = std::max(0, Connection->ComboBoxKmaDirection->currentIndex());
  choice.End = Connection->ComboBoxKmaCalAtMinOrMaxAngle->currentIndex() == 1 ? CalibrationEnd::MaxAngle
                                                                              : CalibrationEnd::MinAngle;
  const ContactlessSettings settings = choice.CalibrationSettings(Identifier->Stored().DeviceId);
  const OperationGuard::Scope busy = Operations.Hold();
  // One overlay per calibration, gone when the count-down has ended.
  TCalibrationOverlayForm overlay(this, Services.CalibrationTick);
  try {
    Sensor->Calibrate(settings, overlay);
  } catch (const std::exception& error) {
    ReportPortError(error, Messages);
  }
}

bool TForm1::event(QEvent* event) {
  if (event->type() == QEvent::Paint && !StartCompleted) {
    StartCompleted = true;
    QMetaObject::invokeMethod(
        this, [this] { CompleteStart(); }, Qt::QueuedConnection);
  }
  return QMainWindow::event(event);
}

void TForm1::CompleteStart() {
  if (Closing || Closed) {
    return;
  }
  if (HistoryPending) {
    MainTableModel->LoadHistory(StateFile(kHistoryFileName));
    HistoryPending = false;
  }
  SelectStartPort();
}

void TForm1::SelectStartPort() {
  if (Services.ExtraPort.empty()) {
    return;
  }
  const int index = Connection->ComComboBox1->findText(QString::fromStdString(Services.ExtraPort));
  if (index < 0) {
    return;
  }
  Connection->ComComboBox1->setCurrentIndex(index);
  ComComboBox1Change();
}

void TForm1::FillPortList() {
  QStringList names;
  for (const auto& port : Services.ListPorts()) {
    names.append(QString::fromStdString(port));
  }
  const QString extra = QString::fromStdString(Services.ExtraPort);
  if (!extra.isEmpty() && !names.contains(extra)) {
    names.append(extra);
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
  const OperationGuard::Scope busy = Operations.Hold();
  ConnectionBinding->SelectPort();
}

void TForm1::SpeedButtonReconnectClick() {
  if (Closed) {
    return;
  }
  const OperationGuard::Scope busy = Operations.Hold();
  ConnectionBinding->Reconnect();
}

void TForm1::Dispatch(const TMessage& message) {
  if (Pages == nullptr) {
    return;  // the window is being destroyed: its pages are gone
  }
  if (const auto* dash = MessageAs<TMsgDashData>(message)) {
    FirmwareView->ShowSample(dash->Maf, dash->Tps, dash->Conv, dash->O2);
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
    SetO2ListEnabled(false);
  } else if (MessageAs<TMsgLogStop>(message) != nullptr) {
    DashboardTimer->stop();
    DashboardView->SetRecording(false);
    SetO2ListEnabled(true);
    Correction->LiveDataStopped();
    ActionStop->setEnabled(false);
    for (QAction* action : ConverterActions()) {
      action->setEnabled(true);
    }
    ActionStart->setEnabled(true);
  }
}

void TForm1::SetO2ListEnabled(bool enabled) {
  // The oxygen sensor list lives on the dashboard page; the sensor of a
  // recording may not change while it runs.
  if (auto* list = findChild<QWidget*>(QStringLiteral("ComboBoxO2"))) {
    list->setEnabled(enabled);
  }
}

void TForm1::ApplyLanguage(int languagePosition) {
  TextsOfWindow->Apply(languagePosition);
  if (auto folder = SoundFolderFor(languagePosition)) {
    CurrentSoundFolder = *folder;
  }
  DashboardView->SetSoundFolder(CurrentSoundFolder);
}

void TForm1::RunCloseSequence() {
  if (Closed || Closing) {
    return;
  }
  Closing = true;
  try {
    // A latched Shift or Ctrl must not outlive the program.
    LatchesOfWindow->ReleaseAll();
    Modifiers->ShiftLatched = false;
    Modifiers->CtrlLatched = false;
    if (SerialLink->Connected() != 0) {
      ActionStopExecute();
    }
    if (Correction->ManualBorders()) {
      Correction->SetManualBorders(false);
    }
  } catch (...) {
    // A failure while stopping must not keep the state from being saved.
  }
  Closed = true;
  try {
    // The reader must have finished its last read before the port goes.
    LiveLog->JoinReader();
    ConnectionBinding.reset();
    Session.reset();
    FirmwareRun.reset();
    SerialLink.reset();
  } catch (...) {
    // Likewise while taking the link down.
  }
  Simulator.reset();
  State->SaveState(StateFile(kStateFileName));
  // A history not loaded yet stays in its file as it is.
  if (!HistoryPending) {
    MainTableModel->SaveHistory(StateFile(kHistoryFileName));
  }
}

std::filesystem::path TForm1::StateFile(const char* name) const {
  return Services.WorkingFolder / name;
}

void TForm1::closeEvent(QCloseEvent* event) {
  // A transfer on the link still runs and let this event in while its
  // progress repainted: the close comes back through the event loop once the
  // transfer has ended.
  if (Operations.DeferWhileBusy(
          [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); })) {
    event->ignore();
    return;
  }
  RunCloseSequence();
  event->accept();
}

}  // namespace orvel::ui
