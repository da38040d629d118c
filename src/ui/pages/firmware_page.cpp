#include "ui/pages/firmware_page.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "core/ui_texts.h"
#include "live/live_dashboard.h"
#include "ui/pages/page_layout.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

FirmwarePage::FirmwarePage(TextRegistry& texts, LatchRegistry& /*latches*/, QWidget* parent)
    : QWidget(parent),
      FileOpenFirmware(new QAction(QStringLiteral("Обновить из файла"), this)),
      ActionUpgradeFirmwareOneToOne(new QAction(QStringLiteral("Обновить с заменой &1:1"), this)),
      Bar(new QToolBar(this)),
      LabelAttention(new QLabel(QStringLiteral("Внимание!!!"), this)),
      LabelFollowFUpgrade(
          new QLabel(QStringLiteral("Строго соблюдайте инструкцию по обновлению прошивки устройства"), this)),
      ProgressBar1(new QProgressBar(this)),
      GroupBoxFactoryTest(new QGroupBox(QStringLiteral("Factory Test"), this)),
      ButtonFactoryStart(new QPushButton(QStringLiteral("Start"))),
      ButtonFactoryStop(new QPushButton(QStringLiteral("Stop"))) {
  setObjectName(QStringLiteral("TabSheetFirmwareUpdate"));
  FileOpenFirmware->setObjectName(QStringLiteral("FileOpenFirmware"));
  ActionUpgradeFirmwareOneToOne->setObjectName(QStringLiteral("ActionUpgradeFirmwareOneToOne"));
  Bar->addAction(FileOpenFirmware);
  Bar->addAction(ActionUpgradeFirmwareOneToOne);
  texts.Add(FileOpenFirmware, texts::FirmwareBarUpdate);
  texts.Add(ActionUpgradeFirmwareOneToOne, texts::FirmwareBarUpdateOneToOne);

  LabelAttention->setObjectName(QStringLiteral("LabelAttention"));
  LabelFollowFUpgrade->setObjectName(QStringLiteral("LabelFollowFUpgrade"));
  QFont warning = LabelAttention->font();
  warning.setBold(true);
  warning.setPointSize(warning.pointSize() + 4);
  LabelAttention->setFont(warning);
  LabelAttention->setStyleSheet(QStringLiteral("color: #C00000;"));
  LabelFollowFUpgrade->setFont(warning);
  LabelFollowFUpgrade->setStyleSheet(QStringLiteral("color: #C00000;"));
  LabelAttention->setAlignment(Qt::AlignHCenter);
  LabelFollowFUpgrade->setAlignment(Qt::AlignHCenter);
  // Both warnings are applied with the language; the short English line
  // centres itself further right on its own.
  texts.Add(LabelAttention, texts::LabelAttention);
  texts.Add(LabelFollowFUpgrade, texts::LabelFollowFUpgrade);

  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(50);

  GroupBoxFactoryTest->setObjectName(QStringLiteral("GroupBoxFactoryTest"));
  texts.AddFixed(GroupBoxFactoryTest);
  auto* gauges = new QGridLayout(GroupBoxFactoryTest);
  const std::array<const char*, GaugeCount> captions{"MAF", "TPS", "Conv", "O2"};
  for (int i = 0; i < GaugeCount; ++i) {
    auto* gauge = new QProgressBar;
    gauge->setObjectName(QStringLiteral("FactoryGauge") +
                         QString::fromLatin1(captions[static_cast<std::size_t>(i)]));
    gauge->setOrientation(Qt::Vertical);
    gauge->setRange(0, 255);
    gauge->setValue(0);
    gauge->setTextVisible(false);
    gauge->setMinimumHeight(160);
    auto* caption = new QLabel(QString::fromLatin1(captions[static_cast<std::size_t>(i)]));
    caption->setAlignment(Qt::AlignHCenter);
    texts.AddFixed(caption);
    gauges->addWidget(gauge, 0, i, Qt::AlignHCenter);
    gauges->addWidget(caption, 1, i);
    FactoryGauges[static_cast<std::size_t>(i)] = gauge;
  }
  ButtonFactoryStart->setObjectName(QStringLiteral("ButtonFactoryStart"));
  ButtonFactoryStop->setObjectName(QStringLiteral("ButtonFactoryStop"));
  texts.AddFixed(ButtonFactoryStart);
  texts.AddFixed(ButtonFactoryStop);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonFactoryStart);
  buttons->addWidget(ButtonFactoryStop);
  gauges->addLayout(buttons, 2, 0, 1, GaugeCount);

  QVBoxLayout* layout = LayOutPageWithBar(this, Bar);
  layout->addSpacing(24);
  layout->addWidget(LabelAttention);
  layout->addWidget(LabelFollowFUpgrade);
  layout->addSpacing(16);
  layout->addWidget(ProgressBar1);
  layout->addSpacing(16);
  auto* lower = new QHBoxLayout;
  lower->addStretch(1);
  lower->addWidget(GroupBoxFactoryTest);
  lower->addStretch(1);
  layout->addLayout(lower);
  layout->addStretch(1);

  connect(FileOpenFirmware, &QAction::triggered, this, [this] { emit UpdateClicked(); });
  connect(ActionUpgradeFirmwareOneToOne, &QAction::triggered, this,
          [this] { emit UpdateWithOneToOneClicked(); });
  connect(ButtonFactoryStart, &QPushButton::clicked, this, [this] { emit FactoryStartClicked(); });
  connect(ButtonFactoryStop, &QPushButton::clicked, this, [this] { emit FactoryStopClicked(); });
}

void FirmwarePage::ShowSample(int maf, int tps, int conv, int o2) {
  const std::array<int, GaugeCount> values{maf, tps, conv, o2};
  for (std::size_t i = 0; i < values.size(); ++i) {
    FactoryGauges[i]->setValue(std::clamp(values[i], 0, 255));
  }
}

void FirmwarePage::Follow(LiveDashboard& live) {
  Samples = live.SubscribeFrames([this](const DashboardFrame& frame) {
    ShowSample(frame.Sample.Maf, frame.Sample.Tps, frame.Sample.Conv, frame.Sample.O2);
  });
}

void FirmwarePage::ShowProgress(int percent) {
  ProgressBar1->setValue(percent);
}

}  // namespace orvel::ui
