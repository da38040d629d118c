#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "sim/engine_model.h"
#include "sim/simulator_options.h"

namespace orvel::sim {

// The live correction set by "c" and the air-flow window set by "g". The
// correction is added to the table's output while the air-flow input lies in
// the window (both ends included); outside it the table's output goes out
// unchanged. After a reset the correction is 0 and the window spans 0..255.
struct LiveCorrection {
  int Value = 0;
  std::uint8_t WindowBegin = 0;
  std::uint8_t WindowEnd = 255;
};

// The converter's signal path for one set of inputs.
struct ConverterOutputs {
  std::uint8_t OutputBase = 0;  // Out[maf] plus the live correction, clamped to 0..255
  std::int8_t IatCorr = 0;      // IATCorr[iat / 4]
  std::int8_t EctCorr = 0;      // ECTCorr[ect / 4]
  std::uint8_t Conv = 0;        // the output handed to the engine computer, clamped to 0..255
};

ConverterOutputs ComputeOutputs(const ConverterTable& table, const LiveCorrection& correction,
                                const EngineState& state);

// The oxygen sensor on the simulated engine. The engine computer injects fuel
// for the air the converter's output claims; the engine really breathes the
// air its ideal output stands for. So an output above the ideal gives a rich
// mixture and one below it a lean mixture: the air-fuel ratio is
// 14.7 x (ideal + 8) / (output + 8) (the offset keeps tiny outputs finite),
// limited to 10..20.
class OxygenSensor {
 public:
  OxygenSensor(SensorKind kind, std::uint32_t seed);

  static double AirFuelRatio(int output, int ideal);
  // The count a sensor of `kind` shows for a mixture, without noise and not
  // rounded.
  static double CleanCount(SensorKind kind, double airFuelRatio);

  // The ADC count (0..255 for 0..5 V) the converter reads. Narrow band:
  // about 0.8 V rich and 0.1 V lean with a steep switch around
  // stoichiometry. Wide band: linear, ratio 10 at 0 V to 20 at 5 V (higher
  // count is leaner). A count or so of noise on both.
  std::uint8_t Count(int output, int ideal);

 private:
  SensorKind Kind;
  std::mt19937 Random;
};

inline constexpr std::size_t kFrameSize = 10;
using LiveFrame = std::array<std::uint8_t, kFrameSize>;

// One live frame: conv, aux slot selector, output-sum base, maf, tps, rpm
// period (big-endian), O2 count, the slot's value (0 IAT, 1 ECT, 2 IAT
// correction, 3 ECT correction), check byte over bytes 0..8.
LiveFrame BuildFrame(const EngineState& state, const ConverterOutputs& outputs, std::uint8_t o2Count,
                     std::uint8_t auxSlot);

}  // namespace orvel::sim
