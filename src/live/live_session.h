#pragma once

// The Start and Stop actions of live data, as far as they need no window.
// The window binds its buttons and keys to it; the headless tuning session
// drives it directly. The run's extremes are not kept here: the correction
// window model owns them and the dashboard's tick advances them.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "live/live_settings.h"

namespace orvel {

class CorrectionTick;
class Log;
class Table;
class TableTransfer;

inline constexpr std::string_view kChooseComPortText =
    "Please choose right COM port\n\n Пожалуйста выберите правильный COM порт";

class LiveSession final {
 public:
  // Start and Stop broadcast on `bus`. `decision` may be nullptr.
  LiveSession(TOrvelBroadcaster& bus, Log& log, Table& mainTable, TableTransfer& transfer,
              UserMessages& messages, CorrectionTick* decision);

  // The Start action. An empty port name means no port is selected: the
  // message is shown and nothing is broadcast. False in that case.
  bool Start(std::string_view selectedPort, const LiveSettings& settings);
  // The Stop action; the same check of the port.
  bool Stop(std::string_view selectedPort);

  [[nodiscard]] bool Autocorrection() const { return AutocorrectionOn; }
  // The log-limit lock, pressed when Stop switches autocorrection off.
  [[nodiscard]] bool LogLimitLocked() const { return LogLimitLock; }
  void SetLogLimitLocked(bool locked) { LogLimitLock = locked; }

 private:
  TOrvelBroadcaster& Bus;
  Log& LiveLog;
  Table& MainTable;
  TableTransfer& Transfer;
  UserMessages& Messages;
  CorrectionTick* Decision;
  bool AutocorrectionOn = false;
  bool LogLimitLock = false;
};

}  // namespace orvel
