#include "ui/pages/table_graph_page.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "core/ui_texts.h"
#include "table/parameter_slider_text.h"
#include "table/table.h"
#include "ui/charts/table_chart.h"
#include "ui/keyboard_modifiers.h"
#include "ui/pages/page_layout.h"
#include "ui/widgets/parameter_fields.h"
#include "ui/window/file_dialogs.h"
#include "ui/window/modifier_latches.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

namespace {

// The sliders in F-key order with the panel field each one shows.
struct SliderRow {
  PanelField Field;
  const char* Name;
  int Minimum;
  int Maximum;
};
constexpr std::array<SliderRow, 7> kSliderRows{{
    {PanelField::SmoothMaf, "TrackBarMafSm", 0, 100},
    {PanelField::SmoothTps, "TrackBarTpsSm", 0, 100},
    {PanelField::SmoothRpm, "TrackBarRpmSm", 0, 100},
    {PanelField::MafTime, "TrackBarMafTime", 4, 150},
    {PanelField::Threshold, "TrackBarMafPorog", 5, 100},
    {PanelField::Enrichment, "TrackBarEnrichment", 0, 100},
    {PanelField::Enleanment, "TrackBarEnleanment", 0, 100},
}};

std::array<QString, kPanelFieldCount> HiddenFieldNames() {
  // Field order: SmoothTps, SmoothMaf, SmoothRpm, MafTime, Threshold, Enrichment, Enleanment, TpsThreshold.
  return {QStringLiteral("MaskEditTps"),
          QStringLiteral("MaskEditSmoothMaf"),
          QStringLiteral("MaskEditRpm"),
          QStringLiteral("MaskEditMafTime"),
          QStringLiteral("MaskEditTreshold"),
          QStringLiteral("MaskEditEnrichmentFactor"),
          QStringLiteral("MaskEditEnleanmentFactor"),
          QStringLiteral("MaskEditTpsThreshold")};
}

QToolButton* ChartButton(const QString& text, const char* name, bool checkable) {
  auto* button = new QToolButton;
  button->setText(text);
  button->setObjectName(QLatin1String(name));
  button->setCheckable(checkable);
  return button;
}

}  // namespace

TableGraphPage::TableGraphPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent)
    : QWidget(parent),
      TabFileOpen(new QAction(QStringLiteral("Открыть"), this)),
      TabFileSave(new QAction(QStringLiteral("Сохранить"), this)),
      ActionTableOneToOne(new QAction(QStringLiteral("Замена &1:1"), this)),
      ActionReadCoverter(new QAction(QStringLiteral("Считать из конвертера"), this)),
      ActionWriteConverter(new QAction(QStringLiteral("Записать в конвертер"), this)),
      Bar(new QToolBar(this)),
      ChartTableGraph(new TableChart(false, this)),
      SpeedButtonUndo(ChartButton(QStringLiteral("↶"), "SpeedButtonUndo", false)),
      SpeedButtonRedo(ChartButton(QStringLiteral("↷"), "SpeedButtonRedo", false)),
      SpeedButtonShift(ChartButton(QStringLiteral("+Shift"), "SpeedButtonShift", true)),
      SpeedButtonCtrl(ChartButton(QStringLiteral("+Ctrl"), "SpeedButtonCtrl", true)),
      SpeedButtonAlt(ChartButton(QStringLiteral("+Alt"), "SpeedButtonAlt", true)),
      Format{QLocale().decimalPoint().at(0).toLatin1()} {
  setObjectName(QStringLiteral("TabSheetTableGraph"));
  TabFileOpen->setObjectName(QStringLiteral("TabFileOpen"));
  TabFileSave->setObjectName(QStringLiteral("TabFileSave"));
  ActionTableOneToOne->setObjectName(QStringLiteral("ActionTableOneToOne"));
  ActionReadCoverter->setObjectName(QStringLiteral("ActionReadCoverter"));
  ActionWriteConverter->setObjectName(QStringLiteral("ActionWriteConverter"));
  for (QAction* action :
       {TabFileOpen, TabFileSave, ActionTableOneToOne, ActionReadCoverter, ActionWriteConverter}) {
    Bar->addAction(action);
  }
  texts.Add(TabFileOpen, texts::TableBarOpen);
  texts.Add(TabFileSave, texts::TableBarSave);
  texts.Add(ActionTableOneToOne, texts::TableBarOneToOne);
  texts.Add(ActionReadCoverter, texts::TableBarRead);
  texts.Add(ActionWriteConverter, texts::TableBarWrite);
  TabFileOpen->setToolTip(QStringLiteral("Open"));
  TabFileOpen->setStatusTip(QStringLiteral("Opens an existing file"));
  TabFileSave->setToolTip(QStringLiteral("Save As"));
  TabFileSave->setStatusTip(QStringLiteral("Saves the active file with a new name"));

  ChartTableGraph->setObjectName(QStringLiteral("ChartTableGraph"));
  texts.AddAxisTitle(ChartTableGraph->yAxis, texts::TableGraphLeftAxis);
  for (QToolButton* button :
       {SpeedButtonUndo, SpeedButtonRedo, SpeedButtonShift, SpeedButtonCtrl, SpeedButtonAlt}) {
    ChartTableGraph->AddChartButton(button);
    texts.AddFixed(button);
  }
  texts.AddFixed(ChartTableGraph->ButtonZoomMove);
  // The legend buttons carry the series' names in either language.
  for (QToolButton* button : ChartTableGraph->LegendButtons()) {
    texts.AddFixed(button);
  }
  SpeedButtonAlt->hide();
  connect(SpeedButtonAlt, &QToolButton::toggled, this,
          [this](bool down) { ChartTableGraph->AltLatched = down; });
  // A page change by mouse and the close sequence release the latches, each
  // with its click handling.
  for (QToolButton* latch : {SpeedButtonShift, SpeedButtonCtrl, SpeedButtonAlt}) {
    latches.Add([latch] { latch->setChecked(false); });
  }

  QVBoxLayout* layout = LayOutPageWithBar(this, Bar);
  layout->addWidget(ChartTableGraph, 1);
  auto* panel = new QWidget(this);
  BuildSliders(texts, panel);
  layout->addWidget(panel);
  ShowSelectedParameter(1);

  connect(ActionTableOneToOne, &QAction::triggered, this, [this] { emit OneToOneClicked(); });
  connect(ActionReadCoverter, &QAction::triggered, this, [this] { emit ReadClicked(); });
  connect(ActionWriteConverter, &QAction::triggered, this, [this] { emit WriteClicked(); });
}

