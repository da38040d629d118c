#pragma once

// Hours of live data for the log benchmarks: samples that move on every
// channel, 100 per second, recorded into a log as the reader would.

#include <cmath>
#include <cstdint>

#include "live/log.h"
#include "live/log_channels.h"

namespace orvel::bench {

inline constexpr std::int64_t kSamplesPerHour = 360'000;

inline void RecordHours(Log& log, std::int64_t hours) {
  log.BeginRecording();
  for (std::int64_t i = 0; i < hours * kSamplesPerHour; ++i) {
    const double t = static_cast<double>(i) / 100;
    SampleValues s{};
    const auto maf = static_cast<std::int32_t>(110 + 60 * std::sin(t / 37) + 25 * std::sin(t / 5.3));
    At(s, Channel::Maf) = maf;
    At(s, Channel::Conv) = maf - 8;
    At(s, Channel::Tps) = static_cast<std::int32_t>(40 + 30 * std::sin(t / 11));
    At(s, Channel::RpmPeriod) = static_cast<std::int32_t>(1'500'000 / (2500 + 1200 * std::sin(t / 23)));
    At(s, Channel::O2) = static_cast<std::int32_t>(147 + 12 * std::sin(t / 1.7));
    At(s, Channel::Iat) = 60;
    At(s, Channel::Ect) = 150;
    At(s, Channel::Corr) = static_cast<std::int32_t>((i / 3000) % 7 - 3);
    log.AppendSample(s);
  }
  log.EndRecording();
}

}  // namespace orvel::bench
