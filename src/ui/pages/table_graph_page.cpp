#include "ui/pages/table_graph_page.h"

#include "core/ui_texts.h"
#include "ui/pages/page_layout.h"
#include "ui/window/modifier_latches.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

TableGraphPage::TableGraphPage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      TabFileOpen(new QAction(QStringLiteral("Открыть"), this)),
      TabFileSave(new QAction(QStringLiteral("Сохранить"), this)),
      ActionTableOneToOne(new QAction(QStringLiteral("Замена &1:1"), this)),
      ActionReadCoverter(new QAction(QStringLiteral("Считать из конвертера"), this)),
      ActionWriteConverter(new QAction(QStringLiteral("Записать в конвертер"), this)),
      Bar(new QToolBar(this)) {
  setObjectName(QStringLiteral("TabSheetTableGraph"));
  for (QAction* action :
       {TabFileOpen, TabFileSave, ActionTableOneToOne, ActionReadCoverter, ActionWriteConverter}) {
    Bar->addAction(action);
  }
  texts.Add(TabFileOpen, texts::TableBarOpen);
  texts.Add(TabFileSave, texts::TableBarSave);
  texts.Add(ActionTableOneToOne, texts::TableBarOneToOne);
  texts.Add(ActionReadCoverter, texts::TableBarRead);
  texts.Add(ActionWriteConverter, texts::TableBarWrite);
  LayOutPageWithBar(this, Bar)->addStretch(1);
}

}  // namespace orvel::ui
