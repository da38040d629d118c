#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvel {
class CuePlayer;
namespace sim {
class SimulatorHost;
}
}  // namespace orvel

namespace orvel::ui {

class FileDialogs;

// What the main window needs from the system besides the user: the serial
// ports present and a way to start the built-in converter simulator. Tests
// give fixed port lists.
struct MainWindowServices {
  std::function<std::vector<std::string>()> ListPorts;
  std::function<std::unique_ptr<sim::SimulatorHost>()> StartSimulator;
  std::chrono::milliseconds LinkTimeout{1000};
  // Where the program keeps its state files ("UndoRedoHistory.his"); the
  // process's current folder unless a test chooses another.
  std::filesystem::path WorkingFolder;
  // The open and save dialogs of the window's file actions.
  std::shared_ptr<FileDialogs> Dialogs;
  // A port outside the system's list (a pseudo-terminal, /dev/rfcomm0) from
  // the command line: listed before "Simulator" and chosen at start through
  // the ordinary port selection (SelectStartPort).
  std::string ExtraPort;
  // The calibration count-down's step; tests shorten it.
  std::chrono::milliseconds CalibrationTick{1000};
  // The player of the autocorrection's sound cues.
  std::function<std::unique_ptr<CuePlayer>()> Cues;
  // The undo history (up to 32000 snapshots, a 133 MB file) is loaded right
  // after the window's first paint instead of before it, so the window shows
  // at once. Until then closing leaves the history file as it is.
  bool LoadHistoryAfterFirstPaint = false;
  // The log's dashboard tick; shorter with a faster built-in simulator, so a
  // raised time scale also speeds up the decisions.
  std::chrono::milliseconds DashboardTick{100};
};

// The built-in simulator's time scale: `commandLineTimeScale` when above 0,
// else ORVEL_SIM_TIME_SCALE (through `lookup`, the environment's getenv by
// default), else 1. The simulator's engine and stream and the dashboard tick
// both take it from here.
double SimulatorTimeScale(double commandLineTimeScale,
                          const std::function<const char*(const char*)>& lookup = {});

// The services of the desktop program, with the simulator and the dashboard
// tick running at `SimulatorTimeScale(commandLineTimeScale)`.
MainWindowServices DefaultMainWindowServices(double commandLineTimeScale = 0);

}  // namespace orvel::ui
