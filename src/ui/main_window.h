#pragma once

#include <QAction>
#include <QMainWindow>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/operation_guard.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "live/program_state.h"

namespace orvel {
class TRXTX;
class Table;
class Log;
class LiveSession;
class TableTransfer;
class DeviceIdentification;
class ContactlessSensor;
class ConverterCorrectionLink;
class CorrectionTick;
class LiveCorrectionHost;
class CorrectionWindowModel;
class O2ReferenceModel;
class LogLearningControls;
class KeySelection;
class FirmwareUpdate;
struct LiveSettings;
class CuePlayer;
class LogAutosave;
struct XrpmTable;
namespace sim {
class SimulatorHost;
}
}  // namespace orvel

namespace orvel::ui {

class ConnectionPageWidget;
class ConnectionPageBinding;
class KeyboardModifiers;
class QtMainThreadDispatcher;
class TForm2;
class TableGraphPage;
class ComparePage;
class LogPage;
class DashboardPage;
class FirmwarePage;
class TextRegistry;
class LatchRegistry;
class FileDialogs;
class KeyCommands;
class WindowKeyboard;
class FirmwarePageBinding;

// What the main window needs from the system besides the user: the serial
// ports present and a way to start the built-in converter simulator. Tests
// give fixed port lists.
struct MainWindowServices {
  std::function<std::vector<std::string>()> ListPorts;
  std::function<std::unique_ptr<sim::SimulatorHost>()> StartSimulator;
  std::chrono::milliseconds LinkTimeout{1000};
  // Where the program keeps its state files ("UndoRedoHistory.his"); the
  // process's current folder unless a test chooses another.
  std::filesystem::path WorkingFolder;
  // The open and save dialogs of the window's file actions.
  std::shared_ptr<FileDialogs> Dialogs;
  // A port outside the system's list (a pseudo-terminal, /dev/rfcomm0) from
  // the command line: listed before "Simulator" and chosen at start through
  // the ordinary port selection (SelectStartPort).
  std::string ExtraPort;
  // The calibration count-down's step; tests shorten it.
  std::chrono::milliseconds CalibrationTick{1000};
  // The player of the autocorrection's sound cues.
  std::function<std::unique_ptr<CuePlayer>()> Cues;
  // The undo history (up to 32000 snapshots, a 133 MB file) is loaded right
  // after the window's first paint instead of before it, so the window shows
  // at once. Until then closing leaves the history file as it is.
  bool LoadHistoryAfterFirstPaint = false;
  // The log's dashboard tick; shorter with a faster built-in simulator, so a
  // raised time scale also speeds up the decisions.
  std::chrono::milliseconds DashboardTick{100};
};

// `simulatorTimeScale` (when above 0): the built-in simulator's engine and
// stream run this many times faster than real time.
MainWindowServices DefaultMainWindowServices(double simulatorTimeScale = 0);

// The main window and the application core: it builds the long-lived objects
// in their fixed order, owns them, lays out the pages and wires the controls
// to the models. It also receives the bus's messages (first subscriber).
class TForm1 final : public QMainWindow, public TOrvelReceiver {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "OrvelConfigurator V3.88";
  static constexpr const char* kSimulatorEntry = "Simulator";
  // Page positions of the main page control; the keyboard commands use them.
  static constexpr int kConnectionPage = 0;
  static constexpr int kTablePage = 1;
  static constexpr int kLogPage = 2;
  static constexpr int kDashboardPage = 3;
  static constexpr int kSetupPage = 4;

  TForm1(UserMessages& messages, MainWindowServices services, QWidget* parent = nullptr);
  ~TForm1() override;

  void Dispatch(const TMessage& message) override;

  // Runs the close sequence once: releases the modifier latches, stops live
  // data, turns manual borders off, destroys the serial link, then saves
  // "config.cfg" and the undo history. Called by the close event; safe to
  // call again.
  void RunCloseSequence();

  // Chooses the command line's extra port, if any, as the user would.
  // Runs by itself once the window has first painted (after the history).
  void SelectStartPort();
  [[nodiscard]] bool HistoryLoaded() const { return !HistoryPending; }

