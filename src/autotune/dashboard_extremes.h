#pragma once

#include <cstdint>
#include <string>

namespace orvel {

// What the dashboard keeps across the samples of a run: the highest MAF, the
// largest output (in "Toyota" mode, where the output falls, the smallest) and
// the last MAF, which the keyboard commands use.
struct DashboardExtremes {
  std::int32_t HighestMaf = 0;
  std::int32_t OutputExtreme = 0;
  std::int32_t LastMaf = 0;
  bool ToyotaMode = false;

  void Reset(bool toyotaMode);
  void Take(std::int32_t conv, std::int32_t maf);
  // "MaxMaf=" and the highest Maf.
  [[nodiscard]] std::string MaxMafText() const;
  // "MinOut=" in "Toyota" mode, else "MaxOut=", and the output extreme.
  [[nodiscard]] std::string OutputText() const;
};

}  // namespace orvel
