#include "ui/sound/qt_cue_player.h"

#include <QFileInfo>
#include <QUrl>

namespace orvel::ui {

QtCuePlayer::QtCuePlayer() = default;

bool QtCuePlayer::StillPlaying() const {
  return std::chrono::steady_clock::now() < SoundsUntil;
}

void QtCuePlayer::Play(const std::string& path) {
  // A missing or unreadable file stays silent; QSoundEffect is not asked.
  const auto duration = WavDuration(path);
  if (!duration) {
    return;
  }
  SoundsUntil = std::chrono::steady_clock::now() + *duration;
  Effect.setSource(QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath()));
  Effect.play();
}

}  // namespace orvel::ui