TableGraphPage::~TableGraphPage() = default;

void TableGraphPage::BuildSliders(TextRegistry& texts, QWidget* panel) {
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(4, 0, 4, 0);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(1);

  // Row 0: the group captions over the smoothing and the enrichment sliders.
  auto* smoothing = new QLabel(QStringLiteral("Сглаживание"), panel);
  smoothing->setObjectName(QStringLiteral("LabelSmooth"));
  texts.Add(smoothing, texts::LabelSmooth);
  grid->addWidget(smoothing, 0, 0, 1, 3, Qt::AlignHCenter);
  auto* enrichment = new QLabel(QStringLiteral("Обогащение УН"), panel);
  enrichment->setObjectName(QStringLiteral("LabelEnrichment"));
  texts.Add(enrichment, texts::LabelEnrichment);
  grid->addWidget(enrichment, 0, 5, 1, 2, Qt::AlignHCenter);

  // Row 1: selection label and caption; row 2: slider; row 3: value label.
  const std::array<QString, 7> captions{QStringLiteral("MAF"),
                                        QStringLiteral("TPS"),
                                        QStringLiteral("RPM"),
                                        QStringLiteral("Время выборки MAF "),
                                        QStringLiteral("Порог срабатывания"),
                                        QStringLiteral("Обогащение "),
                                        QStringLiteral("Спад обогащения ")};
  Fields = std::make_unique<ParameterFields>(panel, HiddenFieldNames(), DefaultPanelTexts());
  for (int i = 0; i < kPanelFieldCount; ++i) {
    Fields->Field(static_cast<PanelField>(i))->hide();
  }
  for (std::size_t i = 0; i < kSliderRows.size(); ++i) {
    const SliderRow& row = kSliderRows[i];
    auto* head = new QWidget(panel);
    auto* headLayout = new QHBoxLayout(head);
    headLayout->setContentsMargins(0, 0, 0, 0);
    auto* fkey = new QLabel(QStringLiteral("F%1").arg(i + 1), head);
    fkey->setObjectName(QStringLiteral("LabelTableF%1").arg(i + 1));
    texts.AddFixed(fkey);
    auto* caption = new QLabel(captions[i], head);
    switch (row.Field) {
      case PanelField::MafTime:
        texts.Add(caption, texts::LabelMafTime);
        break;
      case PanelField::Threshold:
        texts.Add(caption, texts::LabelThreshold);
        break;
      case PanelField::Enrichment:
        texts.Add(caption, texts::LabelEnrichmentFactor);
        break;
      case PanelField::Enleanment:
        texts.Add(caption, texts::LabelEnleanmentFactor);
        break;
      default:
        texts.AddFixed(caption);
        break;
    }
    headLayout->addWidget(fkey);
    headLayout->addWidget(caption, 1);
    grid->addWidget(head, 1, static_cast<int>(i));

    auto* slider = new QSlider(Qt::Horizontal, panel);
    slider->setObjectName(QLatin1String(row.Name));
    slider->setRange(row.Minimum, row.Maximum);
    slider->setValue(PanelNumber(Fields->FieldText(row.Field)));
    grid->addWidget(slider, 2, static_cast<int>(i));
    auto* value = new QLabel(panel);
    value->setObjectName(QLatin1String(row.Name) + QStringLiteral("Value"));
    value->setAlignment(Qt::AlignHCenter);
    grid->addWidget(value, 3, static_cast<int>(i));
    texts.AddFixed(value);  // a number in either language

    slider->installEventFilter(this);
    Sliders[i] = slider;
    ValueLabels[i] = value;
    SelectionLabels[i] = fkey;
    const int index = static_cast<int>(i);
    QLineEdit* field = Fields->Field(row.Field);
    // Slider → field: the slider's value as decimal text, and its label.
    connect(slider, &QSlider::valueChanged, this, [this, index, field](int position) {
      field->setText(QString::number(position));
      ShowSliderValue(index);
    });
    // Field → slider (ShowParameters): the slider follows the field's number
    // without writing back, so a value beyond the slider's range stays in the field.
    connect(field, &QLineEdit::textChanged, this, [this, index, slider](const QString& text) {
      const QSignalBlocker blocker(slider);
      slider->setValue(PanelNumber(text.toStdString()));
      ShowSliderValue(index);
    });
    ShowSliderValue(index);
  }
}

