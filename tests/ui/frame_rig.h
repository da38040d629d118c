#pragma once

// A main window in a folder of its own, with scripted file dialogs and the
// built-in simulator on a pseudo-terminal. The folder may be prepared (a
// state file, a firmware file) before the window starts.

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "converter_wait.h"
#include "core/user_messages.h"
#include "event_wait.h"
#include "find_by_name.h"
#include "scripted_file_dialogs.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "ui/connection_page.h"
#include "ui/main_window.h"

namespace orvel::ui::test {

class FrameRig {
 public:
  // Starts the window; `simulator` configures the converter behind the
  // "Simulator" entry.
  void Start(const sim::SimulatorOptions& simulator = {}) {
    MainWindowServices services = DefaultMainWindowServices();
    services.WorkingFolder = Folder.Path();
    services.ListPorts = [] { return std::vector<std::string>{"/dev/orvel-no-such-port"}; };
    services.LinkTimeout = LinkTimeout;
    services.Dialogs = Dialogs;
    services.CalibrationTick = std::chrono::milliseconds{5};
    services.ExtraPort = ExtraPort;
    services.LoadHistoryAfterFirstPaint = DeferHistory;
    services.StartSimulator = [simulator] { return std::make_unique<sim::SimulatorHost>(simulator); };
    Window =
        std::make_unique<TForm1>(WindowMessages != nullptr ? *WindowMessages : Messages, std::move(services));
    StartMessages = Messages.Texts;
    Messages.Texts.clear();
  }

  void Choose(const QString& entry) {
    auto& list = Find<QComboBox>(Window->ConnectionPage(), "ComComboBox1");
    const int index = list.findText(entry);
    ASSERT_GE(index, 0) << entry.toStdString();
    list.setCurrentIndex(index);
    emit list.activated(index);
    ASSERT_TRUE(WaitForConverter(*Window));
  }

  void Connect() {
    Choose(QStringLiteral("Simulator"));
    ASSERT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
  }

  [[nodiscard]] std::filesystem::path File(const std::string& name) const { return Folder.Path() / name; }

  void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  [[nodiscard]] std::vector<std::uint8_t> ReadFile(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The commands the simulator received, as text.
  [[nodiscard]] std::string Received() const {
    const std::vector<std::uint8_t> bytes = Window->BuiltInSimulator()->ReceivedBytes();
    return {bytes.begin(), bytes.end()};
  }

  orvel::test::TempDir Folder;
  std::shared_ptr<ScriptedFileDialogs> Dialogs = std::make_shared<ScriptedFileDialogs>();
  std::string ExtraPort;
  // Short, so the tests of a silent converter end soon.
  std::chrono::milliseconds LinkTimeout{200};
  bool DeferHistory = false;
  RecordedMessages Messages;
  // The window's messages when a test gives its own; the recorded ones otherwise.
  UserMessages* WindowMessages = nullptr;
  std::vector<std::string> StartMessages;
  std::unique_ptr<TForm1> Window;
};

}  // namespace orvel::ui::test
