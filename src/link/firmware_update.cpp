#include "link/firmware_update.h"

#include <array>
#include <span>
#include <utility>

#include "core/number_format.h"
#include "link/firmware_file.h"
#include "link/link_errors.h"
#include "link/rxtx.h"
#include "link/table_transfer.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr std::array<std::uint8_t, 4> kLoaderCommand{'f', 'i', 'u', 'd'};
constexpr int kFullProgress = 100;

}  // namespace

FirmwareUpdate::FirmwareUpdate(TRXTX& link, UserMessages& messages, FirmwarePage& page, SleepFunction sleep)
    : Link(link), Messages(messages), Page(page), Sleep(std::move(sleep)) {}

FirmwareOutcome FirmwareUpdate::Update(const std::optional<std::filesystem::path>& chosen) {
  if (!chosen) {
    return FirmwareOutcome::NotChosen;
  }
  if (Link.Connected() == 0) {
    Messages.ShowMessage(kNoPortText);
    return FirmwareOutcome::Refused;
  }
  // The loader's acknowledgements are read from the port, which the
  // live-data thread must not be reading at the same time.
  if (Page.LiveDataRunning()) {
    Messages.ShowMessage(kStopLiveDataText);
    return FirmwareOutcome::Refused;
  }
  const FirmwareFile file = LoadFirmwareFile(*chosen);
  if (!file.Usable()) {
    Messages.ShowMessage(file.Refusal);
    return FirmwareOutcome::Refused;
  }
  try {
    return SendBlocks(file);
  } catch (const std::exception& error) {
    ReportPortError(error, Messages);
  }
  return FirmwareOutcome::Failed;
}

FirmwareOutcome FirmwareUpdate::SendBlocks(const FirmwareFile& file) {
  Link.ClearOutput();
  Link.ClearBuffers();
  if (!Page.RecoveryTicked()) {
    Link.Write(kLoaderCommand);
  }
  Sleep(kLoaderStartPause);
  const auto total = static_cast<double>(file.Payload.size());
  std::size_t accepted = 0;
  int rejections = 0;
  for (std::size_t k = 0; k < file.BlockStarts.size();) {
    const std::span<const std::uint8_t> block = file.Block(k);
    Link.ClearBuffers();
    Page.SetProgress(static_cast<int>(RoundHalfEven(static_cast<double>(accepted) * kFullProgress / total)));
    Link.Write(block);
    std::uint8_t answer = 0;
    if (Link.Read(std::span(&answer, 1)) != 1) {
      Messages.ShowMessage(kLoaderSilentText);
      return FirmwareOutcome::Failed;
    }
    if (answer == Accepted) {
      accepted += block.size();
      rejections = 0;
      ++k;
    } else if (++rejections == RejectionLimit) {
      Messages.ShowMessage(kLoaderRejectedText);
      return FirmwareOutcome::Failed;
    }
    // Otherwise the same block goes again.
  }
  Page.SetProgress(kFullProgress);
  Messages.ShowMessage(kFirmwareUpdatedText);
  Page.UntickRecovery();
  return FirmwareOutcome::Updated;
}

bool UpdateWithOneToOne(FirmwareUpdate& update, const std::optional<std::filesystem::path>& chosen,
                        Table& mainTable, TableTransfer& transfer, const SleepFunction& sleep) {
  if (update.Update(chosen) != FirmwareOutcome::Updated) {
    return false;
  }
  sleep(kFirmwareStartPause);
  mainTable.MakeOneToOne();
  return transfer.WriteToConverter();
}

}  // namespace orvel
