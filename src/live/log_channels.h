#pragma once

// The fourteen channels of a log: parallel sequences of signed 32-bit values,
// one value per live sample in each, sample i lying at i x 0.01 s.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orvel {

// The channels in the order of a sample.
enum class Channel : std::size_t {
  Conv,
  Marker,
  OutputSum,
  Maf,
  Tps,
  RpmPeriod,
  O2,
  Corr,
  Iat,
  Ect,
  IatCorr,
  EctCorr,
  O2Smooth,
  LogCorr,
};

inline constexpr std::size_t kLogChannelCount = 14;

// The channels' names, in sample order, as the command-line tool prints them.
inline constexpr std::array<std::string_view, kLogChannelCount> kLogChannelNames = {
    "Conv", "Marker", "OutputSum", "Maf",     "Tps",     "RpmPeriod", "O2",
    "Corr", "Iat",    "Ect",       "IatCorr", "EctCorr", "O2Smooth",  "LogCorr"};

// `Marker` while the marker key is held.
inline constexpr std::int32_t kMarkerHeldValue = 128;

// The fourteen values of one sample, indexed by Channel.
using SampleValues = std::array<std::int32_t, kLogChannelCount>;

constexpr std::size_t ChannelIndex(Channel channel) {
  return static_cast<std::size_t>(channel);
}

// The value of `channel` in a sample.
constexpr std::int32_t& At(SampleValues& sample, Channel channel) {
  return sample[ChannelIndex(channel)];
}
constexpr std::int32_t At(const SampleValues& sample, Channel channel) {
  return sample[ChannelIndex(channel)];
}

// The storage of the fourteen channels. It does no locking: `Log` guards it.
// After a load `IatCorr` and `EctCorr` are empty (the file does not hold
// them); every other channel holds one value per sample.
class LogChannels {
 public:
  // Appends one value to every channel. Amortised constant time: each
  // channel grows by half its capacity when full, so an hour's log holds at
  // most 1.5 times the memory its values need.
  void Append(const SampleValues& sample);

  // Room for `samples` samples in every channel.
  void Reserve(std::size_t samples);

  void Clear();

  // The number of samples: the length of `Maf`.
  [[nodiscard]] std::size_t SampleCount() const { return Of(Channel::Maf).size(); }

  [[nodiscard]] std::span<const std::int32_t> Of(Channel channel) const {
    return Values[ChannelIndex(channel)];
  }
  [[nodiscard]] std::span<std::int32_t> Of(Channel channel) { return Values[ChannelIndex(channel)]; }

  // Direct access for the file reader, which fills the channels one by one.
  [[nodiscard]] std::vector<std::int32_t>& Sequence(Channel channel) { return Values[ChannelIndex(channel)]; }

  // The value of `channel` at `index`, 0 where the channel holds no value
  // (IatCorr and EctCorr of a loaded log).
  [[nodiscard]] std::int32_t ValueOr0(Channel channel, std::size_t index) const;

  // The last sample; 0 for channels that hold no value there. Needs at least
  // one sample.
  [[nodiscard]] SampleValues Last() const;

  // Bytes reserved by the channels' storage.
  [[nodiscard]] std::size_t CapacityBytes() const;

 private:
  std::array<std::vector<std::int32_t>, kLogChannelCount> Values;
};

}  // namespace orvel
