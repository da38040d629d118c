#include "ui/pages/log_page.h"

#include "core/ui_texts.h"
#include "ui/pages/page_layout.h"
#include "ui/window/modifier_latches.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

LogPage::LogPage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      LogFileOpen(new QAction(QStringLiteral("Открыть"), this)),
      LogFileSave(new QAction(QStringLiteral("Сохранить"), this)),
      Bar(new QToolBar(this)) {
  setObjectName(QStringLiteral("LogTabSheet"));
  Bar->addAction(LogFileOpen);
  Bar->addAction(LogFileSave);
  texts.Add(LogFileOpen, texts::LogBarOpen);
  texts.Add(LogFileSave, texts::LogBarSave);
  LayOutPageWithBar(this, Bar)->addStretch(1);
}

}  // namespace orvel::ui
