#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "table/large_page_allocator.h"
#include "table/table_block.h"

namespace orvel {

// One snapshot of a table model with its undo and redo links.
struct TBufUndoRedo {
  std::array<std::int32_t, TableBlock::kSize> Tab1{};
  std::array<std::int32_t, TableBlock::kSize> Tab2{};
  std::array<std::int32_t, TableBlock::kSize> Anchors1{};
  std::array<std::int32_t, TableBlock::kSize> Anchors2{};
  std::array<std::int32_t, TableBlock::kOutCount> TrainedAnchors{};
  std::array<std::int32_t, TableBlock::kOutCount> Trained{};
  std::int32_t UndoLink = 0;
  std::int32_t RedoLink = 0;

  friend bool operator==(const TBufUndoRedo&, const TBufUndoRedo&) = default;
};

inline constexpr std::size_t kSnapshotNumbers = 2082;
static_assert(sizeof(TBufUndoRedo) == kSnapshotNumbers * sizeof(std::int32_t));

inline constexpr std::size_t kHistoryCapacity = 32000;

using SnapshotList = std::vector<TBufUndoRedo, LargePageAllocator<TBufUndoRedo>>;

// The snapshots of one table model and the position in them. While the
// history grows, undo walks back one snapshot at a time and a push after undo
// links the new snapshot in after the current one; once full, slots are
// reused in a circle. Every link lies inside the history, and Undo/Redo never
// follow one that does not.
class UndoHistory {
 public:
  // The capacity is 32000 for the program; tests shrink it to reach the
  // circular reuse quickly. At least 2.
  explicit UndoHistory(std::size_t capacity = kHistoryCapacity);

  // Stores the snapshot (its links are set here) and makes it current.
  void Push(const TBufUndoRedo& snapshot);
  // Moves to the current snapshot's undo or redo link and returns the
  // snapshot there; nullptr when the history is empty.
  const TBufUndoRedo* Undo();
  const TBufUndoRedo* Redo();

  // Replaces the whole history by `count` snapshots that fill(i, snapshot)
  // writes, reusing the storage already held; fill returns false when its
  // source failed. Each snapshot's links are checked right after fill wrote
  // it, while it is still in the cache. A count beyond the capacity, a
  // position or link outside 0…count − 1 or a failed fill stops the rebuild
  // and leaves the history empty: false.
  template <typename Fill>
  bool Rebuild(std::size_t count, std::int32_t position, Fill fill) {
    const auto inside = [count](std::int32_t link) {
      return link >= 0 && static_cast<std::size_t>(link) < count;
    };
    bool sound = count <= Limit && (count == 0 ? position == 0 : inside(position));
    Snapshots.resize(sound ? std::min(Snapshots.size(), count) : 0);
    for (std::size_t i = 0; sound && i < count; ++i) {
      TBufUndoRedo& s = i < Snapshots.size() ? Snapshots[i] : Snapshots.emplace_back();
      sound = fill(i, s) && inside(s.UndoLink) && inside(s.RedoLink);
    }
    if (!sound) {
      Snapshots.clear();
      count = 0;
      position = 0;
    }
    Count = static_cast<std::uint32_t>(count);
    Pos = position;
    return sound;
  }

  // Makes the snapshots pushed since the history stood at `before` (with
  // `countBefore` snapshots) one undo step: undo from the current snapshot
  // goes straight back to `before`, redo from `before` straight here. Nothing
  // happens when the history was empty then or nothing was pushed since.
  void TieSince(std::int32_t before, std::uint32_t countBefore);

  [[nodiscard]] const SnapshotList& History() const { return Snapshots; }
  [[nodiscard]] std::uint32_t HistoryCount() const { return Count; }
  [[nodiscard]] std::int32_t HistoryPos() const { return Pos; }
  [[nodiscard]] std::size_t Capacity() const { return Limit; }

 private:
  const TBufUndoRedo* MoveTo(std::int32_t link);

  std::size_t Limit;
  SnapshotList Snapshots;
  std::uint32_t Count = 0;
  std::int32_t Pos = 0;
};

}  // namespace orvel
