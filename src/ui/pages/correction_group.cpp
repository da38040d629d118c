#include "ui/pages/correction_group.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/ui_texts.h"
#include "ui/pages/object_names.h"
#include "ui/qt_text.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

namespace {

constexpr int kLastPoint = 255;

QPushButton* ToggleButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setCheckable(true);
  return button;
}

// Value labels keep a fixed size, so a new value repaints the label alone
// instead of laying the group out again.
QLabel* ValueLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFixedSize(32, label->sizeHint().height());
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

}  // namespace

CorrPanel::CorrPanel(TextRegistry& texts, QWidget* parent)
    : QFrame(parent), Caption(new QLabel(QStringLiteral("0"), this)) {
  texts.AddFixed(Caption);
  auto* layout = new QVBoxLayout(this);
  Caption->setAlignment(Qt::AlignCenter);
  Caption->setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont big = Caption->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  Caption->setFont(big);
  Caption->setFixedSize(60, Caption->sizeHint().height());
  layout->addWidget(Caption, 0, Qt::AlignCenter);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Raised);
  setMinimumSize(70, 48);
  setCursor(Qt::SizeVerCursor);
}

void CorrPanel::ShowCorrection(int correction) {
  Caption->setText(QString::number(correction));
}

void CorrPanel::mousePressEvent(QMouseEvent* event) {
  if (Model != nullptr && event->button() == Qt::LeftButton) {
    Model->PressCorrPanel(event->position().toPoint().y());
  }
}

void CorrPanel::mouseMoveEvent(QMouseEvent* event) {
  if (Model != nullptr && (event->buttons() & Qt::LeftButton) != 0) {
    Model->DragCorrPanel(event->position().toPoint().y(), rect().contains(event->position().toPoint()));
  }
}

void CorrPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (Model != nullptr && event->button() == Qt::LeftButton) {
    Model->ReleaseCorrPanel(rect().contains(event->position().toPoint()));
  }
}

BorderSlider::BorderSlider(TextRegistry& texts, QWidget* parent)
    : QFrame(parent), Mark(new QLabel(QStringLiteral("|"), this)) {
  texts.AddFixed(Mark);
  setFrameShape(QFrame::StyledPanel);
  setMinimumHeight(22);
  setCursor(Qt::SizeHorCursor);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Mark->setAlignment(Qt::AlignCenter);
  Mark->setAttribute(Qt::WA_TransparentForMouseEvents);
  layout->addWidget(Mark);
}

void BorderSlider::mousePressEvent(QMouseEvent* event) {
  if (Model != nullptr) {
    const int x = event->position().toPoint().x();
    Model->PressBorderSlider(x, x > width() / 2);
  }
}

void BorderSlider::mouseMoveEvent(QMouseEvent* event) {
  if (Model != nullptr && (event->buttons() & Qt::LeftButton) != 0) {
    Model->DragBorderSlider(event->position().toPoint().x());
  }
}

void BorderSlider::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
  if (Model != nullptr) {
    Model->DoubleClickBorderSlider();
  }
}

