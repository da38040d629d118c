#include "ui/window/event_loop_pause.h"

#include <QEventLoop>
#include <QTimer>

namespace orvel::ui {

void PauseWithEventsTurning(std::chrono::milliseconds time) {
  if (time <= std::chrono::milliseconds::zero()) {
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(time, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void WaitWithEventsTurning(const std::function<bool()>& done) {
  while (!done()) {
    PauseWithEventsTurning(std::chrono::milliseconds{2});
  }
}

}  // namespace orvel::ui
