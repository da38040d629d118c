#pragma once

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QWidget>
#include <array>

#include "core/signal.h"

namespace orvel {
class LiveDashboard;
}  // namespace orvel

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;

// The setup page's firmware update: warnings, progress, the factory test gauges and the bar of firmware
// files.
class FirmwarePage final : public QWidget {
  Q_OBJECT

 public:
  // The factory test's gauges, in their order on the page.
  enum Gauge { GaugeMaf, GaugeTps, GaugeConv, GaugeO2, GaugeCount };

  FirmwarePage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  // One live sample on the factory test's gauges (each 0..255).
  void ShowSample(int maf, int tps, int conv, int o2);
  // Every dashboard frame's sample from now on goes to the gauges.
  void Follow(LiveDashboard& live);

  QAction* FileOpenFirmware;
  QAction* ActionUpgradeFirmwareOneToOne;
  QToolBar* Bar;
  QLabel* LabelAttention;
  QLabel* LabelFollowFUpgrade;
  QProgressBar* ProgressBar1;
  QGroupBox* GroupBoxFactoryTest;
  std::array<QProgressBar*, GaugeCount> FactoryGauges{};
  QPushButton* ButtonFactoryStart;
  QPushButton* ButtonFactoryStop;

 private:
  Subscription Samples;
};

}  // namespace orvel::ui
