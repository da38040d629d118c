#include "table/history_file.h"

#include <string>

#include "table/atomic_file.h"
#include "table/table.h"

namespace orvel {

namespace {

inline void PutWord(std::uint8_t*& out, std::int32_t value) {
  out[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  out[1] = static_cast<std::uint8_t>(value & 0xFF);
  out += 2;
}

inline std::int32_t GetWord(const std::uint8_t*& in) {
  const auto word = static_cast<std::int16_t>(static_cast<std::uint16_t>((in[0] << 8) | in[1]));
  in += 2;
  return word;
}

template <std::size_t N>
void PutArray(std::uint8_t*& out, const std::array<std::int32_t, N>& values) {
  for (const std::int32_t v : values) {
    PutWord(out, v);
  }
}

template <std::size_t N>
void GetArray(const std::uint8_t*& in, std::array<std::int32_t, N>& values) {
  for (std::int32_t& v : values) {
    v = GetWord(in);
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeHistory(const UndoHistory& history) {
  const std::vector<TBufUndoRedo>& snapshots = history.History();
  std::vector<std::uint8_t> bytes(kHistoryHeaderBytes + snapshots.size() * kSnapshotFileBytes);
  std::uint8_t* out = bytes.data();
  PutWord(out, static_cast<std::int32_t>(snapshots.size()));
  PutWord(out, history.HistoryPos());
  for (const TBufUndoRedo& s : snapshots) {
    PutArray(out, s.Tab1);
    PutArray(out, s.Tab2);
    PutArray(out, s.Anchors1);
    PutArray(out, s.Anchors2);
    PutArray(out, s.Trained);
    PutArray(out, s.TrainedAnchors);
    PutWord(out, s.UndoLink);
    PutWord(out, s.RedoLink);
  }
  return bytes;
}

bool DecodeHistory(std::span<const std::uint8_t> bytes, UndoHistory& history) {
  if (bytes.size() < kHistoryHeaderBytes) {
    return false;
  }
  const std::uint8_t* in = bytes.data();
  const std::int32_t count = GetWord(in);
  const std::int32_t position = GetWord(in);
  if (count < 0 || static_cast<std::size_t>(count) > history.Capacity() ||
      bytes.size() < kHistoryHeaderBytes + static_cast<std::size_t>(count) * kSnapshotFileBytes) {
    return false;
  }
  std::vector<TBufUndoRedo> snapshots(static_cast<std::size_t>(count));
  for (TBufUndoRedo& s : snapshots) {
    GetArray(in, s.Tab1);
    GetArray(in, s.Tab2);
    GetArray(in, s.Anchors1);
    GetArray(in, s.Anchors2);
    GetArray(in, s.Trained);
    GetArray(in, s.TrainedAnchors);
    s.UndoLink = GetWord(in);
    s.RedoLink = GetWord(in);
  }
  return history.Replace(std::move(snapshots), position);
}

bool SaveHistoryFile(const std::filesystem::path& path, const UndoHistory& history, UserMessages& messages) {
  const std::vector<std::uint8_t> bytes = EncodeHistory(history);
  const WriteResult result = WriteFileAtomically(path, bytes);
  if (result.Outcome == WriteOutcome::Written) {
    return true;
  }
  if (result.Outcome != WriteOutcome::CannotCreate) {
    messages.ShowMessage(result.ErrorText);
  }
  return false;
}

bool LoadHistoryFile(const std::filesystem::path& path, UndoHistory& history, UserMessages& messages) {
  std::vector<std::uint8_t> bytes;
  const std::size_t limit = kHistoryHeaderBytes + history.Capacity() * kSnapshotFileBytes;
  if (!ReadFileBytes(path, limit, bytes)) {
    return false;
  }
  if (!DecodeHistory(bytes, history)) {
    messages.ShowMessage(path.string() + ": damaged undo history, not loaded");
    return false;
  }
  return true;
}

bool Table::SaveHistory(const std::filesystem::path& path) {
  return SaveHistoryFile(path, Snapshots, Messages);
}

bool Table::LoadHistory(const std::filesystem::path& path) {
  return LoadHistoryFile(path, Snapshots, Messages);
}

}  // namespace orvel
