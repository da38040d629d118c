// Autotuning convergence over the simulator's realism levels, both sensor
// kinds and a grid of B, T and Delta settings, in simulated time: the
// simulated converter's protocol engine is driven directly (frames every
// 10 ms, a dashboard tick every ten frames, "c", "g" and "t" going back to it
// as bytes), with the decision and the correction window model of a tuning
// session. No pty and no threads, so a 20-minute run takes a fraction of a
// second and every run is exactly repeatable: this is where the settings are
// compared. scripts/convergence then runs `orvel tune` on a pty with the
// settings found here.
//
// Usage: tune_convergence_bench [--minutes M] [--seeds N] [--level NAME]...
//                               [--setting B/T/DELTA]... [--all]
// Without --setting the whole grid is tried; --all prints every setting's line.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "autotune/correction_decision.h"
#include "autotune/correction_window.h"
#include "autotune/o2_sensor.h"
#include "core/orvel_broadcaster.h"
#include "live/convergence_tracker.h"
#include "sim/engine_model.h"
#include "sim/simulated_converter.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

constexpr int kSamplesPerTick = 10;
constexpr sim::SimTime kSampleTime = 10ms;

struct SensorCase {
  const char* Name;
  sim::SensorKind Kind;
  std::int32_t SensorType;  // list position: "0-1V Signal" or "0-5V Signal"
  std::int32_t O2Ref;       // stoichiometry in that sensor's counts
};

constexpr std::array<SensorCase, 2> kSensors{{
    {"narrow", sim::SensorKind::NarrowBand, 0, 26},
    {"wide", sim::SensorKind::WideBand, 2, 120},
}};

struct Setting {
  std::int32_t B = kMinAvgB;
  std::int32_t T = kMinAvgT;
  std::int32_t Delta = 10;
  bool operator<(const Setting& other) const {
    return std::tie(B, T, Delta) < std::tie(other.B, other.T, other.Delta);
  }
};

// The converter as the session reaches it over the link, in bytes.
class VirtualLink final : public CorrectionWindowHost, public CorrectionWindowLink {
 public:
  VirtualLink(sim::SimulatedConverter& converter, const Table& table) : Converter(converter), Main(table) {}
  [[nodiscard]] bool LiveDataRunning() const override { return true; }
  void SetLogCorrValue(std::int32_t /*value*/) override {}
  void SendToConverterRam() override {
    std::vector<std::uint8_t> bytes{'t'};
    for (std::size_t i = 0; i < sim::kTableSize; ++i) {
      bytes.push_back(static_cast<std::uint8_t>(Main.Tab1()[i] & 0xFF));
    }
    Converter.Receive(bytes, Now);
  }
  void TellCorrectionWindow(int correction, int /*beg*/, int /*end*/, int reason) override {
    const std::vector<std::uint8_t> bytes =
        reason == 1
            ? std::vector<std::uint8_t>{'c', static_cast<std::uint8_t>(std::min(std::abs(correction), 255)),
                                        static_cast<std::uint8_t>(correction < 0 ? 1 : 0)}
            : std::vector<std::uint8_t>{'g', 0x00, 0xFF};
    Converter.Receive(bytes, Now);
  }
  sim::SimTime Now{};

 private:
  sim::SimulatedConverter& Converter;
  const Table& Main;
};

struct RunResult {
  ConvergenceFigures Figures;
  int Visited = 0;
  // Steps of the correction on readings that say nothing about the table:
  // in the first 30 s (a cold sensor's) and within 1 s after an overrun.
  int StepsWhileCold = 0;
  int StepsAfterOverrun = 0;
};

bool OverrunIn(std::span<const std::int32_t> tps, std::span<const std::int32_t> periods) {
  constexpr double kOverrunRpm = 1500;
  for (std::size_t i = 0; i < tps.size(); ++i) {
    if (tps[i] <= sim::EngineModel::kClosedThrottle && 1'500'000.0 / std::max(periods[i], 1) >= kOverrunRpm) {
      return true;
    }
  }
  return false;
}

