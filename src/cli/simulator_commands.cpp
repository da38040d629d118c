#include "cli/commands.h"

namespace orvel::cli {

// `orvel simulate` and `orvel ports`: filled in with the simulator and the
// serial port list.
void AddSimulatorCommands(CLI::App& /*app*/, CommandContext& /*context*/) {}

}  // namespace orvel::cli
