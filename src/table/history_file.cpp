#include "table/history_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "table/atomic_file.h"
#include "table/table.h"

namespace orvel {

namespace {

// Snapshots per file read or write: large enough that the system calls do not
// matter, small enough to stay in the cache.
constexpr std::size_t kSnapshotsPerChunk = 32;

// Low 16 bits of each value, big-endian. Written as plain loops over known
// counts so the compiler turns them into vector code.
void PutWords(const std::int32_t* values, std::size_t count, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i) {
    const auto word = static_cast<std::uint16_t>(values[i]);
    out[2 * i] = static_cast<std::uint8_t>(word >> 8);
    out[2 * i + 1] = static_cast<std::uint8_t>(word);
  }
}

// Big-endian 16-bit words, sign-extended.
void GetWords(const std::uint8_t* in, std::size_t count, std::int32_t* values) {
  for (std::size_t i = 0; i < count; ++i) {
    values[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((in[2 * i] << 8) | in[2 * i + 1]));
  }
}

// The fields of a snapshot in file order (trained values before their flags).
template <typename Snapshot, typename Visit>
void ForEachFieldInFileOrder(Snapshot& s, Visit visit) {
  visit(s.Tab1.data(), s.Tab1.size());
  visit(s.Tab2.data(), s.Tab2.size());
  visit(s.Anchors1.data(), s.Anchors1.size());
  visit(s.Anchors2.data(), s.Anchors2.size());
  visit(s.Trained.data(), s.Trained.size());
  visit(s.TrainedAnchors.data(), s.TrainedAnchors.size());
  visit(&s.UndoLink, std::size_t{1});
  visit(&s.RedoLink, std::size_t{1});
}

void EncodeSnapshot(const TBufUndoRedo& s, std::uint8_t* out) {
  ForEachFieldInFileOrder(s, [&out](const std::int32_t* values, std::size_t count) {
    PutWords(values, count, out);
    out += 2 * count;
  });
}

void DecodeSnapshot(const std::uint8_t* in, TBufUndoRedo& s) {
  ForEachFieldInFileOrder(s, [&in](std::int32_t* values, std::size_t count) {
    GetWords(in, count, values);
    in += 2 * count;
  });
}

// Whether both links at the end of an encoded snapshot pass `inside`.
template <typename Inside>
bool LinksInside(const std::uint8_t* snapshot, Inside inside) {
  std::array<std::int32_t, 2> links{};
  GetWords(snapshot + kSnapshotFileBytes - 4, 2, links.data());
  return inside(links[0]) && inside(links[1]);
}

struct Header {
  std::int32_t Count = 0;
  std::int32_t Position = 0;
};

Header DecodeHeader(const std::uint8_t* in) {
  std::array<std::int32_t, 2> words{};
  GetWords(in, 2, words.data());
  return {words[0], words[1]};
}

std::array<std::uint8_t, kHistoryHeaderBytes> EncodeHeader(const UndoHistory& history) {
  const std::array<std::int32_t, 2> words{static_cast<std::int32_t>(history.History().size()),
                                          history.HistoryPos()};
  std::array<std::uint8_t, kHistoryHeaderBytes> bytes{};
  PutWords(words.data(), 2, bytes.data());
  return bytes;
}

bool CountFits(const Header& header, const UndoHistory& history) {
  return header.Count >= 0 && static_cast<std::size_t>(header.Count) <= history.Capacity();
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

bool LoadHistoryFile(const std::filesystem::path& path, UndoHistory& history, UserMessages& messages) {
  FileReader reader(path);
  if (!reader.Opened()) {
    return false;
  }
  const auto reject = [&messages, &path] {
    messages.ShowMessage(path.string() + ": damaged undo history, not loaded");
    return false;
  };
  // Two passes through a small buffer instead of one 133 MB buffer: fresh
  // memory costs more than reading the file twice from the cache. The first
  // pass checks the header, the length and every link; only then does the
  // second pass overwrite the history.
  std::array<std::uint8_t, kHistoryHeaderBytes> headerBytes{};
  if (!reader.ReadExactly(headerBytes)) {
    return reject();
  }
  const Header header = DecodeHeader(headerBytes.data());
  if (!CountFits(header, history)) {
    return reject();
  }
  const auto count = static_cast<std::size_t>(header.Count);
  const auto inside = [count](std::int32_t link) {
    return link >= 0 && static_cast<std::size_t>(link) < count;
  };
  if (count == 0 ? header.Position != 0 : !inside(header.Position)) {
    return reject();
  }
  // No larger than the history needs: a short file costs no 133 kB buffer.
  std::vector<std::uint8_t> chunk(std::min(kSnapshotsPerChunk, count) * kSnapshotFileBytes);
  for (std::size_t first = 0; first < count; first += kSnapshotsPerChunk) {
    const std::size_t n = std::min(kSnapshotsPerChunk, count - first);
    if (!reader.ReadExactly({chunk.data(), n * kSnapshotFileBytes})) {
      return reject();
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (!LinksInside(chunk.data() + i * kSnapshotFileBytes, inside)) {
        return reject();
      }
    }
  }
  if (!reader.Rewind() || !reader.ReadExactly(headerBytes)) {
    return reject();
  }
  // Should the file change between the passes, a failed read leaves zeros,
  // and Rebuild empties the history rather than keep a link outside it.
  bool complete = true;
  history.Rebuild(count, header.Position, [&](std::size_t i, TBufUndoRedo& s) {
    const std::size_t slot = i % kSnapshotsPerChunk;
    if (slot == 0) {
      const std::size_t n = std::min(kSnapshotsPerChunk, count - i);
      complete = complete && reader.ReadExactly({chunk.data(), n * kSnapshotFileBytes});
    }
    DecodeSnapshot(chunk.data() + slot * kSnapshotFileBytes, s);
  });
  if (!complete) {
    return reject();
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
