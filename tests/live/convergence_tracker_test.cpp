// How a tuning run is measured against a known ideal table.

#include <gtest/gtest.h>

#include <vector>

#include "core/orvel_broadcaster.h"
#include "live/convergence_tracker.h"
#include "table/table.h"

namespace orvel::test {
namespace {

constexpr std::int32_t kClosed = 5;
constexpr std::int32_t kCruisePeriod = 750;   // 2000 rpm
constexpr std::int32_t kOverrunPeriod = 600;  // 2500 rpm

struct TrackerRig {
  TrackerRig() {
    table.MakeOneToOne();
    for (std::size_t p = 0; p < settings.Ideal.size(); ++p) {
      settings.Ideal[p] = static_cast<std::int32_t>(p) + 10;  // every point needs +10
    }
  }
  // A correction applied at `point` as the window model does: the output
  // changes and the point becomes trained.
  void Apply(int point, int correction) {
    table.Tab1()[static_cast<std::size_t>(point)] += correction;
    table.Trained()[static_cast<std::size_t>(point)] = table.GetOut(point);
  }

  TOrvelBroadcaster bus;
  RecordedMessages messages;
  LatchedModifiers keys;
  Table table{bus, messages, keys};
  ConvergenceSettings settings;
};

TEST(ConvergenceTracker, CountsAppliedCorrectionsByDirectionAndByWhatTheSensorSawThen) {
  TrackerRig rig;
  ConvergenceTracker tracker(rig.settings, rig.table);
  const std::vector<std::int32_t> cruiseTps(101, 60);
  const std::vector<std::int32_t> cruisePeriods(101, kCruisePeriod);
  std::vector<std::int32_t> afterOverrunTps(101, 60);
  afterOverrunTps.front() = kClosed;
  std::vector<std::int32_t> afterOverrunPeriods(101, kCruisePeriod);
  afterOverrunPeriods.front() = kOverrunPeriod;

  rig.Apply(40, 4);  // towards the ideal, while the sensor may be cold
  tracker.Observe(rig.table, 12.0, cruiseTps, cruisePeriods);
  rig.Apply(80, -3);  // away from it
  tracker.Observe(rig.table, 45.0, cruiseTps, cruisePeriods);
  tracker.Observe(rig.table, 46.0, cruiseTps, cruisePeriods);  // nothing new: nothing counted
  rig.table.Tab1()[60] += 5;  // an untrained point moved by the interpolation: no correction
  tracker.Observe(rig.table, 47.0, cruiseTps, cruisePeriods);
  rig.Apply(120, 30);  // overshoots, but the right way, just after an overrun
  tracker.Observe(rig.table, 60.0, afterOverrunTps, afterOverrunPeriods);
  rig.Apply(120, -20);  // back from 30 too high to the ideal: the right way
  tracker.Observe(rig.table, 70.0, cruiseTps, cruisePeriods);
  rig.Apply(120, 1);  // off the ideal it had reached
  tracker.Observe(rig.table, 80.0, cruiseTps, cruisePeriods);
  rig.Apply(150, 0);  // a correction of 0 only marks the point: applied, but no way at all
  tracker.Observe(rig.table, 90.0, cruiseTps, cruisePeriods);

  const ConvergenceFigures figures = tracker.Finish(rig.table);
  EXPECT_EQ(figures.Corrections, 6);
  EXPECT_EQ(figures.WrongWay, 2);
  EXPECT_EQ(figures.AppliedWhileCold, 1);
  EXPECT_EQ(figures.AppliedAfterOverrun, 1);
}

TEST(ConvergenceTracker, ErrorsCoverTheNewlyTrainedPointsAndTheSpanBetweenThem) {
  TrackerRig rig;
  rig.table.Trained()[200] = rig.table.GetOut(200);  // trained before the run: not counted
  ConvergenceTracker tracker(rig.settings, rig.table);
  rig.Apply(50, 10);
  rig.Apply(53, 6);
  for (int p = 51; p <= 52; ++p) {
    rig.table.Tab1()[static_cast<std::size_t>(p)] += 8;  // the interpolation between them
  }
  const ConvergenceFigures figures = tracker.Finish(rig.table);
  EXPECT_EQ(figures.Trained, 2);
  EXPECT_EQ(figures.SpanBegin, 50);
  EXPECT_EQ(figures.SpanEnd, 53);
  EXPECT_DOUBLE_EQ(figures.TrainedErrorBefore, 10.0);
  EXPECT_DOUBLE_EQ(figures.TrainedError, 2.0);  // (0 + 4) / 2
  EXPECT_DOUBLE_EQ(figures.SpanErrorBefore, 10.0);
  EXPECT_DOUBLE_EQ(figures.SpanError, 2.0);  // (0 + 2 + 2 + 4) / 4

  const ConvergenceFigures none = ConvergenceTracker(rig.settings, rig.table).Finish(rig.table);
  EXPECT_EQ(none.Trained, 0);
  EXPECT_EQ(none.SpanBegin, -1);
  EXPECT_EQ(none.SpanError, 0);
}

}  // namespace
}  // namespace orvel::test