RunResult VirtualRun(sim::RealismLevel level, const SensorCase& sensor, const Setting& setting,
                     double minutes, std::uint32_t seed) {
  sim::SimulatorOptions options;
  options.Realism = level;
  options.Sensor = sensor.Kind;
  options.Seed = seed;
  sim::SimulatedConverter converter(options);

  TOrvelBroadcaster bus;
  RecordedMessages messages;
  LatchedModifiers keys;
  Table table(bus, messages, keys);
  table.MakeOneToOne();
  XrpmTable scale{0, 255};  // orvel tune's default scale
  CorrectionDecision decision(table, scale);
  VirtualLink link(converter, table);
  table.SetLink(&link);
  O2ReferenceModel reference;
  CorrectionWindowModel window(table, nullptr, decision.Settings(), link, reference);
  reference.ComboBoxO2Change(sensor.SensorType);
  reference.SetRefO2Value(sensor.O2Ref);
  window.SetPulsLimit(setting.Delta);
  window.SetAvgB(setting.B);
  window.SetAvgT(setting.T);
  window.SetAutocorrection(true);
  window.StartLiveData();

  ConvergenceSettings measure;
  const sim::ConverterTable ideal = sim::IdealConverterTable(sim::EngineModel(seed));
  for (std::size_t p = 0; p < measure.Ideal.size(); ++p) {
    measure.Ideal[p] = ideal[p];
  }
  measure.ClosedTps = sim::EngineModel::kClosedThrottle;
  ConvergenceTracker tracker(measure, table);

  RunResult result;
  std::vector<std::int32_t> maf, tps, period, o2;
  std::array<bool, 256> visited{};
  converter.Receive(std::vector<std::uint8_t>{'s', 'l'}, 0ms);
  const auto samples = static_cast<std::int64_t>(minutes * 60 * 100);
  std::vector<std::uint8_t> pending;
  for (std::int64_t i = 0; static_cast<std::int64_t>(maf.size()) < samples; ++i) {
    link.Now = kSampleTime * i;
    converter.Advance(link.Now);
    const auto out = converter.TakeOutput();
    pending.insert(pending.end(), out.begin(), out.end());
    while (pending.size() >= sim::kFrameSize) {
      const std::span<const std::uint8_t> frame(pending.data(), sim::kFrameSize);
      maf.push_back(frame[3]);
      tps.push_back(frame[4]);
      period.push_back(frame[5] * 256 + frame[6]);
      o2.push_back(ConvertO2(frame[7], sensor.SensorType));
      visited[frame[3]] = true;
      pending.erase(pending.begin(), pending.begin() + sim::kFrameSize);
      if (maf.size() % kSamplesPerTick == 0) {
        const std::size_t recent = std::min<std::size_t>(tps.size(), 101);
        if (const auto advice = decision.Step({maf, tps, period, o2, o2.size()})) {
          if (advice->CorrStep != 0 && advice->ApplyToTable == 0 && advice->ResetCorr == 0) {
            result.StepsWhileCold += maf.size() < 3000 ? 1 : 0;
            result.StepsAfterOverrun +=
                OverrunIn(std::span(tps).last(recent), std::span(period).last(recent)) ? 1 : 0;
          }
          window.OnCorrAdvice(*advice);
        }
        tracker.Observe(table, static_cast<double>(maf.size()) / 100.0, std::span(tps).last(recent),
                        std::span(period).last(recent));
      }
    }
  }
  result.Figures = tracker.Finish(table);
  result.Visited = static_cast<int>(std::count(visited.begin(), visited.end(), true));
  return result;
}

