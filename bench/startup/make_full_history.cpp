// Writes an undo history with every one of its 32000 places taken
// (UndoRedoHistory.his in the folder given), for the start-up benchmark's
// "full history" case.

#include <cstdio>
#include <filesystem>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "table/table.h"
#include "table/table_views.h"
#include "table/undo_history.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 1;
  }
  orvel::TOrvelBroadcaster bus;
  orvel::RecordedMessages messages;
  orvel::LatchedModifiers modifiers;
  orvel::Table table(bus, messages, modifiers);
  table.BindGraph(nullptr, true, nullptr);
  // Each snapshot differs from the one before.
  for (std::size_t i = 1; i < orvel::kHistoryCapacity; ++i) {
    table.SetOutPoint(static_cast<int>(i % 256), static_cast<int>(i % 251));
    table.PushHistory();
  }
  const bool saved = table.SaveHistory(std::filesystem::path(argv[1]) / orvel::kHistoryFileName);
  for (const auto& text : messages.Texts) {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  std::printf("%u snapshots\n", table.History().HistoryCount());
  return saved ? 0 : 1;
}
