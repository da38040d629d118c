#pragma once

// The selection labels "F1" … "F12" of the dashboard, the table graph and the
// log page, styled from KeySelection: the selected one bold and italic, the
// others plain, the dashboard's F3 hidden. The labels are the pages' own
// QLabels whose text is the function key's name.

#include <QPointer>
#include <QWidget>
#include <array>

#include "core/key_selection.h"

namespace orvel::ui {

class SelectionLabels {
 public:
  // Styles the labels now and after every change of the selection's labels.
  SelectionLabels(KeySelection& selection, QWidget& dashboard, QWidget& tableGraph, QWidget& logPage);

  // Restyles every label (also after a page has added labels of its own).
  void Show();

 private:
  void ShowPage(SelectionPage page, QWidget* widget);

  KeySelection& Selection;
  Subscription SelectionFollow;
  std::array<QPointer<QWidget>, 3> Pages;  // dashboard, table graph, log page
};

}  // namespace orvel::ui
