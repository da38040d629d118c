#include "ui/pages/compare_page.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "core/ui_texts.h"
#include "table/table.h"
#include "ui/charts/table_chart.h"
#include "ui/pages/page_layout.h"
#include "ui/widgets/parameter_fields.h"
#include "ui/window/file_dialogs.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

namespace {

// The fields of row `row` ("1" or "2"), in the panel's field order.
std::array<QString, kPanelFieldCount> RowFieldNames(const QString& row) {
  const auto name = [&row](const char* stem) {
    return QStringLiteral("MaskEdit%1%2Compare").arg(QLatin1String(stem), row);
  };
  return {name("Tps"),      name("Maf"),        name("Rpm"),        name("MafTime"),
          name("Treshold"), name("Enrichment"), name("Enleanment"), name("TpsThreshold")};
}

// The columns left to right, as panel fields.
constexpr std::array<PanelField, kPanelFieldCount> kColumns{
    PanelField::SmoothMaf, PanelField::SmoothTps,  PanelField::SmoothRpm,  PanelField::MafTime,
    PanelField::Threshold, PanelField::Enrichment, PanelField::Enleanment, PanelField::TpsThreshold};

}  // namespace

ComparePage::ComparePage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      FileOpenCompare(new QAction(QStringLiteral("Открыть"), this)),
      FileOpenCompare1(new QAction(QStringLiteral("&Tab1"), this)),
      FileOpenCompare2(new QAction(QStringLiteral("T&ab2"), this)),
      FileSaveAsCompare(new QAction(QStringLiteral("Сохранить"), this)),
      FileSaveAsCompare1(new QAction(QStringLiteral("&Tab1"), this)),
      FileSaveAsCompare2(new QAction(QStringLiteral("T&ab2"), this)),
      Bar(new QToolBar(this)),
      ChartCompare(new TableChart(true, this)) {
  setObjectName(QStringLiteral("TabSheetTableCompare"));
  FileOpenCompare->setObjectName(QStringLiteral("FileOpenCompare"));
  FileOpenCompare1->setObjectName(QStringLiteral("FileOpenCompare1"));
  FileOpenCompare2->setObjectName(QStringLiteral("FileOpenCompare2"));
  FileSaveAsCompare->setObjectName(QStringLiteral("FileSaveAsCompare"));
  FileSaveAsCompare1->setObjectName(QStringLiteral("FileSaveAsCompare1"));
  FileSaveAsCompare2->setObjectName(QStringLiteral("FileSaveAsCompare2"));
  auto* openMenu = new QMenu(this);
  openMenu->addAction(FileOpenCompare1);
  openMenu->addAction(FileOpenCompare2);
  FileOpenCompare->setMenu(openMenu);
  auto* saveMenu = new QMenu(this);
  saveMenu->addAction(FileSaveAsCompare1);
  saveMenu->addAction(FileSaveAsCompare2);
  FileSaveAsCompare->setMenu(saveMenu);
  Bar->addAction(FileOpenCompare);
  Bar->addAction(FileSaveAsCompare);
  for (QAction* action : {FileOpenCompare, FileSaveAsCompare}) {
    if (auto* button = qobject_cast<QToolButton*>(Bar->widgetForAction(action))) {
      button->setPopupMode(QToolButton::InstantPopup);
    }
  }
  texts.Add(FileOpenCompare, texts::CompareBarOpen);
  texts.Add(FileSaveAsCompare, texts::CompareBarSave);
  for (QAction* action : {FileOpenCompare1, FileOpenCompare2, FileSaveAsCompare1, FileSaveAsCompare2}) {
    texts.AddFixed(action);
  }
  for (QAction* open : {FileOpenCompare, FileOpenCompare1, FileOpenCompare2}) {
    open->setToolTip(QStringLiteral("Open"));
    open->setStatusTip(QStringLiteral("Opens an existing file"));
  }
  for (QAction* save : {FileSaveAsCompare, FileSaveAsCompare1, FileSaveAsCompare2}) {
    save->setToolTip(QStringLiteral("Save As"));
    save->setStatusTip(QStringLiteral("Saves the active file with a new name"));
  }

  ChartCompare->setObjectName(QStringLiteral("ChartCompare"));
  texts.AddAxisTitle(ChartCompare->yAxis, texts::TableGraphLeftAxis);
  texts.AddFixed(ChartCompare->ButtonZoomMove);
  // The legend buttons carry the series' names in either language.
  for (QToolButton* button : ChartCompare->LegendButtons()) {
    texts.AddFixed(button);
  }

  QVBoxLayout* layout = LayOutPageWithBar(this, Bar);
  layout->addWidget(ChartCompare, 1);

  auto* panel = new QWidget(this);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(4, 0, 4, 2);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(2);
  const auto label = [&](const QString& text, const char* name, int row, int column, int span = 1) {
    auto* item = new QLabel(text, panel);
    item->setObjectName(QLatin1String(name));
    item->setAlignment(Qt::AlignCenter);
    grid->addWidget(item, row, column, 1, span);
    return item;
  };
  texts.Add(label(QStringLiteral("Сглаживание"), "LabelSm", 0, 1, 3), texts::LabelSmooth);
  texts.Add(label(QStringLiteral("Обогащение УН"), "LabelEnrch", 0, 6, 2), texts::LabelEnrichment);
  texts.AddFixed(label(QStringLiteral("MAF"), "LabelMafCompare", 1, 1));
  texts.AddFixed(label(QStringLiteral("TPS"), "LabelTpsCompare", 1, 2));
  texts.AddFixed(label(QStringLiteral("RPM"), "LabelRpmCompare", 1, 3));
  texts.Add(label(QStringLiteral("Выб-ка MAF 1/100сек"), "LabelMafTimeCompare", 1, 4),
            texts::LabelMafTimeCompare);
  texts.Add(label(QStringLiteral("Порог "), "LabelThresholdCompare", 1, 5), texts::LabelThresholdCompare);
  texts.AddFixed(label(QStringLiteral("+%"), "LabelEnrichmentCompare", 1, 6));
  texts.AddFixed(label(QStringLiteral("-%"), "LabelEnleanmentCompare", 1, 7));
  texts.Add(label(QStringLiteral("Переход на Таб.№2"), "LabelTpsThrhd", 1, 8), texts::LabelTpsThreshold);
  texts.AddFixed(label(QStringLiteral("Tab#1"), "LabelTab1", 2, 0));
  texts.AddFixed(label(QStringLiteral("Tab#2"), "LabelTab2", 3, 0));

  Fields1 = std::make_unique<ParameterFields>(panel, RowFieldNames(QStringLiteral("1")), DefaultPanelTexts());
  Fields2 = std::make_unique<ParameterFields>(panel, RowFieldNames(QStringLiteral("2")), DefaultPanelTexts());
  for (std::size_t column = 0; column < kColumns.size(); ++column) {
    for (const auto& [fields, row] : {std::pair{Fields1.get(), 2}, std::pair{Fields2.get(), 3}}) {
      QLineEdit* field = fields->Field(kColumns[column]);
      field->setMaximumWidth(60);
      field->setAlignment(Qt::AlignRight);
      grid->addWidget(field, row, static_cast<int>(column) + 1, Qt::AlignHCenter);
    }
  }
  grid->setColumnStretch(9, 1);
  layout->addWidget(panel);
}

