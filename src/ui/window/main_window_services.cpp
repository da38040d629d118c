#include "ui/window/main_window_services.h"

#include <cstdlib>

#include "link/serial_port.h"
#include "live/dashboard_tick_interval.h"
#include "sim/simulator_host.h"
#include "ui/sound/qt_cue_player.h"
#include "ui/window/file_dialogs.h"

namespace orvel::ui {

double SimulatorTimeScale(double commandLineTimeScale,
                          const std::function<const char*(const char*)>& lookup) {
  if (commandLineTimeScale > 0) {
    return commandLineTimeScale;
  }
  const sim::SimulatorOptions options =
      lookup ? sim::SimulatorOptionsFromEnvironment(lookup) : sim::SimulatorOptionsFromEnvironment();
  return options.TimeScale;
}

MainWindowServices DefaultMainWindowServices(double commandLineTimeScale) {
  const double timeScale = SimulatorTimeScale(commandLineTimeScale);
  MainWindowServices services;
  services.ListPorts = [] { return ListSerialPorts(); };
  // ORVEL_SIM_REALISM and the rest of the environment set up the built-in
  // simulator; its time scale is the one the dashboard tick follows.
  services.StartSimulator = [timeScale] {
    sim::SimulatorOptions options = sim::SimulatorOptionsFromEnvironment();
    options.TimeScale = timeScale;
    return std::make_unique<sim::SimulatorHost>(options);
  };
  services.Dialogs = std::make_shared<QtFileDialogs>();
  services.Cues = [] { return std::make_unique<QtCuePlayer>(); };
  services.DashboardTick = DashboardTickInterval(timeScale);
  return services;
}

}  // namespace orvel::ui
