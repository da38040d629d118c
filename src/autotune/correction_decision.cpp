#include "autotune/correction_decision.h"

#include <algorithm>
#include <numeric>

#include "core/number_format.h"

namespace orvel {

namespace {

// The list position of the one sensor on which a larger value means a richer
// mixture.
constexpr std::int32_t kNarrowBandSensor = 0;
// Above this throttle opening every upward crossing applies at once.
constexpr std::int32_t kFullThrottlePercent = 95;
constexpr double kRpmPeriodFactor = 1'500'000.0;

std::int32_t EngineRpm(std::int32_t period) {
  return static_cast<std::int32_t>(
      RoundHalfEven(kRpmPeriodFactor / (period == 0 ? kRpmPeriodFactor : period)));
}

std::int32_t Newest(std::span<const std::int32_t> values) {
  return values.empty() ? 0 : values.back();
}

}  // namespace

O2Class ClassifyO2(std::int32_t p, std::int32_t r, std::int32_t a) {
  O2Class result = O2Class::Hold;
  bool matched = false;
  const auto rule = [&](bool condition, O2Class which) {
    if (condition) {
      result = which;
      matched = true;
    }
  };
  rule(r < p && r < a, O2Class::Above);
  rule(r < p && a < r, O2Class::Below);
  rule(p < r && a < r, O2Class::Below);
  rule(p != 0 && p <= r && r <= a, O2Class::CrossedUpwards);
  if (!matched) {
    result = a < r ? O2Class::Below : (a > r ? O2Class::Above : O2Class::Hold);
  }
  return result;
}

std::int32_t CorrectionDecision::AveragingCount() const {
  return std::max(1, Crossings > 0 ? Current.AvgT : Current.AvgB);
}

bool CorrectionDecision::WindowHoldsTrainedPoint(std::int32_t from, std::int32_t to) const {
  const auto& trained = MainTable.Trained();
  const std::int32_t last = static_cast<std::int32_t>(trained.size()) - 1;
  for (std::int32_t point = std::max(from, 0); point <= std::min(to, last); ++point) {
    if (trained[static_cast<std::size_t>(point)] != 0) {
      return true;
    }
  }
  return false;
}

std::optional<TMsgCorrAdvice> CorrectionDecision::Step(const DecisionSamples& samples) {
  const auto count = static_cast<std::size_t>(AveragingCount());
  if (samples.O2Count < kDecisionMinSamples || samples.Maf.empty()) {
    return std::nullopt;
  }

  TMsgCorrAdvice advice;
  const auto window = samples.Maf.last(std::min(kWindowSamples, samples.Maf.size()));
  const auto [lowest, highest] = std::minmax_element(window.begin(), window.end());
  advice.MafBeg = *lowest;
  advice.MafEnd = *highest;
  advice.StateColor = kIdleColor;

  if (!Current.Autocorrection || samples.O2Count < count || samples.O2.size() < count) {
    Crossings = 0;
    return advice;
  }

  const std::int32_t tpsPercent = Scale.TpsPercent(Newest(samples.Tps));
  if (EngineRpm(Newest(samples.RpmPeriod)) >= Current.ForcedIdleRpm && tpsPercent <= Current.ForcedIdleTps) {
    advice.ResetCorr = 1;
    advice.StateColor = kForcedIdleColor;
    Crossings = 0;
    return advice;
  }

  if (WindowHoldsTrainedPoint(advice.MafBeg, advice.MafEnd)) {
    advice.ResetCorr = 1;
    advice.StateColor = kTrainedWindowColor;
    Crossings = 0;
    return advice;
  }

  if (advice.MafEnd - advice.MafBeg > Current.PulsLimit) {
    PreviousO2 = kNoPrevO2;
    Crossings = 0;
    advice.ResetCorr = 1;
    advice.StateColor = kPulsationsColor;
    return advice;
  }

  // At full throttle there is no time to wait for a second crossing.
  const bool fullThrottle = tpsPercent > kFullThrottlePercent;
  const std::int32_t correctingPeriod = fullThrottle ? 1 : Current.StepB;
  const std::int32_t trainingPeriod = fullThrottle ? 1 : Current.StepT;
  const std::int32_t crossingsNeeded = fullThrottle ? 0 : 1;

  if (Crossings == 0) {
    advice.StateColor = kCorrectingColor;
    Period = static_cast<std::uint32_t>(correctingPeriod);
  } else {
    advice.StateColor = kTrainingColor;
    Period = static_cast<std::uint32_t>(trainingPeriod);
  }

  // A period of 0 (an averaging time under one second) decides at every tick.
  ++Ticks;
  if (Ticks < Period) {
    return advice;
  }
  Ticks = 0;

  const auto newest = samples.O2.last(count);
  const std::int64_t sum = std::accumulate(newest.begin(), newest.end(), std::int64_t{0});
  const auto average = static_cast<std::int32_t>(sum / static_cast<std::int64_t>(count));

  // d: the step that makes the mixture richer on a sensor whose value rises
  // with richness, against a rising characteristic.
  std::int32_t direction = Current.SensorType == kNarrowBandSensor ? 1 : -1;
  if (Current.ToyotaMode) {
    direction = -direction;
  }

  switch (ClassifyO2(PreviousO2, Current.O2Ref, average)) {
    case O2Class::Above:
      advice.CorrStep = -direction;
      break;
    case O2Class::Below:
      advice.CorrStep = direction;
      break;
    case O2Class::CrossedUpwards:
      if (Crossings >= crossingsNeeded) {
        advice.ApplyToTable = 1;
        advice.StateColor = kReadyColor;
        PreviousO2 = kNoPrevO2;
        Crossings = 0;
        return advice;
      }
      ++Crossings;
      advice.CorrStep = -direction;
      break;
    case O2Class::Hold:
      break;
  }
  PreviousO2 = average;
  return advice;
}

}  // namespace orvel
