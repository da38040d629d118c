// identify, table read/write/send, flash and sensor show against the
// simulated converter on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cli_fixtures.h"
#include "cli_run.h"
#include "link/device_info.h"
#include "link/firmware_file.h"
#include "link/firmware_update.h"
#include "sim/simulator_host.h"
#include "support/temp_dir.h"
#include "table/table_file.h"

namespace orvel {
namespace {

using test::Contains;
using test::RunOrvel;

sim::ConverterTable WireTable(const TableBlock& block) {
  const auto bytes = TableFileBytes(block);
  sim::ConverterTable table{};
  std::copy(bytes.begin(), bytes.end(), table.begin());
  return table;
}

sim::SimulatorOptions Options(sim::FaultMode fault = sim::FaultMode::None, bool oldIdentity = false) {
  sim::SimulatorOptions options;
  options.Faults.Mode = fault;
  if (oldIdentity) {
    options.Identity.assign(sim::kOldIdentity.begin(), sim::kOldIdentity.end());
  }
  return options;
}

// Polls `condition` for up to two seconds.
template <typename Condition>
bool Eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{2};
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{5});
  }
  return true;
}

class ConverterCommands : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return (Dir.Path() / name).string(); }

  test::TempDir Dir;
};

TEST_F(ConverterCommands, IdentifyJsonNamesEveryField) {
  const struct {
    bool OldIdentity;
    unsigned DeviceId;
    int FwVersion;
  } cases[] = {{false, 2, 38}, {true, kUnknownDevice, 0}};
  for (const auto& c : cases) {
    const sim::SimulatorHost simulator(Options(sim::FaultMode::None, c.OldIdentity));
    const auto result = RunOrvel({"identify", simulator.PortPath(), "--json"});
    ASSERT_EQ(result.Status, 0) << result.Err;
    const nlohmann::json json = test::JsonOf(result);
    EXPECT_EQ(test::KeysOf(json), (std::vector<std::string>{"DeviceId", "FoscKHz", "FoscText", "FwText",
                                                            "FwVersion", "HwText", "HwVersion"}));
    EXPECT_EQ(json["DeviceId"], c.DeviceId);
    EXPECT_EQ(json["FwText"], "3.8");
    EXPECT_EQ(json["FwVersion"], c.FwVersion);
    if (!c.OldIdentity) {
      EXPECT_EQ(json["HwVersion"], 5);
      EXPECT_EQ(json["FoscKHz"], 16000);
    }
  }
}

TEST_F(ConverterCommands, IdentifyPrintsTheLabelsOfAContactlessConverter) {
  const sim::SimulatorHost simulator;
  const auto result = RunOrvel({"identify", simulator.PortPath()});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "DeviceId 2\nFW_Version:3.8\nHW_Version: 5\nF_OSC: 16MHz\n");
}

TEST_F(ConverterCommands, SilentConverterFailsIdentificationWithTryAgain) {
  const sim::SimulatorHost simulator(Options(sim::FaultMode::NoAnswer));
  const auto result = RunOrvel({"identify", simulator.PortPath(), "--json"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Out, "");
  EXPECT_TRUE(Contains(result.Err, "Try again!")) << result.Err;
}

TEST_F(ConverterCommands, TableReadSavesTheConvertersTable) {
  sim::SimulatorOptions options;
  options.InitialTable = WireTable(test::DistinctTable());
  const sim::SimulatorHost simulator(options);
  const auto result = RunOrvel({"table", "read", simulator.PortPath(), PathOf("read")});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::vector<std::uint8_t> saved = test::ReadBytes(PathOf("read.tab"));
  EXPECT_TRUE(
      std::equal(saved.begin(), saved.end(), options.InitialTable.begin(), options.InitialTable.end()));
}

TEST_F(ConverterCommands, FailedTableReadWritesNoFile) {
  for (const sim::FaultMode fault : {sim::FaultMode::NoAnswer, sim::FaultMode::ShortReplies}) {
    const sim::SimulatorHost simulator(Options(fault));
    const auto result = RunOrvel({"table", "read", simulator.PortPath(), PathOf("read")});
    EXPECT_EQ(result.Status, 1) << sim::FaultModeName(fault);
    EXPECT_NE(result.Err, "") << sim::FaultModeName(fault);
    EXPECT_FALSE(std::filesystem::exists(PathOf("read.tab"))) << sim::FaultModeName(fault);
  }
}

TEST_F(ConverterCommands, TableWriteAndSendReachTheirMemories) {
  const auto file = test::WriteTable(Dir.Path() / "distinct.tab", test::DistinctTable());
  const sim::ConverterTable written = WireTable(test::DistinctTable());
  const sim::ConverterTable untouched = sim::OneToOneTable();
  const struct {
    const char* Command;
    bool Permanent;
  } cases[] = {{"write", true}, {"send", false}};
  for (const auto& c : cases) {
    const sim::SimulatorHost simulator;
    const auto result = RunOrvel({"table", c.Command, simulator.PortPath(), file.string()});
    ASSERT_EQ(result.Status, 0) << c.Command << ": " << result.Err;
    // "t" has no reply: the tool is done once the bytes left, the simulator
    // may still be taking them in.
    EXPECT_TRUE(Eventually([&] { return simulator.WorkingTable() == written; })) << c.Command;
    EXPECT_EQ(simulator.PermanentTable(), c.Permanent ? written : untouched) << c.Command;
  }
}

TEST_F(ConverterCommands, WrongEchoFailsTheWriteWithTheProgramsMessage) {
  const auto file = test::WriteTable(Dir.Path() / "distinct.tab", test::DistinctTable());
  const sim::SimulatorHost simulator(Options(sim::FaultMode::WrongEcho));
  const auto result = RunOrvel({"table", "write", simulator.PortPath(), file.string()});
  EXPECT_EQ(result.Status, 1);
  EXPECT_TRUE(Contains(result.Err, "Error! Coverter doesen't respond i=100 tx=")) << result.Err;
  EXPECT_EQ(simulator.PermanentTable(), sim::OneToOneTable());
}

TEST_F(ConverterCommands, MissingPortOrFileFailsBeforeAnyTransfer) {
  const auto table = test::WriteTable(Dir.Path() / "distinct.tab", test::DistinctTable());
  const std::string noPort = PathOf("no-such-port");
  const struct {
    std::vector<std::string> Arguments;
    std::string Named;
  } cases[] = {
      {{"identify", noPort}, noPort},
      {{"table", "read", noPort, PathOf("read.tab")}, noPort},
      {{"table", "write", noPort, table.string()}, noPort},
      {{"table", "send", noPort, table.string()}, noPort},
      {{"table", "write", "PORT-UNUSED", PathOf("none.tab")}, "none.tab"},
      // The firmware file is checked before the port.
      {{"flash", noPort, PathOf("firmware.enc")}, PathOf("firmware.enc") + ": cannot open"},
      {{"flash", noPort, table.string()}, table.string() + ": Error: the file holds no firmware data"},
      {{"sensor", "show", noPort}, noPort},
  };
  for (const auto& c : cases) {
    const auto result = RunOrvel(c.Arguments);
    EXPECT_EQ(result.Status, 1) << c.Arguments[0] << ' ' << c.Arguments[1];
    EXPECT_TRUE(Contains(result.Err, c.Named))
        << c.Arguments[0] << ' ' << c.Arguments[1] << ": " << result.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("read.tab")));
}