CorrectionGroup::CorrectionGroup(TextRegistry& texts, QWidget* parent)
    : QGroupBox(QStringLiteral("Коррекция"), parent),
      LabelMafBeg(Named(new QLabel(QStringLiteral("MAF нач."), this), "LabelMafBeg")),
      TrackBarMafNach(Named(new QSlider(Qt::Horizontal, this), "TrackBarMafNach")),
      LabelMafNachValue(Named(ValueLabel(QStringLiteral("0"), this), "LabelMafNachValue")),
      LabelMafEnd(Named(new QLabel(QStringLiteral("MAF кон."), this), "LabelMafEnd")),
      TrackBarMafKon(Named(new QSlider(Qt::Horizontal, this), "TrackBarMafKon")),
      LabelMafKonValue(Named(ValueLabel(QStringLiteral("255"), this), "LabelMafKonValue")),
      LabelWidthCaption(Named(new QLabel(QStringLiteral("Ширина"), this), "LabelWidthCaption")),
      LabelWidth(Named(ValueLabel(QStringLiteral("255"), this), "LabelWidth")),
      TrackBar1(Named(new BorderSlider(texts, this), "TrackBar1")),
      LabelDelta(Named(new QLabel(QStringLiteral("Delta"), this), "LabelDelta")),
      UpDown1(Named(new QSpinBox(this), "UpDown1")),
      LabelDeltaMax(Named(new QLabel(QStringLiteral("max."), this), "LabelDeltaMax")),
      UpDownCorrection(Named(new QSpinBox(this), "UpDownCorrection")),
      PanelCorr(Named(new CorrPanel(texts, this), "PanelCorr")),
      SpeedButtonAplToTable(Named(ToggleButton(QStringLiteral("Таблица"), this), "SpeedButtonAplToTable")),
      SpeedButtonIat(Named(ToggleButton(QStringLiteral("IAT"), this), "SpeedButtonIat")),
      SpeedButtonEct(Named(ToggleButton(QStringLiteral(" ECT"), this), "SpeedButtonEct")),
      SpeedButtonAutocorr(
          Named(ToggleButton(QStringLiteral("A  Автокоррекция"), this), "SpeedButtonAutocorr")),
      SpeedButtonExtrapolate(
          Named(ToggleButton(QStringLiteral("F6 Экстраполяция"), this), "SpeedButtonExtrapolate")),
      RadioButtonOn(Named(new QRadioButton(QStringLiteral("On/ВКЛ."), this), "RadioButtonOn")),
      RadioButtonOff(Named(new QRadioButton(QStringLiteral("Off/Выкл."), this), "RadioButtonOff")),
      SpeedButtonSetBeginOfTableAsLearned(Named(new QPushButton(QStringLiteral("F7 Начало обучено"), this),
                                                "SpeedButtonSetBeginOfTableAsLearned")),
      SpeedButtonManualBorders(
          Named(ToggleButton(QStringLiteral("F8 Ручные границы"), this), "SpeedButtonManualBorders")),
      SpeedButtonToyota(Named(ToggleButton(QStringLiteral("F9 Toyota"), this), "SpeedButtonToyota")),
      MaskEditForcedIdleRpm(Named(new QLineEdit(QStringLiteral("1200"), this), "MaskEditForcedIdleRpm")),
      MaskEditForcedIdleTps(Named(new QLineEdit(QStringLiteral("2"), this), "MaskEditForcedIdleTps")),
      LabelF1(Named(new QLabel(QStringLiteral("F1"), this), "LabelF1")),
      LabelF3(Named(new QLabel(QStringLiteral("F3"), this), "LabelF3")),
      LabelF10(Named(new QLabel(QStringLiteral("F10"), this), "LabelF10")),
      LabelF11(Named(new QLabel(QStringLiteral("F11"), this), "LabelF11")),
      LabelF12(Named(new QLabel(QStringLiteral("F12"), this), "LabelF12")) {
  setObjectName(QStringLiteral("GroupBoxCorr"));
  // A pressed toggle button must read as pressed at a glance.
  setStyleSheet(
      QStringLiteral("QPushButton:checked { background-color: #5fb35f; color: white; font-weight: bold; }"));
  for (QSlider* bar : {TrackBarMafNach, TrackBarMafKon}) {
    bar->setRange(0, kLastPoint);
  }
  TrackBarMafKon->setValue(kLastPoint);
  UpDown1->setRange(0, kLastPoint);
  UpDown1->setValue(10);
  UpDownCorrection->setRange(-kCorrectionLimit, kCorrectionLimit);
  // Read-only field: only the arrows (and the keys) change it.
  UpDownCorrection->findChild<QLineEdit*>()->setReadOnly(true);
  RadioButtonOff->setChecked(true);
  MaskEditForcedIdleRpm->hide();
  MaskEditForcedIdleTps->hide();
  LabelF3->hide();
  // The fields whose focus the keyboard's selection rules follow.
  for (QWidget* watched :
       std::initializer_list<QWidget*>{TrackBarMafNach, TrackBarMafKon, UpDown1, UpDownCorrection}) {
    watched->installEventFilter(this);
  }

  auto* targets = new QButtonGroup(this);
  targets->setExclusive(true);
  for (QPushButton* target : {SpeedButtonAplToTable, SpeedButtonIat, SpeedButtonEct}) {
    targets->addButton(target);
  }
  SpeedButtonAplToTable->setChecked(true);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setVerticalSpacing(4);
  int row = 0;
  grid->addWidget(LabelMafBeg, row, 0);
  grid->addWidget(TrackBarMafNach, row, 1, 1, 2);
  grid->addWidget(LabelMafNachValue, row++, 3);
  grid->addWidget(LabelMafEnd, row, 0);
  grid->addWidget(TrackBarMafKon, row, 1, 1, 2);
  grid->addWidget(LabelMafKonValue, row++, 3);
  grid->addWidget(LabelWidthCaption, row, 0);
  grid->addWidget(TrackBar1, row, 1, 1, 2);
  grid->addWidget(LabelWidth, row++, 3);
  grid->addWidget(LabelDelta, row, 0);
  grid->addWidget(UpDown1, row, 1);
  grid->addWidget(LabelDeltaMax, row++, 2);
  grid->addWidget(UpDownCorrection, row, 0, 1, 2);
  grid->addWidget(PanelCorr, row++, 2, 2, 2);
  row++;
  auto* targetRow = new QHBoxLayout;
  targetRow->setSpacing(2);
  for (QPushButton* target : {SpeedButtonAplToTable, SpeedButtonIat, SpeedButtonEct}) {
    targetRow->addWidget(target, 1);
  }
  grid->addLayout(targetRow, row++, 0, 1, 4);
  grid->addWidget(SpeedButtonAutocorr, row++, 0, 1, 4);
  grid->addWidget(SpeedButtonExtrapolate, row++, 0, 1, 4);
  auto* radios = new QHBoxLayout;
  radios->addWidget(RadioButtonOn);
  radios->addWidget(RadioButtonOff);
  radios->addStretch(1);
  grid->addLayout(radios, row++, 0, 1, 4);
  grid->addWidget(SpeedButtonSetBeginOfTableAsLearned, row++, 0, 1, 4);
  grid->addWidget(SpeedButtonManualBorders, row++, 0, 1, 4);
  grid->addWidget(SpeedButtonToyota, row++, 0, 1, 4);
  grid->setRowStretch(row, 1);
  // The selection labels in a column of their own beside their controls.
  grid->addWidget(LabelF11, 0, 4);
  grid->addWidget(LabelF12, 1, 4);
  grid->addWidget(LabelF10, 3, 4);
  grid->addWidget(LabelF1, 4, 4);

  texts.Add(this, texts::GroupBoxCorr);
  texts.Add(LabelMafBeg, texts::LabelMafBeg);
  texts.Add(LabelMafEnd, texts::LabelMafEnd);
  texts.Add(LabelWidthCaption, texts::LabelWidthCaption);
  texts.Add(SpeedButtonAplToTable, texts::SpeedButtonAplToTable);
  texts.Add(SpeedButtonAutocorr, texts::SpeedButtonAutocorr);
  texts.Add(SpeedButtonExtrapolate, texts::SpeedButtonExtrapolate);
  texts.Add(SpeedButtonSetBeginOfTableAsLearned, texts::SpeedButtonSetBeginOfTableAsLearned);
  texts.Add(SpeedButtonManualBorders, texts::SpeedButtonManualBorders);
  for (QObject* fixed : std::initializer_list<QObject*>{
           LabelDelta, LabelDeltaMax, SpeedButtonIat, SpeedButtonEct, RadioButtonOn, RadioButtonOff,
           SpeedButtonToyota, LabelMafNachValue, LabelMafKonValue, LabelWidth, LabelF1, LabelF3, LabelF10,
           LabelF11, LabelF12}) {
    texts.AddFixed(fixed);
  }
}

