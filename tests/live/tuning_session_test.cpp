// The headless tuning session against the simulated converter on a real
// pseudo-terminal: the whole road of a sample (stream, reader, log, tick,
// decision, correction window, "c" and "t" back to the converter).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "live/tuning_session.h"
#include "sim/engine_model.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "table/atomic_file.h"

namespace orvel::test {
namespace {

constexpr std::uint32_t kSeed = 7;
constexpr int kStartOffset = 8;  // the starting table is this much richer than the ideal
// The stream and the tick run this many times faster than real time.
constexpr double kTimeScale = 50;

// The ideal table with every output kStartOffset higher.
sim::ConverterTable RicherThanIdeal() {
  sim::ConverterTable table = sim::IdealConverterTable(sim::EngineModel(kSeed));
  for (std::size_t i = 0; i < TableBlock::kOutCount; ++i) {
    table[i] = static_cast<std::uint8_t>(std::min(255, table[i] + kStartOffset));
  }
  return table;
}

double MeanDistance(const std::vector<int>& points, const auto& outputOf, const sim::ConverterTable& ideal) {
  double sum = 0;
  for (const int p : points) {
    sum += std::abs(outputOf(p) - static_cast<int>(ideal[static_cast<std::size_t>(p)]));
  }
  return points.empty() ? 0 : sum / static_cast<double>(points.size());
}

struct TuningRig {
  explicit TuningRig(const sim::SimulatorOptions& options,
                     std::chrono::milliseconds linkTimeout = SerialPort::DefaultTimeout)
      : Host(options), Session(Messages, linkTimeout) {
    const auto file = Folder.Path() / "start.tab";
    EXPECT_EQ(WriteFileAtomically(file, options.InitialTable).Outcome, WriteOutcome::Written);
    EXPECT_TRUE(Session.MainTable().LoadTableFile(file, 1));
    Session.Open(Host.PortPath());
  }

  TempDir Folder;
  sim::SimulatorHost Host;
  RecordedMessages Messages;
  TuningSession Session;
};

sim::SimulatorOptions SimulatorAt(double timeScale) {
  sim::SimulatorOptions options;
  options.TimeScale = timeScale;
  options.Seed = kSeed;
  options.InitialTable = RicherThanIdeal();
  return options;
}

TuningSettings NarrowBandSettings(double minutes) {
  TuningSettings settings;
  settings.SensorType = 0;  // "0-1V Signal"
  settings.O2Ref = 26;      // 0.51 V
  settings.Loop.TimeScale = kTimeScale;
  settings.Loop.Limit = std::chrono::duration<double>(minutes * 60);
  return settings;
}

TEST(TuningSession, TenSimulatedMinutesBringTrainedPointsCloserToTheIdeal) {
  TuningRig rig(SimulatorAt(kTimeScale));
  const TuningSummary summary = rig.Session.Run(NarrowBandSettings(10), {}, {});

  const sim::ConverterTable ideal = sim::IdealConverterTable(sim::EngineModel(kSeed));
  const sim::ConverterTable start = RicherThanIdeal();
  const auto& trained = summary.TrainedPoints;
  const double before = MeanDistance(
      trained, [&](int p) { return int{start[static_cast<std::size_t>(p)]}; }, ideal);
  const double after = MeanDistance(
      trained, [&](int p) { return rig.Session.MainTable().GetOut(p); }, ideal);
  std::cout << "trained " << trained.size() << " of " << summary.Visited << " visited points, "
            << summary.Applied << " corrections applied; mean distance from the ideal " << before << " -> "
            << after << "; " << summary.Samples << " samples in " << summary.Loop.Ticks << " ticks\n";

  EXPECT_EQ(summary.Loop.End, HeadlessLoopEnd::LimitReached);
  EXPECT_TRUE(rig.Messages.Texts.empty()) << rig.Messages.Texts.front();
  ASSERT_FALSE(trained.empty());
  EXPECT_LT(after, before);
  // The tuned table went to the converter's working memory and the
  // correction was returned to 0 when the session stopped.
  const sim::ConverterTable working = rig.Host.WorkingTable();
  for (int p = 0; p < static_cast<int>(TableBlock::kOutCount); ++p) {
    EXPECT_EQ(working[static_cast<std::size_t>(p)], rig.Session.MainTable().GetOut(p)) << "point " << p;
  }
  EXPECT_EQ(rig.Host.Correction().Value, 0);
  EXPECT_FALSE(rig.Session.Window().Autocorrection());
  // The dashboard's tick ran headless too: the run's highest MAF and the
  // table's line of it are the same value.
  EXPECT_GT(summary.HighestMaf, 0);
  EXPECT_EQ(summary.HighestMaf, rig.Session.MainTable().MaxMafAnyway());
}

TEST(TuningSession, AConverterThatVanishesEndsTheSessionWithItsMessage) {
  sim::SimulatorOptions options = SimulatorAt(kTimeScale);
  options.Faults.Mode = sim::FaultMode::HangUpInStream;
  options.Faults.FrameCount = 3000;
  // A stream that merely pauses past the link's time-out ends live data
  // without a message; on a loaded machine the simulator can stall for a
  // second, so the time-out is long enough that only the hang-up ends it.
  TuningRig rig(options, std::chrono::seconds(10));
  const TuningSummary summary = rig.Session.Run(NarrowBandSettings(10), {}, {});
  EXPECT_EQ(summary.Loop.End, HeadlessLoopEnd::StreamEnded);
  EXPECT_GT(summary.Samples, 0U);
  EXPECT_LE(summary.Samples, 3000U);
  EXPECT_FALSE(rig.Messages.Texts.empty());
}

}  // namespace
}  // namespace orvel::test
