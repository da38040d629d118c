#include "ui/pages/dashboard_page.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolBar>
#include <QVBoxLayout>

#include "autotune/o2_reference.h"
#include "autotune/o2_sensor.h"
#include "core/ui_texts.h"
#include "live/live_dashboard.h"
#include "live/table_history_moves.h"
#include "table/table.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/dashboard_chart.h"
#include "ui/pages/correction_group.h"
#include "ui/pages/object_names.h"
#include "ui/pages/page_layout.h"
#include "ui/qt_text.h"
#include "ui/widgets/bar_gauge.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

namespace {

constexpr int kRpmGaugeMax = 7000;
constexpr int kPercentMax = 100;
constexpr int kMarkerMax = 128;
constexpr int kO2GaugeMax = 255;

// The sensor list as FillO2SensorList fills it.
class ComboSensorList final : public O2SensorListView {
 public:
  explicit ComboSensorList(QComboBox& box) : Box(box) {}
  void Clear() override { Box.clear(); }
  void Add(std::string_view name) override { Box.addItem(ToQString(name)); }

 private:
  QComboBox& Box;
};

QSlider* VerticalBar(const char* name, int minimum, int maximum, int value, QWidget* parent) {
  auto* bar = Named(new QSlider(Qt::Vertical, parent), name);
  bar->setRange(minimum, maximum);
  bar->setValue(value);
  bar->setMinimumHeight(160);
  return bar;
}

// A label that changes with every sample gets a fixed size: a new text then
// repaints the label alone instead of laying the page out again.
void Pin(QLabel* label, int width) {
  label->setFixedSize(width, label->sizeHint().height());
}

QLabel* FixedLabel(const char* name, const QString& text, TextRegistry& texts, QWidget* parent) {
  auto* label = Named(new QLabel(text, parent), name);
  texts.AddFixed(label);
  return label;
}

}  // namespace

DashboardPage::DashboardPage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      ActionSaveALL(Named(new QAction(QStringLiteral("Сохранить все"), this), "ActionSaveALL")),
      ActionWriteConverter(
          Named(new QAction(QStringLiteral("Записать в конвертер"), this), "ActionWriteConverter")),
      ActionReadCoverter(
          Named(new QAction(QStringLiteral("Считать из конвертера"), this), "ActionReadCoverter")),
      ActionStart(Named(new QAction(QStringLiteral("Старт"), this), "ActionStart")),
      ActionStop(Named(new QAction(QStringLiteral("Стоп"), this), "ActionStop")),
      Bar(Named(new QToolBar(this), "DashboardBar")) {
  setObjectName(QStringLiteral("DashboardTabSheet"));
  for (QAction* action : {ActionSaveALL, ActionWriteConverter, ActionReadCoverter, ActionStart, ActionStop}) {
    Bar->addAction(action);
  }
  texts.Add(ActionSaveALL, texts::DashboardBarSaveAll);
  texts.Add(ActionWriteConverter, texts::DashboardBarWrite);
  texts.Add(ActionReadCoverter, texts::DashboardBarRead);
  texts.Add(ActionStart, texts::DashboardBarStart);
  texts.Add(ActionStop, texts::DashboardBarStop);
  connect(ActionSaveALL, &QAction::triggered, this, &DashboardPage::SaveAllClicked);
  connect(ActionWriteConverter, &QAction::triggered, this, &DashboardPage::WriteClicked);
  connect(ActionReadCoverter, &QAction::triggered, this, &DashboardPage::ReadClicked);
  connect(ActionStart, &QAction::triggered, this, &DashboardPage::StartClicked);
  connect(ActionStop, &QAction::triggered, this, &DashboardPage::StopClicked);

  auto* body = new QHBoxLayout;
  body->setSpacing(6);
  body->addWidget(BuildLiveColumn(texts));
  body->addWidget(BuildChartColumn(texts), 1);
  GroupBoxCorr = new CorrectionGroup(texts, this);
  GroupBoxCorr->setFixedWidth(310);
  connect(GroupBoxCorr, &CorrectionGroup::BorderSliderFocused, this, &DashboardPage::BorderSliderFocused);
  connect(GroupBoxCorr, &CorrectionGroup::DeltaFocused, this, &DashboardPage::DeltaFocused);
  connect(GroupBoxCorr, &CorrectionGroup::CorrectionFieldFocused, this,
          &DashboardPage::CorrectionFieldFocused);
  body->addWidget(GroupBoxCorr);
  LayOutPageWithBar(this, Bar)->addLayout(body, 1);
}

DashboardPage::~DashboardPage() = default;

