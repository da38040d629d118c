#pragma once

// The main table model as the command-line tool uses it: bound to no chart,
// with the program's messages printed on the error stream.

#include "cli/cli_support.h"
#include "core/orvel_broadcaster.h"
#include "table/table.h"
#include "table/table_views.h"

namespace orvel::cli {

struct HeadlessTable {
  explicit HeadlessTable(CommandContext& context) : Context(context), Messages(context.Err) {
    Model.BindGraph(nullptr, true, nullptr);
  }

  // Marks the command failed; the model has already printed its own message,
  // and when it had none the tool says at least that it failed.
  void Failed() {
    Context.Status = 1;
    if (Messages.Count == 0) {
      Context.Err << "failed\n";
    }
  }

  CommandContext& Context;
  TOrvelBroadcaster Bus;
  PrintedMessages Messages;
  LatchedModifiers Keys;
  Table Model{Bus, Messages, Keys};
};

}  // namespace orvel::cli