  void ApplyLanguage(int languagePosition);

  [[nodiscard]] TOrvelBroadcaster& Bus() { return Broadcaster; }
  [[nodiscard]] TRXTX* Link() { return SerialLink.get(); }
  [[nodiscard]] Table& MainTable() { return *MainTableModel; }
  [[nodiscard]] Table& CompareTable() { return *CompareTableModel; }
  [[nodiscard]] XrpmTable& ThrottleScale() { return *Scale; }
  [[nodiscard]] CorrectionWindowModel& CorrectionWindow() { return *Correction; }
  [[nodiscard]] O2ReferenceModel& O2Reference() { return *Reference; }
  [[nodiscard]] LogLearningControls& LogLearning() { return *Learning; }
  [[nodiscard]] TextRegistry& Texts() { return *TextsOfWindow; }
  [[nodiscard]] LatchRegistry& Latches() { return *LatchesOfWindow; }
  [[nodiscard]] FileDialogs& Dialogs() { return *Services.Dialogs; }
  [[nodiscard]] KeyboardModifiers& ModifierKeys() { return *Modifiers; }
  [[nodiscard]] KeySelection& Selection();
  [[nodiscard]] KeyCommands& Keys();
  [[nodiscard]] Log& LogModel() { return *LiveLog; }
  [[nodiscard]] TForm2& ProgressWindow() { return *Progress; }
  [[nodiscard]] const DeviceIdentification& Identification() const { return *Identifier; }

  // The read action: stops live data, reads the table, marks the table's
  // beginning as learned and sends the table back to working memory.
  void ActionReadCoverterExecute();
  void ActionWriteConverterExecute();
  void ActionStartExecute();
  void ActionStopExecute();
  // A page change by the keyboard (keys 1…5 and S): unlike a change by the
  // mouse it leaves the modifier latches as they are.
  void ShowPageByKey(int page);
  // Proposes one "D…_T…" name in the table save dialog, then in the log save
  // dialog; each dialog saves or is cancelled on its own.
  void ActionSaveALLExecute();
  void ActionTableOneToOneExecute();
  // The firmware update from the chosen file; a cancelled dialog starts nothing.
  void FileOpenFirmwareExecute();
  // The update, then (after a successful update) the 1:1 table written to
  // the converter, the "0-5V Signal" sensor selected and live data started.
  void ActionUpgradeFirmwareOneToOneExecute();
  // The oxygen sensor list's change handling on the models.
  void ComboBoxO2Change(int sensorType);
  void ComboBoxKmaSensorTypeChange();
  void ButtonCalibrateKMAClick();
  [[nodiscard]] WindowSettings& Settings() { return Frame; }
  // The read and write actions of both bars that wait for an identified converter.
  [[nodiscard]] std::vector<QAction*> ConverterActions() const;
  [[nodiscard]] ConnectionPageWidget& ConnectionPage() { return *Connection; }
  [[nodiscard]] TableGraphPage& TableGraph() { return *TableGraphView; }
  [[nodiscard]] ComparePage& Comparison() { return *CompareView; }
  [[nodiscard]] LogPage& LogView() { return *LogPageView; }
  [[nodiscard]] DashboardPage& Dashboard() { return *DashboardView; }
  [[nodiscard]] FirmwarePage& Firmware() { return *FirmwareView; }
  [[nodiscard]] QTabWidget& TableInnerPages() { return *TablePages; }
  [[nodiscard]] QTabWidget& SetupInnerPages() { return *SetupPages; }
  [[nodiscard]] QTabWidget& MainPageControl() { return *Pages; }
  [[nodiscard]] const std::string& SoundFolder() const { return CurrentSoundFolder; }
  [[nodiscard]] sim::SimulatorHost* BuiltInSimulator() { return Simulator.get(); }