TEST_F(ConverterCommands, FlashSendsATinyFirmwareFileWithOrWithoutRecovery) {
  test::WriteBytes(PathOf("tiny.enc"), std::string("00 03 11 22 33\n00 01 44\n"));
  const std::vector<std::uint8_t> firmware{0x00, 0x03, 0x11, 0x22, 0x33, 0x00, 0x01, 0x44};
  for (const bool recovery : {false, true}) {
    sim::SimulatorOptions options;
    options.StartInLoader = recovery;
    const sim::SimulatorHost simulator(options);
    std::vector<std::string> arguments{"flash", simulator.PortPath(), PathOf("tiny.enc")};
    if (recovery) {
      arguments.emplace_back("--recovery");
    }
    const auto result = RunOrvel(arguments);
    ASSERT_EQ(result.Status, 0) << recovery << ": " << result.Err;
    EXPECT_TRUE(Contains(result.Err, kFirmwareUpdatedText)) << result.Err;
    EXPECT_EQ(simulator.Inspect([](const sim::SimulatedConverter& c) { return c.LoadedFirmware(); }),
              firmware);
    // A converter waiting in its loader is not asked to enter it.
    const std::vector<std::uint8_t> received = simulator.ReceivedBytes();
    EXPECT_EQ(std::string(received.begin(), received.begin() + 4) == "fiud", !recovery) << recovery;
  }
}

TEST_F(ConverterCommands, FlashRefusesADamagedFile) {
  test::WriteBytes(PathOf("damaged.enc"), std::string("00 09 11 22"));
  const sim::SimulatorHost simulator;
  const auto result = RunOrvel({"flash", simulator.PortPath(), PathOf("damaged.enc")});
  EXPECT_EQ(result.Status, 1);
  EXPECT_TRUE(Contains(result.Err, kFirmwareDamagedText)) << result.Err;
  EXPECT_TRUE(simulator.Inspect([](const sim::SimulatedConverter& c) { return c.LoadedFirmware(); }).empty());
}

TEST_F(ConverterCommands, SensorShowJsonAndAConverterWithoutTheSensor) {
  {
    const sim::SimulatorHost simulator;
    const auto result = RunOrvel({"sensor", "show", simulator.PortPath(), "--json"});
    ASSERT_EQ(result.Status, 0) << result.Err;
    const nlohmann::json json = test::JsonOf(result);
    EXPECT_EQ(json, (nlohmann::json{{"Angle", 90}, {"Type", 135}, {"Flags", 1}, {"Calibration", 0x33}}));
  }
  {
    const sim::SimulatorHost simulator(Options(sim::FaultMode::None, true));
    const auto result = RunOrvel({"sensor", "show", simulator.PortPath(), "--json"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_TRUE(Contains(result.Err, "has no contactless sensor interface")) << result.Err;
  }
}

}  // namespace
}  // namespace orvel
