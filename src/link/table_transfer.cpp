#include "link/table_transfer.h"

#include <algorithm>
#include <functional>
#include <span>
#include <string>

#include "link/link_errors.h"
#include "link/rxtx.h"

namespace orvel {

namespace {

constexpr std::array<std::uint8_t, 2> kReadCommand{'s', 'r'};
constexpr std::array<std::uint8_t, 2> kWriteCommand{'s', 'w'};
constexpr std::array<std::uint8_t, 1> kRamCommand{'t'};
constexpr int kLastByte = static_cast<int>(TableBlock::kSize) - 1;  // the bar's maximum, 391
// The echo phase advances the bar while it stands at or below this.
constexpr int kEchoBarLimit = 390;
// A 0 progress byte ends the permanent store once the bar is this far.
constexpr int kStoreEndPosition = 389;
// A read that lets its caller in between reads this many bytes at a time:
// at 9600 baud about 34 ms.
constexpr std::size_t kReadChunk = 32;
// The window's hide is repeated while it still reports itself visible.
constexpr int kHideAttempts = 256;

}  // namespace

BlockBuffer BlockBytes(const TableBlock& block) {
  BlockBuffer bytes{};
  std::transform(block.Entries.begin(), block.Entries.end(), bytes.begin(), EntryByte);
  return bytes;
}

TableTransfer::TableTransfer(Table& mainTable, TRXTX& link, UserMessages& messages, ProgressView& progress)
    : MainTable(mainTable), Link(link), Messages(messages), Progress(progress) {}

BlockRead ReceiveBlock(TRXTX& link, const std::stop_token& stop, const std::function<void()>& betweenChunks) {
  link.ClearBuffers();
  link.Write(kReadCommand);
  BlockRead read;
  if (!betweenChunks) {
    read.Received = link.Read(read.Bytes, stop);
    return read;
  }
  while (read.Received < read.Bytes.size()) {
    const std::size_t asked = std::min(kReadChunk, read.Bytes.size() - read.Received);
    const std::size_t got = link.Read(std::span(read.Bytes).subspan(read.Received, asked), stop);
    read.Received += got;
    if (got < asked) {
      break;
    }
    betweenChunks();
  }
  return read;
}

bool SendRamBlock(TRXTX& link, const BlockBuffer& bytes) {
  link.ClearBuffers();
  link.ClearOutput();
  link.Write(kRamCommand);
  // The transmit buffer is not cleared between "t" and the block: Write has
  // only handed "t" to the device, and discarding it there would make the
  // converter read the block's bytes as commands.
  return link.Write(bytes) == bytes.size();
}

bool TableTransfer::ReadFromConverter() {
  if (!ReadMayStart()) {
    return false;
  }
  try {
    return TakeBlock(ReceiveBlock(Link, {}));
  } catch (const std::exception& error) {
    ReportPortError(error, Messages);
  }
  return false;
}

bool TableTransfer::ReadMayStart() {
  if (Link.Connected() == 0) {
    return false;
  }
  if (!Link.PortFree()) {
    Messages.ShowMessage(kWaitForLoggerText);
    return false;
  }
  return true;
}

bool TableTransfer::TakeBlock(const BlockRead& read) {
  if (read.Received < read.Bytes.size()) {
    ReportLinkError(LinkError(kErrorConnect, read.Received, read.Bytes.size()), Messages, Link);
    return false;
  }
  TableBlock& tab1 = MainTable.Tab1();
  for (std::size_t i = 0; i < read.Bytes.size(); ++i) {
    tab1[i] = EntryFromByte(i, read.Bytes[i]);
  }
  MainTable.ShowParameters(1);
  MainTable.Redraw();
  MainTable.PushHistory();
  return true;
}

BlockBuffer TableTransfer::RamBlock() {
  MainTable.TakeParameters(1);
  return BlockBytes(MainTable.Tab1());
}

bool TableTransfer::WriteToConverter() {
  if (Link.Connected() == 0) {
    return false;
  }
  try {
    Link.ClearBuffers();
    Link.ClearOutput();
    Progress.SetTitle(kWritingRamTitle);
    Progress.Show();
    Progress.SetRange(0, kLastByte);
    Progress.SetPosition(0);
    Link.Write(kWriteCommand);
    MainTable.TakeParameters(1);
    const BlockBuffer bytes = BlockBytes(MainTable.Tab1());
    std::uint8_t lastReceived = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (!SendEchoed(i, bytes[i], lastReceived)) {
        HideProgress();
        return false;
      }
    }
    FollowPermanentStore();
    // The bar stays up, full, while the block is read back: its repaints
    // keep the window turning through the read.
    Verify(bytes);
    HideProgress();
    return true;
  } catch (const LinkError& error) {
    HideProgress();
    Messages.ShowMessage(error.Word);
    ReportLinkError(error, Messages, Link);
  } catch (const std::exception& error) {
    HideProgress();
    ReportPortError(error, Messages);
  }
  return false;
}

