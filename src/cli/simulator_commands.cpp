// `orvel simulate`: a simulated converter on a pseudo-terminal, for trying the
// program and the tool without hardware; `orvel ports`: the serial ports.
#include <pthread.h>
#include <csignal>

#include <ctime>
#include <map>
#include <string>
#include <system_error>

#include "cli/commands.h"
#include "link/serial_port.h"
#include "sim/engine_model.h"
#include "sim/simulator_host.h"
#include "table/atomic_file.h"

namespace orvel::cli {

namespace {

struct SimulateArguments {
  std::string Identity = "full";
  std::string Fault = "none";
  bool Pacing = false;
  double TimeScale = 1.0;
  std::string Sensor = "narrow";
  std::string Realism = "off";
  std::uint32_t Seed = 1;
  int LoaderRejections = 4;
  bool Recovery = false;
  std::string DumpIdeal;  // empty: no dump
};

sim::SimulatorOptions ToOptions(const SimulateArguments& arguments) {
  sim::SimulatorOptions options;
  if (arguments.Identity == "old") {
    options.Identity.assign(sim::kOldIdentity.begin(), sim::kOldIdentity.end());
  }
  options.Faults.Mode = sim::ParseFaultMode(arguments.Fault).value_or(sim::FaultMode::None);
  options.Faults.LoaderRejections = arguments.LoaderRejections;
  options.RealPacing = arguments.Pacing;
  options.TimeScale = arguments.TimeScale;
  options.Sensor = arguments.Sensor == "wide" ? sim::SensorKind::WideBand : sim::SensorKind::NarrowBand;
  options.Realism = sim::ParseRealismLevel(arguments.Realism).value_or(sim::RealismLevel::Off);
  options.Seed = arguments.Seed;
  options.StartInLoader = arguments.Recovery;
  return options;
}

// Runs the simulator until SIGINT or SIGTERM arrives, or until it hangs up
// (the hang-up fault). The signals are blocked before the simulator's thread
// starts, so that thread inherits the mask and only this one takes them.
void RunSimulator(CommandContext& context, const SimulateArguments& arguments) {
  if (!arguments.DumpIdeal.empty()) {
    const sim::ConverterTable ideal = sim::IdealConverterTable(sim::EngineModel(arguments.Seed));
    const WriteResult written = WriteFileAtomically(arguments.DumpIdeal, ideal);
    if (written.Outcome != WriteOutcome::Written) {
      context.Fail(arguments.DumpIdeal + ": cannot write the file" +
                   (written.ErrorText.empty() ? "" : ": " + written.ErrorText));
      return;
    }
  }
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
  try {
    sim::SimulatorHost host(ToOptions(arguments));
    context.Out << host.PortPath() << std::endl;
    const timespec checkEvery{0, 200'000'000};
    while (sigtimedwait(&stopSignals, nullptr, &checkEvery) < 0) {
      if (host.HungUp()) {
        context.Err << "The simulated converter hung up.\n";
        break;
      }
    }
  } catch (const std::system_error& error) {
    context.Fail(std::string("Cannot start the simulator: ") + error.what());
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace

void AddSimulatorCommands(CLI::App& app, CommandContext& context) {
  auto arguments = std::make_shared<SimulateArguments>();
  CLI::App* simulate = app.add_subcommand(
      "simulate", "Run a simulated converter on a pseudo-terminal; prints its port path, runs until Ctrl+C");
  simulate->add_option("--identity", arguments->Identity, "Reply to identification: old (one byte) or full")
      ->check(CLI::IsMember({"old", "full"}))
      ->capture_default_str();
  std::string faultNames;
  for (const auto name : sim::FaultModeNames()) {
    faultNames += (faultNames.empty() ? "" : ", ") + std::string(name);
  }
  simulate->add_option("--fault", arguments->Fault, "Fault to simulate: " + faultNames)
      ->check([](const std::string& name) {
        return sim::ParseFaultMode(name) ? std::string{} : "unknown fault mode '" + name + "'";
      })
      ->capture_default_str();
  simulate->add_flag("--pacing", arguments->Pacing,
                     "Send at the real 9600-baud pace (one byte per ~1.04 ms)");
  simulate
      ->add_option("--time-scale", arguments->TimeScale, "Run the engine and the live stream N times faster")
      ->check(CLI::Range(0.1, 1000.0))
      ->capture_default_str();
  simulate->add_option("--sensor", arguments->Sensor, "Oxygen sensor: narrow (0-1 V) or wide (0-5 V linear)")
      ->check(CLI::IsMember({"narrow", "wide"}))
      ->capture_default_str();
  std::string levelNames;
  for (const auto name : sim::RealismLevelNames()) {
    levelNames += (levelNames.empty() ? "" : ", ") + std::string(name);
  }
  simulate
      ->add_option(
          "--realism", arguments->Realism,
          "How close the engine comes to a real car, each level adding to the one before: " + levelNames +
              " (delay: exhaust transport delay; lag: sensor time constant; noisy: heavier noise; "
              "transients: acceleration enrichment and overrun fuel cut; realistic: a cold sensor "
              "for 30 s and a road drive cycle)")
      ->check([](const std::string& name) {
        return sim::ParseRealismLevel(name) ? std::string{} : "unknown realism level '" + name + "'";
      })
      ->capture_default_str();
  simulate->add_option("--seed", arguments->Seed, "Seed of the simulated noise")->capture_default_str();
  simulate
      ->add_option("--loader-rejections", arguments->LoaderRejections,
                   "With --fault loader-rejects: rejections of each firmware block before it is accepted")
      ->check(CLI::Range(0, 255))
      ->capture_default_str();
  simulate->add_flag("--recovery", arguments->Recovery,
                     "Start in the firmware loader (a converter to recover)");
  simulate->add_option(
      "--dump-ideal", arguments->DumpIdeal,
      "Write the engine's ideal table (the table the tuning should reach) as a .tab file first");
  simulate->callback([&context, arguments] { RunSimulator(context, *arguments); });

  auto json = std::make_shared<bool>(false);
  CLI::App* ports = app.add_subcommand("ports", "List the serial ports, as the port list of the window does");
  ports->add_flag("--json", *json, "Print {\"Ports\": [...]}");
  ports->callback([&context, json] {
    const std::vector<std::string> found = ListSerialPorts();
    if (*json) {
      context.Out << nlohmann::json{{"Ports", found}}.dump() << '\n';
      return;
    }
    for (const std::string& port : found) {
      context.Out << port << '\n';
    }
  });
}

}  // namespace orvel::cli
