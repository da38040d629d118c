#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_support.h"

namespace orvel::cli {

// Builds the command tree of `orvel` and runs it with the given streams.
// Exit status 0 on success, 1 on any failure with the program's message on
// the error stream.
int Run(int argc, const char* const* argv, std::ostream& out = std::cout, std::ostream& err = std::cerr);

// Each group of sub-commands adds itself to the tree; its callbacks report
// through the context.
void AddSimulatorCommands(CLI::App& app, CommandContext& context);
void AddLogCommands(CLI::App& app, CommandContext& context);  // `log show`, `log export`, `log record`
CLI::App& LogGroup(CLI::App& app);  // the `log` group, for every function that adds to it
void AddTableCommands(CLI::App& app, CommandContext& context);  // `orvel table …`; TableGroup finds or makes the group
CLI::App& TableGroup(CLI::App& app);
void AddLearnCommands(CLI::App& app, CommandContext& context);  // `orvel learn`
void AddConverterCommands(CLI::App& app, CommandContext& context);  // identify, table read/write/send, flash, sensor
void AddTuneCommands(CLI::App& app, CommandContext& context);  // `orvel tune`

}  // namespace orvel::cli
