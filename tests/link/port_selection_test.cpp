#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/orvel_broadcaster.h"
#include "link/link_errors.h"
#include "link/port_selection.h"
#include "link/rxtx.h"
#include "link_job_rig.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

// The window side of the procedure: records what the procedure did to it.
class RecordingPage final : public ConnectionPage {
 public:
  [[nodiscard]] std::string ChosenPort() const override { return Chosen; }
  [[nodiscard]] bool RecoveryTicked() const override { return Recovery; }
  void SetFirmwareLabel(const std::string& text) override { Journal.emplace_back("label " + text); }
  void ShowHardwareLabels(bool visible) override { Journal.emplace_back(visible ? "show hw" : "hide hw"); }
  void EnableConverterActions() override { Journal.emplace_back("enable actions"); }
  void EnableReconnect() override { Journal.emplace_back("enable reconnect"); }
  void ShowDashboardPage() override { Journal.emplace_back("dashboard"); }
  void ShowConnecting(bool connecting) override { ConnectingShown.push_back(connecting); }

  std::string Chosen;
  std::vector<bool> ConnectingShown;
  bool Recovery = false;
  std::vector<std::string> Journal;
};

class PortSelectionTest : public ::testing::Test {
 protected:
  // Every step of the procedure writes to the same journal as the page, so
  // the order of the whole procedure shows.
  PortSelectionSteps Steps() {
    PortSelectionSteps steps;
    steps.ReadFromConverter = [this](const LinkJobContext&) {
      Page.Journal.emplace_back("read table (port open: " + std::string(Link.IsOpen() ? "yes)" : "no)"));
    };
    steps.IdentifyFirmware = [this](const LinkJobContext&) {
      Page.Journal.emplace_back("identify");
      return std::string("3.88");
    };
    steps.QueryContactlessSensor = [this](const LinkJobContext&) {
      Page.Journal.emplace_back("sensor query");
    };
    steps.Sleep = [this](std::chrono::milliseconds time) {
      Page.Journal.emplace_back("wait " + std::to_string(time.count()));
    };
    return steps;
  }

  // Selects `port` and runs the connect to its end.
  void Select(PortSelection& selection, const std::string& port) {
    selection.SelectPort(port);
    ASSERT_TRUE(Jobs.PumpUntilIdle());
  }

  test::JobRig Jobs;
  test::PtyPair Pty;
  TOrvelBroadcaster Bus;
  TRXTX Link{Bus, 100ms};
  RecordingPage Page;
  RecordedMessages Messages;
};

TEST_F(PortSelectionTest, OpensReadsIdentifiesAndShowsTheDashboardInOrder) {
  PortSelection selection(Bus, Link, Page, Messages, Jobs.Job, Steps());
  Select(selection, Pty.SlavePath());
  EXPECT_TRUE(Messages.Texts.empty());
  EXPECT_TRUE(Link.IsOpen());
  EXPECT_EQ(Link.PortName(), Pty.SlavePath());
  EXPECT_EQ(Page.Journal, (std::vector<std::string>{"read table (port open: yes)", "wait 300", "identify",
                                                    "label FW_Version:3.88", "hide hw", "sensor query",
                                                    "enable actions", "enable reconnect", "dashboard"}));
}

TEST_F(PortSelectionTest, TheExchangesRunOnAWorkerWhileThePageShowsItIsConnecting) {
  const std::thread::id mainThread = std::this_thread::get_id();
  std::thread::id readOn;
  PortSelectionSteps steps = Steps();
  steps.ReadFromConverter = [&](const LinkJobContext&) { readOn = std::this_thread::get_id(); };
  PortSelection selection(Bus, Link, Page, Messages, Jobs.Job, steps);
  selection.SelectPort(Pty.SlavePath());
  // The port is open when the call returns; the rest has not happened yet.
  EXPECT_TRUE(Link.IsOpen());
  EXPECT_TRUE(Jobs.Job.Busy());
  EXPECT_EQ(Page.ConnectingShown, (std::vector<bool>{true}));
  ASSERT_TRUE(Jobs.PumpUntilIdle());
  EXPECT_NE(readOn, mainThread);
  EXPECT_EQ(Page.ConnectingShown, (std::vector<bool>{true, false}));
  EXPECT_EQ(Page.Journal.back(), "dashboard");
}

TEST_F(PortSelectionTest, ANewChoiceEndsTheConnectUnderWayAtOnceAndSilently) {
  // The first converter never answers the identification: with a time-out
  // far beyond the test's limit, only the cancel can end its read.
  TOrvelBroadcaster bus;
  TRXTX link{bus, 60s};
  test::PtyPair silent;
  PortSelectionSteps steps = Steps();
  steps.IdentifyFirmware = [&](const LinkJobContext& job) {
    if (link.PortName() == silent.SlavePath()) {
      std::array<std::uint8_t, 1> reply{};
      if (link.Read(reply, job.Stop()) == 0) {
        throw LinkError(kErrorConnect, 0, 1);
      }
    }
    return std::string("3.88");
  };
  PortSelection selection(bus, link, Page, Messages, Jobs.Job, steps);
  selection.SelectPort(silent.SlavePath());
  std::this_thread::sleep_for(100ms);  // the worker now waits for the reply
  const auto start = std::chrono::steady_clock::now();
  Select(selection, Pty.SlavePath());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  EXPECT_TRUE(Messages.Texts.empty()) << Messages.Texts.front();
  EXPECT_EQ(link.PortName(), Pty.SlavePath());
  EXPECT_EQ(Page.Journal.back(), "dashboard");
  EXPECT_EQ(Page.ConnectingShown, (std::vector<bool>{true, false, true, false}));
}

