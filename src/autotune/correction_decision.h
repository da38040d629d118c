#pragma once

// The autocorrection decision: every dashboard tick (100 ms) it looks at the
// newest live samples, moves the correction window to where the engine
// works, and says whether the correction should step, reset or be applied to
// the table. It shows nothing; its advice is a TMsgCorrAdvice that the caller
// broadcasts and the correction window model carries out.
//
// Threads: main thread only. The samples are read, never kept: the log's tick
// either calls Step under the channels' lock with spans over the channels
// themselves, or copies the newest SamplesNeeded() values of each channel and
// calls it without the lock. Step does not allocate and reads at most
// SamplesNeeded() values from the end of each span.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "autotune/xrpm_table.h"
#include "core/messages.h"
#include "table/table.h"

namespace orvel {

// The decision's states, shown as the dashboard's background colour and used
// as the key of the state's sound cue.
inline constexpr TColorRgb kIdleColor = Rgb(0xED, 0xF0, 0x6C);
inline constexpr TColorRgb kForcedIdleColor = Rgb(0xA6, 0xCA, 0xF0);
inline constexpr TColorRgb kTrainedWindowColor = Rgb(0x80, 0x80, 0x80);
inline constexpr TColorRgb kPulsationsColor = Rgb(0xFF, 0x00, 0x00);
inline constexpr TColorRgb kCorrectingColor = Rgb(0x00, 0x80, 0x00);
inline constexpr TColorRgb kTrainingColor = Rgb(0x00, 0xFF, 0x00);
inline constexpr TColorRgb kReadyColor = Rgb(0x80, 0x80, 0x80);

// No O2 average has been taken yet in this window.
inline constexpr std::int32_t kNoPrevO2 = 1024;
// No advice until the log holds this many O2 samples.
inline constexpr std::size_t kDecisionMinSamples = 121;
// The window follows the Maf range of this many newest samples.
inline constexpr std::size_t kWindowSamples = 21;

// What the decision is told by the dashboard's controls. The log model keeps
// these for the run; the correction window model writes them at the start of
// live data and whenever one of its controls changes.
struct DecisionSettings {
  std::int32_t PulsLimit = 10;  // widest window that is corrected
  std::int32_t ForcedIdleRpm = 1200;
  std::int32_t ForcedIdleTps = 2;  // percent
  std::int32_t AvgB = 0;           // O2 samples averaged while correcting
  std::int32_t AvgT = 0;           // ... and while training
  std::int32_t StepB = 2;          // ticks between decisions while correcting
  std::int32_t StepT = 4;          // ... and while training
  std::int32_t O2Ref = 0;          // the target, in the O2 channel's unit
  bool Autocorrection = false;
  bool ToyotaMode = false;  // the converter's characteristic falls
  std::int32_t SensorType = 0;

  // AvgB/AvgT and the tick periods that follow from them (a tenth of each).
  void SetAveraging(std::int32_t avgB, std::int32_t avgT) {
    AvgB = avgB;
    AvgT = avgT;
    StepB = avgB / 10;
    StepT = avgT / 10;
  }
};

// The newest live samples: each span ends with the newest value. They may be
// the whole channels or their last SamplesNeeded() values; O2Count is the
// number of O2 samples the log holds in all.
struct DecisionSamples {
  std::span<const std::int32_t> Maf;
  std::span<const std::int32_t> Tps;
  std::span<const std::int32_t> RpmPeriod;
  std::span<const std::int32_t> O2;
  std::size_t O2Count = 0;
};

// How one decision judged the O2 average against the target.
enum class O2Class { Hold, Above, Below, CrossedUpwards };

// Judges the average `a` against the target `r`, the previous average being
// `p` (kNoPrevO2 for none). The four rules are applied in order, a later
// match overriding an earlier one:
//   r < p and r < a              above
//   r < p and a < r              below (crossed downwards)
//   p < r and a < r              below
//   p != 0 and p <= r <= a       crossed upwards
// Three combinations match none of them: a == r after an average above the
// target; p == r with a below it; p == 0 (a sensor that read nothing) with a
// at or above the target. Those are judged by the current average alone: below
// the target steps as below, above it as above, and exactly at it the
// correction is held. So a previous 0 is never taken as evidence of a
// crossing, and a mixture that reaches the target exactly is left alone until
// the next average shows which side it settles on.
O2Class ClassifyO2(std::int32_t p, std::int32_t r, std::int32_t a);

class CorrectionDecision {
 public:
  // `mainTable` gives the trained points, `scale` the throttle percentage.
  CorrectionDecision(const Table& mainTable, XrpmTable& scale) : MainTable(mainTable), Scale(scale) {}

  [[nodiscard]] const DecisionSettings& Settings() const { return Current; }
  DecisionSettings& Settings() { return Current; }

  // The number of O2 samples averaged now: AvgT while training, else AvgB;
  // at least 1. The dashboard sample's O2 average uses the same count.
  [[nodiscard]] std::int32_t AveragingCount() const;
  // How many of the newest values of each channel Step reads.
  [[nodiscard]] std::size_t SamplesNeeded() const {
    return std::max<std::size_t>(kDecisionMinSamples, static_cast<std::size_t>(AveragingCount()));
  }

  // One tick: the advice to broadcast, or nothing while the log holds fewer
  // than 121 O2 samples.
  std::optional<TMsgCorrAdvice> Step(const DecisionSamples& samples);

  // The state kept between ticks.
  [[nodiscard]] std::uint32_t TickCount() const { return Ticks; }
  [[nodiscard]] std::uint32_t TickPeriod() const { return Period; }
  [[nodiscard]] std::int32_t TrainCount() const { return Crossings; }
  [[nodiscard]] std::int32_t PrevO2() const { return PreviousO2; }

 private:
  [[nodiscard]] bool WindowHoldsTrainedPoint(std::int32_t from, std::int32_t to) const;

  const Table& MainTable;
  XrpmTable& Scale;
  DecisionSettings Current;
  std::uint32_t Ticks = 0;     // TickCount
  std::uint32_t Period = 2;    // TickPeriod
  std::int32_t Crossings = 0;  // TrainCount
  std::int32_t PreviousO2 = kNoPrevO2;
};

}  // namespace orvel
