#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

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

  // Replaces the whole history, after checking that the position and every
  // link lie inside it and that it fits the capacity. False leaves it unchanged.
  bool Replace(std::vector<TBufUndoRedo> snapshots, std::int32_t position);

  [[nodiscard]] const std::vector<TBufUndoRedo>& History() const { return Snapshots; }
  [[nodiscard]] std::uint32_t HistoryCount() const { return Count; }
  [[nodiscard]] std::int32_t HistoryPos() const { return Pos; }
  [[nodiscard]] std::size_t Capacity() const { return Limit; }

 private:
  const TBufUndoRedo* MoveTo(std::int32_t link);

  std::size_t Limit;
  std::vector<TBufUndoRedo> Snapshots;
  std::uint32_t Count = 0;
  std::int32_t Pos = 0;
};

}  // namespace orvel
