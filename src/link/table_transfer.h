#pragma once

// The three transfers between the converter and Tab1 of the main table:
// reading the block ("sr"), writing it to working and permanent memory with
// echo and verification ("sw"), and the fast write to working memory ("t").

#include <array>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string_view>

#include "core/progress.h"
#include "core/user_messages.h"
#include "table/table.h"

namespace orvel {

class TRXTX;

inline constexpr std::string_view kWaitForLoggerText =
    "Waiting  for a dataloger's stop.\nPlease try again.\n\n"
    "Ждем остановки даталогера\nПожалуйста попробуйте еще раз";
inline constexpr std::string_view kWritingTitle = "Запись/Writing";
inline constexpr std::string_view kWritingRamTitle = "Запись ОЗУ/ Writing RAM";
inline constexpr std::string_view kWritingEepromTitle = "Запись ПЗУ/ Writing EEPROM";

using BlockBuffer = std::array<std::uint8_t, TableBlock::kSize>;

// The block as the converter carries it: the low byte of every entry.
BlockBuffer BlockBytes(const TableBlock& block);

// What came of a block read: all 392 bytes, or the first Received of them.
struct BlockRead {
  BlockBuffer Bytes{};
  std::size_t Received = 0;
};

// The exchanges alone, for any thread (a connect runs them on its worker);
// they throw what the port throws. The read clears the buffers, sends "sr"
// and reads the block (a stop on `stop` ends the read at once); the fast
// write sends "t" and the block, reading no reply (true when all of it went).
// With `betweenChunks`, the block is read a few bytes at a time and the
// call runs after each piece (a progress window repaints there).
BlockRead ReceiveBlock(TRXTX& link, const std::stop_token& stop,
                       const std::function<void()>& betweenChunks = {});
bool SendRamBlock(TRXTX& link, const BlockBuffer& bytes);

// Every operation does nothing when the link is not connected, reports its
// failures through `messages` (never throws) and returns whether it succeeded.
class TableTransfer {
 public:
  TableTransfer(Table& mainTable, TRXTX& link, UserMessages& messages, ProgressView& progress);

  // Reads the converter's block into Tab1, shows its parameters, redraws and
  // pushes a history snapshot. Refused (with a message) while the live-data
  // thread holds the port; Tab1 is unchanged unless all 392 bytes arrived.
  bool ReadFromConverter();
  // Writes Tab1 byte by byte, each echoed; follows the converter's
  // permanent-memory progress; reads the block back and compares.
  bool WriteToConverter();
  // Sends "t" and the block in one write; no reply is read.
  bool SendToConverterRam();

  // The main thread's shares of a read whose exchange runs elsewhere:
  // whether it may start (connected, the port free; refused with the same
  // message), and taking its result into Tab1 as ReadFromConverter does (a
  // short block is reported and changes nothing). RamBlock takes the shown
  // parameters into Tab1 and gives the block the fast write sends.
  bool ReadMayStart();
  bool TakeBlock(const BlockRead& read);
  BlockBuffer RamBlock();

 private:
  // The permanent-memory phase: one progress byte per step until the last
  // (0) or until the converter stays silent.
  void FollowPermanentStore();
  void HideProgress();
  // Reads the block back and compares it with `sent`; throws the error words.
  void Verify(const std::array<std::uint8_t, TableBlock::kSize>& sent);
  // Sends one block byte and checks its echo; false after the echo message.
  bool SendEchoed(std::size_t index, std::uint8_t byte, std::uint8_t& lastReceived);

  Table& MainTable;
  TRXTX& Link;
  UserMessages& Messages;
  ProgressView& Progress;
};

}  // namespace orvel
