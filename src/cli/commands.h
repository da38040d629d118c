#pragma once

#include <CLI/CLI.hpp>

namespace orvel::cli {

// Builds the command tree of `orvel` and runs it. Exit status 0 on success,
// 1 on any failure with the program's message on stderr.
int Run(int argc, char** argv);

}  // namespace orvel::cli
