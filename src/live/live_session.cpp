#include "live/live_session.h"

#include <algorithm>

#include "link/table_transfer.h"
#include "live/correction_tick.h"
#include "live/log.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr std::int32_t kHighestOutput = 255;
constexpr int kCorrectionChanged = 1;  // SetCorrectionWindow's reason

}  // namespace

void DashboardExtremes::Reset(bool toyotaMode) {
  ToyotaMode = toyotaMode;
  HighestMaf = 0;
  OutputExtreme = toyotaMode ? kHighestOutput : 0;
}

void DashboardExtremes::Take(std::int32_t conv, std::int32_t maf) {
  OutputExtreme = ToyotaMode ? std::min(OutputExtreme, conv) : std::max(OutputExtreme, conv);
  HighestMaf = std::max(HighestMaf, maf);
  LastMaf = maf;
}

std::string DashboardExtremes::MaxMafText() const {
  return "MaxMaf=" + std::to_string(HighestMaf);
}

std::string DashboardExtremes::OutputText() const {
  return (ToyotaMode ? "MinOut=" : "MaxOut=") + std::to_string(OutputExtreme);
}

LiveSession::LiveSession(TOrvelBroadcaster& bus, Log& log, Table& mainTable, TableTransfer& transfer,
                         UserMessages& messages, CorrectionTick* decision)
    : Bus(bus),
      LiveLog(log),
      MainTable(mainTable),
      Transfer(transfer),
      Messages(messages),
      Decision(decision) {
  bus.Subscribe(*this);
}

bool LiveSession::Start(std::string_view selectedPort, const LiveSettings& settings) {
  if (selectedPort.empty()) {
    Messages.ShowMessage(kChooseComPortText);
    return false;
  }
  Dashboard.Reset(settings.ToyotaMode);
  MainTable.SetBeginAsLearned(MainTable.LearnedBegin(), 0, false);
  LiveLog.SetCorrValue(0);
  const Table::DashboardState& dash = MainTable.Dash();
  MainTable.SetCorrectionWindow(0, dash.MafBeg, dash.MafEnd, kCorrectionChanged);
  Transfer.SendToConverterRam();
  AutocorrectionOn = settings.Autocorrection;
  if (Decision != nullptr) {
    Decision->SetRunSettings(settings);
  }
  TMsgLogStart start;
  start.O2SensorType = settings.O2SensorType;
  Bus.Broadcast(start);
  return true;
}

bool LiveSession::Stop(std::string_view selectedPort) {
  if (selectedPort.empty()) {
    Messages.ShowMessage(kChooseComPortText);
    return false;
  }
  if (AutocorrectionOn) {
    AutocorrectionOn = false;
    if (Decision != nullptr) {
      Decision->SetAutocorrection(false);
    }
    LogLimitLock = true;
  }
  Bus.Broadcast(TMsgLogStop{});
  return true;
}

void LiveSession::Dispatch(const TMessage& message) {
  if (const auto* dash = MessageAs<TMsgDashData>(message)) {
    Dashboard.Take(dash->Conv, dash->Maf);
    MainTable.SetMaxMafAnyway(Dashboard.HighestMaf);
  }
}

}  // namespace orvel
