// The live-data stream as the reader thread sees it: any byte stream is read
// frame by frame with the thread's check and re-alignment, every frame that
// checks is decoded, and the run ends when the bytes do, or after 200 failed
// frames in a row, never later.

#include <algorithm>

#include "fuzz_input.h"
#include "live/live_frame.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte chooses the run's sensor model and its carried-over slots.
  const std::int32_t sensorType = data[0] % 5;
  AuxSlots slots{data[0], static_cast<std::uint8_t>(data[0] * 7), static_cast<std::uint8_t>(data[0] * 13), 0};
  std::span<const std::uint8_t> stream(data + 1, size - 1);
  const auto read = [&stream](std::span<std::uint8_t> buffer) {
    const std::size_t count = std::min(buffer.size(), stream.size());
    std::copy_n(stream.begin(), count, buffer.begin());
    stream = stream.subspan(count);
    return count;
  };
  FrameAligner aligner;
  std::size_t steps = 0;
  for (;;) {
    const FrameAligner::Step step = aligner.Next(read);
    ++steps;
    fuzz::Require(steps <= size / kFrameSize + 2, "every step consumes a frame's bytes");
    if (step == FrameAligner::Step::Ended) {
      break;
    }
    fuzz::Require(aligner.CheckFailures() <= FrameAligner::MaxCheckFailures, "failures end the run in time");
    if (step == FrameAligner::Step::Good) {
      fuzz::Require(FrameChecks(aligner.Frame()) && aligner.CheckFailures() == 0, "a good frame checks");
      const SampleValues sample = DecodeFrame(aligner.Frame(), slots, {sensorType, 0, 0});
      fuzz::Require(At(sample, Channel::RpmPeriod) >= 0 && At(sample, Channel::RpmPeriod) <= 65535,
                    "the period is two bytes");
    }
  }
  return 0;
}
