// A close asked for while a long operation runs on the link (SIGTERM through
// the program's own handler, or the window's close button) waits for the
// operation to end and then runs the ordinary close sequence: the operation's
// bytes reach the converter whole, the close's Stop ("s") comes after them,
// and a close from a signal never waits on a message box.

#include <gtest/gtest.h>

#include <QAction>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <functional>
#include <sstream>

#include "dashboard_actions.h"
#include "find_by_name.h"
#include "frame_rig.h"
#include "link/firmware_update.h"
#include "link/table_transfer.h"
#include "live/program_state.h"
#include "sim/simulated_converter.h"
#include "table/table.h"
#include "ui/message_box_messages.h"
#include "ui/pages/firmware_page.h"
#include "ui/widgets/calibration_overlay.h"
#include "ui/window/termination_signals.h"

namespace orvel::ui {
namespace {

using test::DashboardAction;
using Bytes = std::vector<std::uint8_t>;

// Rejects every message box that waits and keeps its text: a box that
// nobody closes would hang the test instead of failing it.
class BoxWatch {
 public:
  BoxWatch() {
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Shown.push_back(box->text().toStdString());
        box->reject();
      }
    });
    Timer.start(5);
  }
  std::vector<std::string> Shown;

 private:
  QTimer Timer;
};

// A message as an unattended close prints it.
std::string Printed(std::string_view text) {
  return QApplication::applicationName().toStdString() + ": " + std::string(text) + "\n";
}

// Runs `action` from an event loop, as the program runs its handlers from
// the main loop, so modal waits inside it sit one level deeper.
void RunFromEventLoop(const std::function<void()>& action) {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, [&] {
    action();
    loop.quit();
  });
  loop.exec();
}

// The program as main() builds it: message boxes over the window, the
// termination signals wired the same way, a converter on a pseudo-terminal
// chosen at start from the command line. The converter outlives the
// window's close, so what reached it can be read afterwards.
class ClosingProgram {
 public:
  ClosingProgram() {
    // English settings from an earlier run: no start-up message.
    Bytes english(29, 0);
    english[0] = 1;
    Rig.WriteFile(kStateFileName, english);
    Rig.ExtraPort = Converter.PortPath();
    // A converter that answers late on a loaded machine is no fault here.
    Rig.LinkTimeout = std::chrono::seconds(2);
    Rig.WindowMessages = &Boxes;
    Rig.Start();
    Boxes.SetParent(Rig.Window.get());
    CloseOnTermination(Termination, *Rig.Window, Boxes);
    Rig.Window->show();
  }

  // Waits for the start's port selection to finish its sensor query.
  [[nodiscard]] bool Connected() const {
    return test::ProcessEventsUntil(
        [this] {
          return Received().find("sy") != std::string::npos && !Rig.Window->Core().ConverterJob.Busy();
        },
        std::chrono::seconds(10));
  }
  [[nodiscard]] std::string Received() const {
    const Bytes bytes = Converter.ReceivedBytes();
    return {bytes.begin(), bytes.end()};
  }
  [[nodiscard]] bool Closed() const {
    return test::ProcessEventsUntil([this] { return Rig.Window->Core().Closed(); }, std::chrono::seconds(10));
  }
  TForm1& Window() { return *Rig.Window; }

  sim::SimulatorHost Converter;
  std::ostringstream Unattended;
  MessageBoxMessages Boxes{nullptr, Unattended};
  test::FrameRig Rig;
  TerminationSignals Termination;
  BoxWatch Watch;
};

enum class CloseBy { Sigterm, Window };

// One long operation: how it starts, when it is under way (a close is
// asked for then), and what it leaves behind.
struct Operation {
  const char* Name;
  CloseBy By;
  std::function<void(ClosingProgram&)> Prepare;
  std::function<void(ClosingProgram&)> Run;
  std::function<bool(ClosingProgram&, std::size_t before)> UnderWay;
  // The bytes the converter receives from the operation's start, the
  // close's Stop included; empty when the operation's own checks tell.
  std::function<std::string(ClosingProgram&)> Expected;
  std::function<void(ClosingProgram&)> Check;
  // Its one message on success, if any.
  std::string_view Message;
};

