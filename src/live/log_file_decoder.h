#pragma once

// Decoding a .log file piece by piece as it is read: the channels grow with
// the records, so a long log is never held twice (once as the file's bytes,
// once decoded) and its bytes pass through a small buffer only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "live/log_file.h"

namespace orvel {

class LogFileDecoder {
 public:
  // `expectedBytes` (the file's size, when known) lets the channels take
  // their room at once; the bytes fed decide what is decoded.
  explicit LogFileDecoder(std::size_t expectedBytes = 0);

  // The next bytes of the file.
  void Feed(std::span<const std::uint8_t> bytes);

  // The decoded file, as DecodeLogFile describes it; empty with `reason` set
  // when the bytes held no header and complete record.
  std::optional<LogFileContents> Finish(std::string& reason);

 private:
  [[nodiscard]] std::size_t HeaderSize() const;
  [[nodiscard]] std::size_t RecordSize() const;
  // Takes header bytes from the front of `bytes`; true once it is complete.
  bool TakeHeader(std::span<const std::uint8_t>& bytes);
  void DecodeRecords(std::span<const std::uint8_t> records);

  std::size_t Expected;
  std::size_t Total = 0;
  std::vector<std::uint8_t> Header;
  bool HeaderDone = false;
  std::vector<std::uint8_t> Partial;  // the start of a record cut by the end of a piece
  LogFileContents Contents;
};

}  // namespace orvel
