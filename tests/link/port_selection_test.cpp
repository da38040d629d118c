#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/orvel_broadcaster.h"
#include "link/link_errors.h"
#include "link/port_selection.h"
#include "link/rxtx.h"
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

  std::string Chosen;
  bool Recovery = false;
  std::vector<std::string> Journal;
};

class PortSelectionTest : public ::testing::Test {
 protected:
  // Every step of the procedure writes to the same journal as the page, so
  // the order of the whole procedure shows.
  PortSelectionSteps Steps() {
    PortSelectionSteps steps;
    steps.ReadFromConverter = [this] {
      Page.Journal.emplace_back("read table (port open: " + std::string(Link.IsOpen() ? "yes)" : "no)"));
    };
    steps.IdentifyFirmware = [this] {
      Page.Journal.emplace_back("identify");
      return std::string("3.88");
    };
    steps.QueryContactlessSensor = [this] { Page.Journal.emplace_back("sensor query"); };
    steps.Sleep = [this](std::chrono::milliseconds time) {
      Page.Journal.emplace_back("wait " + std::to_string(time.count()));
    };
    return steps;
  }

  test::PtyPair Pty;
  TOrvelBroadcaster Bus;
  TRXTX Link{Bus, 100ms};
  RecordingPage Page;
  RecordedMessages Messages;
};

TEST_F(PortSelectionTest, OpensReadsIdentifiesAndShowsTheDashboardInOrder) {
  PortSelection selection(Bus, Link, Page, Messages, Steps());
  selection.SelectPort(Pty.SlavePath());
  EXPECT_TRUE(Messages.Texts.empty());
  EXPECT_TRUE(Link.IsOpen());
  EXPECT_EQ(Link.PortName(), Pty.SlavePath());
  EXPECT_EQ(Page.Journal, (std::vector<std::string>{"read table (port open: yes)", "wait 300", "identify",
                                                    "label FW_Version:3.88", "hide hw", "sensor query",
                                                    "enable actions", "enable reconnect", "dashboard"}));
}

TEST_F(PortSelectionTest, WithoutLaterStepsOnlyOpensWaitsAndEnables) {
  PortSelectionSteps steps;
  steps.Sleep = [this](std::chrono::milliseconds time) {
    Page.Journal.emplace_back("wait " + std::to_string(time.count()));
  };
  PortSelection selection(Bus, Link, Page, Messages, steps);
  selection.SelectPort(Pty.SlavePath());
  EXPECT_EQ(Page.Journal,
            (std::vector<std::string>{"wait 300", "enable actions", "enable reconnect", "dashboard"}));
}

TEST_F(PortSelectionTest, RecoveryTickedOnlyOpensWaitsAndClearsSendingNothing) {
  Page.Recovery = true;
  PortSelection selection(Bus, Link, Page, Messages, Steps());
  selection.SelectPort(Pty.SlavePath());
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
  silentConverter.IdentifyFirmware = []() -> std::string { throw LinkError(kErrorConnect, 0, 1); };

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
    PortSelection selection(Bus, Link, Page, Messages, c.Steps);
    selection.SelectPort(c.Port);
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
  PortSelection selection(Bus, Link, Page, Messages, Steps());
  selection.SelectPort(Page.Chosen);
  ReportLinkError(LinkError(kErrorConnect, 0, 392), Messages, Link);
  ASSERT_FALSE(Link.IsOpen());
  Messages.Texts.clear();
  Page.Journal.clear();

  selection.Reconnect();
  EXPECT_TRUE(Messages.Texts.empty());
  EXPECT_TRUE(Link.IsOpen());
  EXPECT_EQ(Page.Journal.back(), "dashboard");
  const std::array<std::uint8_t, 1> command{'i'};
  EXPECT_EQ(Link.Write(command), 1U);
  EXPECT_EQ(Pty.Read(1, 1000ms), (std::vector<std::uint8_t>{'i'}));

  // Pressing it while the port is open closes and reopens it without error.
  selection.Reconnect();
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
    PortSelection(bus, link, page, messages).SelectPort(port);
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
