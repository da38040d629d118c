#pragma once

// What the dashboard shows of one 100 ms tick, computed before anything is
// drawn: the pages and the chart take it as it is.

#include <cstdint>
#include <optional>
#include <string>

#include "core/messages.h"

namespace orvel {

// The live points on the dashboard chart: the converter's operating point
// (MAF, output) and the two temperature corrections in force at the sample's
// IAT and ECT.
struct DashboardPoints {
  std::int32_t Maf = 0;
  std::int32_t Out = 0;
  std::int32_t Iat = 0;
  std::int32_t IatCorr = 0;
  std::int32_t Ect = 0;
  std::int32_t EctCorr = 0;
};

struct DashboardFrame {
  DashboardReadings Sample;
  // The throttle gauge, in percent of the calibrated pedal travel.
  std::int32_t TpsPercent = 0;
  DashboardPoints Points;
  // The run's highest MAF (the chart's grey line) and the labels of the
  // run's extremes, all read from their one owner after this sample.
  std::int32_t HighestMaf = 0;
  std::string MaxMafText;  // "MaxMaf=…"
  std::string OutputText;  // "MaxOut=…", or "MinOut=…" in Toyota mode
  // Where the log page's MAF limit slider was set by this sample; empty
  // when it did not follow.
  std::optional<std::int32_t> MafLimitPosition;
};

}  // namespace orvel
