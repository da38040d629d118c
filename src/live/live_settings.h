#pragma once

// The dashboard's settings for one run of live data, as the window's
// controls give them (a reversed slider already turned the right way round).

#include <cstdint>

namespace orvel {

struct LiveSettings {
  std::int32_t PulsLimit = 10;
  bool ToyotaMode = false;  // the converter's characteristic falls
  bool Autocorrection = false;
  std::int32_t ForcedIdleRpm = 1200;
  std::int32_t ForcedIdleTps = 2;
  std::int32_t AvgB = 0;  // StepB is a tenth of it
  std::int32_t AvgT = 0;  // StepT is a tenth of it
  std::int32_t O2Ref = 0;
  std::int32_t O2SensorType = 0;  // position in the O2 sensor list
  // The point up to which Start marks the table's beginning as learned: the
  // correction window's LearnedBegin (F7 sets it, the 1:1 table clears it),
  // not the table's own, which keeps the last F7's point after a 1:1 table.
  std::int32_t LearnedBegin = 0;
};

}  // namespace orvel
