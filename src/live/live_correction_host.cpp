#include "live/live_correction_host.h"

#include "link/table_transfer.h"
#include "live/log.h"

namespace orvel {

bool LiveCorrectionHost::LiveDataRunning() const {
  return LiveLog.IsRunning();
}

void LiveCorrectionHost::SetLogCorrValue(std::int32_t value) {
  LiveLog.SetCorrValue(value);
}

void LiveCorrectionHost::SendToConverterRam() {
  // A failed transfer has already shown its message; the correction goes on.
  static_cast<void>(Transfer.SendToConverterRam());
}

}  // namespace orvel
