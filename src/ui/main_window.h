#pragma once

#include <QMainWindow>
#include <QTabWidget>
#include <QTimer>
#include <memory>
#include <string>

#include "app_core/application_core.h"
#include "core/signal.h"
#include "core/user_messages.h"
#include "ui/window/main_window_services.h"

namespace orvel {
class FirmwareUpdate;
class KeySelection;
class CuePlayer;
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
class ProblemStatusLine;
class TextRegistry;
class LatchRegistry;
class FileDialogs;
class KeyCommands;
class WindowKeyboard;
class FirmwarePageBinding;

// The main window: it creates the application core (the models), lays out
// the pages, binds them to the models and connects the controls to the
// core's commands.
class TForm1 final : public QMainWindow {
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

  // Runs the close sequence once: releases the modifier latches, then the
  // core's close (live data stopped, manual borders off, the link gone,
  // "config.cfg" and the history saved). Safe to call again.
  void RunCloseSequence();

  // Chooses the command line's extra port, if any, as the user would.
  // Runs by itself once the window has first painted (after the history).
  void SelectStartPort();
  [[nodiscard]] bool HistoryLoaded() const { return Models->HistoryLoaded(); }

  void ApplyLanguage(int languagePosition);

  [[nodiscard]] ApplicationCore& Core() { return *Models; }
  [[nodiscard]] TOrvelBroadcaster& Bus() { return Models->Bus; }
  [[nodiscard]] TRXTX* Link() { return &Models->Link; }
  [[nodiscard]] Table& MainTable() { return Models->MainTable; }
  [[nodiscard]] Table& CompareTable() { return Models->CompareTable; }
  [[nodiscard]] XrpmTable& ThrottleScale() { return Models->Scale; }
  [[nodiscard]] CorrectionWindowModel& CorrectionWindow() { return Models->Correction; }
  [[nodiscard]] O2ReferenceModel& O2Reference() { return Models->Reference; }
  [[nodiscard]] LogLearningControls& LogLearning() { return Models->Learning; }
  [[nodiscard]] Log& LogModel() { return Models->LiveLog; }
  [[nodiscard]] const DeviceIdentification& Identification() const { return Models->Identifier; }
  [[nodiscard]] sim::SimulatorHost* BuiltInSimulator() { return Models->Simulator(); }
  [[nodiscard]] WindowSettings& Settings() { return Models->Frame; }
  [[nodiscard]] TextRegistry& Texts() { return *TextsOfWindow; }
  [[nodiscard]] LatchRegistry& Latches() { return *LatchesOfWindow; }
  [[nodiscard]] FileDialogs& Dialogs() { return *Services.Dialogs; }
  [[nodiscard]] KeyboardModifiers& ModifierKeys() { return *Modifiers; }
  [[nodiscard]] KeySelection& Selection();
  [[nodiscard]] KeyCommands& Keys();
  [[nodiscard]] TForm2& ProgressWindow() { return *Progress; }

  // The actions the buttons, the keys and the bars share.
  void ActionReadCoverterExecute();
  void ActionWriteConverterExecute();
  void ActionStartExecute();
  void ActionStopExecute();
  // Proposes one "D…_T…" name in the table save dialog, then in the log save
  // dialog; each dialog saves or is cancelled on its own.
  void ActionSaveALLExecute();
  void ActionTableOneToOneExecute();
  // The firmware update from the chosen file; a cancelled dialog starts nothing.
  void FileOpenFirmwareExecute();
  // The update, then (after a successful update) the 1:1 table written to
  // the converter, the "0-5V Signal" sensor selected and live data started.
  void ActionUpgradeFirmwareOneToOneExecute();
  // Both firmware actions: the file dialog, then the update as a converter job.
  void UpdateFirmware(bool thenOneToOne);
  void ComboBoxO2Change(int sensorType) { Models->SelectO2Sensor(sensorType); }
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
  [[nodiscard]] ProblemStatusLine& AutosaveStatusLine() { return *AutosaveStatus; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildPages();
  void BindPages();
  void ConnectControls();
  void ShowRunning();
  // The read and write actions of the dashboard's and the table graph's bars
  // wait for an identified converter and rest while live data runs.
  void EnableConverterActions(bool enabled);
  // The reconnect button and the Enter key on the connection page.
  void Reconnect();
  // The calibration with the sensor choice the connection page shows, counted
  // down on an overlay of its own.
  void Calibrate();
  void FillPortList();
  // The device path to open for the port list's entry; starts the built-in
  // simulator for its entry. Empty when nothing can be opened.
  std::string DevicePathFor(const QString& entry);
  // The port the actions talk to: empty while none is chosen in the list.
  [[nodiscard]] std::string SelectedPort() const;
  // The last steps of the start: the history (when deferred), then the
  // command line's port.
  void CompleteStart();

  UserMessages& Messages;
  MainWindowServices Services;
  std::unique_ptr<TextRegistry> TextsOfWindow;
  std::unique_ptr<LatchRegistry> LatchesOfWindow;
  std::unique_ptr<KeyboardModifiers> Modifiers;
  std::unique_ptr<QtMainThreadDispatcher> Dispatcher;
  TForm2* Progress = nullptr;  // a child window, it outlives the models that report to it
  // The models, after everything they use; the objects below are bound to
  // them and go first.
  std::unique_ptr<ApplicationCore> Models;

  // The pages: children of the window, destroyed first by ~TForm1.
  QTabWidget* Pages = nullptr;
  ConnectionPageWidget* Connection = nullptr;
  QTabWidget* TablePages = nullptr;
  TableGraphPage* TableGraphView = nullptr;
  ComparePage* CompareView = nullptr;
  LogPage* LogPageView = nullptr;
  DashboardPage* DashboardView = nullptr;
  QTabWidget* SetupPages = nullptr;
  FirmwarePage* FirmwareView = nullptr;
  QTimer* DashboardTimer = nullptr;             // the log's tick while live data runs
  ProblemStatusLine* AutosaveStatus = nullptr;  // in the status bar

  std::unique_ptr<CuePlayer> Cues;
  std::unique_ptr<ConnectionPageBinding> ConnectionBinding;
  std::unique_ptr<FirmwarePageBinding> FirmwareBinding;
  // The keyboard commands and their selection state, after the models.
  std::unique_ptr<WindowKeyboard> Keyboard;
  Subscriptions ModelFollow;

  std::string CurrentSoundFolder = "Sound/En/";
  bool StartCompleted = false;
  bool Closing = false;  // the close sequence has begun
};

}  // namespace orvel::ui
