#pragma once

// What the log model's dashboard tick asks of the correction decision: how
// many O2 samples the dashboard averages, and one decision step right after
// the dashboard message went out. The log works without one (an average of
// one sample, no decision).

#include <cstdint>

namespace orvel {

class Log;

class DashboardTickHook {
 public:
  virtual ~DashboardTickHook() = default;
  [[nodiscard]] virtual std::int32_t O2AveragingCount() const = 0;
  // Main thread, once per tick with a sample, after TMsgDashData was broadcast.
  virtual void AfterDashboardMessage(const Log& log) = 0;

 protected:
  DashboardTickHook() = default;
  DashboardTickHook(const DashboardTickHook&) = default;
  DashboardTickHook& operator=(const DashboardTickHook&) = default;
};

}  // namespace orvel
