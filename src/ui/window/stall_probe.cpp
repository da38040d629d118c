#include "ui/window/stall_probe.h"

#include <algorithm>

namespace orvel::ui {

StallProbe::StallProbe(QObject* parent, std::chrono::milliseconds period)
    : QObject(parent), Timer(this), Period(period) {
  Timer.setTimerType(Qt::PreciseTimer);
  Timer.setInterval(period);
  connect(&Timer, &QTimer::timeout, this, [this] { Fired(); });
  Clock.start();
  LastFiredNs = Clock.nsecsElapsed();
  Timer.start();
}

void StallProbe::Reset() {
  // A stall under way is counted from here on.
  LastFiredNs = Clock.nsecsElapsed();
  LongestNs = 0;
}

std::chrono::milliseconds StallProbe::Longest() const {
  // A stall still under way (the caller runs on the UI thread, so the timer
  // cannot have fired since) counts as well.
  const qint64 current = Clock.nsecsElapsed() - LastFiredNs - Period.count();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::nanoseconds(std::max(LongestNs, current)));
}

void StallProbe::Fired() {
  const qint64 now = Clock.nsecsElapsed();
  LongestNs = std::max(LongestNs, now - LastFiredNs - static_cast<qint64>(Period.count()));
  LastFiredNs = now;
}

}  // namespace orvel::ui
