// The firmware file reader (".enc"): any text is sent or refused with a
// message; a file that is sent splits into blocks that cover its payload
// exactly, each inside it, and is never longer than the loader takes.

#include "fuzz_input.h"
#include "link/firmware_file.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::MemoryFile file;
  const FirmwareFile firmware = LoadFirmwareFile(file.Hold({data, size}));
  if (!firmware.Usable()) {
    return 0;
  }
  fuzz::Require(firmware.Payload.size() <= kFirmwarePayloadLimit, "a sent payload fits the loader");
  std::size_t covered = 0;
  for (std::size_t k = 0; k < firmware.BlockStarts.size(); ++k) {
    fuzz::Require(firmware.BlockStarts[k] == covered, "blocks follow one another");
    const auto block = firmware.Block(k);
    fuzz::Require(block.size() >= 2 && block.data() == firmware.Payload.data() + covered,
                  "a block starts with its length field");
    fuzz::Require(block.size() == 2 + static_cast<std::size_t>(block[0] * 256 + block[1]),
                  "a block is as long as its length field says");
    covered += block.size();
  }
  fuzz::Require(covered == firmware.Payload.size(), "the blocks cover the payload");
  return 0;
}
