#pragma once

#include <QPointer>
#include <QWidget>
#include <iostream>
#include <ostream>

#include "core/user_messages.h"

namespace orvel::ui {

// Shows each user message in a modal box with one OK button over the given
// window, and returns when the user has closed it. Once unattended (the
// program quits on a signal: nobody is left to close a box) each message is
// written as a line to `unattended`, standard error unless a test chooses,
// and the caller goes on at once.
class MessageBoxMessages final : public UserMessages {
 public:
  explicit MessageBoxMessages(QWidget* parent = nullptr, std::ostream& unattended = std::cerr)
      : Parent(parent), UnattendedOutput(unattended) {}
  void SetParent(QWidget* parent) { Parent = parent; }
  void SetUnattended() { Unattended = true; }
  void ShowMessage(std::string_view text) override;

 private:
  QPointer<QWidget> Parent;
  std::ostream& UnattendedOutput;
  bool Unattended = false;
};

}  // namespace orvel::ui
