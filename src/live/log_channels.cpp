#include "live/log_channels.h"

#include <cstdint>

#include <sys/mman.h>

namespace orvel {

namespace {

// Asks the system to back the untouched room of a long channel with large
// pages: filling ten hours then costs a few hundred page faults instead of
// tens of thousands. Only whole large pages inside the room are advised; a
// short channel is left alone.
void AdviseLargePages(std::vector<std::int32_t>& values) {
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(values.data() + values.size());
  const auto end = reinterpret_cast<std::uintptr_t>(values.data() + values.capacity());
  const std::uintptr_t from = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t to = end & ~(kLargePage - 1);
  if (from < to) {
    // Only advice: without large pages the channel works the same.
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
  }
}

}  // namespace

void LogChannels::Append(const SampleValues& sample) {
  for (std::size_t i = 0; i < kLogChannelCount; ++i) {
    std::vector<std::int32_t>& values = Values[i];
    if (values.size() == values.capacity()) {
      // Growth by half (not the library's doubling) bounds the spare memory of
      // a long recording while keeping appends amortised constant time.
      values.reserve(values.capacity() + values.capacity() / 2 + 1024);
      AdviseLargePages(values);
    }
    values.push_back(sample[i]);
  }
}

void LogChannels::Reserve(std::size_t samples) {
  for (auto& values : Values) {
    values.reserve(samples);
    AdviseLargePages(values);
  }
}

void LogChannels::Clear() {
  // The storage is released too: a new recording or file must not keep an
  // earlier hour's worth of memory.
  for (auto& values : Values) {
    std::vector<std::int32_t>().swap(values);
  }
}

std::int32_t LogChannels::ValueOr0(Channel channel, std::size_t index) const {
  const auto values = Of(channel);
  return index < values.size() ? values[index] : 0;
}

SampleValues LogChannels::Last() const {
  SampleValues sample{};
  const std::size_t last = SampleCount() - 1;
  for (std::size_t i = 0; i < kLogChannelCount; ++i) {
    sample[i] = ValueOr0(static_cast<Channel>(i), last);
  }
  return sample;
}

std::size_t LogChannels::CapacityBytes() const {
  std::size_t bytes = 0;
  for (const auto& values : Values) {
    bytes += values.capacity() * sizeof(std::int32_t);
  }
  return bytes;
}

}  // namespace orvel
