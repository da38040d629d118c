#include "ui/keys/selection_labels.h"

#include <QLabel>

namespace orvel::ui {

SelectionLabels::SelectionLabels(KeySelection& selection, QWidget& dashboard, QWidget& tableGraph,
                                 QWidget& logPage)
    : Selection(selection), Pages{&dashboard, &tableGraph, &logPage} {
  SelectionFollow = Selection.LabelsChanged.Subscribe([this] { Show(); });
  Show();
}

void SelectionLabels::Show() {
  ShowPage(SelectionPage::Dashboard, Pages[0]);
  ShowPage(SelectionPage::Table, Pages[1]);
  ShowPage(SelectionPage::Log, Pages[2]);
}

void SelectionLabels::ShowPage(SelectionPage page, QWidget* widget) {
  if (widget == nullptr) {
    return;
  }
  for (QLabel* label : widget->findChildren<QLabel*>()) {
    const QString text = label->text().trimmed();
    if (!text.startsWith(QLatin1Char('F'))) {
      continue;
    }
    bool isNumber = false;
    const int key = text.mid(1).toInt(&isNumber);
    const bool hiddenLabel = page == SelectionPage::Dashboard && key == KeySelection::kHiddenDashboardLabel;
    if (!isNumber || (!KeySelection::LabelVisible(page, key) && !hiddenLabel)) {
      continue;
    }
    if (hiddenLabel) {
      label->hide();
      continue;
    }
    QFont font = label->font();
    const bool selected = Selection.LabelSelected(page, key);
    if (font.bold() != selected || font.italic() != selected) {
      font.setBold(selected);
      font.setItalic(selected);
      label->setFont(font);
    }
  }
}

}  // namespace orvel::ui
