#pragma once

#include <QString>
#include <QStringList>

#include <QWidget>
#include "core/ui_texts.h"

#include "link/contactless_sensor.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace orvel::ui {

class TextRegistry;

// The first page: port choice, reconnect, the converter's identity, the
// language, the hot-key help, firmware recovery and the contactless sensor's
// settings. It lays the controls out and tells what the user asked for; the
// main window connects its signals to the commands.
class ConnectionPageWidget final : public QWidget {
  Q_OBJECT

 public:
  // Registers every caption with `texts`: the language-dependent ones with
  // their texts, the hot-key memo with its lines, the rest as fixed.
  explicit ConnectionPageWidget(TextRegistry& texts, QWidget* parent = nullptr);
  // Gives the busy pointer back when a connect was still shown.
  ~ConnectionPageWidget() override;

  // Replaces the port list, keeping nothing selected.
  void SetPortNames(const QStringList& names);
  // The port list's chosen entry; empty while none is chosen.
  [[nodiscard]] QString ChosenPortEntry() const;
  // Chooses the entry `name` without announcing it; false when the list has
  // no such entry.
  bool ChoosePortEntry(const QString& name);

  void SetFirmwareLabel(const QString& text);
  // The hardware-version and oscillator labels.
  void ShowHardwareLabels(bool visible);
  // A converter with a contactless sensor: its hardware version and
  // oscillator shown, the switch inversion (which it does not have) hidden.
  void ShowContactlessHardware(const QString& hardware, const QString& oscillator);
  void EnableReconnect();
  [[nodiscard]] bool ReconnectEnabled() const;

  [[nodiscard]] bool RecoveryTicked() const;
  void UntickRecovery();

  // Shows the language list at `languagePosition`; a position the list does
  // not have leaves it without a selection.
  void ShowLanguage(int languagePosition);

  // The contactless sensor's group, hidden until a converter has one.
  void ShowSensorGroup();
  // Once the converter has told its settings only the first sensor type
  // stays offered.
  void OfferFirstSensorTypeOnly();
  void ShowSensorChoice(const SensorChoice& choice);
  // While a connect runs: the firmware label says so in the page's language
  // and the pointer shows that the program is busy.
  void ShowConnecting(bool connecting);
  // The angle, direction and calibration end the lists show.
  [[nodiscard]] SensorChoice SensorChoiceShown() const;

 signals:
  // An entry of the port list was chosen.
  void PortChosen();
  void ReconnectClicked();
  void LanguageChosen(int languagePosition);
  void CalibrateClicked();

 private:
  // The hot-key memo's lines for the language position (none for positions
  // other than 0 and 1).
  void FillHotKeyMemo(int languagePosition);
  // A new sensor type: the choice a type change gives and no switch inverted.
  void ShowSensorTypeChanged();

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
  int LanguagePosition = kLanguageEnglish;
  bool Connecting = false;  // the busy pointer is on
  QString TextBeforeConnecting;
};

}  // namespace orvel::ui
