#include "autotune/dashboard_extremes.h"

#include <algorithm>

namespace orvel {

namespace {

constexpr std::int32_t kHighestOutput = 255;

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

}  // namespace orvel
