#pragma once

#include <QProgressBar>
#include <QWidget>

#include "core/progress.h"

namespace orvel::ui {

// The small semi-transparent window that shows the progress of a table
// write. It is shown, not modal, while the transfer runs on the main thread,
// so it repaints itself at every step.
class TForm2 final : public QWidget, public ProgressView {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* owner);

  void SetTitle(std::string_view title) override;
  void SetRange(int minimum, int maximum) override;
  void SetPosition(int position) override;
  [[nodiscard]] int Position() const override { return Bar->value(); }
  void Show() override;
  void Hide() override;
  [[nodiscard]] bool Visible() const override { return isVisible(); }

 private:
  void Repaint();

  QWidget* Owner;
  QProgressBar* Bar;
};

}  // namespace orvel::ui
