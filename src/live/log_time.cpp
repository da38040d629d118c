#include "live/log_time.h"

namespace orvel {

double LogTime::DayFraction() const {
  constexpr double kMillisecondsPerDay = 24.0 * 60 * 60 * 1000;
  const auto milliseconds =
      static_cast<double>(((Hours * 60 + Minutes) * 60 + Seconds) * 1000 + Milliseconds);
  return milliseconds / kMillisecondsPerDay;
}

LogTime TimeOfIndex(std::int64_t index) {
  return {index / kSamplesPerHour, (index % kSamplesPerHour) / kSamplesPerMinute,
          (index % kSamplesPerMinute) / kSamplesPerSecond, (index % kSamplesPerSecond) * 10};
}

std::int64_t IndexOfTime(const LogTime& time) {
  return time.Hours * kSamplesPerHour + time.Minutes * kSamplesPerMinute + time.Seconds * kSamplesPerSecond +
         time.Milliseconds / 10;
}

std::int64_t StepOfRange(std::int64_t range) {
  const std::int64_t step = range / kMaxDrawnPoints;
  return step > 0 ? step : 1;
}

std::string StepLabelOf(std::int64_t step) {
  if (step < 2) {
    return "0.01s";
  }
  const std::int64_t rest = step % kSamplesPerMinute;
  const std::int64_t seconds = rest / kSamplesPerSecond;
  const std::int64_t hundredths = rest % kSamplesPerSecond;
  return std::to_string(seconds) + (hundredths < 10 ? ".0" : ".") + std::to_string(hundredths) + "s";
}

}  // namespace orvel