QWidget* DashboardPage::BuildLiveColumn(TextRegistry& texts) {
  auto* column = new QWidget(this);
  column->setFixedWidth(270);
  GaugeRpm = Named(new BarGauge(0, kRpmGaugeMax, Qt::Horizontal, column), "GaugeRpm");
  GaugeRpm->SetForeColor(QColor(0xA8, 0xD3, 0xFF));
  GaugeRpm->SetBackColor(Qt::black);
  LabelRpmDash = FixedLabel("LabelRpmDash", QStringLiteral("3500RPM"), texts, column);
  GaugeTps = Named(new BarGauge(0, kPercentMax, Qt::Horizontal, column), "GaugeTps");
  GaugeTps->SetForeColor(QColor(0x80, 0x00, 0xFF));
  GaugeTps->SetBackColor(Qt::black);
  LabelTpsDash = FixedLabel("LabelTpsDash", QStringLiteral("100"), texts, column);
  LabelMarker = FixedLabel("LabelMarker", QStringLiteral("Marker"), texts, column);
  GaugeMarker = Named(new BarGauge(0, kMarkerMax, Qt::Horizontal, column), "GaugeMarker");
  LabelO2 = FixedLabel("LabelO2", QStringLiteral("O2"), texts, column);
  GaugeO2 = Named(new BarGauge(0, kO2GaugeMax, Qt::Horizontal, column), "GaugeO2");
  GaugeO2->SetBackColor(Qt::black);
  LabelO2Val = FixedLabel("LabelO2Val", QStringLiteral("0.00V"), texts, column);
  LabelDashO2Percent = FixedLabel("LabelDashO2Percent", QStringLiteral("0.00V"), texts, column);
  for (QLabel* big : {LabelRpmDash, LabelO2Val, LabelDashO2Percent}) {
    QFont font = big->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    big->setFont(font);
  }
  for (QLabel* live : {LabelRpmDash, LabelTpsDash, LabelO2Val, LabelDashO2Percent}) {
    Pin(live, 120);
  }
  LabelSensorO2 = Named(new QLabel(QStringLiteral("Датчик O2"), column), "LabelSensorO2");
  texts.Add(LabelSensorO2, texts::LabelSensorO2);
  ComboBoxO2 = Named(new QComboBox(column), "ComboBoxO2");

  LabelO2Ref = FixedLabel("LabelO2Ref", QStringLiteral("O2ref"), texts, column);
  TrackBarRefO2 = VerticalBar("TrackBarRefO2", 0, 50, 50 + 0 - 24, column);
  LabelRefO2 = FixedLabel("LabelRefO2", QStringLiteral("0.51V"), texts, column);
  LabelRefO2Percent = FixedLabel("LabelRefO2Percent", QStringLiteral(" "), texts, column);
  LabelB = FixedLabel("LabelB", QStringLiteral("1"), texts, column);
  TrackBarB = VerticalBar("TrackBarB", kMinAvgB, kMaxAveraging, kMinAvgB, column);
  LabelBTime = FixedLabel("LabelBTime", QStringLiteral("0.1s"), texts, column);
  LabelT = FixedLabel("LabelT", QStringLiteral("2"), texts, column);
  TrackBarT = VerticalBar("TrackBarT", kMinAvgT, kMaxAveraging, kMinAvgT, column);
  LabelTTime = FixedLabel("LabelTTime", QStringLiteral("0.1s"), texts, column);
  // A slider that takes the focus selects its parameter, as its function key would.
  for (QSlider* bar : {TrackBarRefO2, TrackBarB, TrackBarT}) {
    bar->installEventFilter(this);
  }
  for (QLabel* live : {LabelRefO2, LabelRefO2Percent, LabelBTime, LabelTTime}) {
    Pin(live, 60);
    live->setAlignment(Qt::AlignCenter);
  }
  LabelF2 = FixedLabel("LabelF2", QStringLiteral("F2"), texts, column);
  LabelF4 = FixedLabel("LabelF4", QStringLiteral("F4"), texts, column);
  LabelF5 = FixedLabel("LabelF5", QStringLiteral("F5"), texts, column);

  auto* grid = new QGridLayout(column);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(3);
  int row = 0;
  auto gaugeRow = [&](QWidget* caption, BarGauge* gauge) {
    if (caption != nullptr) {
      grid->addWidget(caption, row, 0);
    }
    gauge->setFixedHeight(18);
    grid->addWidget(gauge, row++, caption != nullptr ? 1 : 0, 1, caption != nullptr ? 2 : 3);
  };
  gaugeRow(nullptr, GaugeRpm);
  grid->addWidget(LabelRpmDash, row++, 0, 1, 3);
  gaugeRow(nullptr, GaugeTps);
  grid->addWidget(LabelTpsDash, row++, 0, 1, 3);
  gaugeRow(LabelMarker, GaugeMarker);
  gaugeRow(LabelO2, GaugeO2);
  grid->addWidget(LabelO2Val, row, 0, 1, 2);
  grid->addWidget(LabelDashO2Percent, row++, 2);
  grid->addWidget(LabelSensorO2, row++, 0, 1, 3);
  grid->addWidget(ComboBoxO2, row++, 0, 1, 3);

  auto* sliders = new QGridLayout;
  sliders->setHorizontalSpacing(8);
  const auto sliderColumn = [sliders](int at, QLabel* key, QLabel* caption, QSlider* bar, QLabel* value,
                                      QLabel* second) {
    sliders->addWidget(key, 0, at, Qt::AlignHCenter);
    sliders->addWidget(caption, 1, at, Qt::AlignHCenter);
    sliders->addWidget(bar, 2, at, Qt::AlignHCenter);
    sliders->addWidget(value, 3, at, Qt::AlignHCenter);
    if (second != nullptr) {
      sliders->addWidget(second, 4, at, Qt::AlignHCenter);
    }
  };
  sliderColumn(0, LabelF2, LabelO2Ref, TrackBarRefO2, LabelRefO2, LabelRefO2Percent);
  sliderColumn(1, LabelF4, LabelB, TrackBarB, LabelBTime, nullptr);
  sliderColumn(2, LabelF5, LabelT, TrackBarT, LabelTTime, nullptr);
  sliders->setRowStretch(2, 1);
  grid->addLayout(sliders, row, 0, 1, 3);
  grid->setRowStretch(row, 1);
  grid->setColumnStretch(1, 1);
  return column;
}

