#include "ui/pages/log_page.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolBar>
#include <QVBoxLayout>

#include "autotune/o2_reference.h"
#include "core/ui_texts.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "live/table_history_moves.h"
#include "table/table.h"
#include "ui/charts/log_chart.h"
#include "ui/keyboard_modifiers.h"
#include "ui/pages/page_layout.h"
#include "ui/qt_text.h"
#include "ui/window/file_dialogs.h"
#include "ui/window/modifier_latches.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

namespace {

const QString kLogFilter = QStringLiteral("Log Files|*.log");
const QString kLogSuffix = QStringLiteral("log");
constexpr int kSliderMax = 255;
constexpr int kSliderHeight = 330;

QLabel* CentredLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QSlider* VerticalSlider(const char* name, QWidget* parent) {
  auto* slider = new QSlider(Qt::Vertical, parent);
  slider->setObjectName(QLatin1String(name));
  // Position 0 at the top: the value (max + min - position) grows upward.
  slider->setInvertedAppearance(true);
  slider->setInvertedControls(true);
  slider->setRange(0, kSliderMax);
  slider->setValue(kSliderMax);
  slider->setMinimumHeight(kSliderHeight);
  slider->setFocusPolicy(Qt::NoFocus);
  return slider;
}

QPushButton* ChartButton(const QString& caption, const char* name, QWidget* parent, bool latch) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setCheckable(latch);
  button->setFocusPolicy(Qt::NoFocus);
  button->setMinimumWidth(44);
  return button;
}

}  // namespace

LogPage::LogPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent)
    : QWidget(parent),
      LogFileOpen(new QAction(QStringLiteral("Открыть"), this)),
      LogFileSave(new QAction(QStringLiteral("Сохранить"), this)),
      Bar(new QToolBar(this)),
      SpeedButtonLogUndo(ChartButton(QStringLiteral("\u21B6"), "SpeedButtonLogUndo", this, false)),
      SpeedButtonLogRedo(ChartButton(QStringLiteral("\u21B7"), "SpeedButtonLogRedo", this, false)),
      SpeedButtonLogZoom(ChartButton(QStringLiteral("+/-"), "SpeedButtonLogZoom", this, false)),
      SpeedButtonLogShift(ChartButton(QStringLiteral("+Shift"), "SpeedButtonLogShift", this, true)),
      SpeedButtonLogAlt(ChartButton(QStringLiteral("+Alt"), "SpeedButtonLogAlt", this, true)),
      TrackBarLogO2Target(VerticalSlider("TrackBarLogO2Target", this)),
      LabelLogO2TargetCaption(CentredLabel(QStringLiteral("Цель O2"), "LabelLogO2TargetCaption", this)),
      LabelRefO2Log(CentredLabel(QStringLiteral("0.99"), "LabelRefO2Log", this)),
      LabelLogMixtuePercent(CentredLabel(QStringLiteral("+10%"), "LabelLogMixtuePercent", this)),
      LabelLogO2FromDashCaption(CentredLabel(QStringLiteral("O2 реф."), "LabelLogO2FromDashCaption", this)),
      LabelLogO2RefFromDash(CentredLabel(QStringLiteral("0.99"), "LabelLogO2RefFromDash", this)),
      LabelRefO2FromDashInPercent(CentredLabel(QStringLiteral("+10%"), "LabelRefO2FromDashInPercent", this)),
      LabelLogF1(CentredLabel(QStringLiteral("F1"), "LabelLogF1", this)),
      LogLimitTrackBar(VerticalSlider("LogLimitTrackBar", this)),
      LabelLogMafLimitCaption(CentredLabel(QStringLiteral("Порог MAF"), "LabelLogMafLimitCaption", this)),
      Label30(CentredLabel(QStringLiteral("255"), "Label30", this)),
      LockLogLimitSpeedButton(ChartButton(QStringLiteral("Фикс."), "LockLogLimitSpeedButton", this, true)),
      LabelLogKeyL(CentredLabel(QStringLiteral("L"), "LabelLogKeyL", this)),
      LabelLogF2(CentredLabel(QStringLiteral("F2"), "LabelLogF2", this)),
      SpeedButtonLogMagicLearn(
          ChartButton(QStringLiteral("Обучить"), "SpeedButtonLogMagicLearn", this, false)),
      LabelLogKeyEnter(CentredLabel(QStringLiteral("Enter"), "LabelLogKeyEnter", this)),
      SpeedButtonLogTakeOutput(
          ChartButton(QStringLiteral("Взять выход"), "SpeedButtonLogTakeOutput", this, false)),
      LabelLogKeyT(CentredLabel(QStringLiteral("T"), "LabelLogKeyT", this)),
      Texts(texts),
      Latches(latches) {
  setObjectName(QStringLiteral("LogTabSheet"));
  LogFileOpen->setObjectName(QStringLiteral("LogFileOpen"));
  LogFileSave->setObjectName(QStringLiteral("LogFileSave"));
  Bar->addAction(LogFileOpen);
  Bar->addAction(LogFileSave);
  texts.Add(LogFileOpen, texts::LogBarOpen);
  texts.Add(LogFileSave, texts::LogBarSave);
  texts.Add(SpeedButtonLogMagicLearn, texts::SpeedButtonLogMagicLearn);
  texts.Add(SpeedButtonLogTakeOutput, texts::SpeedButtonLogTakeOutput);
  texts.Add(LockLogLimitSpeedButton, texts::LockLogLimitSpeedButton);
  texts.Add(LabelLogO2TargetCaption, texts::LabelLogO2Target);
  texts.Add(LabelLogO2FromDashCaption, texts::LabelLogO2FromDash);
  texts.Add(LabelLogMafLimitCaption, texts::LabelLogMafLimit);
  for (QObject* fixed : std::initializer_list<QObject*>{
           SpeedButtonLogUndo, SpeedButtonLogRedo, SpeedButtonLogZoom, SpeedButtonLogShift, SpeedButtonLogAlt,
           LabelRefO2Log, LabelLogMixtuePercent, LabelLogO2RefFromDash, LabelRefO2FromDashInPercent,
           LabelLogF1, Label30, LabelLogKeyL, LabelLogF2, LabelLogKeyEnter, LabelLogKeyT}) {
    texts.AddFixed(fixed);
  }
  SpeedButtonLogAlt->hide();
  LockLogLimitSpeedButton->setChecked(true);
  LogLimitTrackBar->setEnabled(false);
  const QString hintOpen = QStringLiteral("Open|Opens an existing file");
  const QString hintSave = QStringLiteral("Save As|Saves the active file with a new name");
  LogFileOpen->setToolTip(hintOpen.section(QLatin1Char('|'), 0, 0));
  LogFileOpen->setStatusTip(hintOpen.section(QLatin1Char('|'), 1));
  LogFileSave->setToolTip(hintSave.section(QLatin1Char('|'), 0, 0));
  LogFileSave->setStatusTip(hintSave.section(QLatin1Char('|'), 1));
}