void CorrectionGroup::Bind(CorrectionWindowModel& model) {
  Model = &model;
  PanelCorr->Bind(model);
  TrackBar1->Bind(model);
  connect(TrackBarMafNach, &QSlider::valueChanged, this, [this](int value) { Model->SetMafBeg(value); });
  connect(TrackBarMafKon, &QSlider::valueChanged, this, [this](int value) { Model->SetMafEnd(value); });
  connect(UpDown1, &QSpinBox::valueChanged, this, [this](int value) { Model->SetPulsLimit(value); });
  connect(UpDownCorrection, &QSpinBox::valueChanged, this,
          [this](int value) { Model->SetCorrection(value); });
  connect(SpeedButtonAplToTable, &QPushButton::clicked, this,
          [this] { Model->SelectTarget(CorrectionTarget::Table); });
  connect(SpeedButtonIat, &QPushButton::clicked, this,
          [this] { Model->SelectTarget(CorrectionTarget::Iat); });
  connect(SpeedButtonEct, &QPushButton::clicked, this,
          [this] { Model->SelectTarget(CorrectionTarget::Ect); });
  connect(SpeedButtonAutocorr, &QPushButton::clicked, this,
          [this](bool on) { Model->SetAutocorrection(on); });
  connect(SpeedButtonExtrapolate, &QPushButton::clicked, this,
          [this](bool on) { Model->SetExtrapolate(on); });
  connect(RadioButtonOn, &QRadioButton::clicked, this, [this] { Model->SetExtrapolate(true); });
  connect(RadioButtonOff, &QRadioButton::clicked, this, [this] { Model->SetExtrapolate(false); });
  connect(SpeedButtonSetBeginOfTableAsLearned, &QPushButton::clicked, this,
          [this] { Model->SetBeginOfTableAsLearned(); });
  connect(SpeedButtonManualBorders, &QPushButton::clicked, this,
          [this](bool on) { Model->SetManualBorders(on); });
  connect(SpeedButtonToyota, &QPushButton::clicked, this, [this](bool on) { Model->SetToyota(on); });
  const auto forcedIdle = [this] {
    Model->SetForcedIdle(MaskEditForcedIdleRpm->text().trimmed().toInt(),
                         MaskEditForcedIdleTps->text().trimmed().toInt());
  };
  connect(MaskEditForcedIdleRpm, &QLineEdit::editingFinished, this, forcedIdle);
  connect(MaskEditForcedIdleTps, &QLineEdit::editingFinished, this, forcedIdle);
}

