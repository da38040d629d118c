#pragma once

// A headless autotuning session: the objects the main window builds for live
// data and autocorrection, wired the same way but without widgets. The table
// goes to the converter, live data starts, the dashboard tick runs the
// correction decision, and the correction window model carries out its
// advice exactly as the window does (stepping the correction with "c",
// applying a finished correction to the table and sending the table with "t").
//
// The bus's subscribers, in the window's order: a stand-in for the main
// window (it hands the advice to the correction window model), the link and
// the log. The dashboard's share of the tick runs as in the window, so the
// run's extremes (kept by the correction window model) and the table's
// highest-MAF line follow every tick here too.
//
// Threads: main thread, except the live-data reader the log starts.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "autotune/converter_correction_link.h"
#include "autotune/correction_window.h"
#include "autotune/xrpm_table.h"
#include "core/main_thread_dispatcher.h"
#include "core/orvel_broadcaster.h"
#include "core/progress.h"
#include "core/user_messages.h"
#include "link/rxtx.h"
#include "link/table_transfer.h"
#include "live/correction_tick.h"
#include "live/headless_loop.h"
#include "live/live_correction_host.h"
#include "live/live_dashboard.h"
#include "live/live_run.h"
#include "live/live_session.h"
#include "live/log.h"
#include "table/table.h"

namespace orvel {

// The dashboard's controls for the session.
struct TuningSettings {
  std::int32_t SensorType = 0;  // position in the O2 sensor list
  std::int32_t O2Ref = 0;       // the target, in the O2 channel's unit
  std::int32_t PulsLimit = 10;  // "Delta"
  std::int32_t AvgB = kMinAvgB;
  std::int32_t AvgT = kMinAvgT;
  // The throttle scale (raw counts of the released and fully pressed pedal).
  std::int32_t TpsMin = 0;
  std::int32_t TpsMax = 255;
  HeadlessLoopSettings Loop;
};

struct TuningSummary {
  HeadlessLoopResult Loop;
  std::size_t Samples = 0;
  std::uint64_t BadFrames = 0;
  // Distinct Maf values the log holds.
  int Visited = 0;
  // The run's highest MAF, as the dashboard would show it.
  std::int32_t HighestMaf = 0;
  // Points trained at the end that were not trained when live data started.
  std::vector<int> TrainedPoints;
  // Advice that applied a correction to the table.
  int Applied = 0;
};

class TuningSession {
 public:
  explicit TuningSession(UserMessages& messages,
                         std::chrono::milliseconds linkTimeout = SerialPort::DefaultTimeout);
  TuningSession(const TuningSession&) = delete;
  TuningSession& operator=(const TuningSession&) = delete;

  // Opens the converter's port; throws EComPort when it cannot be opened.
  void Open(const std::string& port) { Link.Open(port); }

  // Starts live data with autocorrection on, runs the loop until it ends,
  // then stops live data (autocorrection off, the correction back to 0) and
  // waits for the reader. `afterTick` may be empty.
  TuningSummary Run(const TuningSettings& settings, const std::function<bool()>& stopRequested,
                    const std::function<void()>& afterTick);

  // Run in two steps around a loop of the caller's: Begin applies the
  // settings and starts live data with autocorrection on; Finish stops it
  // (autocorrection off, the correction back to 0) and waits for the reader.
  void Begin(const TuningSettings& settings);
  void Finish();

  Table& MainTable() { return Main; }
  Log& TheLog() { return LiveLog; }
  [[nodiscard]] const CorrectionWindowModel& Window() const { return Correction; }
  // Corrections applied to the table in this run so far.
  [[nodiscard]] int Applied() const { return AppliedCount; }

 private:
  // Where the main window stands on the bus.
  class WindowStandIn final : public TOrvelReceiver {
   public:
    WindowStandIn(TOrvelBroadcaster& bus, TuningSession& session) : Session(session) { bus.Subscribe(*this); }
    void Dispatch(const TMessage& message) override { Session.WindowDispatch(message); }

   private:
    TuningSession& Session;
  };

  void WindowDispatch(const TMessage& message);
  TuningSummary Summarise(const HeadlessLoopResult& loop, const PointValues& trainedAtStart) const;

  UserMessages& Messages;
  TOrvelBroadcaster Bus;
  WindowStandIn StandIn{Bus, *this};  // first subscriber
  TRXTX Link;                         // second
  LatchedModifiers Keys;
  Table Main{Bus, Messages, Keys};
  QueuedDispatcher Dispatcher;
  Log LiveLog;  // third
  KeptProgress Progress;
  TableTransfer Transfer{Main, Link, Messages, Progress};
  XrpmTable Scale;
  CorrectionTick Tick{Main, Scale, Bus};
  LiveSession Actions{Bus, LiveLog, Main, Transfer, Messages, &Tick};
  ConverterCorrectionLink CorrectionLink{Link, Messages};
  LiveCorrectionHost Host{LiveLog, Transfer};
  O2ReferenceModel Reference;
  CorrectionWindowModel Correction{Main, nullptr, Tick.Settings(), Host, Reference};
  LiveDashboard Dashboard{LiveLog, Main, Scale, Correction, nullptr};
  int AppliedCount = 0;
};

}  // namespace orvel