// The averages of several seeds.
struct Averaged {
  double Trained = 0;
  double SpanWidth = 0;
  double SpanErrorBefore = 0;
  double SpanError = 0;
  double TrainedErrorBefore = 0;
  double TrainedError = 0;
  double Corrections = 0;
  double WrongWay = 0;
  double Cold = 0;
  double Overrun = 0;
  double StepsCold = 0;
  double StepsOverrun = 0;
  [[nodiscard]] double Shrink() const {
    return SpanErrorBefore > 0 ? 1.0 - SpanError / SpanErrorBefore : 0.0;
  }
};

Averaged RunSeeds(sim::RealismLevel level, const SensorCase& sensor, const Setting& setting, double minutes,
                  int seeds) {
  Averaged a;
  for (int s = 1; s <= seeds; ++s) {
    const RunResult run = VirtualRun(level, sensor, setting, minutes, static_cast<std::uint32_t>(s));
    const ConvergenceFigures& f = run.Figures;
    a.StepsCold += run.StepsWhileCold;
    a.StepsOverrun += run.StepsAfterOverrun;
    a.Trained += f.Trained;
    a.SpanWidth += f.SpanBegin < 0 ? 0 : f.SpanEnd - f.SpanBegin + 1;
    a.SpanErrorBefore += f.SpanErrorBefore;
    a.SpanError += f.SpanError;
    a.TrainedErrorBefore += f.TrainedErrorBefore;
    a.TrainedError += f.TrainedError;
    a.Corrections += f.Corrections;
    a.WrongWay += f.WrongWay;
    a.Cold += f.AppliedWhileCold;
    a.Overrun += f.AppliedAfterOverrun;
  }
  for (double* value :
       {&a.Trained, &a.SpanWidth, &a.SpanErrorBefore, &a.SpanError, &a.TrainedErrorBefore, &a.TrainedError,
        &a.Corrections, &a.WrongWay, &a.Cold, &a.Overrun, &a.StepsCold, &a.StepsOverrun}) {
    *value /= seeds;
  }
  return a;
}

void PrintRow(std::string_view level, std::string_view sensor, const Setting& s, const Averaged& a,
              std::string_view note) {
  std::cout << std::left << std::setw(11) << level << std::setw(7) << sensor << std::right << " B "
            << std::setw(3) << s.B << " T " << std::setw(3) << s.T << " D " << std::setw(2) << s.Delta
            << std::fixed << std::setprecision(1) << "  trained " << std::setw(5) << a.Trained << "  span "
            << std::setw(5) << a.SpanWidth << std::setprecision(2) << "  span err " << std::setw(5)
            << a.SpanErrorBefore << " -> " << std::setw(5) << a.SpanError << " (" << std::setw(3)
            << std::setprecision(0) << a.Shrink() * 100 << " %)" << std::setprecision(2) << "  trained err "
            << std::setw(5) << a.TrainedErrorBefore << " -> " << std::setw(5) << a.TrainedError
            << std::setprecision(1) << "  corr " << std::setw(5) << a.Corrections << " wrong " << std::setw(4)
            << a.WrongWay << " first30s " << std::setw(4) << a.Cold << " overrun " << std::setw(4)
            << a.Overrun << "  steps first30s " << std::setw(5) << a.StepsCold << " overrun " << std::setw(5)
            << a.StepsOverrun << "  " << note << '\n';
}

// Ranks settings: the span must cover most of the widest span found for the
// case (a run that trains two neighbours has a tiny, easy span), then the
// largest shrink of the span error wins.
bool Better(const Averaged& candidate, const Averaged& best, double widest) {
  const bool candidateWide = candidate.SpanWidth >= 0.75 * widest;
  const bool bestWide = best.SpanWidth >= 0.75 * widest;
  if (candidateWide != bestWide) {
    return candidateWide;
  }
  return candidate.Shrink() > best.Shrink();
}