QWidget* DashboardPage::BuildChartColumn(TextRegistry& texts) {
  auto* column = new QWidget(this);
  Chart = new DashboardChart(column);  // named "DashboardChart" by itself
  texts.AddAxisTitle(Chart->yAxis, texts::TableGraphLeftAxis);
  SpeedButtonClrCorrWindow = Named(new QPushButton(QStringLiteral("O"), column), "SpeedButtonClrCorrWindow");
  ButtonClrAllLearned = Named(new QPushButton(QStringLiteral("P"), column), "ButtonClrAllLearned");
  ButtonUndo = Named(new QPushButton(QStringLiteral("↶"), column), "ButtonUndo");
  ButtonRedo = Named(new QPushButton(QStringLiteral("↷"), column), "ButtonRedo");
  ButtonUndoZoom = Named(new QPushButton(QStringLiteral("Весь график"), column), "ButtonUndoZoom");
  texts.Add(ButtonUndoZoom, texts::DashboardUndoZoom);
  LabelMaxMaf = FixedLabel("LabelMaxMaf", QStringLiteral("MaxMaf=255"), texts, column);
  LabelMaxOut = FixedLabel("LabelMaxOut", QStringLiteral("MaxOut=255"), texts, column);
  Pin(LabelMaxMaf, 110);
  Pin(LabelMaxOut, 110);
  for (QPushButton* fixed : {SpeedButtonClrCorrWindow, ButtonClrAllLearned, ButtonUndo, ButtonRedo}) {
    fixed->setFixedWidth(36);
    texts.AddFixed(fixed);
  }
  auto* buttons = new QHBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{ButtonUndo, ButtonRedo, ButtonUndoZoom,
                                                         SpeedButtonClrCorrWindow, ButtonClrAllLearned}) {
    buttons->addWidget(widget);
  }
  buttons->addStretch(1);
  buttons->addWidget(LabelMaxMaf);
  buttons->addSpacing(12);
  buttons->addWidget(LabelMaxOut);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Chart, 1);
  layout->addLayout(buttons);
  return column;
}

void DashboardPage::Bind(const DashboardModels& models) {
  MainTable = &models.MainTable;
  Correction = &models.Correction;
  Reference = &models.Reference;
  Gestures = std::make_unique<DashboardChartGestures>(models.MainTable, models.Bus, models.Host);
  StateCuePlayer = std::make_unique<StateCues>(models.Cues);
  StateCuePlayer->SetFolder(SoundFolder);

  ComboSensorList list(*ComboBoxO2);
  FillO2SensorList(list);
  ComboBoxO2->setCurrentIndex(Reference->SensorType());
  connect(ComboBoxO2, &QComboBox::activated, this, [this](int index) { Reference->ComboBoxO2Change(index); });
  // The sensor list and the reference slider's labels follow the reference
  // (a sensor change ends with a reference change); the correction window and
  // the log page follow it themselves.
  ModelFollow += Reference->RefO2Changed.Subscribe([this] { ShowReference(); });
  connect(TrackBarRefO2, &QSlider::valueChanged, this, [this](int value) {
    const VerticalSlider& bar = Reference->RefO2();
    Reference->SetRefO2Position(bar.Max + bar.Min - value);
  });
  connect(TrackBarB, &QSlider::valueChanged, this, [this](int value) { Correction->SetAvgB(value); });
  connect(TrackBarT, &QSlider::valueChanged, this, [this](int value) { Correction->SetAvgT(value); });

  Chart->Bind(models.MainTable, *Gestures);
  connect(ButtonUndoZoom, &QPushButton::clicked, Chart, &DashboardChart::UndoZoom);
  connect(ButtonUndo, &QPushButton::clicked, this,
          [this, &log = models.LogModel] { UndoMainTable(*MainTable, log); });
  connect(ButtonRedo, &QPushButton::clicked, this,
          [this, &log = models.LogModel] { RedoMainTable(*MainTable, log); });
  connect(SpeedButtonClrCorrWindow, &QPushButton::clicked, this,
          [this] { Correction->ClearWindowLearned(); });
  connect(ButtonClrAllLearned, &QPushButton::clicked, this, [this] { Correction->ClearAllLearned(); });

  GroupBoxCorr->Bind(models.Correction);
  ShowReference();
  Correction->BindView(this);
  Chart->SetStateColor(Correction->StateColor());
  Frames = models.Live.SubscribeFrames([this](const DashboardFrame& frame) { ShowFrame(frame); });
}

