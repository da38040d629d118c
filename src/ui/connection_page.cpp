#include "ui/connection_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/ui_texts.h"
#include "ui/qt_text.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {

ConnectionPageWidget::ConnectionPageWidget(TextRegistry& texts, QWidget* parent)
    : QWidget(parent),
      ComComboBox1(new QComboBox(this)),
      SpeedButtonReconnect(new QPushButton(QStringLiteral("Reconnect"), this)),
      LabelFirmware(new QLabel(QStringLiteral("FW_version V: "), this)),
      LabelHwVersion(new QLabel(this)),
      LabelFOsc(new QLabel(this)),
      ComboBoxLanguage(new QComboBox(this)),
      Memo1(new QPlainTextEdit(this)),
      CheckBoxFirmwareRecovery(
          new QCheckBox(QStringLiteral("Восстановление прошивки/Firmware Recovery"), this)),
      GroupBoxContactlessSettings(new QGroupBox(QStringLiteral("Настройки бесконтактного датчика"), this)),
      LabelType(new QLabel(QStringLiteral("Тип"))),
      ComboBoxKmaSensorType(new QComboBox),
      LabelAngle(new QLabel(QStringLiteral("Раб. угол"))),
      ComboBoxKmaAngleDegrees(new QComboBox),
      LabelDirection(new QLabel(QStringLiteral("Направл-е"))),
      ComboBoxKmaDirection(new QComboBox),
      LabelCalibration(new QLabel(QStringLiteral("Калибровка"))),
      ComboBoxKmaCalAtMinOrMaxAngle(new QComboBox),
      LabelInvertSwitches(new QLabel(QStringLiteral("Инвертировать:"))),
      CheckBoxIdleSwitch(new QCheckBox(QStringLiteral("концевик ХХ"))),
      CheckBoxFullSwitch(new QCheckBox(QStringLiteral("концевик полной нагрузки"))),
      ButtonCalibrateKMA(new QPushButton(QStringLiteral("Калибровать датчик"))) {
  setObjectName(QStringLiteral("MainTabSheet"));
  ComComboBox1->setObjectName(QStringLiteral("ComComboBox1"));
  ComComboBox1->setEditable(false);
  ComComboBox1->setMinimumContentsLength(18);
  SpeedButtonReconnect->setObjectName(QStringLiteral("SpeedButtonReconnect"));
  SpeedButtonReconnect->setToolTip(QStringLiteral("Reopen the port and identify the converter again"));
  SpeedButtonReconnect->setEnabled(false);
  LabelFirmware->setObjectName(QStringLiteral("LabelFirmware"));
  LabelHwVersion->setObjectName(QStringLiteral("LabelHwVersion"));
  LabelFOsc->setObjectName(QStringLiteral("LabelFOsc"));
  // The hardware labels appear only for the converter kind that reports them.
  LabelHwVersion->hide();
  LabelFOsc->hide();
  ComboBoxLanguage->setObjectName(QStringLiteral("ComboBoxLanguage"));
  ComboBoxLanguage->addItems({QStringLiteral("Русский"), QStringLiteral("English")});
  ComboBoxLanguage->setCurrentIndex(0);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  CheckBoxFirmwareRecovery->setObjectName(QStringLiteral("CheckBoxFirmwareRecovery"));

  GroupBoxContactlessSettings->setObjectName(QStringLiteral("GroupBoxContactlessSettings"));
  LabelType->setObjectName(QStringLiteral("LabelType"));
  LabelAngle->setObjectName(QStringLiteral("LabelAngle"));
  LabelDirection->setObjectName(QStringLiteral("LabelDirection"));
  LabelCalibration->setObjectName(QStringLiteral("LabelCalibration"));
  LabelInvertSwitches->setObjectName(QStringLiteral("LabelInvertSwitches"));
  CheckBoxIdleSwitch->setObjectName(QStringLiteral("CheckBoxIdleSwitch"));
  CheckBoxFullSwitch->setObjectName(QStringLiteral("CheckBoxFullSwitch"));
  ComboBoxKmaSensorType->setObjectName(QStringLiteral("ComboBoxKmaSensorType"));
  ComboBoxKmaSensorType->addItems(
      {QStringLiteral("VAF airflowmeter"), QStringLiteral("3 pin Pajero 4M40 Standard"),
       QStringLiteral("4 pin Pajero 4M40 EFI !!!"), QStringLiteral("3-4 Pin Isuzu"),
       QStringLiteral("3 pin Mazda WL-T"), QStringLiteral("6 pin Nissan")});
  ComboBoxKmaAngleDegrees->setObjectName(QStringLiteral("ComboBoxKmaAngleDegrees"));
  for (const int angle : kSensorAngles) {
    ComboBoxKmaAngleDegrees->addItem(QString::number(angle) + QStringLiteral("°"), angle);
  }
  ComboBoxKmaAngleDegrees->setCurrentIndex(0);
  ComboBoxKmaDirection->setObjectName(QStringLiteral("ComboBoxKmaDirection"));
  ComboBoxKmaDirection->addItems({QStringLiteral("←"), QStringLiteral("→")});
  ComboBoxKmaCalAtMinOrMaxAngle->setObjectName(QStringLiteral("ComboBoxKmaCalAtMinOrMaxAngle"));
  ComboBoxKmaCalAtMinOrMaxAngle->addItems({QStringLiteral("Min. α"), QStringLiteral("Max. α")});
  ButtonCalibrateKMA->setObjectName(QStringLiteral("ButtonCalibrateKMA"));

  auto* sensorLayout = new QGridLayout(GroupBoxContactlessSettings);
  sensorLayout->addWidget(LabelType, 0, 0);
  sensorLayout->addWidget(ComboBoxKmaSensorType, 0, 1, 1, 2);
  sensorLayout->addWidget(LabelAngle, 1, 0);
  sensorLayout->addWidget(ComboBoxKmaAngleDegrees, 1, 1);
  sensorLayout->addWidget(LabelDirection, 2, 0);
  sensorLayout->addWidget(ComboBoxKmaDirection, 2, 1);
  sensorLayout->addWidget(LabelCalibration, 3, 0);
  sensorLayout->addWidget(ComboBoxKmaCalAtMinOrMaxAngle, 3, 1);
  sensorLayout->addWidget(LabelInvertSwitches, 4, 0);
  sensorLayout->addWidget(CheckBoxIdleSwitch, 4, 1);
  sensorLayout->addWidget(CheckBoxFullSwitch, 4, 2);
  sensorLayout->addWidget(ButtonCalibrateKMA, 5, 0, 1, 3);
  GroupBoxContactlessSettings->hide();

  auto* portLabel = new QLabel(QStringLiteral("COM port"), this);
  auto* languageLabel = new QLabel(QStringLiteral("Язык/Language"), this);
  auto* portRow = new QHBoxLayout;
  portRow->addWidget(portLabel);
  portRow->addWidget(ComComboBox1);
  portRow->addWidget(SpeedButtonReconnect);
  portRow->addStretch();
  portRow->addWidget(languageLabel);
  portRow->addWidget(ComboBoxLanguage);

  auto* identityRow = new QHBoxLayout;
  identityRow->addWidget(LabelFirmware);
  identityRow->addWidget(LabelHwVersion);
  identityRow->addWidget(LabelFOsc);
  identityRow->addStretch();

  auto* hotKeys = new QGroupBox(QStringLiteral("Горячие клавиши/ Hot keys"), this);
  auto* hotKeysLayout = new QVBoxLayout(hotKeys);
  hotKeysLayout->addWidget(Memo1);

  auto* lowerRow = new QHBoxLayout;
  lowerRow->addWidget(hotKeys, 3);
  auto* rightColumn = new QVBoxLayout;
  rightColumn->addWidget(CheckBoxFirmwareRecovery);
  rightColumn->addWidget(GroupBoxContactlessSettings);
  rightColumn->addStretch();
  lowerRow->addLayout(rightColumn, 2);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(portRow);
  layout->addLayout(identityRow);
  layout->addLayout(lowerRow, 1);

  // Captions that read the same in both languages, and labels the
  // identification fills.
  for (QObject* fixed :
       std::initializer_list<QObject*>{portLabel, languageLabel, hotKeys, SpeedButtonReconnect, LabelFirmware,
                                       LabelHwVersion, LabelFOsc}) {
    texts.AddFixed(fixed);
  }
  texts.Add(CheckBoxFirmwareRecovery, texts::CheckBoxFirmwareRecovery);
  texts.Add(GroupBoxContactlessSettings, texts::GroupBoxContactlessSettings);
  texts.Add(LabelType, texts::LabelType);
  texts.Add(LabelAngle, texts::LabelAngle);
  texts.Add(LabelDirection, texts::LabelDirection);
  texts.Add(LabelCalibration, texts::LabelCalibration);
  texts.Add(ButtonCalibrateKMA, texts::ButtonCalibrateKMA);
  texts.Add(LabelInvertSwitches, texts::LabelInvertSwitches);
  texts.Add(CheckBoxIdleSwitch, texts::CheckBoxIdleSwitch);
  texts.Add(CheckBoxFullSwitch, texts::CheckBoxFullSwitch);
  texts.AddLanguageHandler(Memo1, [this](int languagePosition) { FillHotKeyMemo(languagePosition); });

  connect(ComComboBox1, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) {
      emit PortChosen();
    }
  });
  connect(SpeedButtonReconnect, &QPushButton::clicked, this, [this] { emit ReconnectClicked(); });
  connect(ComboBoxLanguage, &QComboBox::activated, this, [this](int index) { emit LanguageChosen(index); });
  connect(ComboBoxKmaSensorType, &QComboBox::activated, this, [this] { ShowSensorTypeChanged(); });
  connect(ButtonCalibrateKMA, &QPushButton::clicked, this, [this] { emit CalibrateClicked(); });
}

