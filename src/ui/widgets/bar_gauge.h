#pragma once

#include <QColor>
#include <QWidget>

namespace orvel::ui {

// A bar gauge: a filled bar whose length shows a value between a minimum and
// a maximum, in a foreground colour on a background colour.
class BarGauge final : public QWidget {
  Q_OBJECT

 public:
  BarGauge(int minimum, int maximum, Qt::Orientation orientation, QWidget* parent = nullptr);

  void SetValue(int value);
  void SetForeColor(const QColor& color);
  void SetBackColor(const QColor& color);
  [[nodiscard]] int Value() const { return Position; }
  [[nodiscard]] int Minimum() const { return Min; }
  [[nodiscard]] int Maximum() const { return Max; }
  [[nodiscard]] const QColor& ForeColor() const { return Fore; }

  [[nodiscard]] QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int Min;
  int Max;
  int Position;
  Qt::Orientation Direction;
  QColor Fore{Qt::darkBlue};
  QColor Back{Qt::white};
};

}  // namespace orvel::ui
