#include "link/firmware_file.h"

#include "table/atomic_file.h"

#include <istream>
#include <iterator>
#include <sstream>

namespace orvel {

namespace {

constexpr std::size_t kLengthFieldSize = 2;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::vector<std::uint8_t> ParseFirmwareText(std::istream& text, std::size_t limit) {
  std::vector<std::uint8_t> payload;
  std::istreambuf_iterator<char> next(text);
  const std::istreambuf_iterator<char> end;
  while (payload.size() <= limit) {
    while (next != end && IsSpace(*next)) {
      ++next;
    }
    if (next == end || HexDigit(*next) < 0) {
      break;
    }
    int value = HexDigit(*next++);
    if (next != end && HexDigit(*next) >= 0) {
      value = value * 16 + HexDigit(*next++);
    }
    payload.push_back(static_cast<std::uint8_t>(value));
  }
  return payload;
}

std::optional<std::vector<std::size_t>> FirmwareBlockStarts(std::span<const std::uint8_t> payload) {
  std::vector<std::size_t> starts;
  std::size_t p = 0;
  while (p < payload.size()) {
    if (payload.size() - p < kLengthFieldSize) {
      return std::nullopt;
    }
    const std::size_t length = payload[p] * 256U + payload[p + 1];
    if (payload.size() - p - kLengthFieldSize < length) {
      return std::nullopt;
    }
    starts.push_back(p);
    p += length + kLengthFieldSize;
  }
  return starts;
}

std::span<const std::uint8_t> FirmwareFile::Block(std::size_t k) const {
  const std::size_t start = BlockStarts.at(k);
  const std::size_t length = Payload[start] * 256U + Payload[start + 1];
  return std::span(Payload).subspan(start, length + kLengthFieldSize);
}

FirmwareFile LoadFirmwareFile(const std::filesystem::path& path) {
  FirmwareFile file;
  std::vector<std::uint8_t> bytes;
  std::string failure;
  if (!ReadFileBytes(path, kFirmwareFileLargest, bytes, &failure)) {
    // The message keeps its usual words, with the reason after them.
    file.Refusal = std::string(kFirmwareNotFoundText) + path.string() + ": " + failure + "\n";
    return file;
  }
  std::istringstream stream(std::string(bytes.begin(), bytes.end()));
  bytes = {};
  file.Payload = ParseFirmwareText(stream);
  // The file's name comes first, then the usual words.
  const std::string named = path.string() + ": ";
  if (file.Payload.empty()) {
    file.Refusal = named + std::string(kFirmwareEmptyText);
  } else if (file.Payload.size() > kFirmwarePayloadLimit) {
    file.Refusal = named + std::string(kFirmwareTooLongText);
  } else if (auto starts = FirmwareBlockStarts(file.Payload)) {
    file.BlockStarts = std::move(*starts);
  } else {
    file.Refusal = named + std::string(kFirmwareDamagedText);
  }
  return file;
}

}  // namespace orvel
