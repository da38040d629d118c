#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

namespace orvel::ui {

// The first page: port choice, reconnect, the converter's identity, the
// language, the hot-key help, firmware recovery and the contactless sensor's
// settings. It only lays the controls out; the main window wires them.
class ConnectionPageWidget final : public QWidget {
  Q_OBJECT

 public:
  explicit ConnectionPageWidget(QWidget* parent = nullptr);

  // Replaces the port list, keeping nothing selected.
  void SetPortNames(const QStringList& names);
  void ApplyLanguage(int languagePosition);

  QComboBox* ComComboBox1;
  QPushButton* SpeedButtonReconnect;
  QLabel* LabelFirmware;
  QLabel* LabelHwVersion;
  QLabel* LabelFOsc;
  QComboBox* ComboBoxLanguage;
  QPlainTextEdit* Memo1;
  QCheckBox* CheckBoxFirmwareRecovery;

  QGroupBox* GroupBoxContactlessSettings;
  QLabel* LabelType;
  QComboBox* ComboBoxKmaSensorType;
  QLabel* LabelAngle;
  QComboBox* ComboBoxKmaAngleDegrees;
  QLabel* LabelDirection;
  QComboBox* ComboBoxKmaDirection;
  QLabel* LabelCalibration;
  QComboBox* ComboBoxKmaCalAtMinOrMaxAngle;
  QLabel* LabelInvertSwitches;
  QCheckBox* CheckBoxIdleSwitch;
  QCheckBox* CheckBoxFullSwitch;
  QPushButton* ButtonCalibrateKMA;
};

}  // namespace orvel::ui
