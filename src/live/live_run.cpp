#include "live/live_run.h"

#include "autotune/correction_window.h"
#include "live/live_session.h"

namespace orvel {

LiveSettings RunSettingsOf(const CorrectionWindowModel& window) {
  LiveSettings settings;
  settings.PulsLimit = window.PulsLimit();
  settings.ToyotaMode = window.Toyota();
  settings.Autocorrection = window.Autocorrection();
  settings.ForcedIdleRpm = window.ForcedIdleRpm();
  settings.ForcedIdleTps = window.ForcedIdleTps();
  settings.AvgB = window.AvgB();
  settings.AvgT = window.AvgT();
  settings.O2Ref = window.O2Ref();
  settings.O2SensorType = window.SensorType();
  settings.LearnedBegin = window.LearnedBegin();
  return settings;
}

bool StartLiveRun(LiveSession& session, CorrectionWindowModel& window, std::string_view port) {
  if (!port.empty()) {
    window.BeginRun();
  }
  return session.Start(port, RunSettingsOf(window));
}

bool StopLiveRun(LiveSession& session, CorrectionWindowModel& window, std::string_view port) {
  if (!port.empty() && window.Autocorrection()) {
    window.SetAutocorrection(false);
  }
  return session.Stop(port);
}

}  // namespace orvel