void DashboardPage::ShowReference() {
  const VerticalSlider& bar = Reference->RefO2();
  {
    const QSignalBlocker block(TrackBarRefO2);
    TrackBarRefO2->setRange(bar.Min, bar.Max);
    TrackBarRefO2->setValue(bar.Value());
  }
  {
    const QSignalBlocker block(ComboBoxO2);
    ComboBoxO2->setCurrentIndex(Reference->SensorType());
  }
  LabelRefO2->setText(ToQString(Reference->RefO2Text()));
  LabelRefO2Percent->setText(ToQString(Reference->RefO2PercentText()));
}

void DashboardPage::ShowCorrectionWindow(const CorrectionWindowModel& model) {
  GroupBoxCorr->Show(model);
  {
    const QSignalBlocker blockB(TrackBarB);
    const QSignalBlocker blockT(TrackBarT);
    TrackBarB->setValue(model.AvgB());
    TrackBarT->setValue(model.AvgT());
  }
  LabelBTime->setText(ToQString(model.BTimeText()));
  LabelTTime->setText(ToQString(model.TTimeText()));
  LabelMaxMaf->setText(ToQString(model.MaxMafText()));
  LabelMaxOut->setText(ToQString(model.OutputExtremeText()));
}

void DashboardPage::ShowStateColor(TColorRgb color, bool playCue) {
  Chart->SetStateColor(color);
  if (playCue && StateCuePlayer) {
    StateCuePlayer->Play(color);
  }
}

void DashboardPage::SetSoundFolder(const std::string& folder) {
  SoundFolder = folder;
  if (StateCuePlayer) {
    StateCuePlayer->SetFolder(folder);
  }
}

void DashboardPage::SetRecording(bool recording) {
  ActionStart->setEnabled(!recording);
  ActionStop->setEnabled(recording);
  ComboBoxO2->setEnabled(!recording);
}

void DashboardPage::SetConverterActionsEnabled(bool enabled) {
  ActionReadCoverter->setEnabled(enabled);
  ActionWriteConverter->setEnabled(enabled);
}

bool DashboardPage::SaveAllEnabled() const {
  return ActionSaveALL->isEnabled();
}

bool DashboardPage::CorrectionFieldHasFocus() const {
  return GroupBoxCorr->CorrectionFieldHasFocus();
}

bool DashboardPage::DeltaFieldHasFocus() const {
  return GroupBoxCorr->DeltaFieldHasFocus();
}

bool DashboardPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == TrackBarRefO2) {
      emit ParameterFocused(2);
    } else if (watched == TrackBarB) {
      emit ParameterFocused(4);
    } else if (watched == TrackBarT) {
      emit ParameterFocused(5);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void DashboardPage::ShowFrame(const DashboardFrame& frame) {
  const DashboardReadings& sample = frame.Sample;
  GaugeO2->SetValue(sample.O2Gauge);
  GaugeO2->SetForeColor(ColorOf(sample.O2Color));
  GaugeRpm->SetValue(sample.Rpm);
  LabelRpmDash->setText(QString::number(sample.Rpm));
  GaugeTps->SetValue(frame.TpsPercent);
  LabelTpsDash->setText(ToQString(sample.TpsText));
  GaugeMarker->SetValue(sample.Marker);
  LabelO2Val->setText(ToQString(sample.O2Text));
  LabelDashO2Percent->setText(ToQString(sample.O2PercentText));
  LabelMaxMaf->setText(ToQString(frame.MaxMafText));
  LabelMaxOut->setText(ToQString(frame.OutputText));
  Chart->ShowFrame(frame);
}

}  // namespace orvel::ui
