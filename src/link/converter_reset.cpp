#include "link/converter_reset.h"

#include <array>
#include <cstdint>
#include <exception>

#include "link/rxtx.h"
#include "link/table_transfer.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr std::array<std::uint8_t, 1> kResetCommand{'k'};
// The slider ends of the dashboard's correction window: the whole table.
constexpr int kFirstPoint = 0;
constexpr int kLastPoint = 255;

}  // namespace

ConverterReset::ConverterReset(TRXTX& link, TableTransfer& transfer, Table& mainTable, UserMessages& messages,
                               SleepFunction sleep, std::chrono::milliseconds portFreeLimit)
    : Link(link),
      Transfer(transfer),
      MainTable(mainTable),
      Messages(messages),
      Sleep(std::move(sleep)),
      PortFreeLimit(portFreeLimit) {}

bool ConverterReset::WaitForPortFree() const {
  return Link.WaitPortFreeFor(PortFreeLimit);
}

bool ConverterReset::Run(bool liveDataRunning, const std::function<void()>& stopLiveData) {
  if (liveDataRunning) {
    if (stopLiveData) {
      stopLiveData();
    }
    if (!WaitForPortFree()) {
      Messages.ShowMessage(kResetPortBusyText);
      return false;
    }
  }
  Sleep(kResetPause);
  try {
    // Written whether or not a port is open: a closed port reports itself.
    Link.Write(kResetCommand);
  } catch (const std::exception& error) {
    Messages.ShowMessage(error.what());
    return false;
  }
  Sleep(kResetPause);
  MainTable.PushHistory();
  static_cast<void>(Transfer.ReadFromConverter());  // reports its own failure
  MainTable.ClearLearnedRange(kFirstPoint, kLastPoint);
  return true;
}

}  // namespace orvel
