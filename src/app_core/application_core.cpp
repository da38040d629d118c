#include "app_core/application_core.h"

#include "core/damaged_file.h"

#include <atomic>
#include <thread>

#include "link/firmware_update.h"
#include "link/link_errors.h"
#include "link/main_thread_views.h"
#include "live/live_run.h"
#include "live/log_file.h"
#include "sim/simulator_host.h"
#include "table/history_file.h"

namespace orvel {

namespace {

// The sensor model that the update with 1:1 selects: "0-5V Signal".
constexpr std::int32_t kWidebandVoltageSensor = 2;

}  // namespace

void BusFront::Dispatch(const TMessage& message) {
  // TMsgCorrAdvice and TMsgWindowPoint move the correction window.
  if (Correction != nullptr) {
    Correction->Dispatch(message);
  }
}

ApplicationCore::ApplicationCore(const CoreServices& services)
    : Link(Bus, services.LinkTimeout),
      MainTable(Bus, services.Messages, services.Modifiers),
      CorrectionLink(Link, services.Messages),
      Transfer(MainTable, Link, services.Messages, services.Progress),
      Identifier(Link, services.Format),
      Sensor(Link, services.Pause),
      // The log is the bus's third subscriber, after the front and the link.
      LiveLog(services.Messages, LiveLinks{Link, Bus, MainTable, services.Dispatcher, services.Format}),
      CompareTable(Bus, services.Messages, services.Modifiers),
      Tick(MainTable, Scale, Bus),
      Session(Bus, LiveLog, MainTable, Transfer, services.Messages, &Tick),
      CorrectionHost(LiveLog, Transfer),
      Reference(services.Format),
      Correction(MainTable, &CompareTable, Tick.Settings(), CorrectionHost, Reference, services.Format),
      Learning(LiveLog, MainTable, Reference, services.Format),
      Dashboard(LiveLog, MainTable, Scale, Correction, &Learning),
      // Every recording is also written to a file as it grows.
      Autosave(LiveLog, services.WorkingFolder / kAutosaveFolderName),
      State(ProgramStateModels{Correction, Reference, Scale, Frame,
                               [this](std::int32_t language) { LanguageChosen.Emit(language); }, nullptr},
            services.Messages),
      ConverterJob(services.Dispatcher, Operations),
      Messages(services.Messages),
      Dispatcher(services.Dispatcher),
      WorkingFolder(services.WorkingFolder),
      StartSimulator(services.StartSimulator),
      WaitUntil(services.WaitUntil) {
  Front.SetCorrectionWindow(&Correction);
  MainTable.SetLink(&CorrectionLink);
  // The log's tick runs the correction decision after every dashboard message.
  LiveLog.SetDashboardHook(&Tick);
  // Subscribed after the log, so a new file starts after the log was cleared.
  Bus.Subscribe(Autosave);
  // The correction window starts armed, with LearnedBegin 0; the log-limit
  // lock starts pressed.
  Correction.SetLearnedBegin(0);
  Learning.SetMafLimitLocked(true);
  // The change handling of the reference and the averaging sliders, so their
  // values reach the log and the decision before anything is loaded.
  Learning.O2FromDashChanged();
  Correction.SetAvgB(Correction.AvgB());
  Correction.SetAvgT(Correction.AvgT());
}

ApplicationCore::~ApplicationCore() {
  // The job and the reader use the link, the log and the dispatcher: they go first.
  ConverterJob.Cancel();
  LiveLog.JoinReader();
}

void ApplicationCore::LoadState() {
  State.LoadState(StateFile(kStateFileName));
  // The Toyota button's click handling, so the tables follow its restored state.
  Correction.SetToyota(Correction.Toyota());
}

void ApplicationCore::LoadHistory() {
  if (HistoryStarted || IsClosed) {
    return;
  }
  HistoryStarted = true;
  MainTable.StartHistoryLoad(StateFile(kHistoryFileName),
                             [this](std::function<void()> call, std::stop_token stop) {
                               return Dispatcher.RunAndWait(std::move(call), std::move(stop));
                             });
}

void ApplicationCore::ReadFromConverter(std::string_view port) {
  if (!LinkCommandsAllowed()) {
    return;
  }
  ConverterJob.Start([this, port = std::string(port)](const LinkJobContext& job) { ReadTable(job, port); });
}

void ApplicationCore::AfterTableRead() {
  // The MAF window's beginning follows the learned beginning, which is marked
  // learned with correction 0; the correction goes back to 0 through the
  // correction window, so the log and the converter hear of it.
  const std::int32_t learnedBegin = Correction.LearnedBegin();
  Correction.SetMafBeg(learnedBegin);
  MainTable.SetBeginAsLearned(learnedBegin, 0, false);
  Correction.SetCorrection(0);
  LiveLog.SetCorrValue(0);
}

void ApplicationCore::ReadTable(const LinkJobContext& job, const std::string& port) {
  bool mayRead = false;
  std::int32_t historyBefore = 0;
  std::uint32_t countBefore = 0;
  job.OnMain([&] {
    if (IsClosed) {
      return;
    }
    StopLiveData(port);
    // Its read ends at once; the block's read must not share the port with it.
    LiveLog.JoinReader();
    historyBefore = MainTable.History().HistoryPos();
    countBefore = MainTable.History().HistoryCount();
    mayRead = Transfer.ReadMayStart();
  });
  if (!mayRead) {
    return;
  }
  const auto reportFailure = [this](const std::exception_ptr& failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& error) {
      ReportPortError(error, Messages);
    }
  };
  BlockRead read;
  std::exception_ptr failure;
  try {
    read = ReceiveBlock(Link, job.Stop());
  } catch (...) {
    failure = std::current_exception();
  }
  if (job.Stopped()) {
    return;
  }
  std::optional<BlockBuffer> ramBlock;
  job.OnMain([&] {
    if (failure) {
      reportFailure(failure);
    } else if (Transfer.TakeBlock(read)) {
      AfterTableRead();
      ramBlock = Transfer.RamBlock();
    }
  });
  if (!ramBlock) {
    return;
  }
  try {
    SendRamBlock(Link, *ramBlock);
  } catch (...) {
    failure = std::current_exception();
  }
  job.OnMain([&] {
    if (failure) {
      reportFailure(failure);
    }
    // One undo takes the user back to the table before the read.
    MainTable.TieHistorySince(historyBefore, countBefore);
  });
}

