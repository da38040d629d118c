#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "converter_on_pty.h"
#include "core/progress.h"
#include "link/link_errors.h"
#include "link/table_transfer.h"
#include "table/table.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

// Records the phases of a write: each title with the highest position its
// bar reached, and every show and hide.
class RecordingProgress final : public KeptProgress {
 public:
  void SetTitle(std::string_view title) override {
    KeptProgress::SetTitle(title);
    Journal.emplace_back(title);
  }
  void SetPosition(int position) override {
    KeptProgress::SetPosition(position);
    Highest = std::max(Highest, position);
    if (OnPosition) {
      OnPosition(position);
    }
  }
  void Show() override {
    KeptProgress::Show();
    Journal.emplace_back("show");
  }
  void Hide() override {
    KeptProgress::Hide();
    Journal.emplace_back("hide");
  }
  std::vector<std::string> Journal;
  int Highest = 0;
  std::function<void(int)> OnPosition;
};

// A table whose bytes differ from the simulator's 1:1 table everywhere it
// matters: falling outputs and negative corrections.
sim::ConverterTable SampleConverterTable() {
  sim::ConverterTable table = sim::OneToOneTable();
  for (std::size_t i = 0; i < TableBlock::kOutCount; ++i) {
    table[i] = static_cast<std::uint8_t>(255 - i);
  }
  table[TableBlock::kIatCorr] = 0xF6;       // -10
  table[TableBlock::kEctCorr + 63] = 0x1E;  // +30
  return table;
}

class TableTransferTest : public ::testing::Test {
 protected:
  explicit TableTransferTest(const sim::SimulatorOptions& options = {},
                             std::chrono::milliseconds timeout = 300ms)
      : Converter(options, timeout) {
    MainTable.BindGraph(nullptr, true, &Panel);
  }

  // Fills Tab1 with a table of its own (rising by 2, corrections -5) and shows
  // its parameters, as loading a file does.
  void FillTab1() {
    TableBlock& tab1 = MainTable.Tab1();
    for (std::size_t i = 0; i < TableBlock::kOutCount; ++i) {
      tab1[i] = static_cast<std::int32_t>(std::min<std::size_t>(i * 2, 255));
    }
    ResetParameters(tab1);
    for (std::size_t i = TableBlock::kIatCorr; i < TableBlock::kSize; ++i) {
      tab1[i] = -5;
    }
    MainTable.ShowParameters(1);
  }

  test::ConverterOnPty Converter;
  TextPanel Panel;
  LatchedModifiers Keys;
  Table MainTable{Converter.Bus, Converter.Messages, Keys};
  RecordingProgress Progress;
  TableTransfer Transfer{MainTable, Converter.Link, Converter.Messages, Progress};
};

class ReadFromConverterTest : public TableTransferTest {
 protected:
  static sim::SimulatorOptions Options() {
    sim::SimulatorOptions options;
    options.InitialTable = SampleConverterTable();
    return options;
  }
  ReadFromConverterTest() : TableTransferTest(Options()) {}
};

TEST_F(ReadFromConverterTest, ReadsTheBlockWithSignedCorrectionsShowsParametersAndPushesHistory) {
  const std::uint32_t snapshots = MainTable.History().HistoryCount();
  ASSERT_TRUE(Transfer.ReadFromConverter());
  EXPECT_TRUE(Converter.Messages.Texts.empty());
  EXPECT_EQ(MainTable.Tab1()[0], 255);
  EXPECT_EQ(MainTable.Tab1()[255], 0);
  EXPECT_EQ(MainTable.Tab1()[TableBlock::kIatCorr], -10);
  EXPECT_EQ(MainTable.Tab1()[TableBlock::kEctCorr + 63], 30);
  for (std::size_t i = 0; i < TableBlock::kSize; ++i) {
    ASSERT_EQ(EntryByte(MainTable.Tab1()[i]), SampleConverterTable()[i]) << i;
  }
  EXPECT_EQ(Panel.FieldText(PanelField::SmoothMaf),
            std::to_string(ParameterToDisplay(PanelField::SmoothMaf, MainTable.Tab1())));
  EXPECT_EQ(MainTable.History().HistoryCount(), snapshots + 1);
}

