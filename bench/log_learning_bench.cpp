// Learning from a whole log of one and of ten hours (the argument): the
// learning pass and taking the converter's output over the visible window,
// which is the whole log.

#include <benchmark/benchmark.h>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "live/log.h"
#include "live/log_learning.h"
#include "table/table.h"
#include "table/table_views.h"

namespace {

constexpr std::int64_t kHourSamples = 360'000;

// MAF sweeps 0..255 every 30 s; the O2 alternates rich and lean.
orvel::SampleValues SweepSample(std::int64_t i) {
  orvel::SampleValues sample{};
  orvel::At(sample, orvel::Channel::Maf) = static_cast<std::int32_t>(i / 12 % 256);
  orvel::At(sample, orvel::Channel::Conv) = static_cast<std::int32_t>(i / 12 % 256);
  orvel::At(sample, orvel::Channel::O2Smooth) = i % 700 < 350 ? 120 : 170;
  return sample;
}

struct LearningRig {
  explicit LearningRig(std::int64_t hours) : MainTable(Bus, Messages, Keys) {
    TheLog.BeginRecording();
    for (std::int64_t i = 0; i < hours * kHourSamples; ++i) {
      TheLog.AppendSample(SweepSample(i));
    }
    TheLog.EndRecording();
    TheLog.ComputeBounds();
  }
  orvel::RecordedMessages Messages;
  orvel::TOrvelBroadcaster Bus;
  orvel::LatchedModifiers Keys;
  orvel::Table MainTable;
  orvel::Log TheLog{Messages};
};

void LearnFromWholeLog(benchmark::State& state) {
  LearningRig rig(state.range(0));
  int changed = 0;
  for (auto _ : state) {
    changed = orvel::LearnFromLog(rig.TheLog, rig.MainTable, 0, false);
  }
  state.counters["changed"] = changed;
}
BENCHMARK(LearnFromWholeLog)->ArgName("hours")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void LearnSelectedWholeLog(benchmark::State& state) {
  LearningRig rig(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvel::LearnSelected(rig.TheLog, rig.MainTable));
  }
}
BENCHMARK(LearnSelectedWholeLog)->ArgName("hours")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
