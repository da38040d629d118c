// What the window keeps of the user's files: the autosaves of its own
// recordings whatever else lies in Logs/, and a state file it could not read,
// set aside before the close writes the new one.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/ui_texts.h"
#include "dashboard_actions.h"
#include "event_wait.h"
#include "frame_rig.h"
#include "live/log.h"
#include "live/log_autosave.h"
#include "table/table.h"
#include "ui/widgets/problem_status_line.h"

namespace orvel::ui {
namespace {

using test::DashboardAction;
using Bytes = std::vector<std::uint8_t>;

std::vector<std::filesystem::path> AutosavesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (IsAutosaveFileName(entry.path().filename().string())) {
      files.push_back(entry.path());
    }
  }
  return files;
}

bool Holds(const std::vector<std::filesystem::path>& files, const std::filesystem::path& file) {
  return std::find(files.begin(), files.end(), file) != files.end();
}

// Fifty autosaves copied in from a machine whose clock ran ahead: their names
// sort after today's and their times lie in the future. The recording being
// written and the one this run finished last survive every Start; the copied
// files go, the oldest first, down to 50 autosaves in all.
TEST(KeptFilesWindowTest, AutosavesKeepTheRecordingAndTheLastFinishedOne) {
  test::FrameRig rig;
  const auto logs = rig.File(std::string(kAutosaveFolderName));
  std::filesystem::create_directories(logs);
  const auto ahead = std::filesystem::file_time_type::clock::now() + std::chrono::hours{24};
  for (int i = 0; i < 50; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "2099-01-01_00-00-%02d.log", i);
    std::ofstream(logs / name) << "copied";
    std::filesystem::last_write_time(logs / name, ahead + std::chrono::minutes{i});
  }
  rig.Start();
  rig.Connect();
  TForm1& window = *rig.Window;

  const auto record = [&] {
    DashboardAction(window, "ActionStart").trigger();
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return window.LogModel().SampleCount() >= 10; },
                                         std::chrono::seconds(5)));
    return window.Core().Autosave.File();
  };
  const auto first = record();
  auto files = AutosavesIn(logs);
  EXPECT_EQ(files.size(), 50U);
  EXPECT_TRUE(Holds(files, first)) << "the recording's own file survives its Start";
  EXPECT_FALSE(Holds(files, logs / "2099-01-01_00-00-00.log")) << "the oldest copied file goes";

  DashboardAction(window, "ActionStop").trigger();
  const auto second = record();
  ASSERT_NE(second, first);
  files = AutosavesIn(logs);
  EXPECT_EQ(files.size(), 50U);
  EXPECT_TRUE(Holds(files, first)) << "the last finished recording survives the next Start";
  EXPECT_TRUE(Holds(files, second));
  EXPECT_FALSE(Holds(files, logs / "2099-01-01_00-00-01.log"));
  DashboardAction(window, "ActionStop").trigger();
  window.close();
}

// A Logs/ folder that cannot be made stops nothing: live data runs, the
// problem is said once in the status line (no box), in the window's language,
// and at the next Start not again.
TEST(KeptFilesWindowTest, AnAutosaveFolderThatCannotBeMadeIsSaidOnceInTheStatusLine) {
  test::FrameRig rig;
  std::ofstream(rig.File(std::string(kAutosaveFolderName))) << "a file where the folder should be";
  rig.Start();
  rig.Connect();
  TForm1& window = *rig.Window;
  int shown = 0;
  const Subscription counting =
      window.Core().Autosave.Problem.Subscribe([&](const AutosaveProblem&) { ++shown; });
  for (int start = 0; start < 2; ++start) {
    DashboardAction(window, "ActionStart").trigger();
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return window.LogModel().SampleCount() >= 10; },
                                         std::chrono::seconds(5)));
    DashboardAction(window, "ActionStop").trigger();
  }
  EXPECT_TRUE(rig.Messages.Texts.empty()) << rig.Messages.Texts.front();
  EXPECT_EQ(shown, 1);
  const QLabel& line = window.AutosaveStatusLine();
  EXPECT_FALSE(line.isHidden());
  EXPECT_TRUE(line.text().startsWith(QStringLiteral("Log autosave: cannot create the folder ")))
      << line.text().toStdString();
  window.ApplyLanguage(kLanguageRussian);
  EXPECT_TRUE(line.text().startsWith(QStringLiteral("Автосохранение лога: не удается создать папку")))
      << line.text().toStdString();
  window.close();
}

// A state file that exists but cannot be read (no regular file, too long,
// unreadable) or is damaged: the window starts, says so, and the close moves
// it aside as NAME.damaged (replacing an older one) before it writes the new
// file.
TEST(KeptFilesWindowTest, AStateFileThatCannotBeReadIsKeptAsDamaged) {
  Bytes history;
  {
    test::FrameRig earlier;
    earlier.Start();
    earlier.Window->MainTable().SetOutPoint(3, 99);
    earlier.Window->MainTable().PushHistory();
    earlier.Window->close();
    history = earlier.ReadFile(kHistoryFileName);
  }
  enum class Make { Written, Fifo, Unreadable };
  struct Case {
    const char* Name;
    const char* File;
    Make How;
    Bytes Content;
    const char* Said;
  };
  std::vector<Case> cases{
      {"a FIFO as config.cfg", "config.cfg", Make::Fifo, {}, "is a FIFO, not a regular file"},
      {"a config.cfg too long", "config.cfg", Make::Written, Bytes(40, 1), "is 40 bytes, larger than the 29"},
      {"a FIFO as the history", kHistoryFileName, Make::Fifo, {}, "is a FIFO, not a regular file"},
      {"a cut history", kHistoryFileName, Make::Written, Bytes(history.begin(), history.end() - 1),
       "damaged undo history"},
  };
  if (::geteuid() != 0) {  // root reads every file
    cases.push_back(
        {"an unreadable history", kHistoryFileName, Make::Unreadable, history, "Permission denied"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    test::FrameRig rig;
    const auto path = rig.File(c.File);
    rig.WriteFile(std::string(c.File) + ".damaged", Bytes{1, 2, 3});  // an older generation
    if (c.How == Make::Fifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
      rig.WriteFile(c.File, c.Content);
      if (c.How == Make::Unreadable) {
        ::chmod(path.c_str(), 0);
      }
    }
    rig.Start();
    ASSERT_TRUE(
        test::ProcessEventsUntil([&] { return rig.Window->HistoryLoaded(); }, std::chrono::seconds(5)));
    std::vector<std::string> said = rig.StartMessages;
    said.insert(said.end(), rig.Messages.Texts.begin(), rig.Messages.Texts.end());
    const auto message = std::find_if(said.begin(), said.end(), [&](const std::string& text) {
      return text.find(path.string()) == 0 && text.find(c.Said) != std::string::npos;
    });
    ASSERT_NE(message, said.end()) << testing::PrintToString(said);
    EXPECT_NE(message->find("it is kept as " + path.string() + ".damaged"), std::string::npos) << *message;

    rig.Window->close();
    const auto damaged = rig.File(std::string(c.File) + ".damaged");
    if (c.How == Make::Fifo) {
      EXPECT_TRUE(std::filesystem::is_fifo(damaged));
    } else {
      ::chmod(damaged.c_str(), 0600);
      EXPECT_EQ(rig.ReadFile(std::string(c.File) + ".damaged"), c.Content);
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_GT(std::filesystem::file_size(path), 0U) << "the close wrote the new file";
  }
}

}  // namespace
}  // namespace orvel::ui
