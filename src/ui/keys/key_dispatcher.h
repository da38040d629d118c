#pragma once

// Shows the main window every key before the control that has the focus: an
// application-wide event filter that takes the key events of the window's
// own top-level window (where the system delivers them, before the window
// hands them to the focused control), translates them into KeyStrokes and
// runs the key table. A consumed key goes no further; any other key goes on
// to the focused control unchanged. Keys of other windows (dialogs, message
// boxes, drop-down lists) are left alone.

#include <QObject>

#include "ui/keys/key_codes.h"

class QKeyEvent;
class QWidget;

namespace orvel::ui {

class KeyCommands;
class KeyboardModifiers;

// The key of a toolkit key event as the key table names it; KeyCode::None for
// keys the table cannot name (modifiers alone, the keypad's digits, …).
KeyCode TranslateKey(const QKeyEvent& event);

class KeyDispatcher final : public QObject {
  Q_OBJECT

 public:
  // Installs itself on the application; removes itself when destroyed.
  KeyDispatcher(QWidget& window, KeyCommands& commands, const KeyboardModifiers& modifiers);
  ~KeyDispatcher() override;
  KeyDispatcher(const KeyDispatcher&) = delete;
  KeyDispatcher& operator=(const KeyDispatcher&) = delete;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  [[nodiscard]] KeyStroke StrokeOf(const QKeyEvent& event) const;
  [[nodiscard]] bool IsOwnWindow(const QObject* watched) const;
  [[nodiscard]] bool IsInOwnWindow(const QObject* watched) const;

  QWidget& Window;
  KeyCommands& Commands;
  const KeyboardModifiers& Modifiers;
};

}  // namespace orvel::ui
