#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/signal.h"

class QAction;
class QLabel;
class QPushButton;
class QSlider;
class QToolBar;

namespace orvel {
class Log;
class Table;
class LogLearningControls;
class O2ReferenceModel;
class UserMessages;
}  // namespace orvel

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;
class FileDialogs;
class KeyboardModifiers;
class LogChart;

// The models and services the log page shows and uses.
struct LogPageModels {
  Log& LogModel;
  Table& MainTable;
  LogLearningControls& Learning;
  O2ReferenceModel& Reference;
  FileDialogs& Dialogs;
  KeyboardModifiers& Keys;
  // Sends the table to the converter's working memory (nothing when no
  // converter is connected).
  std::function<void()> SendToConverterRam;
  // Open and save a chosen .log file (the work runs off the UI thread).
  std::function<void(const std::filesystem::path&)> OpenLogFile;
  std::function<void(const std::filesystem::path&)> SaveLogFile;
};

// The log page: the log chart with its undo, redo, zoom/move and modifier
// latch buttons, the learning controls and the bar of log files.
class LogPage final : public QWidget {
  Q_OBJECT

 public:
  LogPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  // Creates the chart over the models and wires every control. Once, after
  // the models exist and before the language is applied.
  void Bind(const LogPageModels& models);

  // While live data is recorded the log may be saved but not opened or
  // learned from.
  void SetRecording(bool recording);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildControls();
  void WireControls();
  // The commands of the page's controls.
  void LearnFromLog();
  void TakeConverterOutput();
  void OpenLog();
  // The save dialog with the date-and-time name proposed.
  void SaveLog();
  // Shows the learning controls' state: slider positions, labels, the lock.
  void ShowLearningControls();

  QAction* LogFileOpen;
  QAction* LogFileSave;
  QToolBar* Bar;

  LogChart* Chart = nullptr;  // created by Bind
  QPushButton* SpeedButtonLogUndo;
  QPushButton* SpeedButtonLogRedo;
  QPushButton* SpeedButtonLogZoom;   // "+/-" / "←/→"
  QPushButton* SpeedButtonLogShift;  // the "+Shift" latch
  QPushButton* SpeedButtonLogAlt;    // the hidden "+Alt" latch

  QSlider* TrackBarLogO2Target;
  QLabel* LabelLogO2TargetCaption;
  QLabel* LabelRefO2Log;
  QLabel* LabelLogMixtuePercent;
  QLabel* LabelLogO2FromDashCaption;
  QLabel* LabelLogO2RefFromDash;
  QLabel* LabelRefO2FromDashInPercent;
  QLabel* LabelLogF1;

  QSlider* LogLimitTrackBar;
  QLabel* LabelLogMafLimitCaption;
  QLabel* Label30;
  QPushButton* LockLogLimitSpeedButton;
  QLabel* LabelLogKeyL;
  QLabel* LabelLogF2;

  QPushButton* SpeedButtonLogMagicLearn;
  QLabel* LabelLogKeyEnter;
  QPushButton* SpeedButtonLogTakeOutput;
  QLabel* LabelLogKeyT;

  Subscription ModelFollow;
  TextRegistry& Texts;
  LatchRegistry& Latches;
  std::unique_ptr<LogPageModels> BoundModels;
};

}  // namespace orvel::ui
