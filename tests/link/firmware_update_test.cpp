#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "converter_on_pty.h"
#include "core/progress.h"
#include "link/firmware_file.h"
#include "link/firmware_update.h"
#include "link/table_transfer.h"
#include "support/temp_dir.h"
#include "table/table.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes Parse(const std::string& text, std::size_t limit = kFirmwarePayloadLimit) {
  std::istringstream stream(text);
  return ParseFirmwareText(stream, limit);
}

TEST(FirmwareText, HexadecimalNumbersOfAtMostTwoDigitsUpToTheFirstOtherItem) {
  EXPECT_EQ(Parse("00 03 11 22 33"), (Bytes{0x00, 0x03, 0x11, 0x22, 0x33}));
  EXPECT_EQ(Parse("0003ff\r\n\tAb 5"), (Bytes{0x00, 0x03, 0xFF, 0xAB, 0x05}));
  EXPECT_EQ(Parse("12 34 zz 56"), (Bytes{0x12, 0x34}));
  EXPECT_EQ(Parse("  "), Bytes{});
  EXPECT_EQ(Parse("00 01 02 03 04", 2).size(), 3U) << "one past the limit tells an oversized payload";
}

TEST(FirmwareText, BlockStartsOnlyWhenEveryBlockFits) {
  EXPECT_EQ(FirmwareBlockStarts(Bytes{0, 1, 9, 0, 0, 0, 2, 7, 8}), (std::vector<std::size_t>{0, 3, 5}));
  EXPECT_EQ(FirmwareBlockStarts(Bytes{0, 3, 1, 2}), std::nullopt);
  EXPECT_EQ(FirmwareBlockStarts(Bytes{0, 1, 9, 0}), std::nullopt);
}

// The window's firmware page: the recovery box, the bar, the live data state.
class RecordingFirmwarePage final : public FirmwarePage {
 public:
  [[nodiscard]] bool RecoveryTicked() const override { return Recovery; }
  void UntickRecovery() override { Recovery = false; }
  void SetProgress(int percent) override { Bars.push_back(percent); }
  [[nodiscard]] bool LiveDataRunning() const override { return Live; }
  bool Recovery = false;
  bool Live = false;
  std::vector<int> Bars;
};

class FirmwareUpdateTest : public ::testing::Test {
 protected:
  explicit FirmwareUpdateTest(const sim::SimulatorOptions& options = {}) : Converter(options) {}