void ConnectionPageWidget::SetPortNames(const QStringList& names) {
  const QSignalBlocker blocker(ComComboBox1);
  ComComboBox1->clear();
  ComComboBox1->addItems(names);
  ComComboBox1->setCurrentIndex(-1);
}

QString ConnectionPageWidget::ChosenPortEntry() const {
  return ComComboBox1->currentIndex() < 0 ? QString() : ComComboBox1->currentText();
}

bool ConnectionPageWidget::ChoosePortEntry(const QString& name) {
  const int index = ComComboBox1->findText(name);
  if (index < 0) {
    return false;
  }
  ComComboBox1->setCurrentIndex(index);
  return true;
}

void ConnectionPageWidget::SetFirmwareLabel(const QString& text) {
  LabelFirmware->setText(text);
}

void ConnectionPageWidget::ShowHardwareLabels(bool visible) {
  LabelHwVersion->setVisible(visible);
  LabelFOsc->setVisible(visible);
}

void ConnectionPageWidget::ShowContactlessHardware(const QString& hardware, const QString& oscillator) {
  LabelHwVersion->setText(hardware);
  LabelFOsc->setText(oscillator);
  ShowHardwareLabels(true);
  LabelInvertSwitches->hide();
  CheckBoxIdleSwitch->hide();
  CheckBoxFullSwitch->hide();
}

