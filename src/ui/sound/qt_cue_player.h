#pragma once

#include <QSoundEffect>
#include <chrono>

#include "autotune/state_cues.h"

namespace orvel::ui {

// Plays cue files with QSoundEffect. Whether a cue still sounds is tracked
// from the file's length, because QSoundEffect reports playing for ever when
// there is no audio device.
class QtCuePlayer final : public CuePlayer {
 public:
  QtCuePlayer();
  [[nodiscard]] bool StillPlaying() const override;
  void Play(const std::string& path) override;

 private:
  QSoundEffect Effect;
  std::chrono::steady_clock::time_point SoundsUntil{};
};

}  // namespace orvel::ui
