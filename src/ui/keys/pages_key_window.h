#pragma once

// The window as the keyboard commands see it: its page control, the pages
// whose state the keys ask about, and the commands the keys share with the
// bars' actions and the buttons.

#include <functional>

#include "ui/keys/key_window.h"

class QTabWidget;

namespace orvel {
class Log;
}

namespace orvel::ui {

class ConnectionPageWidget;
class DashboardPage;

// The commands the keys share with the bars' actions and the buttons.
struct KeyWindowCommands {
  std::function<void()> Start;
  std::function<void()> Stop;
  // Save all: the table, then the log, under one proposed name.
  std::function<void()> SaveAll;
  std::function<void()> MakeOneToOne;
  std::function<void()> Reconnect;
};

class PagesKeyWindow final : public KeyWindow {
 public:
  // Live data runs while `liveLog` records.
  PagesKeyWindow(QTabWidget& pageControl, const ConnectionPageWidget& connection,
                 const DashboardPage& dashboard, const Log& liveLog, KeyWindowCommands commands);

  [[nodiscard]] int CurrentPage() const override;
  void ShowPage(int page) override;
  void FocusMainPageControl() override;
  [[nodiscard]] bool StartEnabled() const override;
  [[nodiscard]] bool StopEnabled() const override;
  void RunStart() override;
  void RunStop() override;
  void SaveAll() override;
  void MakeOneToOne() override;
  [[nodiscard]] bool ReconnectEnabled() const override;
  void Reconnect() override;
  [[nodiscard]] bool CorrectionFieldFocused() const override;
  [[nodiscard]] bool DeltaFieldFocused() const override;

 private:
  QTabWidget& PageControl;
  const ConnectionPageWidget& Connection;
  const DashboardPage& Dashboard;
  const Log& LiveLog;
  KeyWindowCommands Commands;
};

}  // namespace orvel::ui
