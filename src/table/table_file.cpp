#include "table/table_file.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/input_file.h"
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
      messages.ShowMessage(TableFilePath(path).string() + " Tab file save error: " + result.ErrorText);
      return false;
    case WriteOutcome::CannotReplace:
    case WriteOutcome::NotAFile:
      messages.ShowMessage(TableFilePath(path).string() +
                           " Can't delete file before saving: " + result.ErrorText);
      return false;
    case WriteOutcome::WriteFailed:
      messages.ShowMessage(TableFilePath(path).string() + ": " + result.ErrorText);
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

std::string MissingFromTableFile(std::size_t count) {
  const std::string held = "holds " + std::to_string(count) + " bytes of a 392-byte table: ";
  if (count < TableBlock::kOutCount) {
    return held + "outputs " + std::to_string(count) +
           "..255 are missing and were set to 0, the parameters to their defaults and the corrections to 0";
  }
  if (count <= TableBlock::kMafTime) {
    return held + "the parameters are missing and were set to their defaults, the corrections to 0";
  }
  if (count < TableBlock::kIatCorr) {
    return held + "parameters " + std::to_string(count - TableBlock::kMafTime + 1) +
           "..8 are missing and were set to 0, the corrections to 0";
  }
  if (count < kTableFileSize || count == kShortTableFileSize) {
    return held + "the temperature corrections are missing and were set to 0";
  }
  return {};
}

bool ReadTableFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                        std::string& failure) {
  InputFile file(path, kTableFileLargest);
  bytes.resize(std::min<std::size_t>(kTableFileReadLimit, file.Size()));
  if (!file.Opened() || !file.ReadExactly(bytes)) {
    failure = file.Reason().empty() ? "cannot read: the file ended early" : file.Reason();
    return false;
  }
  return true;
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
  std::string failure;
  if (!ReadTableFileBytes(path, bytes, failure)) {
    Messages.ShowMessage(path.string() + " " + std::string(kTableLoadErrorText) + ": " + failure);
    return false;
  }
  const TableFileContents contents = DecodeTableFile(bytes);
  if (const std::string missing = MissingFromTableFile(bytes.size()); !missing.empty()) {
    Messages.ShowMessage(path.string() + " " + missing);
  }
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
