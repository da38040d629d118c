#pragma once

// The sound cues of the autocorrection's states: each state colour has a WAV
// file in the sound folder of the interface language. A cue never interrupts
// one that still sounds (it is dropped) and playing never waits.
//
// Threads: main thread only.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/messages.h"

namespace orvel {

// Plays a sound file without waiting. A missing file or sound device stays
// silent, with no message.
class CuePlayer {
 public:
  virtual ~CuePlayer() = default;
  // A cue started earlier is still sounding.
  [[nodiscard]] virtual bool StillPlaying() const = 0;
  virtual void Play(const std::string& path) = 0;

 protected:
  CuePlayer() = default;
  CuePlayer(const CuePlayer&) = default;
  CuePlayer& operator=(const CuePlayer&) = default;
};

// The file of a state colour ("corr.wav" for correcting, ...); nothing for
// the idle colour and any colour that is not a state.
std::optional<std::string_view> CueFileFor(TColorRgb stateColor);

// How long a WAV file sounds: its data bytes over its byte rate, read from the
// file's chunks. Nothing for a file that is missing or not a readable WAV.
std::optional<std::chrono::milliseconds> WavDuration(const std::filesystem::path& path);

class StateCues {
 public:
  // The folder starts as the English one, as the window's texts do.
  explicit StateCues(CuePlayer& player) : Player(player) {}

  // "Sound/Ru/" or "Sound/En/": the file name is appended as it is.
  void SetFolder(std::string folder) { Folder = std::move(folder); }
  [[nodiscard]] const std::string& FolderName() const { return Folder; }

  // The cue of a state colour, dropped while another still sounds.
  void Play(TColorRgb stateColor);

 private:
  CuePlayer& Player;
  std::string Folder = "Sound/En/";
};

}  // namespace orvel