QWidget* LogPage::BuildControls() {
  auto* controls = new QWidget(this);
  controls->setObjectName(QStringLiteral("LogControls"));
  auto* grid = new QGridLayout(controls);
  grid->setContentsMargins(4, 0, 4, 0);
  grid->setVerticalSpacing(3);
  // Column 0: the O2 target slider with its labels and the reference's;
  // column 1: the MAF limit slider with its lock.
  int row = 0;
  grid->addWidget(LabelLogF1, row, 0);
  grid->addWidget(LabelLogF2, row++, 1);
  grid->addWidget(LabelLogO2TargetCaption, row, 0);
  grid->addWidget(LabelLogMafLimitCaption, row++, 1);
  grid->addWidget(LabelRefO2Log, row, 0);
  grid->addWidget(Label30, row++, 1);
  grid->addWidget(LabelLogMixtuePercent, row++, 0);
  grid->addWidget(TrackBarLogO2Target, row, 0, Qt::AlignHCenter);
  grid->addWidget(LogLimitTrackBar, row++, 1, Qt::AlignHCenter);
  grid->addWidget(LabelLogO2FromDashCaption, row, 0);
  grid->addWidget(LockLogLimitSpeedButton, row++, 1);
  grid->addWidget(LabelLogO2RefFromDash, row, 0);
  grid->addWidget(LabelLogKeyL, row++, 1);
  grid->addWidget(LabelRefO2FromDashInPercent, row++, 0);
  grid->addWidget(SpeedButtonLogMagicLearn, row++, 0, 1, 2);
  grid->addWidget(LabelLogKeyEnter, row++, 0, 1, 2);
  grid->addWidget(SpeedButtonLogTakeOutput, row++, 0, 1, 2);
  grid->addWidget(LabelLogKeyT, row++, 0, 1, 2);
  grid->setRowStretch(row, 1);
  return controls;
}

void LogPage::Bind(const LogPageModels& models) {
  BoundModels = std::make_unique<LogPageModels>(models);
  Chart = new LogChart(models.LogModel, models.MainTable, this);
  Texts.AddAxisTitle(Chart->yAxis, texts::LogValueAxis);
  Texts.AddAxisTitle(Chart->xAxis, texts::LogTimeAxis);

  auto* chartButtons = new QHBoxLayout;
  chartButtons->setSpacing(2);
  for (QPushButton* button :
       {SpeedButtonLogUndo, SpeedButtonLogRedo, SpeedButtonLogZoom, SpeedButtonLogShift, SpeedButtonLogAlt}) {
    chartButtons->addWidget(button);
  }
  chartButtons->addStretch(1);
  auto* chartColumn = new QVBoxLayout;
  chartColumn->setSpacing(2);
  chartColumn->addLayout(chartButtons);
  chartColumn->addWidget(Chart, 1);
  auto* body = new QHBoxLayout;
  body->setSpacing(4);
  body->addLayout(chartColumn, 1);
  body->addWidget(BuildControls());
  LayOutPageWithBar(this, Bar)->addLayout(body, 1);
  WireControls();
  ShowLearningControls();
}