TEST_F(ReadFromConverterTest, RefusedWhileTheLiveDataThreadHoldsThePort) {
  Converter.Link.SetPortFree(false);
  const TableBlock before = MainTable.Tab1();
  EXPECT_FALSE(Transfer.ReadFromConverter());
  EXPECT_EQ(Converter.Messages.Texts, std::vector<std::string>{std::string(kWaitForLoggerText)});
  EXPECT_EQ(MainTable.Tab1(), before);
  EXPECT_EQ(Converter.Received("sr"), 0U);
}

TEST_F(TableTransferTest, NothingHappensWithoutAConnectedLink) {
  TOrvelBroadcaster bus;
  TRXTX closed(bus);
  TableTransfer transfer(MainTable, closed, Converter.Messages, Progress);
  EXPECT_FALSE(transfer.ReadFromConverter());
  EXPECT_FALSE(transfer.WriteToConverter());
  EXPECT_FALSE(transfer.SendToConverterRam());
  EXPECT_TRUE(Converter.Messages.Texts.empty());
  EXPECT_TRUE(Progress.Journal.empty());
}

TEST_F(TableTransferTest, WritesWithEchoFollowsThePermanentStoreAndVerifies) {
  FillTab1();
  ASSERT_TRUE(Transfer.WriteToConverter());
  EXPECT_TRUE(Converter.Messages.Texts.empty());
  const std::array<std::uint8_t, TableBlock::kSize> sent = BlockBytes(MainTable.Tab1());
  EXPECT_EQ(Converter.Simulator.PermanentTable(), sent);
  EXPECT_EQ(sent[TableBlock::kIatCorr], 0xFB);
  EXPECT_EQ(sent[TableBlock::kTpsThreshold], 255);
  EXPECT_EQ(Progress.Journal, (std::vector<std::string>{std::string(kWritingRamTitle), "show",
                                                        std::string(kWritingEepromTitle), "hide"}));
  EXPECT_EQ(Progress.Position(), 391) << "every progress step of the store advanced the bar";
  EXPECT_FALSE(Progress.Visible());
  EXPECT_EQ(Converter.Received("sw"), 1U);
  EXPECT_EQ(Converter.Received("sr"), 1U) << "the verification read";
}

TEST_F(TableTransferTest, SendToConverterRamSendsTAndTheBlockWithoutAReply) {
  FillTab1();
  ASSERT_TRUE(Transfer.SendToConverterRam());
  const auto expected = BlockBytes(MainTable.Tab1());
  // The simulator takes the bytes in its own time.
  for (int i = 0; i < 100 && Converter.Simulator.WorkingTable() != expected; ++i) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(Converter.Simulator.WorkingTable(), expected);
  EXPECT_EQ(Converter.Simulator.PermanentTable(), sim::OneToOneTable());
  EXPECT_TRUE(Converter.Messages.Texts.empty());
}

// A converter that never answers, with the link's real one-second time-out.
class SilentConverterTest : public TableTransferTest {
 protected:
  SilentConverterTest()
      : TableTransferTest(test::WithFault(sim::FaultMode::NoAnswer), SerialPort::DefaultTimeout) {}
};

TEST_F(SilentConverterTest, ReadReportsNoResponseWithCountsAndClosesThePort) {
  const TableBlock before = MainTable.Tab1();
  EXPECT_FALSE(Transfer.ReadFromConverter());
  ASSERT_EQ(Converter.Messages.Texts.size(), 1U);
  EXPECT_EQ(Converter.Messages.Texts[0], std::string(kNoResponseText) + "0 of/из 392 Recieved/Получено");
  EXPECT_EQ(MainTable.Tab1(), before);
  EXPECT_FALSE(Converter.Link.IsOpen());
  EXPECT_EQ(Converter.Link.Connected(), 1U);
  // The next operation meets the closed port.
  EXPECT_FALSE(Transfer.SendToConverterRam());
  EXPECT_TRUE(Converter.Messages.Texts.back().starts_with(kPortErrorText)) << Converter.Messages.Texts.back();
}

