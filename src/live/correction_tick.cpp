#include "live/correction_tick.h"

#include "live/log.h"

namespace orvel {

void CorrectionTick::SetRunSettings(const LiveSettings& settings) {
  DecisionSettings& current = Decision.Settings();
  current.PulsLimit = settings.PulsLimit;
  current.ToyotaMode = settings.ToyotaMode;
  current.Autocorrection = settings.Autocorrection;
  current.ForcedIdleRpm = settings.ForcedIdleRpm;
  current.ForcedIdleTps = settings.ForcedIdleTps;
  current.SetAveraging(settings.AvgB, settings.AvgT);
  current.O2Ref = settings.O2Ref;
  current.SensorType = settings.O2SensorType;
}

void CorrectionTick::AfterDashboardMessage(const Log& log) {
  const auto advice = log.ReadChannels([this](const LogChannels& channels) {
    const auto o2 = channels.Of(Channel::O2);
    return Decision.Step(DecisionSamples{channels.Of(Channel::Maf), channels.Of(Channel::Tps),
                                         channels.Of(Channel::RpmPeriod), o2, o2.size()});
  });
  if (advice) {
    Bus.Broadcast(*advice);
  }
}

}  // namespace orvel
