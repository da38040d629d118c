#include "live/live_session.h"

#include "link/table_transfer.h"
#include "live/correction_tick.h"
#include "live/log.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr int kCorrectionChanged = 1;  // SetCorrectionWindow's reason

}  // namespace

LiveSession::LiveSession(TOrvelBroadcaster& bus, Log& log, Table& mainTable, TableTransfer& transfer,
                         UserMessages& messages, CorrectionTick* decision)
    : Bus(bus),
      LiveLog(log),
      MainTable(mainTable),
      Transfer(transfer),
      Messages(messages),
      Decision(decision) {}

bool LiveSession::Start(std::string_view selectedPort, const LiveSettings& settings) {
  if (selectedPort.empty()) {
    Messages.ShowMessage(kChooseComPortText);
    return false;
  }
  MainTable.SetBeginAsLearned(settings.LearnedBegin, 0, false);
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

}  // namespace orvel
