#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "core/user_messages.h"
#include "table/undo_history.h"

namespace orvel {

// "UndoRedoHistory.his": the snapshot count E and the position, then E
// snapshots, every number a signed 16-bit big-endian word. In a snapshot the
// trained values come before the trained-anchor flags (the reverse of memory).
inline constexpr std::size_t kHistoryHeaderBytes = 4;
inline constexpr std::size_t kSnapshotFileBytes = kSnapshotNumbers * 2;

// Writes the file through a temporary file and a rename. A file that cannot be
// created is skipped silently; any other failure is reported with its text.
bool SaveHistoryFile(const std::filesystem::path& path, const UndoHistory& history, UserMessages& messages);

// Replaces the history by the file's. A missing file is skipped silently. A
// file that exists but cannot be opened or read, is no regular file, is
// larger than a full history, is short, or whose count, position or links
// lie outside the history, is reported (the message says that the close keeps
// it as "NAME.damaged"), `damaged` is set and the history is left as it was.
bool LoadHistoryFile(const std::filesystem::path& path, UndoHistory& history, UserMessages& messages,
                     bool* damaged = nullptr);

}  // namespace orvel
