// The table file reader (".tab"): any bytes up to the largest table file load
// without fault (a larger file is refused), a file that lacks part of a table
// says once what was missing, the entries keep the byte ranges a block
// holds, and a full-size file loads to a block whose file bytes are the
// file's own.

#include <algorithm>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "fuzz_input.h"
#include "table/table.h"
#include "table/table_file.h"
#include "table/table_views.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::MemoryFile file;
  // One model for the whole run, as in the program: a fresh one per input
  // would spend the run mapping the undo history's address space. Every load
  // overwrites all of block 1, so no input depends on the one before.
  static TOrvelBroadcaster bus;
  static RecordedMessages messages;
  static LatchedModifiers keys;
  static Table& table = *[] {
    static Table model(bus, messages, keys);
    model.BindGraph(nullptr, true, nullptr);
    return &model;
  }();
  messages.Texts.clear();
  const std::span<const std::uint8_t> bytes(data, size);

  const bool loaded = table.LoadTableFile(file.Hold(bytes), 1);
  fuzz::Require(loaded == (size <= kTableFileLargest), "a table file loads unless larger than any table");
  const bool full = size >= kTableFileSize && size != kShortTableFileSize;
  fuzz::Require(messages.Texts.size() == (loaded && full ? 0U : 1U),
                "a whole table loads silently; a part or a refusal says so once");
  if (!loaded) {
    return 0;
  }
  const TableBlock& block = table.Tab1();
  for (std::size_t i = 0; i < TableBlock::kSize; ++i) {
    const bool correction = i >= TableBlock::kIatCorr;
    fuzz::Require(correction ? block[i] >= -128 && block[i] <= 127 : block[i] >= 0 && block[i] <= 255,
                  "every entry lies in its byte range");
  }
  if (full) {
    const auto written = TableFileBytes(block);
    fuzz::Require(std::equal(written.begin(), written.end(), data), "a full file loads to its own bytes");
  }
  table.Undo();
  table.Redo();
  return 0;
}
