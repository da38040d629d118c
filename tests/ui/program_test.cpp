// The desktop program as a user starts it: a port on the command line is
// chosen at start, SIGTERM quits through the close sequence.

#include <gtest/gtest.h>

#include <QProcess>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <thread>

#include "live/dashboard_tick_interval.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "ui/window/main_window_services.h"

namespace orvel::ui {
namespace {

bool WaitFor(const auto& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

std::string Received(const sim::SimulatorHost& simulator) {
  const std::vector<std::uint8_t> bytes = simulator.ReceivedBytes();
  return {bytes.begin(), bytes.end()};
}

TEST(ProgramTest, APortOnTheCommandLineIsIdentifiedWithoutAClickAndSigtermSavesTheState) {
  test::TempDir folder;
  // A state file from an earlier run, so no start-up message waits.
  {
    std::ofstream state(folder.Path() / "config.cfg", std::ios::binary);
    const std::array<char, 29> english{1};
    state.write(english.data(), english.size());
  }
  sim::SimulatorHost simulator;
  QProcess program;
  program.setWorkingDirectory(QString::fromStdString(folder.Path().string()));
  program.start(QStringLiteral(ORVEL_PROGRAM),
                {QStringLiteral("--port"), QString::fromStdString(simulator.PortPath()),
                 QStringLiteral("-platform"), QStringLiteral("offscreen")});
  ASSERT_TRUE(program.waitForStarted(5000));
  // Read, identify, query the contactless sensor: the ordinary selection.
  EXPECT_TRUE(
      WaitFor([&] { return Received(simulator).find("sy") != std::string::npos; }, std::chrono::seconds(15)))
      << Received(simulator);
  const std::string received = Received(simulator);
  EXPECT_LT(received.find("sr"), received.find("sv"));

  program.terminate();  // SIGTERM
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
  EXPECT_EQ(std::filesystem::file_size(folder.Path() / "config.cfg"), 29U);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "UndoRedoHistory.his"));
}

TEST(ProgramTest, HelpAndVersionNeedNoWindow) {
  for (const auto& [argument, expected] :
       {std::pair{"--version", "OrvelConfigurator 3.88"}, std::pair{"--help", "--port <PATH>"}}) {
    QProcess program;
    program.start(QStringLiteral(ORVEL_PROGRAM), {QString::fromLatin1(argument)});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(program.readAllStandardOutput().contains(expected)) << argument;
  }
}

// The built-in simulator's time scale has one source, and the dashboard tick
// follows the same one as the simulator's stream: from the command line,
// else from ORVEL_SIM_TIME_SCALE.
TEST(ProgramTest, TheDashboardTickFollowsTheSimulatorsTimeScaleFromEitherSource) {
  const auto environment = [](const char* value) {
    return [value](const char* name) {
      return std::string_view(name) == "ORVEL_SIM_TIME_SCALE" ? value : nullptr;
    };
  };
  struct Case {
    double CommandLine;
    const char* Environment;
    double Scale;
    std::chrono::milliseconds Tick;
  };
  for (const Case& c :
       {Case{0, nullptr, 1, std::chrono::milliseconds(100)}, Case{0, "10", 10, std::chrono::milliseconds(10)},
        Case{4, "10", 4, std::chrono::milliseconds(25)}, Case{0, "1000", 1000, std::chrono::milliseconds(1)},
        Case{0, "nonsense", 1, std::chrono::milliseconds(100)}}) {
    const double scale = SimulatorTimeScale(c.CommandLine, environment(c.Environment));
    EXPECT_EQ(scale, c.Scale) << c.CommandLine << " " << (c.Environment ? c.Environment : "-");
    EXPECT_EQ(DashboardTickInterval(scale), c.Tick) << scale;
  }
  EXPECT_EQ(DashboardTickInterval(0.5), std::chrono::milliseconds(100)) << "never slower than the converter";

  // The program's own services read the environment the same way.
  ::setenv("ORVEL_SIM_TIME_SCALE", "10", 1);
  const MainWindowServices services = DefaultMainWindowServices(0);
  ::unsetenv("ORVEL_SIM_TIME_SCALE");
  EXPECT_EQ(services.DashboardTick, std::chrono::milliseconds(10));
}

}  // namespace
}  // namespace orvel::ui
