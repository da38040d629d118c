#include "cli/commands.h"

#include <iostream>

namespace orvel::cli {

int Run(int argc, char** argv) {
  CLI::App app{"orvel: the converter configurator's command-line tool"};
  app.require_subcommand(1);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : 1;
  }
  return 0;
}

}  // namespace orvel::cli
