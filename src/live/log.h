#pragma once

// The log model: the recorded live data and what is derived from it for
// viewing, saving and learning.
//
// Threads: the live-data thread calls AppendSample and reads MarkerHeld,
// CorrValue and sets HasData; everything else runs on the main thread. The
// channels are guarded by one mutex held by AppendSample and by every reader,
// so a reader sees none or all fourteen values of a sample and never uses
// storage that an append may move.
//
// Live data (log_live.cpp): a log built with LiveLinks subscribes itself to
// the bus and starts and stops the converter's stream on TMsgLogStart and
// TMsgLogStop. Start, Stop and TimerTick run on the main thread.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "autotune/o2_sensor.h"
#include "core/number_format.h"
#include "core/orvel_broadcaster.h"
#include "core/signal.h"
#include "core/user_messages.h"
#include "live/live_frame.h"
#include "live/log_channels.h"
#include "live/log_chart.h"
#include "live/log_summary.h"

namespace orvel {

// Why a log cannot be opened or learned from while it is being recorded.
inline constexpr std::string_view kStopLiveDataFirstText =
    "Stop live data first: a log cannot be opened or learned from while it is being recorded\n\n"
    "Сначала остановите запись: пока идёт запись лога, его нельзя открыть или учиться по нему";

class DashboardTickHook;
class MainThreadDispatcher;
class Table;
class TLogThread;
class TRXTX;

// The collaborators of a log that records live data. All of them must
// outlive the log.
struct LiveLinks {
  TRXTX& Link;
  TOrvelBroadcaster& Bus;
  Table& MainTable;                  // receives the dashboard sample every tick
  MainThreadDispatcher& Dispatcher;  // the reader's hand-over to the main thread
  NumberFormat Format;               // the user's decimal separator
};

// The visible window of the log chart and what the chart's axes need.
struct LogWindow {
  std::int64_t FirstIndex = 0;
  std::int64_t LastIndex = 0;
  std::int64_t Step = 0;  // every Step-th sample is drawn; 0 until first set
  std::string StepLabel;
  std::int32_t MaxMafInLog = 0;     // highest Maf of the whole log
  std::int32_t ValueAxisMin = -30;  // the value axis runs from here...
  std::int32_t ValueAxisMax = 300;  // ...to here
};

// Levels drawn across the log chart and used by learning from the log.
struct LogLevels {
  std::int32_t MafLimit = 0;
  std::int32_t O2Target = 0;
  std::int32_t O2FromDash = 147;
};

struct LogFileContents;
struct PreparedLog;

// What the chart's axes take from a whole log.
struct LogBounds {
  std::int32_t MaxMafInLog = 0;
  std::int32_t ValueAxisMin = -30;
};
// The highest Maf (of every sample but the last) and the value axis' low end:
// 20 under the lowest correction below -30 of a correction channel that holds
// values for (nearly) the whole log.
LogBounds LogBoundsOf(const LogChannels& channels);

// The two TPS calibration bytes read from the last loaded .log file and
// written back into every saved one.
struct FileTpsBytes {
  std::int32_t Min = 0;
  std::int32_t Max = 0;
};

// The O2 average over the last `count` values of `o2`: the last value while
// fewer exist (or when count < 1), 0 with none.
std::int32_t O2AverageOf(std::span<const std::int32_t> o2, std::int32_t count);

class Log final : public TOrvelReceiver {
 public:
  // A log without live data: files, viewing, learning.
  explicit Log(UserMessages& messages);
  // A log that records live data; subscribes itself to links.Bus.
  Log(UserMessages& messages, const LiveLinks& links);
  // Stops a reader still running and joins it.
  ~Log() override;
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  // --- Live data (main thread). ---

  // TMsgLogStart runs Start with its sensor type, TMsgLogStop runs Stop.
  void Dispatch(const TMessage& message) override;
  // Clears the log, sends "sl", starts the reader and the dashboard timer.
  // The reader of an earlier run is joined first.
  void Start(std::int32_t sensorType);
  // Stops the timer, asks the reader to terminate (without waiting), sends
  // "s", and prepares a log that received data for viewing. No sample is
  // appended after it returned.
  void Stop();
  // The 100 ms dashboard tick: the newest sample goes to the main table's
  // dashboard, to the dashboard-sample listeners and out as TMsgDashData,
  // then the decision hook runs. Does nothing while the timer is off or the
  // log is empty.
  void TimerTick();
  [[nodiscard]] bool TimerEnabled() const { return TimerOn; }
  [[nodiscard]] bool IsStopped() const { return Stopped; }
  [[nodiscard]] std::int32_t SensorType() const { return RunSensorType; }
  // Waits until the reader of the last run has ended. Call it before the
  // port is closed; never from a call the reader handed over.
  void JoinReader();
  // The correction decision's part of the tick; nullptr for none.
  void SetDashboardHook(DashboardTickHook* hook) { TickHook = hook; }
  // Once per tick with a sample, right before TMsgDashData goes out: the
  // message and the newest sample it was built from (the dashboard's share
  // of the tick listens here).
  [[nodiscard]] Subscription SubscribeDashboardSamples(
      std::function<void(const TMsgDashData&, const SampleValues&)> listener) {
    return DashboardSamples.Subscribe(std::move(listener));
  }
  // Frame counters and auxiliary slots, kept from run to run.
  [[nodiscard]] const LiveStreamState& Stream() const { return StreamState; }

