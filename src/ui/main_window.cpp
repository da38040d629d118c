#include "ui/main_window.h"

#include <QCloseEvent>
#include <QLocale>
#include <QStatusBar>
#include <QTabBar>

#include "core/ui_texts.h"
#include "link/firmware_update.h"
#include "link/serial_port.h"
#include "live/table_history_moves.h"
#include "sim/simulator_host.h"
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
#include "ui/sound/qt_cue_player.h"
#include "ui/widgets/calibration_overlay.h"
#include "ui/widgets/problem_status_line.h"
#include "ui/window/event_loop_pause.h"
#include "ui/window/file_dialogs.h"
#include "ui/window/modifier_latches.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

TForm1::TForm1(UserMessages& messages, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent),
      Messages(messages),
      Services(std::move(services)),
      TextsOfWindow(std::make_unique<TextRegistry>()),
      LatchesOfWindow(std::make_unique<LatchRegistry>()),
      Modifiers(std::make_unique<KeyboardModifiers>()),
      Dispatcher(std::make_unique<QtMainThreadDispatcher>(this)),
      Progress(new TForm2(this)) {
  setWindowTitle(QString::fromLatin1(kCaption));
  BuildPages();
  Models = std::make_unique<ApplicationCore>(
      CoreServices{Messages, *Progress, *Dispatcher, *Modifiers, Services.LinkTimeout, Services.WorkingFolder,
                   NumberFormat{QLocale().decimalPoint().at(0).toLatin1()}, Services.StartSimulator,
                   PauseWithEventsTurning, WaitWithEventsTurning});
  FillPortList();
  BindPages();
  // English first; the state file may then choose another language.
  ApplyLanguage(kLanguageEnglish);
  Models->LoadState();
  // The history comes last, now or right after the first paint.
  if (!Services.LoadHistoryAfterFirstPaint) {
    Models->LoadHistory();
    Models->FinishHistoryLoad();
  }
  ConnectControls();
}

TForm1::~TForm1() {
  // The keyboard and the bindings first, then the pages (whose charts unbind
  // from their models as they go), then the models: no widget outlives a
  // model it is bound to.
  Keyboard.reset();
  ConnectionBinding.reset();
  FirmwareBinding.reset();
  delete takeCentralWidget();
  ModelFollow.Clear();
  Models.reset();
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
  texts.Add(Progress, texts::ProgressCaption,
            [this](const QString& title) { Progress->setWindowTitle(title); });

  Pages->setCurrentIndex(kConnectionPage);
  setCentralWidget(Pages);
  AutosaveStatus = new ProblemStatusLine(this);
  statusBar()->addWidget(AutosaveStatus, 1);
  AutosaveStatus->hide();
  DashboardView->SetRecording(false);
  EnableConverterActions(false);
  resize(1280, 800);
}

void TForm1::EnableConverterActions(bool enabled) {
  DashboardView->SetConverterActionsEnabled(enabled);
  TableGraphView->SetConverterActionsEnabled(enabled);
}

