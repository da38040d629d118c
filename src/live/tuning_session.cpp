#include "live/tuning_session.h"

#include <array>

namespace orvel {

TuningSession::TuningSession(UserMessages& messages, std::chrono::milliseconds linkTimeout)
    : Messages(messages),
      Link(Bus, linkTimeout),
      LiveLog(messages, LiveLinks{Link, Bus, Main, Dispatcher, NumberFormat{}}) {
  // As the window binds it at start-up: no graph, trained points shown.
  Main.BindGraph(nullptr, true, nullptr);
  Main.SetLink(&CorrectionLink);
  LiveLog.SetDashboardHook(&Tick);
}

void TuningSession::WindowDispatch(const TMessage& message) {
  if (const auto* advice = MessageAs<TMsgCorrAdvice>(message);
      advice != nullptr && advice->ApplyToTable != 0) {
    ++AppliedCount;
  }
  if (Correction.Dispatch(message)) {
    return;
  }
  if (MessageAs<TMsgLogStop>(message) != nullptr) {
    Correction.LiveDataStopped();
  }
}

void TuningSession::Begin(const TuningSettings& settings) {
  Scale.TpsMin = settings.TpsMin;
  Scale.TpsMax = settings.TpsMax;
  Reference.ComboBoxO2Change(settings.SensorType);
  Reference.SetRefO2Value(settings.O2Ref);
  Correction.SetPulsLimit(settings.PulsLimit);
  Correction.SetAvgB(settings.AvgB);
  Correction.SetAvgT(settings.AvgT);
  Correction.SetAutocorrection(true);
  AppliedCount = 0;
  // The Start action: the table to the converter, the correction to 0, the
  // decision's settings (the same the window model holds), then live data.
  StartLiveRun(Actions, Correction, Link.PortName());
}

void TuningSession::Finish() {
  if (LiveLog.IsRunning()) {
    // The Stop action: autocorrection off (its button's handler returns the
    // correction to 0 in the converter), then live data stops.
    StopLiveRun(Actions, Correction, Link.PortName());
  }
  FinishHeadlessRun(LiveLog, Dispatcher);
}

TuningSummary TuningSession::Run(const TuningSettings& settings, const std::function<bool()>& stopRequested,
                                 const std::function<void()>& afterTick) {
  Begin(settings);
  const PointValues trainedAtStart = Main.Trained();
  const HeadlessLoopResult loop =
      RunHeadlessLoop(LiveLog, Dispatcher, settings.Loop, stopRequested, afterTick);
  Finish();
  return Summarise(loop, trainedAtStart);
}

TuningSummary TuningSession::Summarise(const HeadlessLoopResult& loop,
                                       const PointValues& trainedAtStart) const {
  TuningSummary summary;
  summary.Loop = loop;
  summary.Samples = LiveLog.SampleCount();
  summary.BadFrames = LiveLog.Stream().BadFrames.load();
  summary.Applied = AppliedCount;
  summary.HighestMaf = Correction.HighestMaf();
  std::array<bool, TableBlock::kOutCount> visited{};
  LiveLog.ReadChannels([&visited](const LogChannels& channels) {
    for (const std::int32_t maf : channels.Of(Channel::Maf)) {
      if (maf >= 0 && static_cast<std::size_t>(maf) < visited.size()) {
        visited[static_cast<std::size_t>(maf)] = true;
      }
    }
  });
  for (std::size_t point = 0; point < visited.size(); ++point) {
    summary.Visited += visited[point] ? 1 : 0;
    if (Main.Trained()[point] != 0 && trainedAtStart[point] == 0) {
      summary.TrainedPoints.push_back(static_cast<int>(point));
    }
  }
  return summary;
}

}  // namespace orvel
