#pragma once

// A main window for the dashboard's tests: a fixed port list, the real
// built-in simulator, and a cue player that records what it was asked to play.

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "autotune/state_cues.h"
#include "converter_wait.h"
#include "core/user_messages.h"
#include "event_wait.h"
#include "find_by_name.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "ui/connection_page.h"
#include "ui/main_window.h"

namespace orvel::ui::test {

// What the recording player was asked, and whether it pretends to sound.
struct CueRecord {
  std::vector<std::string> Played;
  bool Sounding = false;
};

class RecordingCuePlayer final : public CuePlayer {
 public:
  explicit RecordingCuePlayer(CueRecord& record) : Record(record) {}
  [[nodiscard]] bool StillPlaying() const override { return Record.Sounding; }
  void Play(const std::string& path) override { Record.Played.push_back(path); }

 private:
  CueRecord& Record;
};

inline MainWindowServices DashboardServices(const orvel::test::TempDir& folder, CueRecord& cues,
                                            std::vector<std::string> ports = {}, double timeScale = 1.0) {
  MainWindowServices services = DefaultMainWindowServices(timeScale);
  services.WorkingFolder = folder.Path();
  services.ListPorts = [ports] { return ports; };
  services.LinkTimeout = std::chrono::milliseconds{2000};
  services.Cues = [&cues] { return std::make_unique<RecordingCuePlayer>(cues); };
  return services;
}

inline void ChoosePort(TForm1& window, const QString& entry) {
  auto& list = Find<QComboBox>(window.ConnectionPage(), "ComComboBox1");
  const int index = list.findText(entry);
  ASSERT_GE(index, 0) << entry.toStdString();
  list.setCurrentIndex(index);
  emit list.activated(index);
  ASSERT_TRUE(WaitForConverter(window));
}

// A pointer move with buttons held, as the window system delivers it.
inline void MoveWithButtons(QWidget* widget, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton, buttons,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

// A double click of the left button as the window system delivers it: press,
// release, double click, release.
inline void DoubleClick(QWidget* widget, QPoint at) {
  const QPointF local(at);
  const QPointF global = widget->mapToGlobal(local);
  const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
    QMouseEvent event(type, local, global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
  };
  send(QEvent::MouseButtonPress, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::NoButton);
  send(QEvent::MouseButtonDblClick, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::NoButton);
}

}  // namespace orvel::ui::test