void TableGraphPage::ShowSliderValue(int slider) {
  const auto& row = kSliderRows[static_cast<std::size_t>(slider)];
  ValueLabels[static_cast<std::size_t>(slider)]->setText(QString::fromStdString(
      SliderValueText(row.Field, Sliders[static_cast<std::size_t>(slider)]->value(), Format)));
}

bool TableGraphPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    const auto found = std::find(Sliders.begin(), Sliders.end(), watched);
    if (found != Sliders.end()) {
      const int parameter = static_cast<int>(found - Sliders.begin()) + 1;
      ShowSelectedParameter(parameter);
      emit ParameterSelected(parameter);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TableGraphPage::ShowSelectedParameter(int parameter) {
  for (std::size_t i = 0; i < SelectionLabels.size(); ++i) {
    QFont font = SelectionLabels[i]->font();
    const bool selected = static_cast<int>(i) + 1 == parameter;
    font.setBold(selected);
    font.setItalic(selected);
    SelectionLabels[i]->setFont(font);
  }
}

void TableGraphPage::SetConverterActionsEnabled(bool enabled) {
  ActionReadCoverter->setEnabled(enabled);
  ActionWriteConverter->setEnabled(enabled);
}

void TableGraphPage::Bind(Table& mainTable, KeyboardModifiers& modifiers, FileDialogs& dialogs) {
  Model = &mainTable;
  Dialogs = &dialogs;
  ChartTableGraph->Attach(mainTable, true);
  mainTable.BindGraph(ChartTableGraph, true, Fields.get());

  connect(TabFileOpen, &QAction::triggered, this, [this] { OpenTable(); });
  connect(TabFileSave, &QAction::triggered, this, [this] { SaveTable(); });
  connect(SpeedButtonUndo, &QToolButton::clicked, this, [this] {
    Model->Undo();
    Model->Redraw();
    emit HistoryMoved();
  });
  connect(SpeedButtonRedo, &QToolButton::clicked, this, [this] {
    Model->Redo();
    Model->Redraw();
    emit HistoryMoved();
  });
  connect(SpeedButtonShift, &QToolButton::toggled, this,
          [&modifiers](bool down) { modifiers.ShiftLatched = down; });
  connect(SpeedButtonCtrl, &QToolButton::toggled, this,
          [&modifiers](bool down) { modifiers.CtrlLatched = down; });
}

void TableGraphPage::OpenTable() {
  const auto path =
      Dialogs->Open(FileDialogRequest{QStringLiteral("Tab files|*.tab"), QStringLiteral("tab"), {}});
  if (path) {
    Model->LoadTableFile(*path, 1);
  }
}

void TableGraphPage::SaveTable() {
  const auto path = Dialogs->Save(
      FileDialogRequest{QStringLiteral("Tab Files|*.tab"), QStringLiteral("tab"), ProposedSaveName()});
  if (path) {
    Model->SaveTableFile(*path, 1);
  }
}

}  // namespace orvel::ui
