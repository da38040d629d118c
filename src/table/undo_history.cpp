#include "table/undo_history.h"

#include <algorithm>
#include <stdexcept>

namespace orvel {

UndoHistory::UndoHistory(std::size_t capacity) : Limit(capacity) {
  if (capacity < 2) {
    throw std::invalid_argument("an undo history holds at least two snapshots");
  }
  // Address space for the whole history at once: pages are only taken as
  // snapshots arrive, and growing never copies the snapshots already stored.
  Snapshots.reserve(capacity);
}

void UndoHistory::Push(const TBufUndoRedo& snapshot) {
  TBufUndoRedo s = snapshot;
  s.UndoLink = Pos;
  const auto limit = static_cast<std::int32_t>(Limit);
  if (Count < Limit) {
    ++Count;
    const auto k = static_cast<std::int32_t>(Count - 1);
    if (Pos == k - 1 || Count == 1) {
      s.RedoLink = k;
      if (!Snapshots.empty()) {
        Snapshots[Pos].RedoLink = k;
        Snapshots[0].UndoLink = k;
      }
    } else {
      s.RedoLink = Snapshots[Pos].RedoLink;
      Snapshots[Pos].RedoLink = k;
    }
    Pos = k;
    Snapshots.push_back(s);
    return;
  }
  if (Pos == limit - 1) {
    Snapshots[Pos].RedoLink = 0;
    s.RedoLink = 1;
    Snapshots[0] = s;
    Pos = 0;
    return;
  }
  Snapshots[Pos].RedoLink = Pos + 1;
  s.RedoLink = Pos + 2 == limit ? 0 : Pos + 2;
  Snapshots[Pos + 1] = s;
  ++Pos;
}

const TBufUndoRedo* UndoHistory::MoveTo(std::int32_t link) {
  if (link < 0 || static_cast<std::size_t>(link) >= Snapshots.size()) {
    return nullptr;
  }
  Pos = link;
  return &Snapshots[Pos];
}

const TBufUndoRedo* UndoHistory::Undo() {
  if (Snapshots.empty()) {
    return nullptr;
  }
  return MoveTo(Snapshots[Pos].UndoLink);
}

void UndoHistory::TieSince(std::int32_t before, std::uint32_t countBefore) {
  const auto size = static_cast<std::int32_t>(Snapshots.size());
  if (countBefore == 0 || before < 0 || before >= size || before == Pos) {
    return;
  }
  Snapshots[static_cast<std::size_t>(Pos)].UndoLink = before;
  Snapshots[static_cast<std::size_t>(before)].RedoLink = Pos;
}

const TBufUndoRedo* UndoHistory::Redo() {
  if (Snapshots.empty()) {
    return nullptr;
  }
  return MoveTo(Snapshots[Pos].RedoLink);
}

}  // namespace orvel
