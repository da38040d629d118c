#pragma once

// The program's long-lived models, below any window: the bus, the serial
// link, the tables, the log, the correction window and the rest, declared
// here in the order they are built, so they are destroyed in the reverse
// order without a hand-written teardown. The window lays out its pages, binds
// them to these models and connects its controls to the commands below; the
// models never know the window.
//
// Threads: main thread, except the live-data reader that the log starts and
// the undo history's load (see BackgroundHistoryLoad), which hands its result
// back through the dispatcher.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "autotune/converter_correction_link.h"
#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/xrpm_table.h"
#include "core/main_thread_dispatcher.h"
#include "core/number_format.h"
#include "core/operation_guard.h"
#include "core/orvel_broadcaster.h"
#include "core/progress.h"
#include "core/signal.h"
#include "core/user_messages.h"
#include "link/contactless_sensor.h"
#include "link/device_info.h"
#include "link/firmware_update.h"
#include "link/link_job.h"
#include "link/link_timing.h"
#include "link/rxtx.h"
#include "link/table_transfer.h"
#include "live/correction_tick.h"
#include "live/live_correction_host.h"
#include "live/live_dashboard.h"
#include "live/live_session.h"
#include "live/log.h"
#include "live/log_autosave.h"
#include "live/log_learning_controls.h"
#include "live/program_state.h"
#include "table/table.h"

namespace orvel {

namespace sim {
class SimulatorHost;
}

// Waits for `done` in 1 ms sleeps: headless callers.
void SleepUntil(const std::function<bool()>& done);

// What the core needs from the program around it.
struct CoreServices {
  UserMessages& Messages;
  // The table transfers' progress window.
  ProgressView& Progress;
  // The live-data reader's hand-over to the main thread.
  MainThreadDispatcher& Dispatcher;
  // Shift and Ctrl as the table operations see them (held or latched).
  const ModifierState& Modifiers;
  std::chrono::milliseconds LinkTimeout{1000};
  // Where "config.cfg", "UndoRedoHistory.his" and the autosaved logs live.
  std::filesystem::path WorkingFolder;
  NumberFormat Format;
  // Starts the built-in converter simulator; may be empty.
  std::function<std::unique_ptr<sim::SimulatorHost>()> StartSimulator;
  // How the main thread waits out the converter's pauses (its start after a
  // firmware update, the contactless sensor's reply time): the window lets
  // its event loop turn meanwhile, so it keeps painting.
  SleepFunction Pause = RealSleep;
  // How the main thread waits for work on another thread that ends when
  // `done` holds (the close's history save): the window turns its event loop.
  std::function<void(const std::function<bool()>& done)> WaitUntil = SleepUntil;
};

// The first of the bus's subscribers (the window's place): the correction
// advice goes to the correction window model.
class BusFront final : public TOrvelReceiver {
 public:
  explicit BusFront(TOrvelBroadcaster& bus) { bus.Subscribe(*this); }
  void SetCorrectionWindow(CorrectionWindowModel* model) { Correction = model; }
  void Dispatch(const TMessage& message) override;

 private:
  CorrectionWindowModel* Correction = nullptr;
};

class ApplicationCore {
 public:
  explicit ApplicationCore(const CoreServices& services);
  ~ApplicationCore();
  ApplicationCore(const ApplicationCore&) = delete;
  ApplicationCore& operator=(const ApplicationCore&) = delete;

  // --- Start. ---
  // "config.cfg" and then the undo history; the window binds its pages
  // before (binding the main table takes the history's first snapshot).
  void LoadState();
  // The undo history alone, when the window loads it after its first paint:
  // decoded on a worker thread and swapped in on the main thread through the
  // dispatcher. Until then the main table's history commands wait for it.
  void LoadHistory();
  // Waits for the history load started by LoadHistory and lands it now.
  void FinishHistoryLoad() { MainTable.FinishHistoryLoad(); }
  [[nodiscard]] bool HistoryLoaded() const { return MainTable.HistoryLoadLanded(); }

  // --- The commands that buttons and keys share. ---
  // The read: stops live data, reads the table, marks the table's beginning
  // as learned up to the correction window's LearnedBegin and sends the table
  // back; one undo step takes the user back to the table before it. Runs as
  // the converter job (ReadTable); returns at once.
  void ReadFromConverter(std::string_view port);
  void WriteToConverter();
  // The 1:1 table; the correction window's learned beginning and the MAF
  // window's beginning go back to 0 (the table's own LearnedBegin stays).
  void MakeTableOneToOne();
  // Start and Stop of live data on the selected port (empty: none chosen).
  bool StartLiveData(std::string_view port);
  bool StopLiveData(std::string_view port);
  // The oxygen sensor list's choice.
  void SelectO2Sensor(std::int32_t sensorType);
  // The firmware update from the chosen file (nothing without one), as a
  // converter job that runs to its end: a close waits for it. With
  // `thenOneToOne`, a success is followed, once the converter has had
  // kFirmwareStartPause to start its new firmware, by the 1:1 table written
  // to the converter, the "0-5V Signal" sensor selected and live data started
  // on `port`. `page` is the window's firmware page, called on the main thread.
  void UpdateFirmware(const std::optional<std::filesystem::path>& chosen, FirmwarePage& page,
                      bool thenOneToOne, std::string_view port);
  // The contactless sensor's calibration with the settings `choice` gives
  // for the identified converter: `countdown` runs while the converter
  // calibrates. A port error is reported to the user.
  void Calibrate(const SensorChoice& choice, CalibrationCountdown& countdown);