  // --- Recording, data side. Start and Stop run these at their steps. ---

  // Empties the log for a new recording and lets samples in: Clear, HasData
  // off, Running on.
  void BeginRecording();
  // From the return of this call on, AppendSample takes no sample: Running
  // goes off under the channels' lock.
  void EndRecording();
  [[nodiscard]] bool IsRunning() const { return Running.load(); }
  // Start and Stop changed IsRunning (main thread, after the change): the
  // window's actions, the sensor list and the dashboard timer follow it.
  Signal<> RunningChanged;
  // While live data is being recorded, shows why a log cannot be opened or
  // learned from now and returns true: the recording would be replaced or
  // changed under the reader.
  bool RefuseWhileRecording();

  // Live-data thread: appends one sample (the fourteen values in channel
  // order, stored as given) while Running; false when it was refused.
  bool AppendSample(const SampleValues& sample);

  // The marker key. `Marker` of a live sample is MarkerValue() at the moment
  // the sample is built.
  void SetMarkerHeld(bool held) { MarkerHeld.store(held); }
  [[nodiscard]] bool IsMarkerHeld() const { return MarkerHeld.load(); }
  [[nodiscard]] std::int32_t MarkerValue() const { return IsMarkerHeld() ? kMarkerHeldValue : 0; }

  // The correction now set; copied into `Corr` of every live sample.
  void SetCorrValue(std::int32_t value) { CorrValue.store(value); }
  [[nodiscard]] std::int32_t GetCorrValue() const { return CorrValue.load(); }

  // The log holds data that may be shown.
  void SetHasData(bool on) { HasData.store(on); }
  [[nodiscard]] bool GetHasData() const { return HasData.load(); }

  // --- Readers; safe while recording. ---

  [[nodiscard]] std::size_t SampleCount() const;
  // The newest sample, if any (0 for channels without a value there).
  [[nodiscard]] std::optional<SampleValues> NewestSample() const;
  // The dashboard's O2 average over the last `count` values: the last value
  // while fewer exist (or when count < 1), 0 with none.
  [[nodiscard]] std::int32_t O2Average(std::int32_t count) const;
  // Runs `reader` with the channels under the lock and returns its result.
  // The reader must not keep a span or reference past its return.
  template <typename Reader>
  decltype(auto) ReadChannels(Reader&& reader) const {
    const std::scoped_lock lock(ChannelsLock);
    return reader(static_cast<const LogChannels&>(Channels));
  }
  // The same with the channels' generation: it changes whenever the channels
  // are emptied or replaced, so a reader that works through them in pieces
  // (a save on another thread) can tell that the samples it began with are gone.
  template <typename Reader>
  decltype(auto) ReadChannelsOfGeneration(Reader&& reader) const {
    const std::scoped_lock lock(ChannelsLock);
    return reader(static_cast<const LogChannels&>(Channels), Generation);
  }

  // --- Data operations on a finished log (main thread). ---

  // Empties all fourteen channels.
  void Clear();
  // Window, MaxMafInLog and the value axis for the whole log.
  void ComputeBounds();
  // O2Smooth[i] for from <= i < to: the mean of O2[i-20] ... O2[i+19],
  // truncated toward zero. Does nothing when from < 20. Near the end of the
  // log the window is cut at the last sample and the mean is taken over the
  // samples present, so no value past the end is read and the smoothed line
  // keeps following the signal instead of dropping to 0.
  void SmoothO2(std::int64_t from, std::int64_t to);
  // Step and StepLabel for a window of `range` samples.
  void SetStep(std::int64_t range);
  // The visible window after a zoom or a pan.
  void SetVisibleWindow(std::int64_t first, std::int64_t last);
  [[nodiscard]] const LogWindow& Window() const { return View; }

  [[nodiscard]] const LogLevels& Levels() const { return LevelValues; }
  // Each stores its level and redraws a log that is shown.
  void SetMafLimit(std::int32_t value);
  void SetO2Target(std::int32_t value);
  void SetO2FromDash(std::int32_t value);

