#pragma once

// The correction decision as the log's dashboard tick runs it: the O2
// averaging count, and one decision step on the newest samples whose advice
// goes out on the bus.

#include "autotune/correction_decision.h"
#include "core/orvel_broadcaster.h"
#include "live/dashboard_tick_hook.h"
#include "live/live_settings.h"

namespace orvel {

class CorrectionTick final : public DashboardTickHook {
 public:
  CorrectionTick(const Table& mainTable, XrpmTable& scale, TOrvelBroadcaster& bus)
      : Decision(mainTable, scale), Bus(bus) {}

  // The run's settings, handed over by the Start action.
  void SetRunSettings(const LiveSettings& settings);
  void SetAutocorrection(bool on) { Decision.Settings().Autocorrection = on; }
  [[nodiscard]] const CorrectionDecision& State() const { return Decision; }
  // The decision's settings, for the correction window model to write.
  DecisionSettings& Settings() { return Decision.Settings(); }

  [[nodiscard]] std::int32_t O2AveragingCount() const override { return Decision.AveragingCount(); }
  // Steps the decision under the channels' lock (it reads the newest values
  // in place and allocates nothing) and broadcasts its advice, if any.
  void AfterDashboardMessage(const Log& log) override;

 private:
  CorrectionDecision Decision;
  TOrvelBroadcaster& Bus;
};

}  // namespace orvel
