#pragma once

// Measures how an autotuning run converges on a known ideal table (a
// simulated engine's): the error of the trained points and of the driven
// span between the first and the last trained point, against the start; the
// corrections applied, how many of them moved their point away from the
// ideal, and how many were applied where the oxygen reading could not be
// trusted (a cold sensor at the start, the lean tail of an overrun fuel cut).
//
// Threads: main thread; Observe runs after the dashboard tick.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "table/table.h"

namespace orvel {

class Log;

struct ConvergenceSettings {
  PointValues Ideal{};
  // The raw throttle count of the released pedal: a closed throttle above
  // OverrunRpm is an overrun, where engine computers cut the fuel.
  std::int32_t ClosedTps = 5;
  std::int32_t OverrunRpm = 1500;
  // Stream time in which the sensor may still be cold.
  double ColdSeconds = 30;
  // A correction applied this long after an overrun may stem from its lean tail.
  double AfterOverrunSeconds = 1;
};

struct ConvergenceFigures {
  int Trained = 0;     // points trained at the end that were not at the start
  int SpanBegin = -1;  // first and last of them; -1 without any
  int SpanEnd = -1;
  // Mean absolute distance from the ideal over the trained points and over
  // the span, of the starting table and of the tuned table.
  double TrainedErrorBefore = 0;
  double TrainedError = 0;
  double SpanErrorBefore = 0;
  double SpanError = 0;
  int Corrections = 0;          // corrections applied to a point (a correction of 0 included)
  int WrongWay = 0;             // ... that moved the point away from the ideal (or off it)
  int AppliedWhileCold = 0;     // ... in the first ColdSeconds of stream time (a cold sensor's)
  int AppliedAfterOverrun = 0;  // ... within AfterOverrunSeconds of an overrun
};

// The mean absolute distance of `out` from `ideal` over points first..last
// (0 for an empty range).
double MeanDistance(const PointValues& out, const PointValues& ideal, int first, int last);

class ConvergenceTracker {
 public:
  ConvergenceTracker(const ConvergenceSettings& settings, const Table& start);

  // Call after every tick: a trained point whose output changed since the
  // last call received a correction.
  void Observe(const Table& table, const Log& log);
  // The same with the log's newest samples given directly: `elapsedSeconds`
  // of stream time, `tps` and `rpmPeriod` the newest values (oldest first).
  void Observe(const Table& table, double elapsedSeconds, std::span<const std::int32_t> tps,
               std::span<const std::int32_t> rpmPeriod);

  [[nodiscard]] ConvergenceFigures Finish(const Table& table) const;

 private:
  static PointValues Outputs(const Table& table);
  [[nodiscard]] bool Unchanged(const Table& table) const;

  ConvergenceSettings Settings;
  PointValues Start{};
  PointValues TrainedAtStart{};
  PointValues Previous{};
  PointValues PreviousTrained{};
  int Corrections = 0;
  int WrongWay = 0;
  int AppliedWhileCold = 0;
  int AppliedAfterOverrun = 0;
};

}  // namespace orvel