  // --- The chart (log_view.cpp). ---

  // The chart the log draws into and the table whose outputs "Tab" shows.
  // Both must outlive the log or be unbound with UnbindChart.
  void BindChart(LogChartView& chart, const Table& mainTable);
  void UnbindChart();
  // Fills the points with every step-th sample of the window plus one step
  // on each side and the lines with the window decimated to the chart's
  // pixel columns, and sets HasData. Does nothing while recording or with
  // fewer than 118 samples; false then.
  bool Redraw(std::int64_t step);
  // Redraw with Step when the log holds data that may be shown.
  void RedrawIfData();
  // The points of the last redraw.
  [[nodiscard]] const LogChartData& Drawn() const { return DrawnData; }
  // The chart's axis ranges as the log last set them or the chart reported them.
  [[nodiscard]] const LogAxisRanges& Axes() const { return AxisRanges; }
  [[nodiscard]] const LogZoomHistory& ZoomHistory() const { return Zooms; }
  // The first zoom entry, for the whole log (after a recording or a load).
  void PushWholeLogZoomEntry();
  // The chart has zoomed to `ranges`: the window follows the time axis, an
  // entry is pushed, the step set and the log redrawn.
  void ZoomDone(const LogAxisRanges& ranges);
  // Back to the previous zoom entry; nothing with fewer than two entries.
  // False when nothing was undone.
  bool ZoomUndone();
  // The chart has been panned to `ranges`: the window follows, the log is
  // redrawn with the same step, and the previous zoom entry is re-centred.
  void Panned(const LogAxisRanges& ranges);

  [[nodiscard]] const FileTpsBytes& FileTps() const { return FileTpsValues; }

  // --- The .log file (log_file.cpp). ---

  // Writes the whole log under LogFilePath(path), through a temporary file
  // and a rename. False when nothing was written: an empty log (no message)
  // or a failure (its message shown). WriteLogFile does the same from any thread.
  bool SaveToFile(const std::filesystem::path& path);
  // Replaces the log by the file's samples. The file is read and checked
  // first: a file that cannot be read or holds no complete sample leaves the
  // log as it was and says why. After a load the new log is drawn (which
  // sets HasData; a log of fewer than 118 samples is not drawn and leaves it
  // off) and the zoom history holds the whole log.
  bool LoadFromFile(const std::filesystem::path& path);
  // LoadFromFile's second half, for a file read and prepared elsewhere (on a
  // worker thread, by ReadLogFile and PrepareLog): the log becomes the
  // prepared one and is drawn, and `prepared` holds the previous log's
  // channels, for the caller to let go where it likes. Refused, leaving both
  // as they were, while live data is being recorded.
  bool ShowLoaded(PreparedLog& prepared);

 private:
  // The axes for the whole log from its bounds.
  void ShowBounds(const LogBounds& bounds);

  UserMessages& Messages;

  // Guards Channels. Held by AppendSample and by every read or change of the
  // channels, on either thread.
  mutable std::mutex ChannelsLock;
  LogChannels Channels;  // guarded by ChannelsLock
  // Counts the times the channels were emptied or replaced; guarded by ChannelsLock.
  std::uint64_t Generation = 0;
  // The channels' extremes for drawing; brought up to date by Redraw. Guarded
  // by ChannelsLock (only the main thread uses it).
  LogSummary Summary;

  // Atomic; changed only under ChannelsLock, so that once EndRecording has
  // returned no AppendSample can still be past its check.
  std::atomic<bool> Running{false};
  std::atomic<bool> HasData{false};        // atomic: set by the live-data thread
  std::atomic<bool> MarkerHeld{false};     // atomic: written by the main thread, read per sample
  std::atomic<std::int32_t> CorrValue{0};  // atomic: written by the main thread, read per sample

  // Main thread only.
  LogWindow View;
  LogChartView* Chart = nullptr;
  const Table* ChartTable = nullptr;
  LogChartData DrawnData;
  LogAxisRanges AxisRanges;
  LogZoomHistory Zooms;
  LogLevels LevelValues;
  FileTpsBytes FileTpsValues;

  // Live data; main thread only, except StreamState (see LiveStreamState).
  std::optional<LiveLinks> Live;
  DashboardTickHook* TickHook = nullptr;
  Signal<const TMsgDashData&, const SampleValues&> DashboardSamples;
  std::int32_t RunSensorType = 0;
  bool Stopped = true;
  bool TimerOn = false;
  TO2Display O2Display;  // kept from tick to tick
  LiveStreamState StreamState;
  std::unique_ptr<TLogThread> Reader;     // the running reader, if any
  std::unique_ptr<TLogThread> Finishing;  // asked to terminate, not joined yet
};

}  // namespace orvel