  // The dashboard bar's actions; the table graph's bar has its own read and
  // write actions that follow the same enabling rules.
  QAction* ActionStart = nullptr;
  QAction* ActionStop = nullptr;
  QAction* ActionReadCoverter = nullptr;
  QAction* ActionWriteConverter = nullptr;
  QAction* ActionSaveALL = nullptr;
  QAction* ActionTableOneToOne = nullptr;
  QAction* ActionUpgradeFirmwareOneToOne = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildPages();
  void RunCreationSequence();
  void ConnectControls();
  void LanguageChanged(int languagePosition);
  void SetO2ListEnabled(bool enabled);
  void FillPortList();
  void ComComboBox1Change();
  void SpeedButtonReconnectClick();
  // The device path to open for the port list's entry; starts the built-in
  // simulator for its entry. Empty when nothing can be opened.
  std::string DevicePathFor(const QString& entry);
  [[nodiscard]] std::filesystem::path StateFile(const char* name) const;
  // The port the actions talk to: empty while none is chosen in the list.
  [[nodiscard]] std::string SelectedPort() const;

  UserMessages& Messages;
  MainWindowServices Services;

  std::unique_ptr<TextRegistry> TextsOfWindow;
  std::unique_ptr<LatchRegistry> LatchesOfWindow;

  QTabWidget* Pages = nullptr;
  ConnectionPageWidget* Connection = nullptr;
  QTabWidget* TablePages = nullptr;
  TableGraphPage* TableGraphView = nullptr;
  ComparePage* CompareView = nullptr;
  LogPage* LogPageView = nullptr;
  DashboardPage* DashboardView = nullptr;
  QTabWidget* SetupPages = nullptr;
  FirmwarePage* FirmwareView = nullptr;

  TOrvelBroadcaster Broadcaster;
  std::unique_ptr<TRXTX> SerialLink;
  std::unique_ptr<KeyboardModifiers> Modifiers;
  std::unique_ptr<XrpmTable> Scale;
  std::unique_ptr<Table> MainTableModel;
  std::unique_ptr<ConverterCorrectionLink> CorrectionLink;
  TForm2* Progress = nullptr;  // owned by the window as its child
  std::unique_ptr<TableTransfer> Transfer;
  std::unique_ptr<DeviceIdentification> Identifier;
  std::unique_ptr<ContactlessSensor> Sensor;
  std::unique_ptr<QtMainThreadDispatcher> Dispatcher;
  std::unique_ptr<Log> LiveLog;
  std::unique_ptr<Table> CompareTableModel;
  std::unique_ptr<CorrectionTick> Tick;
  std::unique_ptr<LiveSession> Session;
  std::unique_ptr<LiveCorrectionHost> CorrectionHost;
  std::unique_ptr<CorrectionWindowModel> Correction;
  std::unique_ptr<O2ReferenceModel> Reference;
  std::unique_ptr<LogLearningControls> Learning;
  // The keyboard commands and their selection state, after the models.
  std::unique_ptr<WindowKeyboard> Keyboard;

  std::unique_ptr<CuePlayer> Cues;
  std::unique_ptr<LogAutosave> Autosave;
  QTimer* DashboardTimer = nullptr;  // the log's 100 ms tick while live data runs
  std::unique_ptr<sim::SimulatorHost> Simulator;
  std::unique_ptr<ConnectionPageBinding> ConnectionBinding;
  std::unique_ptr<FirmwarePageBinding> FirmwareBinding;
  std::unique_ptr<FirmwareUpdate> FirmwareRun;
  WindowSettings Frame;
  std::unique_ptr<ProgramState> State;

  std::string CurrentSoundFolder = "Sound/En/";
  // The last steps of the start: the history (when deferred), then the
  // command line's port.
  void CompleteStart();

  // Held by the long operations on the link while they run; a close asked
  // for meanwhile waits for them (closeEvent).
  OperationGuard Operations;
  bool HistoryPending = false;  // the history is still to be loaded
  bool StartCompleted = false;
  bool Closing = false;  // the close sequence has begun
  bool Closed = false;   // the link is gone: no action may run any more
};

}  // namespace orvel::ui
