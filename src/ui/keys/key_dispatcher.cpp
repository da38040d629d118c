#include "ui/keys/key_dispatcher.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "ui/keyboard_modifiers.h"
#include "ui/keys/key_table.h"

namespace orvel::ui {

KeyCode TranslateKey(const QKeyEvent& event) {
  const int key = event.key();
  const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return KeyCode::Enter;
    case Qt::Key_Escape:
      return KeyCode::Escape;
    case Qt::Key_Space:
      return KeyCode::Space;
    case Qt::Key_Left:
      return KeyCode::Left;
    case Qt::Key_Up:
      return KeyCode::Up;
    case Qt::Key_Right:
      return KeyCode::Right;
    case Qt::Key_Down:
      return KeyCode::Down;
    case Qt::Key_Delete:
      return KeyCode::Delete;
    default:
      break;
  }
  // The digits of the main keyboard row only.
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return keypad ? KeyCode::None : static_cast<KeyCode>(key);
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    return static_cast<KeyCode>(key);  // the upper-case letter's code
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
    return FunctionKey(key - Qt::Key_F1 + 1);
  }
  return KeyCode::None;
}

KeyDispatcher::KeyDispatcher(QWidget& window, KeyCommands& commands, const KeyboardModifiers& modifiers)
    : Window(window), Commands(commands), Modifiers(modifiers) {
  QCoreApplication::instance()->installEventFilter(this);
}

KeyDispatcher::~KeyDispatcher() {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->removeEventFilter(this);
  }
}

KeyStroke KeyDispatcher::StrokeOf(const QKeyEvent& event) const {
  // A modifier latched on screen counts as held.
  return KeyStroke{TranslateKey(event),
                   event.modifiers().testFlag(Qt::ShiftModifier) || Modifiers.ShiftLatched,
                   event.modifiers().testFlag(Qt::ControlModifier) || Modifiers.CtrlLatched};
}

bool KeyDispatcher::IsOwnWindow(const QObject* watched) const {
  const QWindow* handle = Window.windowHandle();
  return handle != nullptr && watched == handle;
}

bool KeyDispatcher::IsInOwnWindow(const QObject* watched) const {
  const auto* widget = qobject_cast<const QWidget*>(watched);
  return widget != nullptr && widget->window() == &Window;
}

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // Before a key press the focused control is asked whether it wants the
      // key instead of a shortcut. A key the table acts on is claimed here,
      // so that no shortcut can take it before the press reaches the window.
      if (!IsInOwnWindow(watched)) {
        return false;
      }
      auto& key = static_cast<QKeyEvent&>(*event);
      const KeyStroke stroke = StrokeOf(key);
      if (stroke.Key == KeyCode::None || Commands.Find(KeyEdge::Down, stroke) == nullptr) {
        return false;
      }
      key.accept();
      return true;
    }
    case QEvent::KeyPress: {
      if (!IsOwnWindow(watched)) {
        return false;
      }
      const KeyStroke stroke = StrokeOf(static_cast<const QKeyEvent&>(*event));
      return stroke.Key != KeyCode::None && Commands.KeyDown(stroke);
    }
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      // A held key repeats as presses; the release while it repeats is not
      // the key coming up.
      if (!IsOwnWindow(watched) || key.isAutoRepeat()) {
        return false;
      }
      const KeyStroke stroke = StrokeOf(key);
      if (stroke.Key != KeyCode::None) {
        Commands.KeyUp(stroke);
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace orvel::ui
