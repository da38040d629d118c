#include "autotune/state_cues.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "autotune/correction_decision.h"
#include "core/input_file.h"

namespace orvel {

std::optional<std::string_view> CueFileFor(TColorRgb stateColor) {
  switch (stateColor) {
    case kPulsationsColor:
      return "puls.wav";
    case kCorrectingColor:
      return "corr.wav";
    case kTrainingColor:
      return "training.wav";
    case kReadyColor:  // also the colour of a window holding a trained point
      return "ready.wav";
    case kForcedIdleColor:
      return "forcedidle.wav";
    default:
      return std::nullopt;
  }
}

namespace {

// A spoken cue is a second or two; a larger file is no cue.
constexpr std::uint64_t kCueFileLargest = std::uint64_t{16} << 20U;

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  }
  return value;
}

bool Named(std::span<const std::uint8_t> bytes, std::string_view name) {
  return bytes.size() >= name.size() && std::equal(name.begin(), name.end(), bytes.begin());
}

}  // namespace

std::optional<std::chrono::milliseconds> WavDuration(const std::filesystem::path& path) {
  // Read whole through the bounded reader: a FIFO or a device under a cue's
  // name is refused at once instead of holding the window.
  InputFile file(path, kCueFileLargest);
  std::vector<std::uint8_t> bytes;
  if (!file.Opened() || !file.ReadAll(bytes) || bytes.size() < 12 || !Named(bytes, "RIFF") ||
      !Named(std::span(bytes).subspan(8), "WAVE")) {
    return std::nullopt;
  }
  std::uint32_t byteRate = 0;
  // Walk the chunks: "fmt " carries the byte rate, "data" the sound.
  std::span<const std::uint8_t> rest = std::span(bytes).subspan(12);
  while (rest.size() >= 8) {
    const std::span<const std::uint8_t> id = rest.first(4);
    const std::uint32_t size = LittleEndian32(rest.subspan(4));
    rest = rest.subspan(8);
    if (Named(id, "fmt ")) {
      constexpr std::size_t kFormatBytes = 16;
      if (size < kFormatBytes || rest.size() < kFormatBytes) {
        return std::nullopt;
      }
      byteRate = LittleEndian32(rest.subspan(8));
    } else if (Named(id, "data")) {
      if (byteRate == 0) {
        return std::nullopt;
      }
      return std::chrono::milliseconds{std::uint64_t{size} * 1000U / byteRate};
    }
    const std::uint64_t skip = std::uint64_t{size} + (size & 1U);
    if (skip > rest.size()) {
      return std::nullopt;
    }
    rest = rest.subspan(static_cast<std::size_t>(skip));
  }
  return std::nullopt;
}

void StateCues::Play(TColorRgb stateColor) {
  const auto file = CueFileFor(stateColor);
  if (!file || Player.StillPlaying()) {
    return;
  }
  Player.Play(Folder + std::string(*file));
}

}  // namespace orvel
