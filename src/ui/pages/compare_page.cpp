#include "ui/pages/compare_page.h"

#include <QMenu>
#include <QToolButton>

#include "core/ui_texts.h"
#include "ui/pages/page_layout.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

ComparePage::ComparePage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      FileOpenCompare(new QAction(QStringLiteral("Открыть"), this)),
      FileOpenCompare1(new QAction(QStringLiteral("&Tab1"), this)),
      FileOpenCompare2(new QAction(QStringLiteral("T&ab2"), this)),
      FileSaveAsCompare(new QAction(QStringLiteral("Сохранить"), this)),
      FileSaveAsCompare1(new QAction(QStringLiteral("&Tab1"), this)),
      FileSaveAsCompare2(new QAction(QStringLiteral("T&ab2"), this)),
      Bar(new QToolBar(this)) {
  setObjectName(QStringLiteral("TabSheetTableCompare"));
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
  LayOutPageWithBar(this, Bar)->addStretch(1);
}

}  // namespace orvel::ui
