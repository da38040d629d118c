// The undo history reader ("UndoRedoHistory.his"): any bytes either replace
// the history or leave it as it was with a message; after a load, undo and
// redo only ever reach snapshots inside the history.

#include "core/user_messages.h"
#include "fuzz_input.h"
#include "table/history_file.h"

using namespace orvel;

namespace {

bool Inside(std::int32_t link, std::size_t count) {
  return link >= 0 && static_cast<std::size_t>(link) < count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::MemoryFile file;
  // One history for the whole run, as in the program (a fresh one per input
  // would spend the run mapping its address space), set before every input
  // to two snapshots: the history the load must keep when it refuses a file.
  static UndoHistory history;
  TBufUndoRedo before;
  before.Tab1[0] = 77;
  history.Rebuild(2, 1, [&before](std::size_t i, TBufUndoRedo& s) {
    s = before;
    s.UndoLink = static_cast<std::int32_t>(1 - i);
    s.RedoLink = 1;
    return true;
  });
  fuzz::Require(history.History().size() == 2, "the history before the load");
  RecordedMessages messages;

  const bool loaded = LoadHistoryFile(file.Hold({data, size}), history, messages);
  fuzz::Require(loaded == messages.Texts.empty(), "a refused history says why");
  const std::size_t count = history.History().size();
  fuzz::Require(count == history.HistoryCount(), "the count is the number of snapshots");
  if (!loaded) {
    fuzz::Require(count == 2 && history.HistoryPos() == 1, "a refused file keeps the old history");
    return 0;
  }
  fuzz::Require(size >= kHistoryHeaderBytes + count * kSnapshotFileBytes,
                "a loaded history came from complete snapshots");
  fuzz::Require(count == 0 ? history.HistoryPos() == 0 : Inside(history.HistoryPos(), count),
                "the position lies inside the history");
  // Walk the links both ways, twice round a small history.
  for (std::size_t step = 0; step < 2 * count + 2; ++step) {
    const TBufUndoRedo* reached = (step % 3 == 0) ? history.Redo() : history.Undo();
    fuzz::Require((reached == nullptr) == (count == 0), "undo and redo reach a snapshot");
    fuzz::Require(count == 0 || Inside(history.HistoryPos(), count), "undo and redo stay inside");
  }
  history.Push(before);
  fuzz::Require(Inside(history.HistoryPos(), history.History().size()), "a push after a load stays inside");
  return 0;
}
