#include "ui/pages/dashboard_page.h"

#include "core/ui_texts.h"
#include "ui/pages/page_layout.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

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
  LayOutPageWithBar(this, Bar)->addStretch(1);
}

}  // namespace orvel::ui
