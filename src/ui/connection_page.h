#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

namespace orvel::ui {

class TextRegistry;

// The first page: port choice, reconnect, the converter's identity, the
// language, the hot-key help, firmware recovery and the contactless sensor's
// settings. It only lays the controls out; the main window wires them.
class ConnectionPageWidget final : public QWidget {
  Q_OBJECT

 public:
  // Registers every caption with `texts`: the language-dependent ones with
  // their texts, the hot-key memo with its lines, the rest as fixed.
  explicit ConnectionPageWidget(TextRegistry& texts, QWidget* parent = nullptr);

  // Replaces the port list, keeping nothing selected.
  void SetPortNames(const QStringList& names);
  // The hot-key memo's lines for the language position (none for positions
  // other than 0 and 1).
  void FillHotKeyMemo(int languagePosition);

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