TEST_F(PortSelectionTest, WithoutLaterStepsOnlyOpensWaitsAndEnables) {
  PortSelectionSteps steps;
  steps.Sleep = [this](std::chrono::milliseconds time) {
    Page.Journal.emplace_back("wait " + std::to_string(time.count()));
  };
  PortSelection selection(Bus, Link, Page, Messages, Jobs.Job, steps);
  Select(selection, Pty.SlavePath());
  EXPECT_EQ(Page.Journal,
            (std::vector<std::string>{"wait 300", "enable actions", "enable reconnect", "dashboard"}));
}

TEST_F(PortSelectionTest, RecoveryTickedOnlyOpensWaitsAndClearsSendingNothing) {
  Page.Recovery = true;
  PortSelection selection(Bus, Link, Page, Messages, Jobs.Job, Steps());
  Select(selection, Pty.SlavePath());
  EXPECT_TRUE(Link.IsOpen());
  EXPECT_EQ(Page.Journal, (std::vector<std::string>{"wait 300"}));
  EXPECT_TRUE(Pty.Read(1, 200ms).empty());
  EXPECT_TRUE(Messages.Texts.empty());
}

TEST_F(PortSelectionTest, FailuresShowTryAgainAndLeaveTheActionsAlone) {
  test::PtyPair held;
  SerialPort otherProgram;
  otherProgram.Open(held.SlavePath());
  PortSelectionSteps silentConverter = Steps();
  silentConverter.IdentifyFirmware = [](const LinkJobContext&) -> std::string {
    throw LinkError(kErrorConnect, 0, 1);
  };

  struct Case {
    const char* Name;
    std::string Port;
    PortSelectionSteps Steps;
    std::uint32_t Connected;
  };
  const std::vector<Case> cases = {
      {"missing port", "/dev/orvel-no-such-port", Steps(), 0},
      {"port held by another program", held.SlavePath(), Steps(), 0},
      {"converter silent", Pty.SlavePath(), silentConverter, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Page.Journal.clear();
    Messages.Texts.clear();
    PortSelection selection(Bus, Link, Page, Messages, Jobs.Job, c.Steps);
    Select(selection, c.Port);
    EXPECT_EQ(Messages.Texts, (std::vector<std::string>{std::string(kTryAgain)}));
    EXPECT_EQ(Link.Connected(), c.Connected);
    for (const std::string& entry : Page.Journal) {
      EXPECT_NE(entry, "enable actions");
      EXPECT_NE(entry, "enable reconnect");
    }
  }
}

TEST_F(PortSelectionTest, ReconnectReopensThePortClosedByANoResponseReport) {
  Page.Chosen = Pty.SlavePath();
  PortSelection selection(Bus, Link, Page, Messages, Jobs.Job, Steps());
  Select(selection, Page.Chosen);
  ReportLinkError(LinkError(kErrorConnect, 0, 392), Messages, Link);
  ASSERT_FALSE(Link.IsOpen());
  Messages.Texts.clear();
  Page.Journal.clear();

  selection.Reconnect();
  ASSERT_TRUE(Jobs.PumpUntilIdle());
  EXPECT_TRUE(Messages.Texts.empty());
  EXPECT_TRUE(Link.IsOpen());
  EXPECT_EQ(Page.Journal.back(), "dashboard");
  const std::array<std::uint8_t, 1> command{'i'};
  EXPECT_EQ(Link.Write(command), 1U);
  EXPECT_EQ(Pty.Read(1, 1000ms), (std::vector<std::uint8_t>{'i'}));

  // Pressing it while the port is open closes and reopens it without error.
  selection.Reconnect();
  ASSERT_TRUE(Jobs.PumpUntilIdle());
  EXPECT_TRUE(Messages.Texts.empty());
  EXPECT_TRUE(Link.IsOpen());
}

// The messages of selecting `port` as a user who may not open it: as root
// (which may open anything) the selection runs in a child process that has
// given up root first.
std::string MessageWithoutPermission(const std::string& port) {
  const auto select = [&port] {
    TOrvelBroadcaster bus;
    TRXTX link{bus, 100ms};
    RecordingPage page;
    RecordedMessages messages;
    test::JobRig jobs;
    PortSelection(bus, link, page, messages, jobs.Job).SelectPort(port);
    return messages.Texts.empty() ? std::string() : messages.Texts.front();
  };
  if (::geteuid() != 0) {
    return select();
  }
  std::array<int, 2> pipe{};
  if (::pipe(pipe.data()) != 0) {
    return "no pipe";
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
      ::_exit(2);
    }
    const std::string text = select();
    [[maybe_unused]] const auto written = ::write(pipe[1], text.data(), text.size());
    ::_exit(0);
  }
  ::close(pipe[1]);
  std::string text;
  std::array<char, 512> buffer{};
  for (ssize_t got = 0; (got = ::read(pipe[0], buffer.data(), buffer.size())) > 0;) {
    text.append(buffer.data(), static_cast<std::size_t>(got));
  }
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return text;
}

TEST(PortPermissionTest, APortThisUserMayNotOpenSaysWhyAndWhatToDo) {
  test::TempDir folder;
  const std::string port = (folder.Path() / "ttyUSB9").string();
  std::ofstream(port).put('x');
  std::filesystem::permissions(port, std::filesystem::perms::none);
  const std::string text = MessageWithoutPermission(port);
  EXPECT_EQ(text.rfind(kTryAgain, 0), 0U) << text;
  EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
  EXPECT_NE(text.find("usermod -aG dialout"), std::string::npos) << text;
  EXPECT_NE(text.find("log out and log in again"), std::string::npos) << text;
  EXPECT_NE(text.find(port), std::string::npos) << text;
}

}  // namespace
}  // namespace orvel
