#pragma once

// Firmware files (".enc"): hexadecimal text forming length-prefixed blocks
// that go to the converter's loader unchanged. The program never decodes the
// blocks' content.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

inline constexpr std::size_t kFirmwarePayloadLimit = 262144;
// A larger firmware file is refused before it is read: the text of the
// largest payload, two digits a byte, with generous room for white space.
inline constexpr std::size_t kFirmwareFileLargest = kFirmwarePayloadLimit * 16;

// The payload in a firmware text: hexadecimal numbers of at most two digits
// each, optionally separated by white space ("00 03 11 22 33" or "0003112233").
// Reading stops at the end or at the first item that is not hexadecimal.
// At most `limit` + 1 bytes are taken, so a caller can tell an oversized
// payload without reading all of a huge file.
std::vector<std::uint8_t> ParseFirmwareText(std::istream& text, std::size_t limit = kFirmwarePayloadLimit);

// Where the blocks of a payload start; nullopt when a block's length field
// or its data runs past the end of the payload.
std::optional<std::vector<std::size_t>> FirmwareBlockStarts(std::span<const std::uint8_t> payload);

// A firmware file ready to send, or why it is refused. The texts are the
// messages the user sees.
struct FirmwareFile {
  std::vector<std::uint8_t> Payload;
  std::vector<std::size_t> BlockStarts;
  std::string Refusal;  // empty when the file can be sent

  [[nodiscard]] bool Usable() const { return Refusal.empty(); }
  // The block starting at BlockStarts[k], its length field included.
  [[nodiscard]] std::span<const std::uint8_t> Block(std::size_t k) const;
};

inline constexpr std::string_view kFirmwareNotFoundText = "Error: File  not found.\n";
inline constexpr std::string_view kFirmwareEmptyText =
    "Error: the file holds no firmware data.\n\nОшибка: в файле нет данных прошивки.";
inline constexpr std::string_view kFirmwareTooLongText =
    "Error: the firmware is longer than 262144 bytes.\n\nОшибка: прошивка длиннее 262144 байт.";
inline constexpr std::string_view kFirmwareDamagedText =
    "Error: the firmware file is damaged (a block runs past its end).\n\n"
    "Ошибка: файл прошивки поврежден (блок выходит за конец файла).";

// Reads and checks a firmware file. A file that cannot be opened (the message
// then names it and the reason), is no regular file or is larger than
// kFirmwareFileLargest, holds no
// firmware data, is longer than the loader takes or whose blocks do not fit
// is refused with its message.
FirmwareFile LoadFirmwareFile(const std::filesystem::path& path);

}  // namespace orvel
