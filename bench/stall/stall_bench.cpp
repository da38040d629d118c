// The longest stall of the window's UI thread in each scenario of a tuner's
// session, offscreen against the built-in simulator: from a start with a full
// undo history to the close. A stall probe (a precise timer whose lateness is
// recorded) runs on the UI thread; every scenario resets it, runs through
// the window's own actions and waits until the work is done. The whole
// session runs three times; each scenario's best run is printed.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "../recorded_hours.h"
#include "core/user_messages.h"
#include "find_by_name.h"
#include "live/log.h"
#include "live/log_channels.h"
#include "scripted_file_dialogs.h"
#include "sim/simulator_host.h"
#include "table/table.h"
#include "table/table_views.h"
#include "ui/connection_page.h"
#include "ui/main_window.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/firmware_page.h"
#include "ui/pages/log_page.h"
#include "ui/window/stall_probe.h"

namespace {

using namespace orvel;
using namespace std::chrono_literals;
using ui::TForm1;
using ui::test::Find;

constexpr std::int64_t kTenHours = 10 * bench::kSamplesPerHour;

// A folder of its own under the temporary directory, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int count = 0;
    Where = std::filesystem::temp_directory_path() /
            ("orvel_stall_" + std::to_string(::getpid()) + "_" + std::to_string(count++));
    std::filesystem::create_directories(Where);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Where, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] const std::filesystem::path& Path() const { return Where; }

 private:
  std::filesystem::path Where;
};

// Lets the event loop run until `done` holds or `limit` has passed.
bool TurnUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return done();
}

void TurnFor(std::chrono::milliseconds time) {
  const auto until = std::chrono::steady_clock::now() + time;
  TurnUntil([until] { return std::chrono::steady_clock::now() >= until; }, time + 1s);
}

// The files every session starts from: settings, a full undo history, a
// ten-hour log and a firmware file.
struct Fixtures {
  Fixtures() {
    std::vector<std::uint8_t> english(29, 0);
    english[0] = 1;
    std::ofstream(Folder.Path() / kStateFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(english.data()), static_cast<std::streamsize>(english.size()));
    WriteFullHistory(Folder.Path() / kHistoryFileName);
    WriteLog(LogFile());
    std::ofstream(FirmwareFile()) << "00 03 11 22 33\n";
  }

  static void WriteFullHistory(const std::filesystem::path& path) {
    TOrvelBroadcaster bus;
    RecordedMessages messages;
    LatchedModifiers modifiers;
    Table table(bus, messages, modifiers);
    table.BindGraph(nullptr, true, nullptr);
    for (std::size_t i = 1; i < kHistoryCapacity; ++i) {
      table.SetOutPoint(static_cast<int>(i % 256), static_cast<int>(i % 251));
      table.PushHistory();
    }
    table.SaveHistory(path);
  }

  static void WriteLog(const std::filesystem::path& path) {
    RecordedMessages messages;
    Log log(messages);
    bench::RecordHours(log, kTenHours / bench::kSamplesPerHour);
    log.SaveToFile(path);
  }

  [[nodiscard]] std::filesystem::path LogFile() const { return Folder.Path() / "ten_hours.log"; }
  [[nodiscard]] std::filesystem::path FirmwareFile() const { return Folder.Path() / "one.enc"; }

  ScratchFolder Folder;
};

// One session: a fresh working folder with copies of the fixtures.
class Session {
 public:
  explicit Session(const Fixtures& fixtures) : Files(fixtures) {
    for (const char* name : {kStateFileName, kHistoryFileName}) {
      std::filesystem::copy_file(Files.Folder.Path() / name, Folder.Path() / name);
    }
  }

  void Start() {
    ui::MainWindowServices services = ui::DefaultMainWindowServices();
    services.WorkingFolder = Folder.Path();
    services.ListPorts = [] { return std::vector<std::string>{}; };
    services.Dialogs = Dialogs;
    services.CalibrationTick = 5ms;
    services.LoadHistoryAfterFirstPaint = true;
    services.StartSimulator = [] { return std::make_unique<sim::SimulatorHost>(sim::SimulatorOptions{}); };
    Window = std::make_unique<TForm1>(Messages, std::move(services));
    Window->resize(1280, 800);
    Window->show();
  }

  QAction& DashboardAction(const char* name) { return Find<QAction>(Window->Dashboard(), name); }
  // One of the firmware page's update actions on the fixture's file, to the
  // end of its job.
  bool UpdateFirmware(const char* action) {
    Dialogs->Answer(Files.FirmwareFile());
    Find<QAction>(Window->Firmware(), action).trigger();
    return TurnUntil([this] { return Idle(); });
  }
  bool Idle() { return !Window->Core().ConverterJob.Busy(); }

  const Fixtures& Files;
  ScratchFolder Folder;
  RecordedMessages Messages;
  std::shared_ptr<ui::test::ScriptedFileDialogs> Dialogs = std::make_shared<ui::test::ScriptedFileDialogs>();
  std::unique_ptr<TForm1> Window;
};

struct Scenario {
  const char* Name;
  // Runs the scenario; false when it did not come to its end.
  std::function<bool(Session&)> Run;
};

