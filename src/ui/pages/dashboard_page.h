#pragma once

#include <QWidget>
#include <memory>

#include "autotune/correction_window.h"
#include "autotune/dashboard_chart_gestures.h"
#include "autotune/state_cues.h"
#include "core/messages.h"
#include "core/signal.h"
#include "live/dashboard_frame.h"

class QAction;
class QComboBox;
class QEvent;
class QLabel;
class QPushButton;
class QSlider;
class QToolBar;

namespace orvel {
class Table;
class O2ReferenceModel;
class LiveDashboard;
class Log;
class TOrvelBroadcaster;
}  // namespace orvel

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;
class BarGauge;
class CorrectionGroup;
class DashboardChart;

// The models the dashboard shows and writes to.
struct DashboardModels {
  Table& MainTable;
  CorrectionWindowModel& Correction;
  O2ReferenceModel& Reference;
  LiveDashboard& Live;  // one frame per tick to draw
  Log& LogModel;
  TOrvelBroadcaster& Bus;
  CorrectionWindowHost& Host;
  CuePlayer& Cues;
};

// The dashboard: live gauges, the oxygen sensor and its reference, the correction group, the dashboard chart
// and the bar of the live-data actions. It lays the controls out, writes the controls' changes to the
// models and shows theirs; the bar's actions and the fields' focus are told to the window as signals.
class DashboardPage final : public QWidget, public CorrectionWindowView {
  Q_OBJECT

 public:
  DashboardPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);
  ~DashboardPage() override;

  // Binds the controls to the models once they exist.
  void Bind(const DashboardModels& models);

  // A tick's frame: gauges, labels and the chart's live part, drawn as they
  // come.
  void ShowFrame(const DashboardFrame& frame);
  // Live data started or stopped: Start waits for a stop, Stop for a start,
  // and the sensor list is locked while recording.
  void SetRecording(bool recording);
  // The bar's read and write actions wait for an identified converter and
  // rest while live data runs.
  void SetConverterActionsEnabled(bool enabled);
  // Whether "Save all" can run now; its key follows the action's enabling.
  [[nodiscard]] bool SaveAllEnabled() const;
  // The correction field, or the "Delta" field, has the input focus (the
  // Left key then belongs to the field).
  [[nodiscard]] bool CorrectionFieldHasFocus() const;
  [[nodiscard]] bool DeltaFieldHasFocus() const;
  // The folder of the language's sound cues.
  void SetSoundFolder(const std::string& folder);
  [[nodiscard]] const StateCues* Cues() const { return StateCuePlayer.get(); }

  void ShowCorrectionWindow(const CorrectionWindowModel& model) override;
  void ShowStateColor(TColorRgb color, bool playCue) override;

 signals:
  // The bar's actions.
  void StartClicked();
  void StopClicked();
  void ReadClicked();
  void WriteClicked();
  void SaveAllClicked();
  // A parameter's slider took the focus: `key` is the function key that
  // selects it (2 the oxygen reference, 4 B, 5 T).
  void ParameterFocused(int key);
  // The correction group's MAF beginning or MAF end slider took the focus.
  void BorderSliderFocused();
  // The correction group's "Delta" field took the focus.
  void DeltaFocused();
  // The correction group's correction field took the focus.
  void CorrectionFieldFocused();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildLiveColumn(TextRegistry& texts);
  QWidget* BuildChartColumn(TextRegistry& texts);
  void ShowReference();

  QAction* ActionSaveALL;
  QAction* ActionWriteConverter;
  QAction* ActionReadCoverter;
  QAction* ActionStart;
  QAction* ActionStop;
  QToolBar* Bar;

  BarGauge* GaugeRpm;
  QLabel* LabelRpmDash;
  BarGauge* GaugeTps;
  QLabel* LabelTpsDash;
  QLabel* LabelMarker;
  BarGauge* GaugeMarker;
  QLabel* LabelO2;
  BarGauge* GaugeO2;
  QLabel* LabelO2Val;
  QLabel* LabelDashO2Percent;
  QLabel* LabelSensorO2;
  QComboBox* ComboBoxO2;
  QLabel* LabelO2Ref;
  QSlider* TrackBarRefO2;
  QLabel* LabelRefO2;
  QLabel* LabelRefO2Percent;
  QLabel* LabelB;
  QSlider* TrackBarB;
  QLabel* LabelBTime;
  QLabel* LabelT;
  QSlider* TrackBarT;
  QLabel* LabelTTime;
  QLabel* LabelF2;
  QLabel* LabelF4;
  QLabel* LabelF5;
  DashboardChart* Chart;
  QPushButton* SpeedButtonClrCorrWindow;  // "O"
  QPushButton* ButtonClrAllLearned;       // "P"
  QPushButton* ButtonUndo;
  QPushButton* ButtonRedo;
  QPushButton* ButtonUndoZoom;
  QLabel* LabelMaxMaf;
  QLabel* LabelMaxOut;
  CorrectionGroup* GroupBoxCorr;

  Table* MainTable = nullptr;
  CorrectionWindowModel* Correction = nullptr;
  O2ReferenceModel* Reference = nullptr;
  std::unique_ptr<DashboardChartGestures> Gestures;
  std::unique_ptr<StateCues> StateCuePlayer;
  Subscriptions ModelFollow;
  std::string SoundFolder = "Sound/En/";
  Subscription Frames;
};

}  // namespace orvel::ui
