#include "live/log.h"

#include <algorithm>
#include <array>

#include "live/log_thread.h"
#include "live/log_time.h"

namespace orvel {

namespace {

// The value axis never starts above this, and a value below it pulls the axis
// down to 20 under that value.
constexpr std::int32_t kValueAxisLow = -30;
constexpr std::int32_t kValueAxisMargin = 20;
constexpr std::int32_t kValueAxisHigh = 300;

// SmoothO2 averages O2 over the 20 samples before an index and the 20 from it.
constexpr std::int64_t kSmoothBefore = 20;
constexpr std::int64_t kSmoothFrom = 20;  // the first index with a full window behind it
constexpr std::int64_t kSmoothAfter = 19;

}  // namespace

Log::Log(UserMessages& messages) : Messages(messages) {}

void Log::BeginRecording() {
  const std::scoped_lock lock(ChannelsLock);
  Channels.Clear();
  ++Generation;
  Summary.Invalidate();
  HasData.store(false);
  Running.store(true);
}

void Log::EndRecording() {
  const std::scoped_lock lock(ChannelsLock);
  Running.store(false);
}

bool Log::AppendSample(const SampleValues& sample) {
  const std::scoped_lock lock(ChannelsLock);
  if (!Running.load()) {
    return false;
  }
  Channels.Append(sample);
  return true;
}

std::size_t Log::SampleCount() const {
  const std::scoped_lock lock(ChannelsLock);
  return Channels.SampleCount();
}

std::optional<SampleValues> Log::NewestSample() const {
  const std::scoped_lock lock(ChannelsLock);
  if (Channels.SampleCount() == 0) {
    return std::nullopt;
  }
  return Channels.Last();
}

std::int32_t Log::O2Average(std::int32_t count) const {
  const std::scoped_lock lock(ChannelsLock);
  return O2AverageOf(Channels.Of(Channel::O2), count);
}

std::int32_t O2AverageOf(std::span<const std::int32_t> o2, std::int32_t count) {
  if (o2.empty()) {
    return 0;
  }
  // An averaging count below 1 (the slider's initial 0) would divide by zero:
  // it gives the last value, as a count of 1 does.
  if (count < 1 || o2.size() < static_cast<std::size_t>(count)) {
    return o2.back();
  }
  std::int64_t sum = 0;
  for (const std::int32_t value : o2.last(static_cast<std::size_t>(count))) {
    sum += value;
  }
  return static_cast<std::int32_t>(sum / count);
}

void Log::Clear() {
  const std::scoped_lock lock(ChannelsLock);
  Channels.Clear();
  ++Generation;
  Summary.Invalidate();
}

void Log::ComputeBounds() {
  ShowBounds(ReadChannels([](const LogChannels& channels) { return LogBoundsOf(channels); }));
}

void Log::ShowBounds(const LogBounds& bounds) {
  View.FirstIndex = 0;
  View.LastIndex = static_cast<std::int64_t>(SampleCount()) - 2;
  View.MaxMafInLog = bounds.MaxMafInLog;
  View.ValueAxisMin = bounds.ValueAxisMin;
  View.ValueAxisMax = kValueAxisHigh;
  AxisRanges = {ChartTimeOfIndex(View.FirstIndex), ChartTimeOfIndex(View.LastIndex),
                static_cast<double>(View.ValueAxisMin), static_cast<double>(View.ValueAxisMax)};
  Zooms.Clear();
  if (Chart != nullptr) {
    Chart->ShowAxes(AxisRanges);
  }
}

LogBounds LogBoundsOf(const LogChannels& channels) {
  LogBounds bounds;
  const auto maf = channels.Of(Channel::Maf);
  const auto mafCount = static_cast<std::int64_t>(maf.size());
  std::int32_t low = kValueAxisLow;
  // A correction channel takes part when it holds values for (nearly) the
  // whole log; IatCorr and EctCorr of a loaded log are empty.
  constexpr std::array kCorrections = {Channel::Corr, Channel::IatCorr, Channel::EctCorr, Channel::LogCorr};
  std::array<std::span<const std::int32_t>, kCorrections.size()> taking{};
  for (std::size_t c = 0; c < kCorrections.size(); ++c) {
    const auto values = channels.Of(kCorrections[c]);
    if (static_cast<std::int64_t>(values.size()) >= mafCount - 2) {
      taking[c] = values;
    }
  }
  for (std::int64_t i = 0; i < mafCount - 1; ++i) {
    const auto at = static_cast<std::size_t>(i);
    bounds.MaxMafInLog = std::max(bounds.MaxMafInLog, maf[at]);
    for (const auto values : taking) {
      if (at >= values.size()) {
        continue;
      }
      const std::int32_t value = values[at];
      if (value < kValueAxisLow && value < low) {
        low = value - kValueAxisMargin;
      }
    }
  }
  bounds.ValueAxisMin = low;
  return bounds;
}

void Log::SmoothO2(std::int64_t from, std::int64_t to) {
  if (from < kSmoothFrom) {
    return;
  }
  const std::scoped_lock lock(ChannelsLock);
  const auto o2 = Channels.Of(Channel::O2);
  const auto smooth = Channels.Of(Channel::O2Smooth);
  const auto end =
      std::min({to, static_cast<std::int64_t>(o2.size()), static_cast<std::int64_t>(smooth.size())});
  if (from >= end) {
    return;
  }
  Summary.Invalidate(LogSeries::O2Sm);
  const auto lastSample = static_cast<std::int64_t>(o2.size()) - 1;
  // A running sum over the window [i - 20, min(i + 19, last)].
  std::int64_t windowEnd = std::min(from + kSmoothAfter, lastSample);
  std::int64_t sum = 0;
  for (std::int64_t j = from - kSmoothBefore; j <= windowEnd; ++j) {
    sum += o2[static_cast<std::size_t>(j)];
  }
  for (std::int64_t i = from; i < end; ++i) {
    if (i > from) {
      sum -= o2[static_cast<std::size_t>(i - kSmoothBefore - 1)];
      if (i + kSmoothAfter <= lastSample) {
        windowEnd = i + kSmoothAfter;
        sum += o2[static_cast<std::size_t>(windowEnd)];
      }
    }
    const std::int64_t count = windowEnd - (i - kSmoothBefore) + 1;
    // sum / 40 truncates exactly as multiplying by 0.025 and truncating would.
    smooth[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(sum / count);
  }
}

void Log::SetStep(std::int64_t range) {
  View.Step = StepOfRange(range);
  View.StepLabel = StepLabelOf(View.Step);
}

void Log::SetVisibleWindow(std::int64_t first, std::int64_t last) {
  View.FirstIndex = first;
  View.LastIndex = last;
}

}  // namespace orvel