bool CorrectionGroup::CorrectionFieldHasFocus() const {
  return UpDownCorrection->hasFocus();
}

bool CorrectionGroup::DeltaFieldHasFocus() const {
  return UpDown1->hasFocus();
}

bool CorrectionGroup::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == TrackBarMafNach || watched == TrackBarMafKon) {
      emit BorderSliderFocused();
    } else if (watched == UpDown1) {
      emit DeltaFocused();
    } else if (watched == UpDownCorrection) {
      emit CorrectionFieldFocused();
    }
  }
  return QGroupBox::eventFilter(watched, event);
}

void CorrectionGroup::Show(const CorrectionWindowModel& model) {
  const QSignalBlocker blockBeg(TrackBarMafNach);
  const QSignalBlocker blockEnd(TrackBarMafKon);
  const QSignalBlocker blockDelta(UpDown1);
  const QSignalBlocker blockCorrection(UpDownCorrection);
  TrackBarMafNach->setValue(model.MafBeg());
  TrackBarMafKon->setValue(model.MafEnd());
  LabelMafNachValue->setText(QString::number(model.MafBeg()));
  LabelMafKonValue->setText(QString::number(model.MafEnd()));
  LabelWidth->setText(ToQString(model.WidthText()));
  UpDown1->setValue(model.PulsLimit());
  UpDownCorrection->setValue(model.Correction());
  PanelCorr->ShowCorrection(model.Correction());
  SpeedButtonAplToTable->setChecked(model.Target() == CorrectionTarget::Table);
  SpeedButtonIat->setChecked(model.Target() == CorrectionTarget::Iat);
  SpeedButtonEct->setChecked(model.Target() == CorrectionTarget::Ect);
  SpeedButtonAutocorr->setChecked(model.Autocorrection());
  SpeedButtonAutocorr->setEnabled(model.AutocorrectionEnabled());
  SpeedButtonExtrapolate->setChecked(model.Extrapolate());
  (model.Extrapolate() ? RadioButtonOn : RadioButtonOff)->setChecked(true);
  SpeedButtonManualBorders->setChecked(model.ManualBorders());
  SpeedButtonToyota->setChecked(model.Toyota());
  // The hidden fields are rewritten only when their number changed (a field
  // being edited keeps its cursor).
  for (const auto& [field, value] : {std::pair{MaskEditForcedIdleRpm, model.ForcedIdleRpm()},
                                     std::pair{MaskEditForcedIdleTps, model.ForcedIdleTps()}}) {
    if (field->text().trimmed().toInt() != value) {
      field->setText(QString::number(value));
    }
  }
}

}  // namespace orvel::ui