ComparePage::~ComparePage() = default;

void ComparePage::Bind(Table& compareTable, FileDialogs& dialogs) {
  Model = &compareTable;
  Dialogs = &dialogs;
  ChartCompare->Attach(compareTable, false);
  compareTable.BindGraph(ChartCompare, false, Fields1.get());
  compareTable.BindSecondTable(Fields2.get());
  connect(FileOpenCompare1, &QAction::triggered, this, [this] { Open(1); });
  connect(FileOpenCompare2, &QAction::triggered, this, [this] { Open(2); });
  connect(FileSaveAsCompare1, &QAction::triggered, this, [this] { Save(1); });
  connect(FileSaveAsCompare2, &QAction::triggered, this, [this] { Save(2); });
}

void ComparePage::Open(int block) {
  const QString filter = block == 2 ? QStringLiteral("Tab File|*.tab") : QStringLiteral("Tab files|*.tab");
  if (const auto path = Dialogs->Open(FileDialogRequest{filter, QStringLiteral("tab"), {}})) {
    Model->LoadTableFile(*path, block);
  }
}

void ComparePage::Save(int block) {
  const QString filter = block == 2 ? QStringLiteral("Tab File|*.tab") : QStringLiteral("Tab Files|*.tab");
  if (const auto path = Dialogs->Save(FileDialogRequest{filter, QStringLiteral("tab"), {}})) {
    Model->SaveTableFile(*path, block);
  }
}

}  // namespace orvel::ui
