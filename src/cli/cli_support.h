#pragma once

#include <iostream>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "core/user_messages.h"

namespace orvel::cli {

// What every sub-command writes to and how it reports its outcome. A command
// that fails writes the program's own message to `Err` and sets `Status` to 1.
struct CommandContext {
  std::ostream& Out = std::cout;
  std::ostream& Err = std::cerr;
  int Status = 0;

  void Fail(std::string_view message) {
    Err << message << '\n';
    Status = 1;
  }
};

// The sub-command group `name` of `app` (e.g. "table"), made on first use:
// several functions add sub-commands to one group.
inline CLI::App& CommandGroup(CLI::App& app, const std::string& name, const std::string& description) {
  for (CLI::App* command : app.get_subcommands({})) {
    if (command->get_name() == name) {
      return *command;
    }
  }
  CLI::App& group = *app.add_subcommand(name, description);
  group.require_subcommand(1);
  return group;
}

// The program's user messages, printed on the error stream, one after the
// other, as the window would show them in boxes.
class PrintedMessages final : public UserMessages {
 public:
  explicit PrintedMessages(std::ostream& stream) : Stream(stream) {}
  void ShowMessage(std::string_view text) override {
    Stream << text << '\n';
    ++Count;
  }
  int Count = 0;

 private:
  std::ostream& Stream;
};

}  // namespace orvel::cli
