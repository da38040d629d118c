#include "ui/pages/firmware_page.h"

#include "core/ui_texts.h"
#include "ui/pages/page_layout.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

FirmwarePage::FirmwarePage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      FileOpenFirmware(new QAction(QStringLiteral("Обновить из файла"), this)),
      ActionUpgradeFirmwareOneToOne(new QAction(QStringLiteral("Обновить с заменой &1:1"), this)),
      Bar(new QToolBar(this)) {
  setObjectName(QStringLiteral("TabSheetFirmwareUpdate"));
  Bar->addAction(FileOpenFirmware);
  Bar->addAction(ActionUpgradeFirmwareOneToOne);
  texts.Add(FileOpenFirmware, texts::FirmwareBarUpdate);
  texts.Add(ActionUpgradeFirmwareOneToOne, texts::FirmwareBarUpdateOneToOne);
  LayOutPageWithBar(this, Bar)->addStretch(1);
}

}  // namespace orvel::ui
