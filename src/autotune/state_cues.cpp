#include "autotune/state_cues.h"

#include <array>
#include <cstdint>
#include <fstream>

#include "autotune/correction_decision.h"

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

std::uint32_t LittleEndian32(const std::array<char, 8>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

}  // namespace

std::optional<std::chrono::milliseconds> WavDuration(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::array<char, 12> riff{};
  if (!file.read(riff.data(), riff.size()) || std::string_view(riff.data(), 4) != "RIFF" ||
      std::string_view(riff.data() + 8, 4) != "WAVE") {
    return std::nullopt;
  }
  std::uint32_t byteRate = 0;
  // Walk the chunks: "fmt " carries the byte rate, "data" the sound.
  std::array<char, 8> header{};
  while (file.read(header.data(), header.size())) {
    const std::string_view id(header.data(), 4);
    const std::uint32_t size = LittleEndian32(header, 4);
    if (id == "fmt ") {
      std::array<char, 16> format{};
      if (size < format.size() || !file.read(format.data(), format.size())) {
        return std::nullopt;
      }
      std::array<char, 8> rate{};
      std::copy(format.begin() + 8, format.begin() + 16, rate.begin());
      byteRate = LittleEndian32(rate, 0);
      file.seekg(size - format.size() + (size & 1U), std::ios::cur);
    } else if (id == "data") {
      if (byteRate == 0) {
        return std::nullopt;
      }
      return std::chrono::milliseconds{std::uint64_t{size} * 1000U / byteRate};
    } else {
      file.seekg(size + (size & 1U), std::ios::cur);
    }
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
