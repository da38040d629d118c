#pragma once

// The correction window model's view of the running program: the log says
// whether live data is being recorded and takes the correction for its Corr
// channel; the table transfer sends the main table to the converter's working
// memory (and does nothing while the link is not connected).

#include <cstdint>

#include "autotune/correction_window.h"

namespace orvel {

class Log;
class TableTransfer;

class LiveCorrectionHost final : public CorrectionWindowHost {
 public:
  LiveCorrectionHost(Log& log, TableTransfer& transfer) : LiveLog(log), Transfer(transfer) {}

  [[nodiscard]] bool LiveDataRunning() const override;
  void SetLogCorrValue(std::int32_t value) override;
  void SendToConverterRam() override;

 private:
  Log& LiveLog;
  TableTransfer& Transfer;
};

}  // namespace orvel
