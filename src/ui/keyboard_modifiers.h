#pragma once

#include <QGuiApplication>

#include "table/table_views.h"

namespace orvel::ui {

// Shift and Ctrl as the table operations see them: held on the keyboard or
// latched by the window's on-screen buttons.
class KeyboardModifiers final : public ModifierState {
 public:
  [[nodiscard]] bool ShiftHeld() const override {
    return ShiftLatched || QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
  }
  [[nodiscard]] bool CtrlHeld() const override {
    return CtrlLatched || QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  }

  bool ShiftLatched = false;
  bool CtrlLatched = false;
};

}  // namespace orvel::ui