// 40 loader blocks of three bytes each.
Bytes FirmwarePayload() {
  Bytes payload;
  for (std::uint8_t block = 0; block < 40; ++block) {
    payload.insert(payload.end(), {0x00, 0x03, block, static_cast<std::uint8_t>(block + 1), 0x5A});
  }
  return payload;
}

void ChooseFirmwareFile(ClosingProgram& program) {
  {
    std::ofstream file(program.Rig.File("long.enc"));
    for (const std::uint8_t byte : FirmwarePayload()) {
      file << std::hex << static_cast<int>(byte) << ' ';
    }
  }
  program.Rig.Dialogs->Answer(program.Rig.File("long.enc"));
  // The update's bar paints, and lets events in, on a page that shows.
  program.Window().MainPageControl().setCurrentIndex(TForm1::kSetupPage);
}

void ChangeTable(ClosingProgram& program) {
  program.Window().MainTable().SetOutPoint(40, 250);
}

bool HalfTheFirmwareSent(ClosingProgram& program, std::size_t before) {
  return program.Converter.ReceivedBytes().size() > before + 4 + FirmwarePayload().size() / 2;
}

// Every block byte echoed: the write follows the permanent store's progress.
bool InPermanentStore(ClosingProgram& program, std::size_t before) {
  return program.Converter.ReceivedBytes().size() >= before + 2 + TableBlock::kSize;
}

std::string FirmwareAndStop(ClosingProgram& /*program*/) {
  const Bytes payload = FirmwarePayload();
  return "fiud" + std::string(payload.begin(), payload.end()) + "s";
}

std::string TableWriteAndStop(ClosingProgram& program) {
  const auto block = BlockBytes(program.Window().MainTable().Tab1());
  return "sw" + std::string(block.begin(), block.end()) + "sr" + "s";
}

void FirmwareLoaded(ClosingProgram& program) {
  EXPECT_EQ(program.Converter.Inspect([](const sim::SimulatedConverter& c) { return c.LoadedFirmware(); }),
            FirmwarePayload());
}

void TableStored(ClosingProgram& program) {
  EXPECT_EQ(program.Converter.PermanentTable()[40], 250);
}

std::vector<Operation> Operations() {
  const auto writeTable = [](ClosingProgram& p) {
    DashboardAction(p.Window(), "ActionWriteConverter").trigger();
  };
  const auto update = [](ClosingProgram& p) {
    test::Find<QAction>(p.Window().Firmware(), "FileOpenFirmware").trigger();
  };
  std::vector<Operation> operations;
  for (const CloseBy by : {CloseBy::Sigterm, CloseBy::Window}) {
    operations.push_back(
        {"table write", by, ChangeTable, writeTable, InPermanentStore, TableWriteAndStop, TableStored, {}});
    operations.push_back({"firmware update", by, ChooseFirmwareFile, update, HalfTheFirmwareSent,
                          FirmwareAndStop, FirmwareLoaded, kFirmwareUpdatedText});
  }
  operations.push_back(
      {"update with 1:1",
       CloseBy::Sigterm,
       [](ClosingProgram& p) {
         ChooseFirmwareFile(p);
         ChangeTable(p);
       },
       [](ClosingProgram& p) {
         test::Find<QAction>(p.Window().Firmware(), "ActionUpgradeFirmwareOneToOne").trigger();
       },
       HalfTheFirmwareSent,
       {},
       [](ClosingProgram& p) {
         FirmwareLoaded(p);
         EXPECT_EQ(p.Converter.PermanentTable()[40], 40) << "the 1:1 table was written after the update";
       },
       kFirmwareUpdatedText});
  return operations;
}

