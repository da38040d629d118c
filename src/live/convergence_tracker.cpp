#include "live/convergence_tracker.h"

#include <algorithm>
#include <cstdlib>

#include "live/log.h"

namespace orvel {

namespace {

constexpr double kSampleSeconds = 0.01;
constexpr double kRpmPeriodFactor = 1'500'000.0;

int Distance(std::int32_t out, std::int32_t ideal) {
  return std::abs(out - ideal);
}

}  // namespace

double MeanDistance(const PointValues& out, const PointValues& ideal, int first, int last) {
  if (first < 0 || last < first) {
    return 0;
  }
  std::int64_t sum = 0;
  for (int p = first; p <= last; ++p) {
    sum += Distance(out[static_cast<std::size_t>(p)], ideal[static_cast<std::size_t>(p)]);
  }
  return static_cast<double>(sum) / (last - first + 1);
}

ConvergenceTracker::ConvergenceTracker(const ConvergenceSettings& settings, const Table& start)
    : Settings(settings),
      Start(Outputs(start)),
      TrainedAtStart(start.Trained()),
      Previous(Start),
      PreviousTrained(TrainedAtStart) {}

PointValues ConvergenceTracker::Outputs(const Table& table) {
  PointValues out{};
  for (std::size_t p = 0; p < out.size(); ++p) {
    out[p] = table.GetOut(static_cast<int>(p));
  }
  return out;
}

bool ConvergenceTracker::Unchanged(const Table& table) const {
  return Outputs(table) == Previous && table.Trained() == PreviousTrained;
}

void ConvergenceTracker::Observe(const Table& table, const Log& log) {
  if (Unchanged(table)) {
    return;  // the usual tick: nothing applied, no need to read the log
  }
  const std::size_t wanted = static_cast<std::size_t>(Settings.AfterOverrunSeconds / kSampleSeconds) + 1;
  std::vector<std::int32_t> tps;
  std::vector<std::int32_t> periods;
  std::size_t samples = 0;
  log.ReadChannels([&](const LogChannels& channels) {
    samples = channels.SampleCount();
    const auto newest = [wanted](std::span<const std::int32_t> values) {
      const auto last = values.last(std::min(wanted, values.size()));
      return std::vector<std::int32_t>(last.begin(), last.end());
    };
    tps = newest(channels.Of(Channel::Tps));
    periods = newest(channels.Of(Channel::RpmPeriod));
  });
  Observe(table, static_cast<double>(samples) * kSampleSeconds, tps, periods);
}

void ConvergenceTracker::Observe(const Table& table, double elapsedSeconds, std::span<const std::int32_t> tps,
                                 std::span<const std::int32_t> rpmPeriod) {
  if (Unchanged(table)) {
    return;
  }
  const PointValues now = Outputs(table);
  bool overrun = false;
  for (std::size_t i = 0; i < std::min(tps.size(), rpmPeriod.size()); ++i) {
    const double rpm = kRpmPeriodFactor / std::max(rpmPeriod[i], 1);
    overrun = overrun || (tps[i] <= Settings.ClosedTps && rpm >= Settings.OverrunRpm);
  }
  const PointValues& trained = table.Trained();
  for (std::size_t p = 0; p < now.size(); ++p) {
    // A correction was applied to a point that is trained now and either
    // became trained or changed (a correction of 0 only marks it). An
    // untrained point that changed was only moved by the interpolation.
    const bool applied = trained[p] != 0 && (now[p] != Previous[p] || PreviousTrained[p] == 0);
    if (!applied) {
      continue;
    }
    ++Corrections;
    // The wrong way: away from the ideal, or off it when the point was there.
    const std::int32_t step = now[p] - Previous[p];
    const std::int32_t needed = Settings.Ideal[p] - Previous[p];
    WrongWay += step != 0 && ((step > 0) != (needed > 0) || needed == 0) ? 1 : 0;
    AppliedWhileCold += elapsedSeconds < Settings.ColdSeconds ? 1 : 0;
    AppliedAfterOverrun += overrun ? 1 : 0;
  }
  Previous = now;
  PreviousTrained = trained;
}

ConvergenceFigures ConvergenceTracker::Finish(const Table& table) const {
  const PointValues end = Outputs(table);
  ConvergenceFigures figures;
  std::int64_t before = 0;
  std::int64_t after = 0;
  for (std::size_t p = 0; p < end.size(); ++p) {
    if (table.Trained()[p] == 0 || TrainedAtStart[p] != 0) {
      continue;
    }
    ++figures.Trained;
    figures.SpanBegin = figures.SpanBegin < 0 ? static_cast<int>(p) : figures.SpanBegin;
    figures.SpanEnd = static_cast<int>(p);
    before += Distance(Start[p], Settings.Ideal[p]);
    after += Distance(end[p], Settings.Ideal[p]);
  }
  if (figures.Trained > 0) {
    figures.TrainedErrorBefore = static_cast<double>(before) / figures.Trained;
    figures.TrainedError = static_cast<double>(after) / figures.Trained;
  }
  figures.SpanErrorBefore = MeanDistance(Start, Settings.Ideal, figures.SpanBegin, figures.SpanEnd);
  figures.SpanError = MeanDistance(end, Settings.Ideal, figures.SpanBegin, figures.SpanEnd);
  figures.Corrections = Corrections;
  figures.WrongWay = WrongWay;
  figures.AppliedWhileCold = AppliedWhileCold;
  figures.AppliedAfterOverrun = AppliedAfterOverrun;
  return figures;
}

}  // namespace orvel
