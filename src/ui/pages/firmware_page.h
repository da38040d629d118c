#pragma once

#include <QAction>
#include <QToolBar>
#include <QWidget>

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;

// The setup page's firmware update: warnings, progress, the factory test gauges and the bar of firmware
// files.
class FirmwarePage final : public QWidget {
  Q_OBJECT

 public:
  FirmwarePage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  QAction* FileOpenFirmware;
  QAction* ActionUpgradeFirmwareOneToOne;
  QToolBar* Bar;
};

}  // namespace orvel::ui
