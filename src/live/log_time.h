#pragma once

// The log's time base: sample i lies at i x 0.01 s. Time axes, the visible
// window and the drawing step are all counted in samples.

#include <cstdint>
#include <string>

namespace orvel {

inline constexpr std::int64_t kSamplesPerSecond = 100;
inline constexpr std::int64_t kSamplesPerMinute = 60 * kSamplesPerSecond;
inline constexpr std::int64_t kSamplesPerHour = 60 * kSamplesPerMinute;

// The chart draws at most about this many points across its window.
inline constexpr std::int64_t kMaxDrawnPoints = 430;

// A clock time of the log.
struct LogTime {
  std::int64_t Hours = 0;
  std::int64_t Minutes = 0;
  std::int64_t Seconds = 0;
  std::int64_t Milliseconds = 0;

  // The time as a fraction of a day, the chart's date-time value.
  [[nodiscard]] double DayFraction() const;

  friend bool operator==(const LogTime&, const LogTime&) = default;
};

// The clock time of sample `index`.
LogTime TimeOfIndex(std::int64_t index);

// The sample at a clock time (milliseconds truncated to hundredths).
std::int64_t IndexOfTime(const LogTime& time);

// The drawing step for a window of `range` samples: range / 430, at least 1.
std::int64_t StepOfRange(std::int64_t range);

// The step as the chart's hints show it: "0.01s" below 2 samples, else
// seconds and hundredths of the step modulo one minute ("2.50s", "0.05s").
std::string StepLabelOf(std::int64_t step);

}  // namespace orvel