void TForm1::BindPages() {
  ApplicationCore& core = *Models;
  // Binding the table page resets the table's parameters and takes the
  // history's first snapshot.
  TableGraphView->Bind(core.MainTable, *Modifiers, *Services.Dialogs);
  core.MainTable.BindDashboard(nullptr);
  CompareView->Bind(core.CompareTable, *Services.Dialogs);
  Keyboard = std::make_unique<WindowKeyboard>(
      WindowKeyboardPages{*this, *Pages, *Connection, *DashboardView, *TableGraphView, *LogPageView},
      KeyWindowCommands{[this] { ActionStartExecute(); }, [this] { ActionStopExecute(); },
                        [this] {
                          if (DashboardView->SaveAllEnabled()) {
                            ActionSaveALLExecute();
                          }
                        },
                        [this] { ActionTableOneToOneExecute(); }, [this] { Reconnect(); }},
      WindowKeyboardModels{core.Link, core.Transfer, core.MainTable, core.Correction, core.Reference,
                           core.Learning, core.LiveLog, *Modifiers, Messages,
                           [&core] { return core.ConverterJob.Busy(); }});
  Cues = Services.Cues ? Services.Cues() : std::make_unique<QtCuePlayer>();
  DashboardView->Bind(DashboardModels{core.MainTable, core.Correction, core.Reference, core.Dashboard,
                                      core.LiveLog, core.Bus, core.CorrectionHost, *Cues});
  FirmwareView->Follow(core.Dashboard);
  // The table page's undo and redo show the restored table on the log chart too.
  connect(TableGraphView, &TableGraphPage::HistoryMoved, this, [this] { Models->LiveLog.RedrawIfData(); });
  LogPageView->Bind({core.LiveLog, core.MainTable, core.Learning, core.Reference, *Services.Dialogs,
                     *Modifiers, [this] { Models->Transfer.SendToConverterRam(); },
                     [this](const std::filesystem::path& path) { Models->OpenLogFile(path); },
                     [this](const std::filesystem::path& path) { Models->SaveLogFile(path); }});
  ConnectionBinding = std::make_unique<ConnectionPageBinding>(
      *Connection,
      ConnectionPageLinks{
          core.Bus, core.Link, Messages, core.ConverterJob,
          [this](const std::string& entry) { return DevicePathFor(QString::fromStdString(entry)); },
          [this] { EnableConverterActions(true); }, [this] { Pages->setCurrentIndex(kDashboardPage); }},
      [this, &core](SensorQueryView& view) {
        const auto readStep = [this, &core](const LinkJobContext& job) {
          std::string port;
          job.OnMain([&] { port = SelectedPort(); });
          core.ReadTable(job, port);
        };
        return ConverterSteps(readStep, core.Identifier, core.Sensor, view);
      });
  FirmwareBinding = std::make_unique<FirmwarePageBinding>(*FirmwareView, *Connection,
                                                          [this] { return Models->LiveLog.IsRunning(); });

  DashboardTimer = new QTimer(this);
  DashboardTimer->setInterval(Services.DashboardTick);
  connect(DashboardTimer, &QTimer::timeout, this, [this] {
    Models->LiveLog.TimerTick();
    Models->Autosave.Flush();
  });
  ModelFollow += core.LiveLog.RunningChanged.Subscribe([this] { ShowRunning(); });
  ModelFollow += core.Autosave.Problem.Subscribe(
      [this](const AutosaveProblem& problem) { AutosaveStatus->ShowProblem(problem); });
  ModelFollow += core.LanguageChosen.Subscribe([this](std::int32_t language) {
    Connection->ShowLanguage(language);
    ApplyLanguage(language);
  });
}

void TForm1::ConnectControls() {
  connect(Connection, &ConnectionPageWidget::PortChosen, this, [this] {
    // A firmware update runs to its end on the port it started on.
    if (!Models->Closed() && !Models->Operations.Busy()) {
      ConnectionBinding->SelectPort();
    }
  });
  connect(Connection, &ConnectionPageWidget::ReconnectClicked, this, [this] { Reconnect(); });
  connect(Connection, &ConnectionPageWidget::LanguageChosen, this, [this](int index) {
    Models->Frame.Language = index;
    ApplyLanguage(index);
  });
  connect(Connection, &ConnectionPageWidget::CalibrateClicked, this, [this] { Calibrate(); });
  connect(DashboardView, &DashboardPage::ReadClicked, this, [this] { ActionReadCoverterExecute(); });
  connect(TableGraphView, &TableGraphPage::ReadClicked, this, [this] { ActionReadCoverterExecute(); });
  connect(DashboardView, &DashboardPage::WriteClicked, this, [this] { ActionWriteConverterExecute(); });
  connect(TableGraphView, &TableGraphPage::WriteClicked, this, [this] { ActionWriteConverterExecute(); });
  connect(DashboardView, &DashboardPage::StartClicked, this, [this] { ActionStartExecute(); });
  connect(DashboardView, &DashboardPage::StopClicked, this, [this] { ActionStopExecute(); });
  connect(DashboardView, &DashboardPage::SaveAllClicked, this, [this] { ActionSaveALLExecute(); });
  connect(TableGraphView, &TableGraphPage::OneToOneClicked, this, [this] { ActionTableOneToOneExecute(); });
  connect(FirmwareView, &FirmwarePage::UpdateClicked, this, [this] { FileOpenFirmwareExecute(); });
  connect(FirmwareView, &FirmwarePage::UpdateWithOneToOneClicked, this,
          [this] { ActionUpgradeFirmwareOneToOneExecute(); });
  // The factory test runs Start and Stop whatever the actions' state.
  connect(FirmwareView, &FirmwarePage::FactoryStartClicked, this, [this] { ActionStartExecute(); });
  connect(FirmwareView, &FirmwarePage::FactoryStopClicked, this, [this] { ActionStopExecute(); });
  // A page change by mouse releases the modifier latches; the keys 1…5 set
  // the page without it.
  connect(Pages->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
    if (index != Pages->currentIndex()) {
      LatchesOfWindow->ReleaseAll();
    }
  });
}

