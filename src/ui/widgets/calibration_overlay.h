#pragma once

#include <QTimer>
#include <QWidget>
#include <chrono>

#include "link/contactless_sensor.h"

class QEventLoop;

namespace orvel::ui {

// The calibration count-down: a small borderless window that stays on top,
// centred on the main window, showing only a round picture with the seconds
// left in bold red. It runs modally: CountDown returns when it has closed.
class TCalibrationOverlayForm final : public QWidget, public CalibrationCountdown {
  Q_OBJECT

 public:
  static constexpr int kSize = 110;
  static constexpr int kPictureSize = 100;

  // `owner` is the window it is centred on; `tick` is the count-down's step
  // (one second; tests shorten it).
  explicit TCalibrationOverlayForm(QWidget* owner, std::chrono::milliseconds tick = std::chrono::seconds(1));
  ~TCalibrationOverlayForm() override;

  // Sets the counter, shows it, starts the timer and waits until the count
  // reaches 0.
  void CountDown(int seconds) override;

  [[nodiscard]] int Counter() const { return Remaining; }
  [[nodiscard]] bool TimerRunning() const { return Timer.isActive(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Hidden before its time (its owner went away): the wait ends with it.
  void hideEvent(QHideEvent* event) override;

 private:
  void Tick();

  QWidget* Owner;
  QTimer Timer;
  int Remaining = 0;
  QEventLoop* Waiting = nullptr;
};

}  // namespace orvel::ui
