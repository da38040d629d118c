#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

#include "autotune/correction_window.h"

namespace orvel::ui {

class TextRegistry;

// The "Corr" panel: shows the correction; dragging on it with the left button
// changes the correction (10 pixels a unit), releasing applies it.
class CorrPanel final : public QFrame {
 public:
  explicit CorrPanel(TextRegistry& texts, QWidget* parent = nullptr);
  void Bind(CorrectionWindowModel& model) { Model = &model; }
  void ShowCorrection(int correction);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QLabel* Caption;  // the correction
  CorrectionWindowModel* Model = nullptr;
};

// The border slider "|": dragging moves both window borders together (5
// pixels a point); a double click jumps to the next trained point on the
// side of the press.
class BorderSlider final : public QFrame {
 public:
  explicit BorderSlider(TextRegistry& texts, QWidget* parent = nullptr);
  void Bind(CorrectionWindowModel& model) { Model = &model; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QLabel* Mark;  // "|"
  CorrectionWindowModel* Model = nullptr;
};

// The correction group "Коррекция": the window's borders, Delta, the
// correction, the target buttons, the autocorrection and the F6..F9 buttons.
// Every control writes to the correction window model and shows its state;
// the group tells which of its fields took the input focus, for the
// keyboard's selection rules.
class CorrectionGroup final : public QGroupBox {
  Q_OBJECT

 public:
  CorrectionGroup(TextRegistry& texts, QWidget* parent = nullptr);

  void Bind(CorrectionWindowModel& model);
  // Shows the model's state; signals stay quiet while the widgets follow.
  void Show(const CorrectionWindowModel& model);

  // The correction field, or the "Delta" field, has the input focus.
  [[nodiscard]] bool CorrectionFieldHasFocus() const;
  [[nodiscard]] bool DeltaFieldHasFocus() const;

 signals:
  // The MAF beginning's or the MAF end's slider took the focus.
  void BorderSliderFocused();
  // The "Delta" field took the focus.
  void DeltaFocused();
  // The correction field took the focus.
  void CorrectionFieldFocused();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* LabelMafBeg;
  QSlider* TrackBarMafNach;
  QLabel* LabelMafNachValue;
  QLabel* LabelMafEnd;
  QSlider* TrackBarMafKon;
  QLabel* LabelMafKonValue;
  QLabel* LabelWidthCaption;
  QLabel* LabelWidth;
  BorderSlider* TrackBar1;
  QLabel* LabelDelta;
  QSpinBox* UpDown1;
  QLabel* LabelDeltaMax;
  QSpinBox* UpDownCorrection;
  CorrPanel* PanelCorr;
  QPushButton* SpeedButtonAplToTable;
  QPushButton* SpeedButtonIat;
  QPushButton* SpeedButtonEct;
  QPushButton* SpeedButtonAutocorr;
  QPushButton* SpeedButtonExtrapolate;
  QRadioButton* RadioButtonOn;
  QRadioButton* RadioButtonOff;
  QPushButton* SpeedButtonSetBeginOfTableAsLearned;
  QPushButton* SpeedButtonManualBorders;
  QPushButton* SpeedButtonToyota;
  QLineEdit* MaskEditForcedIdleRpm;
  QLineEdit* MaskEditForcedIdleTps;
  // The selection labels of the function keys that choose these controls
  // (F3 selects nothing: its label stays hidden).
  QLabel* LabelF1;
  QLabel* LabelF3;
  QLabel* LabelF10;
  QLabel* LabelF11;
  QLabel* LabelF12;

  CorrectionWindowModel* Model = nullptr;
};

}  // namespace orvel::ui