int Main(int argc, char** argv) {
  double minutes = 20;
  int seeds = 3;
  bool all = false;
  std::vector<sim::RealismLevel> levels;
  std::vector<Setting> chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--minutes" && i + 1 < argc) {
      minutes = std::atof(argv[++i]);
    } else if (argument == "--seeds" && i + 1 < argc) {
      seeds = std::max(1, std::atoi(argv[++i]));
    } else if (argument == "--level" && i + 1 < argc) {
      const auto level = sim::ParseRealismLevel(argv[++i]);
      if (!level) {
        std::cerr << "unknown level " << argv[i] << '\n';
        return 1;
      }
      levels.push_back(*level);
    } else if (argument == "--setting" && i + 1 < argc) {
      Setting only;
      if (std::sscanf(argv[++i], "%d/%d/%d", &only.B, &only.T, &only.Delta) != 3) {
        std::cerr << "--setting B/T/DELTA\n";
        return 1;
      }
      chosen.push_back(only);
    } else if (argument == "--all") {
      all = true;
    } else {
      std::cerr << "usage: tune_convergence_bench [--minutes M] [--seeds N] [--level NAME]... "
                   "[--setting B/T/DELTA]... [--all]\n";
      return 1;
    }
  }
  if (levels.empty()) {
    for (const auto name : sim::RealismLevelNames()) {
      levels.push_back(*sim::ParseRealismLevel(name));
    }
  }
  std::vector<Setting> grid = chosen;
  for (const std::int32_t b : {1, 10, 30, 60, 100}) {
    for (const std::int32_t t : {10, 30, 60, 100}) {
      for (const std::int32_t delta : {4, 6, 10, 16}) {
        if (chosen.empty()) {
          grid.push_back({b, t, delta});
        }
      }
    }
  }
  const Setting defaults{};
  if (std::find_if(grid.begin(), grid.end(),
                   [&](const Setting& s) { return !(s < defaults) && !(defaults < s); }) == grid.end()) {
    grid.push_back(defaults);
  }
  std::cout << "Autotuning from a 1:1 table for " << minutes << " simulated minutes, mean of " << seeds
            << " seeds; errors are mean absolute output counts against the ideal table\n";
  for (const sim::RealismLevel level : levels) {
    const std::string_view levelName = sim::RealismLevelName(level);
    // Per setting, the result of each sensor kind.
    std::map<Setting, std::array<Averaged, kSensors.size()>> results;
    std::array<double, kSensors.size()> widest{};
    for (const Setting& setting : grid) {
      for (std::size_t k = 0; k < kSensors.size(); ++k) {
        const Averaged a = RunSeeds(level, kSensors[k], setting, minutes, seeds);
        results[setting][k] = a;
        widest[k] = std::max(widest[k], a.SpanWidth);
        if (all) {
          PrintRow(levelName, kSensors[k].Name, setting, a, "");
        }
      }
    }
    for (std::size_t k = 0; k < kSensors.size(); ++k) {
      PrintRow(levelName, kSensors[k].Name, defaults, results[defaults][k], "default settings");
      Setting best = defaults;
      for (const auto& [setting, byKind] : results) {
        if (Better(byKind[k], results[best][k], widest[k])) {
          best = setting;
        }
      }
      PrintRow(levelName, kSensors[k].Name, best, results[best][k], "best for this sensor");
    }
    // One setting for both kinds: the best mean shrink among settings wide on both.
    Setting shared = defaults;
    double sharedShrink = -1e9;
    for (const auto& [setting, byKind] : results) {
      bool wide = true;
      double shrink = 0;
      for (std::size_t k = 0; k < kSensors.size(); ++k) {
        wide = wide && byKind[k].SpanWidth >= 0.75 * widest[k];
        shrink += byKind[k].Shrink() / kSensors.size();
      }
      if (wide && shrink > sharedShrink) {
        shared = setting;
        sharedShrink = shrink;
      }
    }
    for (std::size_t k = 0; k < kSensors.size(); ++k) {
      PrintRow(levelName, kSensors[k].Name, shared, results[shared][k], "best for both sensors");
    }
  }
  return 0;
}

}  // namespace
}  // namespace orvel

int main(int argc, char** argv) {
  return orvel::Main(argc, argv);
}