  // --- Log files. ---
  // The file is read and decoded, or written, on a worker while the main
  // thread waits with WaitUntil (a ten-hour log is 54 MB); the messages are
  // shown afterwards. An open is refused while live data is being recorded; a
  // save writes the samples recorded when it began. A close waits for either.
  void OpenLogFile(const std::filesystem::path& path);
  void SaveLogFile(const std::filesystem::path& path);

  // --- Close. ---
  // Stops live data, turns manual borders off, joins the reader and drops
  // the link and the simulator; then saves "config.cfg" and (once loaded)
  // the history; a history load that has not landed yet is dropped, and its
  // file stays as it is. Runs once; failures before the saves are swallowed.
  void Close(std::string_view port);
  [[nodiscard]] bool Closed() const { return IsClosed; }

  // The built-in simulator's pseudo-terminal, started on first use; empty
  // when none can be started.
  std::string SimulatorPort();
  [[nodiscard]] sim::SimulatorHost* Simulator() { return BuiltInSimulator.get(); }

  [[nodiscard]] std::filesystem::path StateFile(const char* name) const { return WorkingFolder / name; }

  // The state file's language (the window applies it).
  Signal<std::int32_t> LanguageChosen;
  // The window's part of the state file: language, display flags, B and T.
  WindowSettings Frame;
  // Held by the long operations on the link (the commands below, the port
  // selection, a firmware update) while they run; a close asked for
  // meanwhile waits for them.
  OperationGuard Operations;

  // The models, in their order of construction. The bus's subscribers in
  // their order: the front (the window's place), the link, the log, the
  // live session, the autosave.
  TOrvelBroadcaster Bus;
  BusFront Front{Bus};
  TRXTX Link;
  XrpmTable Scale;
  Table MainTable;
  ConverterCorrectionLink CorrectionLink;
  TableTransfer Transfer;
  DeviceIdentification Identifier;
  ContactlessSensor Sensor;
  Log LiveLog;
  Table CompareTable;
  CorrectionTick Tick;
  LiveSession Session;
  LiveCorrectionHost CorrectionHost;
  O2ReferenceModel Reference;
  CorrectionWindowModel Correction;
  LogLearningControls Learning;
  // The dashboard's share of the tick: one frame of values for the pages.
  LiveDashboard Dashboard;
  LogAutosave Autosave;
  ProgramState State;
  // The exchanges that run on a worker (a connect). Declared after every
  // model it uses, so it is cancelled and joined before they go. While it
  // runs, the commands above that use the link do nothing.
  LinkJob ConverterJob;

  // The read's work, on a job's worker (the read command's, the port
  // selection's read step): the exchanges there, each model step (live data
  // stopped, the block taken, the beginning marked, the history tied) on the
  // main thread. A cancel ends it between any two steps.
  void ReadTable(const LinkJobContext& job, const std::string& port);

 private:
  // Writes the history file on a worker while the main thread waits with
  // WaitUntil; its messages are shown here afterwards.
  void SaveHistoryAside();
  // Runs `work` on a worker thread while the main thread waits with
  // WaitUntil, holding the operation guard so that a close asked for
  // meanwhile comes back afterwards; then shows what `work` told its
  // messages. `work` must touch nothing the main thread uses meanwhile
  // except under a lock.
  void RunAside(const std::function<void(UserMessages& messages)>& work);
  // Whether a command that uses the link may run now.
  [[nodiscard]] bool LinkCommandsAllowed() const { return !IsClosed && !ConverterJob.Busy(); }
  // The read's steps after the block was taken into Tab1, before it is sent back.
  void AfterTableRead();
  UserMessages& Messages;
  MainThreadDispatcher& Dispatcher;
  std::filesystem::path WorkingFolder;
  std::function<std::unique_ptr<sim::SimulatorHost>()> StartSimulator;
  std::function<void(const std::function<bool()>& done)> WaitUntil;
  std::unique_ptr<sim::SimulatorHost> BuiltInSimulator;
  bool HistoryStarted = false;
  bool IsClosed = false;
};

}  // namespace orvel
