// `orvel tune --ideal` against the simulated converter at its most realistic
// level: a short session on a pty, the time scale raised, must still bring
// the driven span of the table closer to the engine's ideal.
#include <gtest/gtest.h>

#include <string>

#include "cli_fixtures.h"
#include "cli_run.h"
#include "sim/engine_model.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "table/atomic_file.h"

namespace orvel {
namespace {

using test::RunOrvel;

constexpr std::uint32_t kSeed = 5;
// Faithful on a busy machine: the decision still finds about ten samples a tick.
constexpr const char* kTimeScale = "20";

TEST(TuneConvergence, ARealisticEngineStillComesCloserToItsIdealTable) {
  const test::TempDir dir;
  sim::SimulatorOptions options;
  options.Realism = sim::RealismLevel::Realistic;
  options.Sensor = sim::SensorKind::WideBand;
  options.TimeScale = 20;
  options.Seed = kSeed;
  const sim::SimulatorHost simulator(options);
  const auto start = test::WriteTable(dir.Path() / "one.tab", test::OneToOneBlock());
  const auto ideal = dir.Path() / "ideal.tab";
  ASSERT_EQ(WriteFileAtomically(ideal, sim::IdealConverterTable(sim::EngineModel(kSeed))).Outcome,
            WriteOutcome::Written);

  // Three simulated minutes: the cold sensor's 30 s and about one road cycle.
  const auto result = RunOrvel({"tune",         simulator.PortPath(),
                                start.string(), (dir.Path() / "out.tab").string(),
                                "--sensor",     "2",
                                "--o2-ref",     "120",
                                "--b",          "30",
                                "--t",          "30",
                                "--delta",      "10",
                                "--minutes",    "3",
                                "--time-scale", kTimeScale,
                                "--ideal",      ideal.string(),
                                "--json"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const auto json = test::JsonOf(result);
  const auto& figures = json["Convergence"];
  std::cout << figures.dump() << '\n';
  EXPECT_GE(figures["Trained"].get<int>(), 3);
  EXPECT_LT(figures["SpanError"].get<double>(), figures["SpanErrorBefore"].get<double>() * 0.7);
  EXPECT_LT(figures["TrainedError"].get<double>(), figures["TrainedErrorBefore"].get<double>());
}

TEST(TuneConvergence, AnIdealTableThatCannotBeReadFailsBeforeTheSession) {
  const test::TempDir dir;
  const auto start = test::WriteTable(dir.Path() / "one.tab", test::OneToOneBlock());
  const auto shortFile = dir.Path() / "short.tab";
  ASSERT_EQ(WriteFileAtomically(shortFile, std::vector<std::uint8_t>(100, 7)).Outcome, WriteOutcome::Written);
  for (const auto& ideal : {shortFile, dir.Path() / "missing.tab"}) {
    const auto result =
        RunOrvel({"tune", "/dev/null/not-a-port", start.string(), (dir.Path() / "out.tab").string(),
                  "--sensor", "0", "--o2-ref", "26", "--ideal", ideal.string()});
    EXPECT_EQ(result.Status, 1) << ideal;
    EXPECT_TRUE(test::Contains(result.Err, ideal.string() + ": ")) << result.Err;
    EXPECT_TRUE(test::Contains(result.Err, "ideal table")) << result.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out.tab"));
  }
}

}  // namespace
}  // namespace orvel
