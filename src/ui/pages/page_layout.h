#pragma once

#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

namespace orvel::ui {

// A page's frame: its action bar on top, its content below taking the rest.
inline QVBoxLayout* LayOutPageWithBar(QWidget* page, QToolBar* bar) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  layout->addWidget(bar);
  return layout;
}

}  // namespace orvel::ui