void LogPage::WireControls() {
  LogPageModels& m = *BoundModels;
  connect(LogFileOpen, &QAction::triggered, this, [this] { OpenLog(); });
  connect(LogFileSave, &QAction::triggered, this, [this] { SaveLog(); });
  connect(SpeedButtonLogMagicLearn, &QPushButton::clicked, this, [this] { LearnFromLog(); });
  connect(SpeedButtonLogTakeOutput, &QPushButton::clicked, this, [this] { TakeConverterOutput(); });
  connect(SpeedButtonLogZoom, &QPushButton::clicked, this,
          [this] { SpeedButtonLogZoom->setText(Chart->ToggleMoveMode()); });
  connect(SpeedButtonLogUndo, &QPushButton::clicked, this, [&m] { UndoMainTable(m.MainTable, m.LogModel); });
  connect(SpeedButtonLogRedo, &QPushButton::clicked, this, [&m] { RedoMainTable(m.MainTable, m.LogModel); });
  connect(SpeedButtonLogShift, &QPushButton::toggled, this, [&m](bool down) { m.Keys.ShiftLatched = down; });
  connect(SpeedButtonLogAlt, &QPushButton::toggled, this, [this](bool down) { Chart->SetAltLatched(down); });
  Latches.Add([this] { SpeedButtonLogShift->setChecked(false); });
  Latches.Add([this] { SpeedButtonLogAlt->setChecked(false); });

  connect(LockLogLimitSpeedButton, &QPushButton::clicked, this,
          [this, &m](bool down) { m.Learning.SetMafLimitLocked(down); });
  connect(LogLimitTrackBar, &QSlider::valueChanged, this,
          [&m](int position) { m.Learning.SetMafLimitPosition(position); });
  connect(TrackBarLogO2Target, &QSlider::valueChanged, this,
          [&m](int position) { m.Reference.SetLogO2TargetPosition(position); });
  ModelFollow = m.Learning.Changed.Subscribe([this] { ShowLearningControls(); });
}

void LogPage::ShowLearningControls() {
  if (!BoundModels) {
    return;
  }
  const LogLearningControls& learning = BoundModels->Learning;
  const orvel::VerticalSlider& target = BoundModels->Reference.LogO2Target();
  {
    const QSignalBlocker blockTarget(TrackBarLogO2Target);
    TrackBarLogO2Target->setRange(target.Min, target.Max);
    TrackBarLogO2Target->setValue(target.Position);
  }
  {
    const QSignalBlocker blockLimit(LogLimitTrackBar);
    LogLimitTrackBar->setValue(learning.MafLimitPosition());
  }
  LogLimitTrackBar->setEnabled(!learning.MafLimitLocked());
  LockLogLimitSpeedButton->setChecked(learning.MafLimitLocked());
  Label30->setText(ToQString(learning.MafLimitText()));
  LabelRefO2Log->setText(ToQString(learning.O2TargetText()));
  LabelLogMixtuePercent->setText(ToQString(learning.O2TargetMixtureText()));
  LabelLogO2RefFromDash->setText(ToQString(learning.O2FromDashText()));
  LabelRefO2FromDashInPercent->setText(ToQString(learning.O2FromDashMixtureText()));
}

void LogPage::LearnFromLog() {
  if (BoundModels) {
    BoundModels->Learning.LearnFromLogPass(BoundModels->SendToConverterRam);
  }
}

void LogPage::TakeConverterOutput() {
  if (BoundModels) {
    BoundModels->Learning.TakeConverterOutput(BoundModels->SendToConverterRam);
  }
}

void LogPage::SetRecording(bool recording) {
  LogFileOpen->setEnabled(!recording);
  SpeedButtonLogMagicLearn->setEnabled(!recording);
  SpeedButtonLogTakeOutput->setEnabled(!recording);
}

void LogPage::OpenLog() {
  if (!BoundModels) {
    return;
  }
  if (const auto path = BoundModels->Dialogs.Open({kLogFilter, QString(), QString()})) {
    BoundModels->OpenLogFile(*path);
  }
}

void LogPage::SaveLog() {
  if (!BoundModels) {
    return;
  }
  if (const auto path = BoundModels->Dialogs.Save({kLogFilter, kLogSuffix, ProposedSaveName()})) {
    BoundModels->SaveLogFile(*path);
  }
}

void LogPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (BoundModels) {
    BoundModels->LogModel.RedrawIfData();
  }
}

}  // namespace orvel::ui