std::vector<Scenario> Scenarios() {
  return {
      {"start with a full history (from show)",
       [](Session& s) {
         s.Start();
         return TurnUntil([&] { return s.Window->HistoryLoaded(); });
       }},
      {"connect",
       [](Session& s) {
         auto& ports = Find<QComboBox>(s.Window->ConnectionPage(), "ComComboBox1");
         const int index = ports.findText(QStringLiteral("Simulator"));
         ports.setCurrentIndex(index);
         emit ports.activated(index);
         return TurnUntil([&] { return s.Idle(); }) && s.Window->Link()->Connected() == 1;
       }},
      {"read",
       [](Session& s) {
         s.DashboardAction("ActionReadCoverter").trigger();
         return TurnUntil([&] { return s.Idle(); });
       }},
      {"write",
       [](Session& s) {
         s.DashboardAction("ActionWriteConverter").trigger();
         return TurnUntil([&] { return s.Idle(); });
       }},
      {"start, stop, start",
       [](Session& s) {
         s.DashboardAction("ActionStart").trigger();
         TurnFor(1s);
         s.DashboardAction("ActionStop").trigger();
         s.DashboardAction("ActionStart").trigger();
         TurnFor(1s);
         s.DashboardAction("ActionStop").trigger();
         TurnFor(100ms);
         return !s.Window->LogModel().IsRunning();
       }},
      {"firmware update", [](Session& s) { return s.UpdateFirmware("FileOpenFirmware"); }},
      {"update with 1:1",
       [](Session& s) {
         const bool ended = s.UpdateFirmware("ActionUpgradeFirmwareOneToOne");
         if (s.Window->LogModel().IsRunning()) {
           TurnFor(500ms);
           s.DashboardAction("ActionStop").trigger();
         }
         return ended && TurnUntil([&] { return !s.Window->LogModel().IsRunning(); });
       }},
      {"calibration",
       [](Session& s) {
         Find<QPushButton>(s.Window->ConnectionPage(), "ButtonCalibrateKMA").click();
         return TurnUntil([&] { return s.Idle(); });
       }},
      {"open a ten-hour log",
       [](Session& s) {
         s.Dialogs->Answer(s.Files.LogFile());
         Find<QAction>(s.Window->LogView(), "LogFileOpen").trigger();
         TurnFor(100ms);
         return s.Window->LogModel().SampleCount() == static_cast<std::size_t>(kTenHours);
       }},
      {"learn on it",
       [](Session& s) {
         Find<QPushButton>(s.Window->LogView(), "SpeedButtonLogMagicLearn").click();
         TurnFor(100ms);
         return true;
       }},
      {"save all",
       [](Session& s) {
         s.Dialogs->Answer(s.Folder.Path() / "saved.tab");
         s.Dialogs->Answer(s.Folder.Path() / "saved.log");
         s.DashboardAction("ActionSaveALL").trigger();
         TurnFor(100ms);
         return std::filesystem::exists(s.Folder.Path() / "saved.log");
       }},
      {"close with a full history",
       [](Session& s) {
         s.Window->close();
         const bool closed = TurnUntil([&] { return s.Window->Core().Closed(); });
         s.Window.reset();
         return closed;
       }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  int runs = 3;
  if (argc > 1) {
    runs = std::max(1, std::atoi(argv[1]));
  }
  std::printf("preparing a full history and a ten-hour log...\n");
  std::fflush(stdout);
  const Fixtures fixtures;
  const std::vector<Scenario> scenarios = Scenarios();
  std::map<std::string, std::vector<long>> stalls;
  for (int run = 0; run < runs; ++run) {
    ui::StallProbe probe;
    Session session(fixtures);
    for (const Scenario& scenario : scenarios) {
      probe.Reset();
      const auto received = session.Window ? session.Window->BuiltInSimulator() : nullptr;
      const std::size_t sentBefore = received != nullptr ? received->ReceivedBytes().size() : 0;
      const auto started = std::chrono::steady_clock::now();
      const bool done = scenario.Run(session);
      const long longest = static_cast<long>(probe.Longest().count());
      if (std::getenv("ORVEL_STALL_VERBOSE") != nullptr) {
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        const auto* converter = session.Window ? session.Window->BuiltInSimulator() : nullptr;
        const std::size_t sent =
            converter != nullptr
                ? converter->ReceivedBytes().size() - std::min(sentBefore, converter->ReceivedBytes().size())
                : 0;
        std::printf("  %s: %ld ms stall, %lld ms, %zu bytes to the converter, messages:", scenario.Name,
                    longest, static_cast<long long>(took.count()), sent);
        for (const auto& text : session.Messages.Texts) {
          std::printf(" [%s]", text.c_str());
        }
        std::printf("\n");
        session.Messages.Texts.clear();
      }
      stalls[scenario.Name].push_back(done ? longest : -1);
    }
  }
  std::printf("%-40s %10s   runs (ms; -1: did not finish)\n", "scenario", "best ms");
  for (const Scenario& scenario : scenarios) {
    const auto& runsOf = stalls[scenario.Name];
    long best = -1;
    std::string all;
    for (const long value : runsOf) {
      if (value >= 0 && (best < 0 || value < best)) {
        best = value;
      }
      all += std::to_string(value) + " ";
    }
    std::printf("%-40s %10ld   %s\n", scenario.Name, best, all.c_str());
  }
  return 0;
}