std::string TForm1::SelectedPort() const {
  return Connection->ChosenPortEntry().isEmpty() ? std::string() : Models->Link.PortName();
}

void TForm1::Reconnect() {
  if (!Models->Closed() && !Models->Operations.Busy()) {
    ConnectionBinding->Reconnect();
  }
}

void TForm1::Calibrate() {
  // One overlay per calibration, gone when the count-down has ended.
  TCalibrationOverlayForm overlay(this, Services.CalibrationTick);
  Models->Calibrate(Connection->SensorChoiceShown(), overlay);
}

void TForm1::ActionReadCoverterExecute() {
  Models->ReadFromConverter(SelectedPort());
}

void TForm1::ActionWriteConverterExecute() {
  Models->WriteToConverter();
}

void TForm1::ActionStartExecute() {
  Models->StartLiveData(SelectedPort());
}

void TForm1::ActionStopExecute() {
  Models->StopLiveData(SelectedPort());
}

KeySelection& TForm1::Selection() {
  return Keyboard->Selection();
}

KeyCommands& TForm1::Keys() {
  return Keyboard->Commands();
}

void TForm1::ActionSaveALLExecute() {
  // One name for both dialogs, built once.
  const QString name = ProposedSaveName();
  if (auto table =
          Dialogs().Save(FileDialogRequest{QStringLiteral("Tab Files|*.tab"), QStringLiteral("tab"), name})) {
    Models->MainTable.SaveTableFile(*table, 1);
  }
  if (auto log =
          Dialogs().Save(FileDialogRequest{QStringLiteral("Log Files|*.log"), QStringLiteral("log"), name})) {
    Models->SaveLogFile(*log);
  }
}

void TForm1::ActionTableOneToOneExecute() {
  Models->MakeTableOneToOne();
}

void TForm1::FileOpenFirmwareExecute() {
  UpdateFirmware(false);
}

void TForm1::ActionUpgradeFirmwareOneToOneExecute() {
  UpdateFirmware(true);
}

void TForm1::UpdateFirmware(bool thenOneToOne) {
  if (Models->Closed() || Models->ConverterJob.Busy()) {
    return;
  }
  const auto chosen = Dialogs().Open(FileDialogRequest{QStringLiteral("Firmware files|*.enc"), {}, {}});
  Models->UpdateFirmware(chosen, *FirmwareBinding, thenOneToOne, SelectedPort());
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
  if (Closing || Models->Closed()) {
    return;
  }
  Models->LoadHistory();
  SelectStartPort();
}

void TForm1::SelectStartPort() {
  if (Services.ExtraPort.empty()) {
    return;
  }
  if (Models->Closed() || !Connection->ChoosePortEntry(QString::fromStdString(Services.ExtraPort))) {
    return;
  }
  const OperationGuard::Scope busy = Models->Operations.Hold();
  ConnectionBinding->SelectPort();
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
  return entry == QLatin1String(kSimulatorEntry) ? Models->SimulatorPort() : entry.toStdString();
}

void TForm1::ShowRunning() {
  // The log owns whether live data runs; the actions, the pages and the
  // dashboard timer follow it.
  const bool running = Models->LiveLog.IsRunning();
  if (running) {
    DashboardTimer->start();
  } else {
    DashboardTimer->stop();
    Models->Correction.LiveDataStopped();
  }
  EnableConverterActions(!running);
  DashboardView->SetRecording(running);
  LogPageView->SetRecording(running);
}

void TForm1::ApplyLanguage(int languagePosition) {
  TextsOfWindow->Apply(languagePosition);
  if (auto folder = SoundFolderFor(languagePosition)) {
    CurrentSoundFolder = *folder;
  }
  DashboardView->SetSoundFolder(CurrentSoundFolder);
  AutosaveStatus->SetLanguage(languagePosition);
}

void TForm1::RunCloseSequence() {
  if (Closing) {
    return;
  }
  Closing = true;
  // A latched Shift or Ctrl must not outlive the program.
  LatchesOfWindow->ReleaseAll();
  Modifiers->ShiftLatched = false;
  Modifiers->CtrlLatched = false;
  Models->Close(SelectedPort());
}

void TForm1::closeEvent(QCloseEvent* event) {
  // An operation on the link still runs and let this event in while its
  // progress repainted or its count-down waited: the close comes back through
  // the event loop once the operation has ended.
  if (Models->Operations.DeferWhileBusy(
          [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); })) {
    event->ignore();
    return;
  }
  RunCloseSequence();
  event->accept();
}

}  // namespace orvel::ui
