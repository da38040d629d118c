#include "live/live_frame.h"

#include "autotune/o2_sensor.h"
#include "core/crc8.h"

namespace orvel {

namespace {

constexpr std::size_t kCheckedBytes = kFrameSize - 1;
constexpr std::uint8_t kSlotMask = 0x03;

// An auxiliary slot's byte as a signed correction (-128..127).
std::int32_t SignedByte(std::uint8_t value) {
  return static_cast<std::int8_t>(value);
}

}  // namespace

bool FrameChecks(std::span<const std::uint8_t, kFrameSize> frame) {
  return FrameCrc8(frame.first<kCheckedBytes>()) == frame[kCheckedBytes];
}

SampleValues DecodeFrame(std::span<const std::uint8_t, kFrameSize> frame, AuxSlots& slots,
                         const SampleContext& context) {
  slots[frame[1] & kSlotMask] = frame[8];
  const std::int32_t iatCorr = SignedByte(slots[2]);
  const std::int32_t ectCorr = SignedByte(slots[3]);
  SampleValues sample{};
  At(sample, Channel::Conv) = frame[0];
  At(sample, Channel::Marker) = context.Marker;
  At(sample, Channel::OutputSum) = frame[2] + iatCorr + ectCorr;
  At(sample, Channel::Maf) = frame[3];
  At(sample, Channel::Tps) = frame[4];
  At(sample, Channel::RpmPeriod) = frame[5] * 256 + frame[6];
  At(sample, Channel::O2) = ConvertO2(frame[7], context.SensorType);
  At(sample, Channel::Corr) = context.Corr;
  At(sample, Channel::Iat) = slots[0];
  At(sample, Channel::Ect) = slots[1];
  At(sample, Channel::IatCorr) = iatCorr;
  At(sample, Channel::EctCorr) = ectCorr;
  return sample;
}

}  // namespace orvel
