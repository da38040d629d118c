#pragma once

// The Start and Stop actions of live data with the dashboard's correction
// window: the settings of a run come from the correction window model, and
// Stop switches autocorrection off first (which returns the correction to 0
// in the converter). The window's actions and the headless tuning session
// both go through here, so both start and stop a run the same way.

#include <string_view>

#include "live/live_settings.h"

namespace orvel {

class CorrectionWindowModel;
class LiveSession;

// The run's settings as the correction window model holds them.
LiveSettings RunSettingsOf(const CorrectionWindowModel& window);

// The Start action. An empty port shows the port message and starts nothing;
// false then.
bool StartLiveRun(LiveSession& session, CorrectionWindowModel& window, std::string_view port);

// The Stop action, with the same check of the port. True when it stopped.
bool StopLiveRun(LiveSession& session, CorrectionWindowModel& window, std::string_view port);

}  // namespace orvel
