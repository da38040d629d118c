#pragma once

// A main table, a throttle scale and the decision over channels that tests
// fill sample by sample, as the live-data thread would.

#include <cstdint>
#include <optional>
#include <vector>

#include "autotune/correction_decision.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "table/table.h"

namespace orvel::test {

// A sample's engine state; the defaults are a steady cruise: 3000 rpm, 30 %
// throttle (the scale maps raw counts 0..100 to percent one to one).
struct EngineState {
  std::int32_t Maf = 100;
  std::int32_t TpsPercent = 30;
  std::int32_t Rpm = 3000;
  std::int32_t O2 = 26;
};

struct DecisionRig {
  DecisionRig() {
    Scale.TpsMin = 0;
    Scale.TpsMax = 100;
    DecisionSettings& s = Decision.Settings();
    s.Autocorrection = true;
    s.O2Ref = 26;
    s.SetAveraging(1, 10);
  }

  void Add(const EngineState& state, std::size_t count = 1) {
    for (std::size_t i = 0; i < count; ++i) {
      Maf.push_back(state.Maf);
      Tps.push_back(state.TpsPercent);
      RpmPeriod.push_back(state.Rpm == 0 ? 0 : 1'500'000 / state.Rpm);
      O2.push_back(state.O2);
    }
  }

  // Samples whose Maf runs through from..from+width-1 over and over, so any
  // 21 newest samples span that whole window.
  void AddCycling(std::int32_t from, std::int32_t width, std::int32_t o2, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      Add(EngineState{.Maf = from + static_cast<std::int32_t>(Maf.size() % static_cast<std::size_t>(width)),
                      .O2 = o2});
    }
  }

  std::optional<TMsgCorrAdvice> Tick() { return Decision.Step({Maf, Tps, RpmPeriod, O2, O2.size()}); }

  TOrvelBroadcaster Bus;
  RecordedMessages Messages;
  LatchedModifiers Keys;
  Table MainTable{Bus, Messages, Keys};
  XrpmTable Scale;
  CorrectionDecision Decision{MainTable, Scale};
  std::vector<std::int32_t> Maf, Tps, RpmPeriod, O2;
};

}  // namespace orvel::test
