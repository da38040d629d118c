#pragma once

#include <QWidget>
#include <array>

#include "core/signal.h"

class QAction;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolBar;

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
  FirmwarePage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  // One live sample on the factory test's gauges (each 0..255).
  void ShowSample(int maf, int tps, int conv, int o2);
  // Every dashboard frame's sample from now on goes to the gauges.
  void Follow(LiveDashboard& live);
  // The update's progress, 0..100.
  void ShowProgress(int percent);

 signals:
  // "Update from file".
  void UpdateClicked();
  // "Update with 1:1": the update, then the 1:1 table and live data.
  void UpdateWithOneToOneClicked();
  // The factory test's Start and Stop.
  void FactoryStartClicked();
  void FactoryStopClicked();

 private:
  // The factory test's gauges, in their order on the page.
  enum Gauge { GaugeMaf, GaugeTps, GaugeConv, GaugeO2, GaugeCount };

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
  Subscription Samples;
};

}  // namespace orvel::ui
