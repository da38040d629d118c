#include "table/history_file.h"

#include <algorithm>
#include <span>
#include <string>
#include <type_traits>

#include "core/damaged_file.h"
#include "core/input_file.h"
#include "table/atomic_file.h"
#include "table/table.h"

namespace orvel {

namespace {

// Snapshots per file read or write: large enough that the system calls do not
// matter, small enough to stay in the cache.
constexpr std::size_t kSnapshotsPerChunk = 32;

// Low 16 bits of each value, big-endian. The spans have a fixed extent, so
// each field's loop is inlined with a known length and turned into vector
// code.
template <std::size_t Count>
void PutWords(std::span<const std::int32_t, Count> values, std::uint8_t* out) {
  for (std::size_t i = 0; i < Count; ++i) {
    const auto word = static_cast<std::uint16_t>(values[i]);
    out[2 * i] = static_cast<std::uint8_t>(word >> 8);
    out[2 * i + 1] = static_cast<std::uint8_t>(word);
  }
}

// Big-endian 16-bit words, sign-extended.
template <std::size_t Count>
void GetWords(const std::uint8_t* in, std::span<std::int32_t, Count> values) {
  for (std::size_t i = 0; i < Count; ++i) {
    values[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((in[2 * i] << 8) | in[2 * i + 1]));
  }
}

// The fields of a snapshot in file order (trained values before their
// flags), each as a span of fixed extent.
template <typename Snapshot, typename Visit>
void ForEachFieldInFileOrder(Snapshot& s, Visit visit) {
  visit(std::span(s.Tab1));
  visit(std::span(s.Tab2));
  visit(std::span(s.Anchors1));
  visit(std::span(s.Anchors2));
  visit(std::span(s.Trained));
  visit(std::span(s.TrainedAnchors));
  visit(std::span<std::remove_pointer_t<decltype(&s.UndoLink)>, 1>(&s.UndoLink, 1));
  visit(std::span<std::remove_pointer_t<decltype(&s.RedoLink)>, 1>(&s.RedoLink, 1));
}

void EncodeSnapshot(const TBufUndoRedo& s, std::uint8_t* out) {
  ForEachFieldInFileOrder(s, [&out](auto values) {
    PutWords(values, out);
    out += 2 * values.size();
  });
}

void DecodeSnapshot(const std::uint8_t* in, TBufUndoRedo& s) {
  ForEachFieldInFileOrder(s, [&in](auto values) {
    GetWords(in, values);
    in += 2 * values.size();
  });
}

struct Header {
  std::int32_t Count = 0;
  std::int32_t Position = 0;
};

Header DecodeHeader(const std::uint8_t* in) {
  std::array<std::int32_t, 2> words{};
  GetWords(in, std::span(words));
  return {words[0], words[1]};
}

std::array<std::uint8_t, kHistoryHeaderBytes> EncodeHeader(const UndoHistory& history) {
  const std::array<std::int32_t, 2> words{static_cast<std::int32_t>(history.History().size()),
                                          history.HistoryPos()};
  std::array<std::uint8_t, kHistoryHeaderBytes> bytes{};
  PutWords(std::span(words), bytes.data());
  return bytes;
}

}  // namespace

bool SaveHistoryFile(const std::filesystem::path& path, const UndoHistory& history, UserMessages& messages) {
  AtomicFileWriter writer(path);
  writer.Write(EncodeHeader(history));
  const SnapshotList& snapshots = history.History();
  std::vector<std::uint8_t> chunk(kSnapshotsPerChunk * kSnapshotFileBytes);
  for (std::size_t first = 0; first < snapshots.size(); first += kSnapshotsPerChunk) {
    const std::size_t count = std::min(kSnapshotsPerChunk, snapshots.size() - first);
    for (std::size_t i = 0; i < count; ++i) {
      EncodeSnapshot(snapshots[first + i], chunk.data() + i * kSnapshotFileBytes);
    }
    if (!writer.Write({chunk.data(), count * kSnapshotFileBytes})) {
      break;
    }
  }
  const WriteResult result = writer.Commit();
  if (result.Outcome == WriteOutcome::Written) {
    return true;
  }
  if (result.Outcome != WriteOutcome::CannotCreate) {
    messages.ShowMessage(result.ErrorText);
  }
  return false;
}

bool LoadHistoryFile(const std::filesystem::path& path, UndoHistory& history, UserMessages& messages,
                     bool* damaged) {
  const auto refuse = [&](const std::string& why) {
    if (damaged != nullptr) {
      *damaged = true;
    }
    messages.ShowMessage(path.string() + ": " + why + ", not loaded; " + KeptAsDamagedText(path) +
                         " when the program closes");
    return false;
  };
  InputFile reader(path, kHistoryHeaderBytes + history.Capacity() * kSnapshotFileBytes);
  if (!reader.Opened()) {
    std::error_code ignored;
    if (std::filesystem::symlink_status(path, ignored).type() == std::filesystem::file_type::not_found) {
      return false;  // no history yet
    }
    return refuse("undo history: " + reader.Reason());
  }
  // One pass: each chunk is read straight into a cache-sized buffer and
  // decoded from there into a history of its own, whose Rebuild checks every
  // snapshot's links as it is written. Only a complete, sound file replaces
  // the history; anything else leaves it as it was.
  std::array<std::uint8_t, kHistoryHeaderBytes> headerBytes{};
  const bool headerRead = reader.ReadExactly(headerBytes);
  const Header header = DecodeHeader(headerBytes.data());
  UndoHistory loaded(history.Capacity());
  const auto count = static_cast<std::size_t>(std::max(header.Count, 0));
  // No larger than the history needs: a short file costs no 133 kB buffer.
  std::vector<std::uint8_t> chunk(std::min(kSnapshotsPerChunk, count) * kSnapshotFileBytes);
  const bool sound =
      headerRead && header.Count >= 0 &&
      loaded.Rebuild(count, header.Position, [&](std::size_t i, TBufUndoRedo& s) {
        const std::size_t slot = i % kSnapshotsPerChunk;
        if (slot == 0 && !reader.ReadExactly(
                             {chunk.data(), std::min(kSnapshotsPerChunk, count - i) * kSnapshotFileBytes})) {
          return false;
        }
        DecodeSnapshot(chunk.data() + slot * kSnapshotFileBytes, s);
        return true;
      });
  if (!sound) {
    return refuse(reader.Reason().empty() ? "damaged undo history" : "undo history: " + reader.Reason());
  }
  history = std::move(loaded);
  return true;
}

bool Table::SaveHistory(const std::filesystem::path& path) {
  return SaveHistoryFile(path, LoadedHistory(), Messages);
}

bool Table::LoadHistory(const std::filesystem::path& path) {
  return LoadHistoryFile(path, LoadedHistory(), Messages);
}

}  // namespace orvel
