#include "sim/converter_signal.h"

#include <algorithm>
#include <cmath>

#include "core/crc8.h"

namespace orvel::sim {

namespace {

std::uint8_t ClampToByte(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

constexpr double kStoichiometric = 14.7;

}  // namespace

ConverterOutputs ComputeOutputs(const ConverterTable& table, const LiveCorrection& correction,
                                const EngineState& state) {
  ConverterOutputs outputs;
  int base = table[state.Maf];
  if (state.Maf >= correction.WindowBegin && state.Maf <= correction.WindowEnd) {
    base += correction.Value;
  }
  outputs.OutputBase = ClampToByte(base);
  outputs.IatCorr = static_cast<std::int8_t>(table[kIatCorrBegin + state.Iat / 4U]);
  outputs.EctCorr = static_cast<std::int8_t>(table[kEctCorrBegin + state.Ect / 4U]);
  outputs.Conv = ClampToByte(outputs.OutputBase + outputs.IatCorr + outputs.EctCorr);
  return outputs;
}

OxygenSensor::OxygenSensor(SensorKind kind, std::uint32_t seed) : Kind(kind), Random(seed) {}

double OxygenSensor::AirFuelRatio(int output, int ideal) {
  constexpr double kOffset = 8.0;
  const double ratio = kStoichiometric * (ideal + kOffset) / (output + kOffset);
  return std::clamp(ratio, 10.0, 20.0);
}

double OxygenSensor::CleanCount(SensorKind kind, double airFuelRatio) {
  constexpr double kCountsPerVolt = 255.0 / 5.0;
  if (kind == SensorKind::NarrowBand) {
    const double lambda = airFuelRatio / kStoichiometric;
    return (0.45 + 0.37 * std::tanh((1.0 - lambda) * 25.0)) * kCountsPerVolt;
  }
  return (airFuelRatio - 10.0) / 10.0 * 255.0;
}

std::uint8_t OxygenSensor::Count(int output, int ideal) {
  const double afr = AirFuelRatio(output, ideal);
  // Noise from the generator's raw output: the same with every standard library.
  const double noise = static_cast<double>(Random() % 201) / 100.0 - 1.0;  // -1 .. +1
  constexpr double kCountsPerVolt = 255.0 / 5.0;
  double count = 0;
  if (Kind == SensorKind::NarrowBand) {
    const double lambda = afr / kStoichiometric;
    const double volts = 0.45 + 0.37 * std::tanh((1.0 - lambda) * 25.0) + 0.015 * noise;
    count = volts * kCountsPerVolt;
  } else {
    count = (afr - 10.0) / 10.0 * 255.0 + noise;
  }
  return ClampToByte(static_cast<int>(std::lround(count)));
}

LiveFrame BuildFrame(const EngineState& state, const ConverterOutputs& outputs, std::uint8_t o2Count,
                     std::uint8_t auxSlot) {
  const std::uint8_t slot = auxSlot & 3U;
  const std::array<std::uint8_t, 4> slotValues{state.Iat, state.Ect,
                                               static_cast<std::uint8_t>(outputs.IatCorr),
                                               static_cast<std::uint8_t>(outputs.EctCorr)};
  LiveFrame frame{outputs.Conv,
                  slot,
                  outputs.OutputBase,
                  state.Maf,
                  state.Tps,
                  static_cast<std::uint8_t>(state.RpmPeriod >> 8U),
                  static_cast<std::uint8_t>(state.RpmPeriod & 0xFFU),
                  o2Count,
                  slotValues[slot],
                  0};
  frame[kFrameSize - 1] = FrameCrc8(std::span<const std::uint8_t>(frame.data(), kFrameSize - 1));
  return frame;
}

}  // namespace orvel::sim
