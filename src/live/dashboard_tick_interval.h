#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace orvel {

// The log's dashboard tick: 100 ms of the converter's time. A stream that
// runs `timeScale` times faster (the built-in simulator sped up) gets a tick
// as much shorter, so the decision sees the same samples per tick; never
// below 1 ms, never longer than 100 ms.
inline std::chrono::milliseconds DashboardTickInterval(double timeScale) {
  constexpr double kTickMs = 100.0;
  const double scale = std::isfinite(timeScale) ? std::max(1.0, timeScale) : 1.0;
  return std::chrono::milliseconds{std::max<std::int64_t>(1, std::llround(kTickMs / scale))};
}

}  // namespace orvel
