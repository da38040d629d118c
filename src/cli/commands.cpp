#include "cli/commands.h"

#include <exception>
#include <new>

namespace orvel::cli {

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"orvel: the air-flow converter configurator's command-line tool"};
  app.require_subcommand(1);
  CommandContext context{out, err};
  // One line per group of sub-commands.
  AddSimulatorCommands(app, context);
  AddLogCommands(app, context);
  AddTableCommands(app, context);
  AddLearnCommands(app, context);
  AddConverterCommands(app, context);
  AddTuneCommands(app, context);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error, out, err) == 0 ? 0 : 1;
  } catch (const std::bad_alloc&) {
    // The readers refuse what they cannot hold; this is the last net, so
    // that nothing ends the tool with an abort.
    err << "orvel: out of memory\n";
    return 1;
  } catch (const std::exception& error) {
    err << "orvel: " << error.what() << '\n';
    return 1;
  }
  return context.Status;
}

}  // namespace orvel::cli
