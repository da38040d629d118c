#pragma once

// Focus rules of the keyboard selection: a control that receives the input
// focus runs its rule (select its parameter, give the focus to the main page
// control). One filter object watches every registered control.

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

namespace orvel::ui {

class FocusSelection final : public QObject {
  Q_OBJECT

 public:
  explicit FocusSelection(QObject* parent = nullptr) : QObject(parent) {}

  // `rule` runs every time `control` receives the focus.
  void Watch(QWidget* control, std::function<void()> rule);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Watched {
    QPointer<QWidget> Control;
    std::function<void()> Rule;
  };
  std::vector<Watched> Controls;
};

}  // namespace orvel::ui
