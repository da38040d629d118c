#pragma once

#include <filesystem>
#include <initializer_list>

#include "cli/cli_support.h"

namespace orvel::cli {

// Checks, before a command does any work, that `output` can be written: its
// folder exists and may be written, an existing file of that name is a
// regular file (a device, a FIFO or a symbolic link is never replaced) and it
// is none of the command's `inputs` (a file is not overwritten by what is
// made from it). False after the command's failure message.
bool OutputUsable(CommandContext& context, const std::filesystem::path& output,
                  std::initializer_list<std::filesystem::path> inputs = {});

}  // namespace orvel::cli
