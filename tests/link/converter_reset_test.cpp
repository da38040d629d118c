#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "converter_on_pty.h"
#include "core/progress.h"
#include "link/converter_reset.h"
#include "link/table_transfer.h"
#include "table/table.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

// A converter on a pty whose table differs from the model's, a model with
// trained points, and a reset whose pauses are recorded instead of slept.
class ConverterResetTest : public ::testing::Test {
 protected:
  static sim::SimulatorOptions Options() {
    sim::SimulatorOptions options;
    options.InitialTable = sim::OneToOneTable();
    options.InitialTable[100] = 7;
    return options;
  }

  ConverterResetTest() : Converter(Options()) {
    MainTable.BindGraph(nullptr, true, &Panel);
    MainTable.Trained()[50] = 90;
    MainTable.Trained()[200] = 210;
  }

  ConverterReset MakeReset(std::chrono::milliseconds portFreeLimit = kPortFreeLimit) {
    return ConverterReset(
        Converter.Link, Transfer, MainTable, Converter.Messages,
        [this](std::chrono::milliseconds pause) {
          // Each pause with what had reached the converter before it.
          Pauses.push_back(pause);
          ResetsBeforePause.push_back(Converter.Received("k"));
        },
        portFreeLimit);
  }

  [[nodiscard]] bool NothingTrained() const {
    return std::all_of(MainTable.Trained().begin(), MainTable.Trained().end(), [](int v) { return v == 0; });
  }

  test::ConverterOnPty Converter;
  TextPanel Panel;
  LatchedModifiers Keys;
  Table MainTable{Converter.Bus, Converter.Messages, Keys};
  KeptProgress Progress;
  TableTransfer Transfer{MainTable, Converter.Link, Converter.Messages, Progress};
  std::vector<std::chrono::milliseconds> Pauses;
  std::vector<std::size_t> ResetsBeforePause;
};

TEST_F(ConverterResetTest, WhileStoppedSendsTheResetBetweenTwoPausesThenReadsAndForgetsTheLearnedPoints) {
  ConverterReset reset = MakeReset();
  bool stopped = false;
  ASSERT_TRUE(reset.Run(false, [&] { stopped = true; }));
  EXPECT_FALSE(stopped);
  EXPECT_EQ(Pauses, (std::vector{200ms, 200ms}));
  EXPECT_EQ(ResetsBeforePause.front(), 0U) << "nothing sent before the first pause";
  const std::vector<std::uint8_t> received = Converter.Simulator.ReceivedBytes();
  const std::string commands(received.begin(), received.end());
  EXPECT_EQ(commands.rfind("ksr", 0), 0U) << commands;  // "k" first, then the read
  EXPECT_EQ(MainTable.GetOut(100), 7);
  EXPECT_TRUE(NothingTrained());
  EXPECT_TRUE(Converter.Messages.Texts.empty()) << Converter.Messages.Texts.front();
}

TEST_F(ConverterResetTest, WhileRunningStopsFirstAndWaitsUntilTheReaderLetsGoOfThePort) {
  ConverterReset reset = MakeReset();
  Converter.Link.SetPortFree(false);
  std::jthread reader;
  bool stopped = false;
  ASSERT_TRUE(reset.Run(true, [&] {
    stopped = true;
    // The reader finishes its frame a little later.
    reader = std::jthread([this] {
      std::this_thread::sleep_for(150ms);
      Converter.Link.SetPortFree(true);
    });
  }));
  EXPECT_TRUE(stopped);
  EXPECT_TRUE(Converter.Link.PortFree());
  EXPECT_EQ(Converter.Received("k"), 1U);
  EXPECT_EQ(MainTable.GetOut(100), 7);
}

TEST_F(ConverterResetTest, AReaderThatNeverLetsGoEndsTheWaitWithAMessageAndNothingSent) {
  ConverterReset reset = MakeReset(300ms);
  Converter.Link.SetPortFree(false);
  const TableBlock tableBefore = MainTable.Tab1();
  const std::uint32_t snapshots = MainTable.History().HistoryCount();
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(reset.Run(true, [] {}));
  const auto waited = std::chrono::steady_clock::now() - before;
  EXPECT_GE(waited, 300ms);
  EXPECT_LT(waited, 2s);
  EXPECT_EQ(Converter.Messages.Texts, std::vector<std::string>{std::string(kResetPortBusyText)});
  EXPECT_TRUE(Converter.Simulator.ReceivedBytes().empty());
  EXPECT_EQ(MainTable.Tab1(), tableBefore);
  EXPECT_EQ(MainTable.History().HistoryCount(), snapshots);
  EXPECT_FALSE(NothingTrained());
}

TEST_F(ConverterResetTest, AWriteToAClosedPortIsReportedAndTheTableIsNotRead) {
  ConverterReset reset = MakeReset();
  Converter.Link.Close();
  const std::uint32_t snapshots = MainTable.History().HistoryCount();
  EXPECT_FALSE(reset.Run(false, [] {}));
  ASSERT_EQ(Converter.Messages.Texts.size(), 1U);
  EXPECT_NE(Converter.Messages.Texts[0].find("not open"), std::string::npos) << Converter.Messages.Texts[0];
  EXPECT_EQ(Pauses.size(), 1U) << "the command ends at the failed write";
  EXPECT_EQ(MainTable.History().HistoryCount(), snapshots);
  EXPECT_FALSE(NothingTrained());
}

}  // namespace
}  // namespace orvel
