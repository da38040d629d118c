#include "ui/keys/focus_selection.h"

#include <QEvent>
#include <QWidget>

namespace orvel::ui {

void FocusSelection::Watch(QWidget* control, std::function<void()> rule) {
  if (control == nullptr) {
    return;
  }
  control->installEventFilter(this);
  Controls.push_back(Watched{control, std::move(rule)});
}

bool FocusSelection::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    for (const Watched& entry : Controls) {
      if (entry.Control == watched && entry.Rule) {
        entry.Rule();
        break;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace orvel::ui
