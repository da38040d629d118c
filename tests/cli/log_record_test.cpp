// `orvel log record` against the simulated converter's live stream.
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"
#include "live/log_file.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"

namespace orvel {
namespace {

using test::RunOrvel;

sim::SimulatorOptions WithFault(sim::FaultMode mode) {
  sim::SimulatorOptions options;
  options.Faults.Mode = mode;
  options.Faults.FrameCount = 30;
  return options;
}

TEST(LogRecord, SavesWhatTheStreamGaveUntilTheTimeOrTheHangUp) {
  const struct {
    const char* Name;
    sim::FaultMode Fault;
    const char* Seconds;
    int Status;
  } cases[] = {
      {"for a time", sim::FaultMode::None, "0.3", 0},
      // The stream ends long before the time: the recording stops with it,
      // keeps what it got, and the tool says that it fell short.
      {"hang-up", sim::FaultMode::HangUpInStream, "60", 1},
  };
  for (const auto& c : cases) {
    const test::TempDir dir;
    const sim::SimulatorHost simulator(WithFault(c.Fault));
    const std::string out = (dir.Path() / "run").string();
    const auto result = RunOrvel({"log", "record", simulator.PortPath(), out, "--seconds", c.Seconds});
    ASSERT_EQ(result.Status, c.Status) << c.Name << ": " << result.Err;
    EXPECT_EQ(result.Err.find("before the recording's end") != std::string::npos, c.Status == 1)
        << c.Name << ": " << result.Err;
    EXPECT_EQ(result.Out.rfind("Recorded ", 0), 0U) << c.Name << ": " << result.Out;
    EXPECT_NE(result.Out.find(out + ".log\n"), std::string::npos) << c.Name << ": " << result.Out;
    RecordedMessages messages;
    const auto saved = ReadLogFile(out + ".log", messages);
    ASSERT_TRUE(saved) << c.Name;
    EXPECT_EQ(saved->Layout, LogFileLayout::Current);
    EXPECT_GT(saved->Channels.SampleCount(), 0U) << c.Name;
    EXPECT_NE(result.Out.find("Recorded " + std::to_string(saved->Channels.SampleCount()) + " samples"),
              std::string::npos)
        << c.Name << ": " << result.Out;
  }
}

TEST(LogRecord, SilentConverterFailsAndWritesNothing) {
  const test::TempDir dir;
  const sim::SimulatorHost simulator(WithFault(sim::FaultMode::NoAnswer));
  const std::string out = (dir.Path() / "run").string();
  const auto result = RunOrvel({"log", "record", simulator.PortPath(), out, "--seconds", "0.3"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_NE(result.Err.find("no live data received"), std::string::npos) << result.Err;
  EXPECT_FALSE(std::filesystem::exists(out + ".log"));
}

}  // namespace
}  // namespace orvel