TEST(CloseDuringTransferTest, TheCloseWaitsForTheOperationThenRunsTheOrdinarySequence) {
  for (const Operation& operation : Operations()) {
    SCOPED_TRACE(std::string(operation.Name) + (operation.By == CloseBy::Sigterm ? ", SIGTERM" : ", close"));
    ClosingProgram program;
    ASSERT_TRUE(program.Connected()) << program.Received();
    operation.Prepare(program);
    const std::size_t before = program.Converter.ReceivedBytes().size();

    bool asked = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
      if (!asked && operation.UnderWay(program, before)) {
        asked = true;
        if (operation.By == CloseBy::Sigterm) {
          std::raise(SIGTERM);
        } else {
          program.Window().close();
        }
      }
    });
    probe.start(0);
    bool linkAfterOperation = false;
    RunFromEventLoop([&] {
      operation.Run(program);
      // A firmware update runs on as a converter job: the link must stay
      // open for as long as it runs.
      bool linkOpen = program.Window().Link()->IsOpen();
      test::ProcessEventsUntil(
          [&] {
            if (!program.Window().Core().ConverterJob.Busy()) {
              return true;
            }
            linkOpen = program.Window().Link()->IsOpen();
            return false;
          },
          std::chrono::seconds(30));
      linkAfterOperation = linkOpen;
    });
    probe.stop();
    ASSERT_TRUE(asked) << "the operation let no event in while it ran; "
                       << testing::PrintToString(program.Watch.Shown) << program.Unattended.str();
    EXPECT_TRUE(linkAfterOperation) << "the link outlived the operation";
    ASSERT_TRUE(program.Closed());
    EXPECT_FALSE(program.Window().isVisible());

    operation.Check(program);
    if (operation.Expected) {
      EXPECT_EQ(program.Received().substr(before), operation.Expected(program));
    }
    // A user closing the window reads the outcome in a box; after a signal
    // it goes to standard error and nothing waits.
    const bool message = !operation.Message.empty();
    if (operation.By == CloseBy::Sigterm) {
      EXPECT_EQ(program.Watch.Shown, std::vector<std::string>{});
      EXPECT_EQ(program.Unattended.str(), message ? Printed(operation.Message) : std::string());
    } else {
      EXPECT_EQ(program.Watch.Shown.size(), message ? 1U : 0U);
      EXPECT_EQ(program.Unattended.str(), "");
    }
  }
}

// Keeps the counter of the calibration's overlay when it hides: 0 when its
// count-down ran out, more when it was cut short.
class HideWatch final : public QObject {
 public:
  int CounterAtHide = -1;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide) {
      CounterAtHide = static_cast<TCalibrationOverlayForm*>(watched)->Counter();
    }
    return false;
  }
};

TEST(CloseDuringTransferTest, SigtermDuringACalibrationLetsItsCountDownRunOut) {
  ClosingProgram program;
  ASSERT_TRUE(program.Connected()) << program.Received();
  const std::size_t before = program.Converter.ReceivedBytes().size();
  HideWatch hides;
  bool asked = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    auto* overlay = program.Window().findChild<TCalibrationOverlayForm*>();
    if (!asked && overlay != nullptr && overlay->isVisible()) {
      asked = true;
      overlay->installEventFilter(&hides);
      std::raise(SIGTERM);
    }
  });
  probe.start(0);
  bool linkAfterOperation = false;
  RunFromEventLoop([&] {
    test::Find<QPushButton>(program.Window().ConnectionPage(), "ButtonCalibrateKMA").click();
    linkAfterOperation = program.Window().Link()->IsOpen();
  });
  probe.stop();
  ASSERT_TRUE(asked);
  EXPECT_EQ(hides.CounterAtHide, 0) << "the count-down ran out";
  EXPECT_TRUE(linkAfterOperation);
  ASSERT_TRUE(program.Closed());
  const std::string received = program.Received().substr(before);
  ASSERT_EQ(received.size(), 2 + ContactlessSettings::Size + 1) << received;
  EXPECT_EQ(received.substr(0, 2), "se");
  EXPECT_EQ(received.back(), 's') << "the Stop after the calibration";
  EXPECT_TRUE(program.Watch.Shown.empty());
}

TEST(CloseDuringTransferTest, ASignalClosePrintsTheSaveErrorsInsteadOfWaitingOnABox) {
  ClosingProgram program;
  ASSERT_TRUE(program.Connected()) << program.Received();
  // Neither state file can be replaced any more: each is now a folder that
  // holds a file.
  for (const char* name : {kStateFileName, kHistoryFileName}) {
    std::filesystem::remove(program.Rig.File(name));
    std::filesystem::create_directories(program.Rig.File(name) / "kept");
  }
  std::raise(SIGTERM);
  ASSERT_TRUE(program.Closed());
  EXPECT_TRUE(program.Watch.Shown.empty()) << program.Watch.Shown.front();
  // One line for each file that could not be saved.
  const std::string printed = program.Unattended.str();
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 2) << printed;
}

}  // namespace
}  // namespace orvel::ui