void ApplicationCore::WriteToConverter() {
  if (!LinkCommandsAllowed()) {
    return;
  }
  const OperationGuard::Scope busy = Operations.Hold();
  Transfer.WriteToConverter();
}

void ApplicationCore::MakeTableOneToOne() {
  MainTable.MakeOneToOne();
  Correction.SetLearnedBegin(0);
  Correction.SetMafBeg(0);
}

bool ApplicationCore::StartLiveData(std::string_view port) {
  if (!LinkCommandsAllowed()) {
    return false;
  }
  return StartLiveRun(Session, Correction, port);
}

bool ApplicationCore::StopLiveData(std::string_view port) {
  if (IsClosed) {
    return false;
  }
  const bool autocorrection = Correction.Autocorrection();
  const bool stopped = StopLiveRun(Session, Correction, port);
  if (stopped && autocorrection) {
    // The run's MAF limit stays where autocorrection left it.
    Learning.SetMafLimitLocked(true);
  }
  return stopped;
}

void ApplicationCore::SelectO2Sensor(std::int32_t sensorType) {
  Reference.ComboBoxO2Change(sensorType);
}

void SleepUntil(const std::function<bool()>& done) {
  while (!done()) {
    std::this_thread::sleep_for(std::chrono::milliseconds{1});
  }
}

void ApplicationCore::RunAside(const std::function<void(UserMessages& messages)>& work) {
  // A close asked for again meanwhile (the event loop turns) comes back
  // after this one has finished.
  const OperationGuard::Scope busy = Operations.Hold();
  RecordedMessages told;
  std::atomic<bool> done{false};
  // The worker writes only `told`; the join orders it for the main thread.
  std::jthread worker([&] {
    work(told);
    done.store(true);
  });
  WaitUntil([&done] { return done.load(); });
  worker.join();
  for (const std::string& text : told.Texts) {
    Messages.ShowMessage(text);
  }
}