void ConnectionPageWidget::EnableReconnect() {
  SpeedButtonReconnect->setEnabled(true);
}

bool ConnectionPageWidget::ReconnectEnabled() const {
  return SpeedButtonReconnect->isEnabled();
}

bool ConnectionPageWidget::RecoveryTicked() const {
  return CheckBoxFirmwareRecovery->isChecked();
}

void ConnectionPageWidget::UntickRecovery() {
  CheckBoxFirmwareRecovery->setChecked(false);
}

ConnectionPageWidget::~ConnectionPageWidget() {
  ShowConnecting(false);
}

void ConnectionPageWidget::ShowConnecting(bool connecting) {
  const QString connectingText = ToQString(texts::LabelConnecting.For(LanguagePosition));
  if (connecting && LabelFirmware->text() != connectingText) {
    TextBeforeConnecting = LabelFirmware->text();
    LabelFirmware->setText(connectingText);
  } else if (!connecting && LabelFirmware->text() == connectingText) {
    // A connect that found no firmware to show leaves the label as it was.
    LabelFirmware->setText(TextBeforeConnecting);
  }
  if (connecting == Connecting) {
    return;
  }
  Connecting = connecting;
  if (connecting) {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void ConnectionPageWidget::ShowLanguage(int languagePosition) {
  LanguagePosition = languagePosition;
  ComboBoxLanguage->setCurrentIndex(
      languagePosition >= 0 && languagePosition < ComboBoxLanguage->count() ? languagePosition : -1);
}

void ConnectionPageWidget::ShowSensorGroup() {
  GroupBoxContactlessSettings->show();
}

void ConnectionPageWidget::OfferFirstSensorTypeOnly() {
  while (ComboBoxKmaSensorType->count() > 1) {
    ComboBoxKmaSensorType->removeItem(ComboBoxKmaSensorType->count() - 1);
  }
}

void ConnectionPageWidget::ShowSensorChoice(const SensorChoice& choice) {
  ComboBoxKmaAngleDegrees->setCurrentIndex(choice.AngleIndex);
  ComboBoxKmaDirection->setCurrentIndex(choice.DirectionIndex);
  ComboBoxKmaCalAtMinOrMaxAngle->setCurrentIndex(choice.End == CalibrationEnd::MaxAngle ? 1 : 0);
}

SensorChoice ConnectionPageWidget::SensorChoiceShown() const {
  SensorChoice choice;
  choice.AngleIndex = std::max(0, ComboBoxKmaAngleDegrees->currentIndex());
  choice.DirectionIndex = std::max(0, ComboBoxKmaDirection->currentIndex());
  choice.End = ComboBoxKmaCalAtMinOrMaxAngle->currentIndex() == 1 ? CalibrationEnd::MaxAngle
                                                                  : CalibrationEnd::MinAngle;
  return choice;
}

void ConnectionPageWidget::ShowSensorTypeChanged() {
  SensorChoice choice;
  choice.TypeChanged();
  ShowSensorChoice(choice);
  CheckBoxIdleSwitch->setChecked(false);
  CheckBoxFullSwitch->setChecked(false);
}

void ConnectionPageWidget::FillHotKeyMemo(int languagePosition) {
  Memo1->clear();
  QStringList lines;
  for (const auto& line : HotKeyMemoLines(languagePosition)) {
    lines.append(QString::fromStdString(line));
  }
  if (!lines.isEmpty()) {
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
  }
}

}  // namespace orvel::ui
