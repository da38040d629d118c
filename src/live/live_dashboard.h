#pragma once

// The dashboard's share of the log's 100 ms tick, without widgets. From the
// newest sample it advances the run's extremes (the correction window model
// is their one owner), hands the table the highest MAF, lets the log page's
// MAF limit follow it, and computes everything the dashboard shows into one
// DashboardFrame, which it then announces. The pages only draw the frame;
// nothing here waits for them and they call nothing back.
//
// Threads: main thread only.

#include <cstdint>
#include <functional>
#include <optional>

#include "core/messages.h"
#include "core/signal.h"
#include "live/dashboard_frame.h"
#include "live/log_channels.h"

namespace orvel {

class CorrectionWindowModel;
class Log;
class LogLearningControls;
class Table;
struct XrpmTable;

// Where the log page's MAF limit slider goes after a dashboard sample: to
// 255 - highestMaf while its lock is up, or while autocorrection runs with
// automatic borders; nowhere (empty) otherwise.
std::optional<std::int32_t> MafLimitFollow(std::int32_t highestMaf, bool limitLocked, bool autocorrection,
                                           bool manualBorders);

class LiveDashboard {
 public:
  // Listens to `log`'s dashboard samples. `learning` (the log page's
  // controls) may be null: then no MAF limit follows.
  LiveDashboard(Log& log, Table& mainTable, XrpmTable& scale, CorrectionWindowModel& window,
                LogLearningControls* learning);
  LiveDashboard(const LiveDashboard&) = delete;
  LiveDashboard& operator=(const LiveDashboard&) = delete;

  // One tick's sample: the models follow, then the frame goes out.
  void Take(const TMsgDashData& message, const SampleValues& newest);

  // Called with every frame until the handle goes.
  [[nodiscard]] Subscription SubscribeFrames(std::function<void(const DashboardFrame&)> listener) {
    return Frames.Subscribe(std::move(listener));
  }
  // The last frame (a default one before the first tick).
  [[nodiscard]] const DashboardFrame& Last() const { return Frame; }

 private:
  Table& MainTable;
  XrpmTable& Scale;
  CorrectionWindowModel& Window;
  LogLearningControls* Learning;
  Signal<const DashboardFrame&> Frames;
  DashboardFrame Frame;
  Subscription FromLog;  // last: it ends before what it calls
};

}  // namespace orvel
