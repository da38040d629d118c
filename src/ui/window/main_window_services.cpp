#include "ui/window/main_window_services.h"

#include <cstdlib>

#include "link/serial_port.h"
#include "live/dashboard_tick_interval.h"
#include "sim/simulator_host.h"
#include "ui/sound/qt_cue_player.h"
#include "ui/window/file_dialogs.h"

namespace orvel::ui {

namespace {

// The built-in simulator's options: the environment's, with the command
// line's time scale (when above 0) in place of ORVEL_SIM_TIME_SCALE.
sim::SimulatorOptions BuiltInSimulatorOptions(double commandLineTimeScale,
                                              const std::function<const char*(const char*)>& lookup) {
  sim::SimulatorOptions options =
      lookup ? sim::SimulatorOptionsFromEnvironment(lookup) : sim::SimulatorOptionsFromEnvironment();
  if (commandLineTimeScale > 0) {
    options.TimeScale = commandLineTimeScale;
  }
  return options;
}

}  // namespace

double SimulatorTimeScale(double commandLineTimeScale,
                          const std::function<const char*(const char*)>& lookup) {
  return BuiltInSimulatorOptions(commandLineTimeScale, lookup).TimeScale;
}

MainWindowServices DefaultMainWindowServices(double commandLineTimeScale) {
  // Read once: the simulator started later and the dashboard tick share them.
  const sim::SimulatorOptions simulator = BuiltInSimulatorOptions(commandLineTimeScale, {});
  MainWindowServices services;
  services.ListPorts = [] { return ListSerialPorts(); };
  services.StartSimulator = [simulator] { return std::make_unique<sim::SimulatorHost>(simulator); };
  services.Dialogs = std::make_shared<QtFileDialogs>();
  services.Cues = [] { return std::make_unique<QtCuePlayer>(); };
  services.DashboardTick = DashboardTickInterval(simulator.TimeScale);
  return services;
}

}  // namespace orvel::ui
