#pragma once

// The converter's live-data frame: ten bytes, no start marker, the last one a
// CRC-8 of the other nine. Checking and decoding, free of I/O, so the reader
// thread, tests and benchmarks share one path.
//
// Byte 0 output, 1 auxiliary slot selector (bits 0-1), 2 base of the output
// sum, 3 MAF input, 4 raw throttle, 5-6 engine speed period (big-endian),
// 7 raw O2 count, 8 new value of the selected auxiliary slot, 9 check byte.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "live/log_channels.h"

namespace orvel {

inline constexpr std::size_t kFrameSize = 10;
using LiveFrame = std::array<std::uint8_t, kFrameSize>;

// The four auxiliary slots: 0 intake-air and 1 coolant temperature (unsigned),
// 2 and 3 their corrections (signed bytes). Zero when the program starts,
// then kept from run to run.
using AuxSlots = std::array<std::uint8_t, 4>;

// What the reader threads of successive runs share with the log model. It
// outlives every reader thread.
struct LiveStreamState {
  // Only the running reader thread touches the slots; the next run's thread is
  // started after the previous one was joined, which orders the hand-over.
  AuxSlots Slots{};
  std::atomic<std::uint64_t> GoodFrames{0};  // atomic: counted by the reader, read by the main thread
  std::atomic<std::uint64_t> BadFrames{0};   // atomic: counted by the reader, read by the main thread
};

// True when byte 9 is the CRC-8 of bytes 0..8.
bool FrameChecks(std::span<const std::uint8_t, kFrameSize> frame);

// What a sample takes from the log at the moment it is built.
struct SampleContext {
  std::int32_t SensorType = 0;  // O2 sensor model of the run
  std::int32_t Marker = 0;      // 128 while the marker key is held
  std::int32_t Corr = 0;        // the correction now set
};

// Updates the slot named by byte 1 with byte 8, then builds the sample of a
// checked frame: O2 converted by the run's sensor model, O2Smooth and LogCorr 0.
SampleValues DecodeFrame(std::span<const std::uint8_t, kFrameSize> frame, AuxSlots& slots,
                         const SampleContext& context);

// Finds the frames in the converter's byte stream. Each step reads ten bytes;
// a frame whose check byte does not match costs one more byte, so a stream of
// back-to-back frames is found again after at most nine failed frames. A short
// read, or a read after MaxCheckFailures failed frames in a row, ends the
// stream. The reader thread and the stream fuzzer share this one path.
class FrameAligner {
 public:
  static constexpr int MaxCheckFailures = 200;
  enum class Step { Good, Failed, Ended };

  // `read` fills as much of the span it is given as the stream holds and
  // returns the count, like TRXTX::Read.
  template <typename Read>
  Step Next(Read&& read) {
    if (read(std::span<std::uint8_t>(Bytes)) < kFrameSize || Failures >= MaxCheckFailures) {
      return Step::Ended;
    }
    if (FrameChecks(Bytes)) {
      Failures = 0;
      return Step::Good;
    }
    ++Failures;
    std::uint8_t dropped = 0;
    read(std::span<std::uint8_t>(&dropped, 1));
    return Step::Failed;
  }

  // The frame the last step read; checked when that step was Good.
  [[nodiscard]] const LiveFrame& Frame() const { return Bytes; }
  [[nodiscard]] int CheckFailures() const { return Failures; }

 private:
  LiveFrame Bytes{};
  int Failures = 0;
};

}  // namespace orvel
