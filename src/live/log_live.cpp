// Log: starting and stopping live data and the dashboard tick.

#include <array>
#include <cstdint>

#include "link/rxtx.h"
#include "live/dash_data.h"
#include "live/dashboard_tick_hook.h"
#include "live/log.h"
#include "live/log_thread.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr std::array<std::uint8_t, 2> kStartLiveData = {'s', 'l'};
constexpr std::array<std::uint8_t, 1> kStopLiveData = {'s'};
// The smoothed O2 line starts here after a recording.
constexpr std::int64_t kSmoothFromIndex = 30;

}  // namespace

Log::Log(UserMessages& messages, const LiveLinks& links) : Messages(messages), Live(links) {
  links.Bus.Subscribe(*this);
}

Log::~Log() {
  if (Reader) {
    Reader->RequestTerminate();
  }
  JoinReader();
}

void Log::Dispatch(const TMessage& message) {
  if (const auto* start = MessageAs<TMsgLogStart>(message)) {
    Start(start->O2SensorType);
  } else if (MessageAs<TMsgLogStop>(message) != nullptr) {
    Stop();
  }
}

void Log::JoinReader() {
  // Destroying a reader joins it; a running one is asked to stop first.
  if (Reader) {
    Reader->RequestTerminate();
  }
  Reader.reset();
  Finishing.reset();
}

void Log::Start(std::int32_t sensorType) {
  if (!Live) {
    return;
  }
  // The reader of the previous run has been asked to stop, which ended its
  // read at once, so this join is short. Only one reader may use the port and
  // the aux slots.
  JoinReader();
  RunSensorType = sensorType;
  BeginRecording();
  try {
    Live->Link.ClearBuffers();
    Live->Link.ClearOutput();
    Live->Link.Write(kStartLiveData);
  } catch (const EComPort&) {
    // The reader's first read fails the same way and reports it, followed by
    // the stop message, as for any port error during a run.
  }
  Reader = std::make_unique<TLogThread>(
      LogThreadLinks{Live->Link, *this, Live->Bus, Live->Dispatcher, Messages, StreamState}, sensorType);
  TimerOn = true;
  Stopped = false;
  RunningChanged.Emit();
}

void Log::Stop() {
  if (!Live) {
    return;
  }
  TimerOn = false;
  if (Reader) {
    // Forgotten, not joined: Stop may run inside a call the reader handed
    // over and is waiting for.
    Reader->RequestTerminate();
    Finishing = std::move(Reader);
  }
  Stopped = true;
  try {
    Live->Link.Write(kStopLiveData);
  } catch (const EComPort&) {
    // A port that is gone cannot be told to stop; the reader has reported
    // the error, and the next exchange will report it again.
  }
  EndRecording();
  RunningChanged.Emit();
  if (!GetHasData()) {
    return;
  }
  ComputeBounds();
  SmoothO2(kSmoothFromIndex, View.LastIndex);
  SetStep(static_cast<std::int64_t>(SampleCount()) - 2);
  Redraw(View.Step);
  Stopped = true;
  PushWholeLogZoomEntry();
}

bool Log::RefuseWhileRecording() {
  if (!IsRunning()) {
    return false;
  }
  Messages.ShowMessage(kStopLiveDataFirstText);
  return true;
}

void Log::TimerTick() {
  if (!TimerOn || !Live) {
    return;
  }
  const std::int32_t count = TickHook != nullptr ? TickHook->O2AveragingCount() : 1;
  struct Newest {
    SampleValues Sample{};
    std::int32_t O2Average = 0;
  };
  const auto newest = ReadChannels([count](const LogChannels& channels) -> std::optional<Newest> {
    if (channels.SampleCount() == 0) {
      return std::nullopt;
    }
    return Newest{channels.Last(), O2AverageOf(channels.Of(Channel::O2), count)};
  });
  if (!newest) {
    return;
  }
  const SampleValues& sample = newest->Sample;
  const TMsgDashData message =
      BuildDashData(sample, newest->O2Average, RunSensorType, Live->Format, O2Display);
  Live->MainTable.SetDashboardSample(At(sample, Channel::Maf), At(sample, Channel::Conv),
                                     At(sample, Channel::Iat), At(sample, Channel::Ect),
                                     At(sample, Channel::IatCorr), At(sample, Channel::EctCorr));
  DashboardSamples.Emit(message, sample);
  Live->Bus.Broadcast(message);
  if (TickHook != nullptr) {
    TickHook->AfterDashboardMessage(*this);
  }
}

}  // namespace orvel