  std::filesystem::path File(const std::string& text, const char* name = "firmware.enc") {
    const std::filesystem::path path = Dir.Path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // A refusal's message: the file's name, then the usual words.
  std::string Named(std::string_view text) const {
    return (Dir.Path() / "firmware.enc").string() + ": " + std::string(text);
  }
  FirmwareOutcome Run(const std::optional<std::filesystem::path>& path) { return Update.Update(path); }
  Bytes Loaded() const {
    return Converter.Simulator.Inspect([](const sim::SimulatedConverter& c) { return c.LoadedFirmware(); });
  }

  test::TempDir Dir;
  test::ConverterOnPty Converter;
  RecordingFirmwarePage Page;
  std::vector<std::chrono::milliseconds> Waits;
  FirmwareUpdate Update{Converter.Link, Converter.Messages, Page, [this](std::chrono::milliseconds time) {
                          Waits.push_back(time);
                          std::this_thread::sleep_for(time);
                        }};
};

TEST_F(FirmwareUpdateTest, SendsFiudThenEachBlockAndFinishesAt100) {
  Page.Recovery = false;
  EXPECT_EQ(Run(File("00 03 11 22 33\n00 01 44")), FirmwareOutcome::Updated);
  EXPECT_EQ(Converter.Messages.Texts, std::vector<std::string>{std::string(kFirmwareUpdatedText)});
  EXPECT_EQ(Loaded(), (Bytes{0x00, 0x03, 0x11, 0x22, 0x33, 0x00, 0x01, 0x44}));
  EXPECT_EQ(Converter.Simulator.ReceivedBytes(),
            (Bytes{'f', 'i', 'u', 'd', 0x00, 0x03, 0x11, 0x22, 0x33, 0x00, 0x01, 0x44}));
  EXPECT_EQ(Page.Bars, (std::vector<int>{0, 62, 100})) << "5 of 8 bytes: 62.5 rounds to even";
  EXPECT_EQ(Waits, std::vector<std::chrono::milliseconds>{300ms});
}

class RecoveryTest : public FirmwareUpdateTest {
 protected:
  static sim::SimulatorOptions Options() {
    sim::SimulatorOptions options;
    options.StartInLoader = true;
    return options;
  }
  RecoveryTest() : FirmwareUpdateTest(Options()) {}
};

TEST_F(RecoveryTest, SkipsFiudAndUnticksTheBoxAfterSuccess) {
  Page.Recovery = true;
  EXPECT_EQ(Run(File("00 03 11 22 33")), FirmwareOutcome::Updated);
  EXPECT_EQ(Converter.Simulator.ReceivedBytes(), (Bytes{0x00, 0x03, 0x11, 0x22, 0x33}));
  EXPECT_FALSE(Page.Recovery);
}

class LoaderRejectsTest : public FirmwareUpdateTest, public ::testing::WithParamInterface<int> {
 protected:
  static sim::SimulatorOptions Options(int rejections) {
    sim::SimulatorOptions options = test::WithFault(sim::FaultMode::LoaderRejects);
    options.Faults.LoaderRejections = rejections;
    return options;
  }
  LoaderRejectsTest() : FirmwareUpdateTest(Options(GetParam())) {}
};

TEST_P(LoaderRejectsTest, ThreeRejectionsAreRetriedTheFourthFails) {
  const int rejections = GetParam();
  const bool succeeds = rejections < FirmwareUpdate::RejectionLimit;
  EXPECT_EQ(Run(File("00 03 11 22 33")), succeeds ? FirmwareOutcome::Updated : FirmwareOutcome::Failed);
  const std::size_t sendings = succeeds ? rejections + 1 : FirmwareUpdate::RejectionLimit;
  EXPECT_EQ(Converter.Simulator.ReceivedBytes().size(), 4 + 5 * sendings);
  EXPECT_EQ(Converter.Messages.Texts,
            std::vector<std::string>{std::string(succeeds ? kFirmwareUpdatedText : kLoaderRejectedText)});
}

INSTANTIATE_TEST_SUITE_P(Rejections, LoaderRejectsTest, ::testing::Values(3, 4));

TEST_F(FirmwareUpdateTest, RefusalsSendNothing) {
  struct Case {
    const char* Name;
    std::function<std::filesystem::path()> Path;
    std::string Message;
  };
  const std::vector<Case> cases{
      {"missing file", [this] { return Dir.Path() / "none.enc"; },
       std::string(kFirmwareNotFoundText) + (Dir.Path() / "none.enc").string() +
           ": cannot open: No such file or directory\n"},
      {"a folder", [this] { return Dir.Path(); },
       std::string(kFirmwareNotFoundText) + Dir.Path().string() + ": is a directory, not a regular file\n"},
      {"a FIFO (refused, not waited on)",
       [this] {
         ::mkfifo((Dir.Path() / "fifo.enc").c_str(), 0600);
         return Dir.Path() / "fifo.enc";
       },
       std::string(kFirmwareNotFoundText) + (Dir.Path() / "fifo.enc").string() +
           ": is a FIFO, not a regular file\n"},
      {"no firmware data", [this] { return File("no hex here"); }, Named(kFirmwareEmptyText)},
      {"too long", [this] { return File(std::string(2 * (kFirmwarePayloadLimit + 1), '0')); },
       Named(kFirmwareTooLongText)},
      {"block past the end", [this] { return File("00 09 11 22"); }, Named(kFirmwareDamagedText)},
  };
  for (const Case& c : cases) {
    Converter.Messages.Texts.clear();
    EXPECT_EQ(Run(c.Path()), FirmwareOutcome::Refused) << c.Name;
    EXPECT_EQ(Converter.Messages.Texts, std::vector<std::string>{c.Message}) << c.Name;
  }
  Converter.Messages.Texts.clear();
  EXPECT_EQ(Run(std::nullopt), FirmwareOutcome::NotChosen) << "a cancelled dialog starts nothing";
  EXPECT_TRUE(Converter.Messages.Texts.empty());
  Page.Live = true;
  EXPECT_EQ(Run(File("00 01 00")), FirmwareOutcome::Refused);
  EXPECT_EQ(Converter.Messages.Texts, std::vector<std::string>{std::string(kStopLiveDataText)});
  EXPECT_TRUE(Converter.Simulator.ReceivedBytes().empty());
  EXPECT_TRUE(Page.Bars.empty());

  TOrvelBroadcaster bus;
  TRXTX closed(bus);
  RecordedMessages messages;
  FirmwareUpdate update(closed, messages, Page);
  EXPECT_EQ(update.Update(File("00 01 00")), FirmwareOutcome::Refused);
  EXPECT_EQ(messages.Texts, std::vector<std::string>{std::string(kNoPortText)});
}

class SilentLoaderTest : public FirmwareUpdateTest {
 protected:
  SilentLoaderTest() : FirmwareUpdateTest(test::WithFault(sim::FaultMode::NoAnswer)) {}
};

TEST_F(SilentLoaderTest, NoAcknowledgementFailsAndKeepsTheRecoveryBox) {
  Page.Recovery = true;
  EXPECT_EQ(Run(File("00 01 00 00 01 01")), FirmwareOutcome::Failed);
  EXPECT_EQ(Converter.Messages.Texts, std::vector<std::string>{std::string(kLoaderSilentText)});
  EXPECT_TRUE(Page.Recovery);
  EXPECT_EQ(Page.Bars, std::vector<int>{0});
}

TEST_F(FirmwareUpdateTest, UpdateWithOneToOneWritesTheOneToOneTableOnlyAfterSuccess) {
  LatchedModifiers keys;
  Table mainTable(Converter.Bus, Converter.Messages, keys);
  mainTable.BindGraph(nullptr, true, nullptr);
  KeptProgress progress;
  TableTransfer transfer(mainTable, Converter.Link, Converter.Messages, progress);

  // The simulator starts its new firmware after 500 ms of silence.
  const SleepFunction FastSleep = [](std::chrono::milliseconds) { std::this_thread::sleep_for(600ms); };
  EXPECT_FALSE(UpdateWithOneToOne(Update, Dir.Path() / "none.enc", mainTable, transfer, FastSleep));
  EXPECT_EQ(Converter.Received("sw"), 0U);

  EXPECT_TRUE(UpdateWithOneToOne(Update, File("00 01 42"), mainTable, transfer, FastSleep))
      << ::testing::PrintToString(Converter.Messages.Texts);
  EXPECT_EQ(Converter.Received("sw"), 1U);
  EXPECT_EQ(mainTable.Tab1()[200], 200);
}

}  // namespace
}  // namespace orvel