bool TableTransfer::SendEchoed(std::size_t index, std::uint8_t byte, std::uint8_t& lastReceived) {
  Link.Write(std::span(&byte, 1));
  std::uint8_t echo = 0;
  const bool arrived = Link.Read(std::span(&echo, 1)) == 1;
  if (arrived) {
    lastReceived = echo;
  }
  if (!arrived || echo != byte) {
    // The usual words, then what happened: a wrong echo is an answer, not silence.
    const std::string sent = std::to_string(byte);
    const std::string why =
        arrived ? "\nThe converter echoed " + std::to_string(echo) + " where " + sent +
                      " was sent: the line garbles the bytes.\nКонвертер вернул " + std::to_string(echo) +
                      " вместо " + sent + ": линия искажает байты."
                : "\nNo echo arrived within the read time-out.\nЭхо не пришло за время ожидания.";
    Messages.ShowMessage("Error! Coverter doesen't respond i=" + std::to_string(index) + " tx=" + sent +
                         " rx=" + std::to_string(lastReceived) + why);
    return false;
  }
  if (Progress.Position() <= kEchoBarLimit) {
    Progress.SetPosition(Progress.Position() + 1);
  }
  return true;
}

void TableTransfer::FollowPermanentStore() {
  Progress.SetTitle(kWritingEepromTitle);
  Progress.SetRange(0, kLastByte);
  Progress.SetPosition(0);
  std::uint8_t step = 0;
  while (Link.Read(std::span(&step, 1)) == 1) {
    if (step == 0 && Progress.Position() >= kStoreEndPosition) {
      return;
    }
    Progress.SetPosition(std::min(Progress.Position() + 1, kLastByte));
  }
}

void TableTransfer::HideProgress() {
  for (int attempt = 0; attempt < kHideAttempts && Progress.Visible(); ++attempt) {
    Progress.Hide();
  }
}

void TableTransfer::Verify(const BlockBuffer& sent) {
  Link.ClearOutput();
  const BlockRead back = ReceiveBlock(Link, {}, [this] { Progress.SetPosition(kLastByte); });
  const BlockBuffer& readBack = back.Bytes;
  const std::size_t received = back.Received;
  if (received < readBack.size()) {
    Messages.ShowMessage(std::to_string(received));
    throw LinkError(kErrorConnectCount, received, readBack.size());
  }
  const auto difference = std::mismatch(sent.begin(), sent.end(), readBack.begin());
  if (difference.first != sent.end()) {
    const auto index = static_cast<std::size_t>(difference.first - sent.begin());
    Messages.ShowMessage("Error i=" + std::to_string(index) + " Tab=" + std::to_string(*difference.first) +
                         " buf=" + std::to_string(*difference.second));
    throw LinkError(kVerificationError, received, readBack.size());
  }
}

bool TableTransfer::SendToConverterRam() {
  if (Link.Connected() == 0) {
    return false;
  }
  try {
    return SendRamBlock(Link, RamBlock());
  } catch (const std::exception& error) {
    ReportPortError(error, Messages);
  }
  return false;
}

}  // namespace orvel