TEST_F(SilentConverterTest, WriteStopsAtTheFirstMissingEcho) {
  FillTab1();
  EXPECT_FALSE(Transfer.WriteToConverter());
  EXPECT_EQ(
      Converter.Messages.Texts,
      std::vector<std::string>{"Error! Coverter doesen't respond i=0 tx=0 rx=0\nNo echo arrived within the "
                               "read time-out.\nЭхо не пришло за время ожидания."});
  EXPECT_FALSE(Progress.Visible());
}

struct FaultCase {
  const char* Name;
  sim::FaultSettings Faults;
  bool Succeeds;
  std::vector<std::string> Messages;
};

class WriteFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(WriteFaultTest, EveryMessageInOrder) {
  const FaultCase& c = GetParam();
  sim::SimulatorOptions options;
  options.Faults = c.Faults;
  test::ConverterOnPty converter(options);
  LatchedModifiers keys;
  Table mainTable(converter.Bus, converter.Messages, keys);
  mainTable.BindGraph(nullptr, true, nullptr);
  mainTable.MakeOneToOne();
  mainTable.Tab1()[100] = 7;
  RecordingProgress progress;
  TableTransfer transfer(mainTable, converter.Link, converter.Messages, progress);

  EXPECT_EQ(transfer.WriteToConverter(), c.Succeeds);
  EXPECT_EQ(converter.Messages.Texts, c.Messages);
  EXPECT_FALSE(progress.Visible());
}

sim::FaultSettings Fault(sim::FaultMode mode, std::size_t byteIndex = 100) {
  sim::FaultSettings faults;
  faults.Mode = mode;
  faults.ByteIndex = byteIndex;
  return faults;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WriteFaultTest,
    ::testing::Values(
        FaultCase{
            "wrong echo",
            Fault(sim::FaultMode::WrongEcho, 100),
            false,
            {"Error! Coverter doesen't respond i=100 tx=7 rx=248\nThe converter echoed 248 where 7 was sent: "
             "the line garbles the bytes.\nКонвертер вернул 248 вместо 7: линия искажает байты."}},
        FaultCase{
            "wrong echo of the first byte",
            Fault(sim::FaultMode::WrongEcho, 0),
            false,
            {"Error! Coverter doesen't respond i=0 tx=0 rx=255\nThe converter echoed 255 where 0 was sent: "
             "the line garbles the bytes.\nКонвертер вернул 255 вместо 0: линия искажает байты."}},
        // The store phase then ends after the time-out; the table is stored.
        FaultCase{"no permanent progress", Fault(sim::FaultMode::NoPermanentProgress), true, {}},
        FaultCase{"verification difference",
                  Fault(sim::FaultMode::VerificationDifference, 300),
                  false,
                  {"Error i=300 Tab=0 buf=1", "VerificationError", std::string(kVerificationText)}},
        FaultCase{
            "short read-back",
            Fault(sim::FaultMode::ShortReplies),
            false,
            {"196", "ErrorConnect=", std::string(kNoResponseText) + "196 of/из 392 Recieved/Получено"}}),
    [](const auto& testInfo) {
      std::string name = testInfo.param.Name;
      std::replace(name.begin(), name.end(), ' ', '_');
      std::erase(name, '-');
      return name;
    });

TEST_F(TableTransferTest, AHangUpMidTransferGivesThePortMessage) {
  FillTab1();
  Progress.OnPosition = [this](int position) {
    if (position == 150 && Progress.Title == kWritingRamTitle) {
      Converter.Simulator.HangUp();
    }
  };
  EXPECT_FALSE(Transfer.WriteToConverter());
  // Said as what it is, with the port and the reason.
  ASSERT_EQ(Converter.Messages.Texts.size(), 1U);
  EXPECT_TRUE(Converter.Messages.Texts[0].starts_with(std::string(kDeviceGoneText) + "\n\nSerial port "))
      << Converter.Messages.Texts[0];
  EXPECT_NE(Converter.Messages.Texts[0].find("the device is gone"), std::string::npos);
  EXPECT_FALSE(Progress.Visible());
}

}  // namespace
}  // namespace orvel
