#include "table/table_file.h"

#include <algorithm>
#include <string>
#include <vector>

#include "table/atomic_file.h"
#include "table/table.h"

namespace orvel {

std::filesystem::path TableFilePath(const std::filesystem::path& path) {
  const std::string text = path.string();
  constexpr std::string_view kExtension = ".tab";
  if (text.size() >= kExtension.size() &&
      text.compare(text.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
    return path;
  }
  return text + std::string(kExtension);
}

std::array<std::uint8_t, kTableFileSize> TableFileBytes(const TableBlock& block) {
  std::array<std::uint8_t, kTableFileSize> bytes{};
  std::transform(block.Entries.begin(), block.Entries.end(), bytes.begin(), EntryByte);
  return bytes;
}

bool WriteTableFile(const std::filesystem::path& path, const TableBlock& block, UserMessages& messages) {
  const auto bytes = TableFileBytes(block);
  const WriteResult result = WriteFileAtomically(TableFilePath(path), bytes);
  switch (result.Outcome) {
    case WriteOutcome::Written:
      return true;
    case WriteOutcome::CannotCreate:
      messages.ShowMessage("Tab file save error");
      return false;
    case WriteOutcome::CannotReplace:
      messages.ShowMessage("Can't delete file before saving");
      return false;
    case WriteOutcome::WriteFailed:
      messages.ShowMessage(result.ErrorText);
      return false;
  }
  return false;
}

TableFileContents DecodeTableFile(std::span<const std::uint8_t> bytes) {
  TableFileContents contents;
  const std::size_t count = std::min(bytes.size(), kTableFileReadLimit);
  const std::size_t present = std::min(count, kTableFileSize);
  for (std::size_t i = 0; i < present; ++i) {
    contents.Block[i] = EntryFromByte(i, bytes[i]);
  }
  if (count < kTableFileSize || count == kShortTableFileSize) {
    std::fill(contents.Block.Entries.begin() + TableBlock::kIatCorr, contents.Block.Entries.end(), 0);
  }
  contents.ParametersFound = count > TableBlock::kMafTime;
  return contents;
}

bool Table::SaveTableFile(const std::filesystem::path& path, int n) {
  // The panel's parameters go into the block only once the file is written,
  // so a failed save leaves the table as it was.
  TableBlock block = Block(n);
  orvel::TakeParameters(Panel(n), block);
  if (!WriteTableFile(path, block, Messages)) {
    return false;
  }
  Block(n) = block;
  return true;
}

bool Table::LoadTableFile(const std::filesystem::path& path, int n) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, kTableFileReadLimit, bytes)) {
    Messages.ShowMessage(path.string() + "Tab file load error");
    return false;
  }
  const TableFileContents contents = DecodeTableFile(bytes);
  Block(n) = contents.Block;
  if (!contents.ParametersFound) {
    ResetParameters(n);
  }
  ShowParameters(n);
  Redraw();
  PushHistory();
  return true;
}

}  // namespace orvel
