#include "live/headless_loop.h"

#include <thread>

#include "core/main_thread_dispatcher.h"
#include "live/log.h"

namespace orvel {

namespace {

using Clock = std::chrono::steady_clock;

// Sleeps until `until`, waking early for a hand-over from the reader. The
// dispatcher waits in whole milliseconds; the rest of a fast tick is slept.
void WaitUntil(Clock::time_point until, QueuedDispatcher& dispatcher) {
  const auto left = until - Clock::now();
  const auto wholeMilliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(left);
  if (wholeMilliseconds.count() > 0) {
    dispatcher.WaitForCall(wholeMilliseconds);
  } else if (left.count() > 0) {
    std::this_thread::sleep_until(until);
  }
}

}  // namespace

HeadlessLoopResult RunHeadlessLoop(Log& log, QueuedDispatcher& dispatcher,
                                   const HeadlessLoopSettings& settings,
                                   const std::function<bool()>& stopRequested,
                                   const std::function<void()>& afterTick) {
  const double scale = settings.TimeScale > 0 ? settings.TimeScale : 1.0;
  const auto interval = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(kDashboardTickInterval) / scale);
  const auto began = Clock::now();
  const auto streamTime = [&] { return std::chrono::duration<double>(Clock::now() - began) * scale; };
  HeadlessLoopResult result;
  auto nextTick = began + interval;
  while (true) {
    if (!log.IsRunning()) {
      result.End = HeadlessLoopEnd::StreamEnded;
      break;
    }
    if (stopRequested && stopRequested()) {
      result.End = HeadlessLoopEnd::StopRequested;
      break;
    }
    if (settings.Limit.count() > 0 && streamTime() >= settings.Limit) {
      result.End = HeadlessLoopEnd::LimitReached;
      break;
    }
    WaitUntil(nextTick, dispatcher);
    dispatcher.RunPending();
    const auto now = Clock::now();
    if (now < nextTick) {
      continue;
    }
    // A tick that is more than one period late starts the schedule afresh.
    nextTick = now - nextTick >= interval ? now + interval : nextTick + interval;
    log.TimerTick();
    ++result.Ticks;
    if (afterTick) {
      afterTick();
    }
  }
  result.StreamTime = streamTime();
  return result;
}

void FinishHeadlessRun(Log& log, QueuedDispatcher& dispatcher) {
  log.JoinReader();
  dispatcher.RunPending();
}

}  // namespace orvel
