#include "cli/output_check.h"

#include <string>

#include "core/input_file.h"

namespace orvel::cli {

bool OutputUsable(CommandContext& context, const std::filesystem::path& output,
                  std::initializer_list<std::filesystem::path> inputs) {
  if (const std::string problem = OutputPathProblem(output); !problem.empty()) {
    context.Fail(output.string() + ": cannot be written: " + problem);
    return false;
  }
  for (const std::filesystem::path& input : inputs) {
    if (SameExistingFile(output, input)) {
      context.Fail(output.string() + ": cannot be written: it is the input " + input.string() +
                   ", which would be lost");
      return false;
    }
  }
  return true;
}

}  // namespace orvel::cli
