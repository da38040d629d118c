#include "ui/pages/dashboard_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
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

QSlider* VerticalBar(int minimum, int maximum, int value, QWidget* parent) {
  auto* bar = new QSlider(Qt::Vertical, parent);
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

QLabel* FixedLabel(const QString& text, TextRegistry& texts, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  texts.AddFixed(label);
  return label;
}

}  // namespace

DashboardPage::DashboardPage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      ActionSaveALL(new QAction(QStringLiteral("Сохранить все"), this)),
      ActionWriteConverter(new QAction(QStringLiteral("Записать в конвертер"), this)),
      ActionReadCoverter(new QAction(QStringLiteral("Считать из конвертера"), this)),
      ActionStart(new QAction(QStringLiteral("Старт"), this)),
      ActionStop(new QAction(QStringLiteral("Стоп"), this)),
      Bar(new QToolBar(this)) {
  setObjectName(QStringLiteral("DashboardTabSheet"));
  for (QAction* action : {ActionSaveALL, ActionWriteConverter, ActionReadCoverter, ActionStart, ActionStop}) {
    Bar->addAction(action);
  }
  texts.Add(ActionSaveALL, texts::DashboardBarSaveAll);
  texts.Add(ActionWriteConverter, texts::DashboardBarWrite);
  texts.Add(ActionReadCoverter, texts::DashboardBarRead);
  texts.Add(ActionStart, texts::DashboardBarStart);
  texts.Add(ActionStop, texts::DashboardBarStop);

  auto* body = new QHBoxLayout;
  body->setSpacing(6);
  body->addWidget(BuildLiveColumn(texts));
  body->addWidget(BuildChartColumn(texts), 1);
  GroupBoxCorr = new CorrectionGroup(texts, this);
  GroupBoxCorr->setFixedWidth(310);
  body->addWidget(GroupBoxCorr);
  LayOutPageWithBar(this, Bar)->addLayout(body, 1);
}

DashboardPage::~DashboardPage() = default;

QWidget* DashboardPage::BuildLiveColumn(TextRegistry& texts) {
  auto* column = new QWidget(this);
  column->setFixedWidth(270);
  GaugeRpm = new BarGauge(0, kRpmGaugeMax, Qt::Horizontal, column);
  GaugeRpm->SetForeColor(QColor(0xA8, 0xD3, 0xFF));
  GaugeRpm->SetBackColor(Qt::black);
  LabelRpmDash = FixedLabel(QStringLiteral("3500RPM"), texts, column);
  GaugeTps = new BarGauge(0, kPercentMax, Qt::Horizontal, column);
  GaugeTps->SetForeColor(QColor(0x80, 0x00, 0xFF));
  GaugeTps->SetBackColor(Qt::black);
  LabelTpsDash = FixedLabel(QStringLiteral("100"), texts, column);
  LabelMarker = FixedLabel(QStringLiteral("Marker"), texts, column);
  GaugeMarker = new BarGauge(0, kMarkerMax, Qt::Horizontal, column);
  LabelO2 = FixedLabel(QStringLiteral("O2"), texts, column);
  GaugeO2 = new BarGauge(0, kO2GaugeMax, Qt::Horizontal, column);
  GaugeO2->SetBackColor(Qt::black);
  LabelO2Val = FixedLabel(QStringLiteral("0.00V"), texts, column);
  LabelDashO2Percent = FixedLabel(QStringLiteral("0.00V"), texts, column);
  for (QLabel* big : {LabelRpmDash, LabelO2Val, LabelDashO2Percent}) {
    QFont font = big->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    big->setFont(font);
  }
  for (QLabel* live : {LabelRpmDash, LabelTpsDash, LabelO2Val, LabelDashO2Percent}) {
    Pin(live, 120);
  }
  LabelSensorO2 = new QLabel(QStringLiteral("Датчик O2"), column);
  texts.Add(LabelSensorO2, texts::LabelSensorO2);
  ComboBoxO2 = new QComboBox(column);
  ComboBoxO2->setObjectName(QStringLiteral("ComboBoxO2"));

  LabelO2Ref = FixedLabel(QStringLiteral("O2ref"), texts, column);
  TrackBarRefO2 = VerticalBar(0, 50, 50 + 0 - 24, column);
  LabelRefO2 = FixedLabel(QStringLiteral("0.51V"), texts, column);
  LabelRefO2Percent = FixedLabel(QStringLiteral(" "), texts, column);
  LabelB = FixedLabel(QStringLiteral("1"), texts, column);
  TrackBarB = VerticalBar(kMinAvgB, kMaxAveraging, kMinAvgB, column);
  LabelBTime = FixedLabel(QStringLiteral("0.1s"), texts, column);
  LabelT = FixedLabel(QStringLiteral("2"), texts, column);
  TrackBarT = VerticalBar(kMinAvgT, kMaxAveraging, kMinAvgT, column);
  LabelTTime = FixedLabel(QStringLiteral("0.1s"), texts, column);
  for (QLabel* live : {LabelRefO2, LabelRefO2Percent, LabelBTime, LabelTTime}) {
    Pin(live, 60);
    live->setAlignment(Qt::AlignCenter);
  }
  LabelF2 = FixedLabel(QStringLiteral("F2"), texts, column);
  LabelF4 = FixedLabel(QStringLiteral("F4"), texts, column);
  LabelF5 = FixedLabel(QStringLiteral("F5"), texts, column);

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
  Chart = new DashboardChart(column);
  texts.AddAxisTitle(Chart->yAxis, texts::TableGraphLeftAxis);
  SpeedButtonClrCorrWindow = new QPushButton(QStringLiteral("O"), column);
  ButtonClrAllLearned = new QPushButton(QStringLiteral("P"), column);
  ButtonUndo = new QPushButton(QStringLiteral("↶"), column);
  ButtonRedo = new QPushButton(QStringLiteral("↷"), column);
  ButtonUndoZoom = new QPushButton(QStringLiteral("Весь график"), column);
  texts.Add(ButtonUndoZoom, texts::DashboardUndoZoom);
  LabelMaxMaf = FixedLabel(QStringLiteral("MaxMaf=255"), texts, column);
  LabelMaxOut = FixedLabel(QStringLiteral("MaxOut=255"), texts, column);
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
  ComboBoxO2->setEnabled(!recording);
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
