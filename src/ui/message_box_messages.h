#pragma once

#include <QPointer>
#include <QWidget>

#include "core/user_messages.h"

namespace orvel::ui {

// Shows each user message in a modal box with one OK button over the given
// window, and returns when the user has closed it.
class MessageBoxMessages final : public UserMessages {
 public:
  explicit MessageBoxMessages(QWidget* parent = nullptr) : Parent(parent) {}
  void SetParent(QWidget* parent) { Parent = parent; }
  void ShowMessage(std::string_view text) override;

 private:
  QPointer<QWidget> Parent;
};

}  // namespace orvel::ui