void ApplicationCore::SaveHistoryAside() {
  const std::filesystem::path path = StateFile(kHistoryFileName);
  if (MainTable.HistoryFileDamaged()) {
    if (const std::string failure = KeepDamagedFile(path); !failure.empty()) {
      Messages.ShowMessage(failure);
      return;
    }
  }
  const UndoHistory history = MainTable.ReleaseHistory();
  RunAside([&](UserMessages& messages) { SaveHistoryFile(path, history, messages); });
}

void ApplicationCore::OpenLogFile(const std::filesystem::path& path) {
  if (IsClosed || LiveLog.RefuseWhileRecording()) {
    return;
  }
  std::optional<PreparedLog> prepared;
  RunAside([&](UserMessages& messages) { prepared = ReadPreparedLog(path, messages); });
  // Live data may have been started meanwhile (by a firmware update's last
  // step); ShowLoaded refuses then.
  if (prepared && LiveLog.ShowLoaded(*prepared)) {
    // The previous log's channels, up to some 200 MB, are let go aside too.
    RunAside([&](UserMessages& /*messages*/) { prepared.reset(); });
  }
}

void ApplicationCore::SaveLogFile(const std::filesystem::path& path) {
  if (IsClosed) {
    return;
  }
  const FileTpsBytes fileTps = LiveLog.FileTps();
  RunAside([&](UserMessages& messages) { WriteLogFile(LiveLog, path, fileTps, messages); });
}

void ApplicationCore::UpdateFirmware(const std::optional<std::filesystem::path>& chosen, FirmwarePage& page,
                                     bool thenOneToOne, std::string_view port) {
  if (!LinkCommandsAllowed() || !chosen) {
    return;
  }
  ConverterJob.StartToEnd(
      [this, path = *chosen, &page, thenOneToOne, port = std::string(port)](const LinkJobContext& job) {
        MessagesOnMain messages(job, Messages);
        FirmwarePageOnMain pageOnMain(job, page);
        FirmwareUpdate update(Link, messages, pageOnMain,
                              [&job](std::chrono::milliseconds time) { job.Sleep(time); });
        if (update.Update(path) != FirmwareOutcome::Updated || !thenOneToOne) {
          return;
        }
        // The converter needs a moment to start its new firmware before it
        // answers the table write.
        job.Sleep(kFirmwareStartPause);
        job.OnMain([&] {
          MakeTableOneToOne();
          Transfer.WriteToConverter();
          // Whatever the write's outcome: the wideband voltage sensor and live data.
          SelectO2Sensor(kWidebandVoltageSensor);
          StartLiveRun(Session, Correction, port);
        });
      });
}

void ApplicationCore::Calibrate(const SensorChoice& choice, CalibrationCountdown& countdown) {
  if (!LinkCommandsAllowed()) {
    return;
  }
  const OperationGuard::Scope busy = Operations.Hold();
  const ContactlessSettings settings = choice.CalibrationSettings(Identifier.Stored().DeviceId);
  try {
    Sensor.Calibrate(settings, countdown);
  } catch (const std::exception& error) {
    ReportPortError(error, Messages);
  }
}

std::string ApplicationCore::SimulatorPort() {
  if (!BuiltInSimulator && StartSimulator && !IsClosed) {
    try {
      BuiltInSimulator = StartSimulator();
    } catch (const std::exception&) {
      // No pseudo-terminal to be had: the open of the empty path fails and
      // the port selection reports it like any port that does not open.
      return {};
    }
  }
  return BuiltInSimulator ? BuiltInSimulator->PortPath() : std::string();
}

void ApplicationCore::Close(std::string_view port) {
  if (IsClosed) {
    return;
  }
  // A connect under way ends at once; its window updates are dropped.
  ConverterJob.Cancel();
  try {
    if (Link.Connected() != 0) {
      StopLiveData(port);
    }
    if (Correction.ManualBorders()) {
      Correction.SetManualBorders(false);
    }
  } catch (...) {
    // A failure while stopping must not keep the state from being saved.
  }
  IsClosed = true;
  try {
    // The reader must have finished its last read before the port goes.
    LiveLog.JoinReader();
    Link.Close();
  } catch (...) {
    // Likewise while taking the link down.
  }
  BuiltInSimulator.reset();
  State.SaveState(StateFile(kStateFileName));
  // A history not loaded yet stays in its file as it is.
  if (HistoryLoaded()) {
    SaveHistoryAside();
  } else {
    MainTable.AbandonHistoryLoad();
  }
}

}  // namespace orvel
