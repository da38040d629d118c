#pragma once

// The main thread's work while live data runs without a window: it runs what
// the live-data thread hands over (the stop message, error texts) and the
// log's 100 ms dashboard tick, as the window's event loop and timer would.
// The command-line tool's recorder and its tuning session both run it.
//
// Time scale: a simulated converter may stream N times faster than real time.
// The tick then comes N times as often, so every tick still finds about ten
// new samples and the decision, which counts ticks and samples, sees the same
// sequence as in real time. Like a window timer, a loop that fell behind does
// not catch up with a burst of ticks: missed ticks are dropped.

#include <chrono>
#include <cstdint>
#include <functional>

namespace orvel {

class Log;
class QueuedDispatcher;

inline constexpr std::chrono::milliseconds kDashboardTickInterval{100};

struct HeadlessLoopSettings {
  // The stream runs this many times faster than real time (> 0).
  double TimeScale = 1.0;
  // Stream time after which the loop ends; zero or less: no limit.
  std::chrono::duration<double> Limit{0};
};

enum class HeadlessLoopEnd {
  StreamEnded,    // the log stopped by itself: the converter went silent or vanished
  StopRequested,  // the caller's stop request (Ctrl+C)
  LimitReached,
};

struct HeadlessLoopResult {
  HeadlessLoopEnd End = HeadlessLoopEnd::StreamEnded;
  std::uint64_t Ticks = 0;
  // Wall time multiplied by the time scale.
  std::chrono::duration<double> StreamTime{0};
};

// Runs until the log is no longer recording, `stopRequested` returns true or
// the limit has passed. `afterTick` (may be empty) runs after every tick.
// The log must have been started; stopping it is the caller's part.
HeadlessLoopResult RunHeadlessLoop(Log& log, QueuedDispatcher& dispatcher,
                                   const HeadlessLoopSettings& settings,
                                   const std::function<bool()>& stopRequested,
                                   const std::function<void()>& afterTick);

// After the caller stopped the log (or it stopped by itself): waits for the
// reader to end and runs what it handed over last.
void FinishHeadlessRun(Log& log, QueuedDispatcher& dispatcher);

}  // namespace orvel
