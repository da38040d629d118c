#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "autotune/correction_decision.h"
#include "autotune/correction_window.h"
#include "autotune/o2_sensor.h"
#include "core/orvel_broadcaster.h"
#include "sim/converter_signal.h"
#include "sim/engine_model.h"

namespace orvel {
namespace {

constexpr int kSamplesPerTick = 10;  // 100 ms of 10 ms samples
constexpr int kStartOffset = 8;      // the starting table is this much richer than the ideal

// The converter as the window model reaches it: the table sent to its working
// memory and the live correction of the "c" command ("g" always opens the
// window to 0..255).
struct SimulatedConverter final : CorrectionWindowHost, CorrectionWindowLink {
  explicit SimulatedConverter(Table& table) : MainTable(table) {}
  [[nodiscard]] bool LiveDataRunning() const override { return true; }
  void SetLogCorrValue(std::int32_t /*value*/) override {}
  void SendToConverterRam() override {
    for (std::size_t i = 0; i < sim::kTableSize; ++i) {
      Memory[i] = static_cast<std::uint8_t>(MainTable.Tab1()[i]);
    }
  }
  void TellCorrectionWindow(int correction, int /*beg*/, int /*end*/, int reason) override {
    if (reason == 1) {
      Live.Value = correction;
    }
  }
  Table& MainTable;
  sim::ConverterTable Memory{};
  sim::LiveCorrection Live;
};

struct Distance {
  int Points = 0;
  double Mean = 0;
};

// The mean absolute distance from the ideal over the given points.
Distance DistanceFromIdeal(const Table& table, const sim::EngineModel& engine,
                           const std::vector<int>& points) {
  Distance d;
  std::int64_t sum = 0;
  for (const int p : points) {
    sum += std::abs(table.GetOut(p) - engine.IdealOutput(static_cast<std::uint8_t>(p)));
    ++d.Points;
  }
  d.Mean = d.Points == 0 ? 0 : static_cast<double>(sum) / d.Points;
  return d;
}

struct SensorCase {
  const char* Name;
  sim::SensorKind Kind;
  std::int32_t SensorType;  // the list position the user chose for it
  std::int32_t O2Ref;       // stoichiometry in that sensor's counts
};

// Ten minutes of the simulator's engine driving the decision and the window
// model, sample by sample, as the live-data thread and the log's tick would.
// The table must come closer to the engine's ideal at the points it trained.
void TuneTenMinutes(const SensorCase& c) {
  TOrvelBroadcaster bus;
  RecordedMessages messages;
  LatchedModifiers keys;
  Table table(bus, messages, keys);
  sim::EngineModel engine(7);
  for (int i = 0; i < 256; ++i) {
    table.Tab1()[static_cast<std::size_t>(i)] =
        std::min(255, engine.IdealOutput(static_cast<std::uint8_t>(i)) + kStartOffset);
  }
  const TableBlock start = table.Tab1();

  XrpmTable scale{sim::EngineModel::kClosedThrottle, 255};
  CorrectionDecision decision(table, scale);
  SimulatedConverter converter(table);
  table.SetLink(&converter);
  O2ReferenceModel reference;
  CorrectionWindowModel window(table, nullptr, decision.Settings(), converter, reference);
  reference.ComboBoxO2Change(c.SensorType);
  reference.SetRefO2Value(c.O2Ref);
  window.StartLiveData();
  window.SetAutocorrection(true);

  sim::OxygenSensor sensor(c.Kind, 7);
  std::vector<std::int32_t> maf, tps, period, o2;
  std::array<bool, 256> visited{};
  constexpr int kSamples = 10 * 60 * 100;
  for (int i = 0; i < kSamples; ++i) {
    const sim::EngineState state = engine.StateAt(std::chrono::milliseconds(10L * i));
    const sim::ConverterOutputs out = sim::ComputeOutputs(converter.Memory, converter.Live, state);
    maf.push_back(state.Maf);
    tps.push_back(state.Tps);
    period.push_back(state.RpmPeriod);
    o2.push_back(ConvertO2(sensor.Count(out.Conv, engine.IdealOutput(state.Maf)), c.SensorType));
    visited[state.Maf] = true;
    if ((i + 1) % kSamplesPerTick == 0) {
      table.SetDashboardSample(state.Maf, out.Conv, state.Iat, state.Ect, out.IatCorr, out.EctCorr);
      if (const auto advice = decision.Step({maf, tps, period, o2, o2.size()})) {
        window.OnCorrAdvice(*advice);
      }
    }
  }

  std::vector<int> trained;
  for (int p = 0; p < 256; ++p) {
    if (visited[static_cast<std::size_t>(p)] && table.Trained()[static_cast<std::size_t>(p)] != 0) {
      trained.push_back(p);
    }
  }
  Table before(bus, messages, keys);
  before.Tab1() = start;
  const Distance was = DistanceFromIdeal(before, engine, trained);
  const Distance now = DistanceFromIdeal(table, engine, trained);
  std::cout << c.Name << ": trained " << now.Points << " of "
            << std::count(visited.begin(), visited.end(), true)
            << " visited points; mean distance from the ideal " << was.Mean << " -> " << now.Mean << '\n';
  EXPECT_GE(now.Points, 10) << c.Name;
  EXPECT_LT(now.Mean, was.Mean / 2) << c.Name;
}

TEST(SimulatedTuning, TenMinutesTrainPointsTowardTheIdeal) {
  // 0-5 V wide band: air-fuel ratio 10..20 over 0..255, 14.7 at count 120.
  const SensorCase cases[] = {{"0-1V Signal", sim::SensorKind::NarrowBand, 0, 26},
                              {"0-5V Signal", sim::SensorKind::WideBand, 2, 120}};
  for (const auto& c : cases) {
    TuneTenMinutes(c);
  }
}

}  // namespace
}  // namespace orvel
