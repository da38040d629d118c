// The port selection procedure with the real converter operations against the
// simulator: the table is read, the converter identified and its sensor
// queried, in that order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter_on_pty.h"
#include "core/progress.h"
#include "link/converter_steps.h"
#include "link/link_errors.h"
#include "link/table_transfer.h"
#include "link_job_rig.h"
#include "table/table.h"

namespace orvel {
namespace {

class JournalPage final : public ConnectionPage, public SensorQueryView {
 public:
  [[nodiscard]] std::string ChosenPort() const override { return Chosen; }
  [[nodiscard]] bool RecoveryTicked() const override { return false; }
  void SetFirmwareLabel(const std::string& text) override { Journal.push_back(text); }
  void ShowHardwareLabels(bool visible) override { Journal.emplace_back(visible ? "show hw" : "hide hw"); }
  void EnableConverterActions() override { Journal.emplace_back("enable actions"); }
  void EnableReconnect() override { Journal.emplace_back("enable reconnect"); }
  void ShowDashboardPage() override { Journal.emplace_back("dashboard"); }
  void ShowConnecting(bool /*connecting*/) override {}
  void ShowContactlessDevice(const TDeviceInfo& device) override {
    Journal.push_back(HardwareLabelText(device) + " " + OscillatorLabelText(device));
  }
  void ShowSensorSettings(const ContactlessSettings& settings) override {
    Journal.push_back("sensor angle " + std::to_string(settings.Angle));
  }
  std::string Chosen;
  std::vector<std::string> Journal;
};

struct StepsCase {
  std::vector<std::uint8_t> Identity;
  std::vector<std::string> Journal;
  std::string Sent;
};

class ConverterStepsTest : public ::testing::TestWithParam<StepsCase> {};

TEST_P(ConverterStepsTest, ReadIdentifyAndQueryInOrder) {
  sim::SimulatorOptions options;
  options.Identity = GetParam().Identity;
  sim::SimulatorHost simulator(options);
  TOrvelBroadcaster bus;
  TRXTX link(bus, std::chrono::milliseconds{300});
  RecordedMessages messages;
  LatchedModifiers keys;
  Table mainTable(bus, messages, keys);
  mainTable.BindGraph(nullptr, true, nullptr);
  KeptProgress progress;
  TableTransfer transfer(mainTable, link, messages, progress);
  DeviceIdentification identification(link);
  ContactlessSensor sensor(link, [](auto) {});
  JournalPage page;

  test::JobRig jobs;
  // The read on the worker, as the window's read step does it.
  const auto readStep = [&](const LinkJobContext& job) {
    const BlockRead read = ReceiveBlock(link, job.Stop());
    job.OnMain([&] { transfer.TakeBlock(read); });
  };
  PortSelection selection(bus, link, page, messages, jobs.Job,
                          ConverterSteps(readStep, identification, sensor, page, [](auto) {}));
  selection.SelectPort(simulator.PortPath());
  ASSERT_TRUE(jobs.PumpUntilIdle());

  EXPECT_TRUE(messages.Texts.empty());
  EXPECT_EQ(page.Journal, GetParam().Journal);
  const std::vector<std::uint8_t> received = simulator.ReceivedBytes();
  EXPECT_EQ(std::string(received.begin(), received.end()), GetParam().Sent);
  EXPECT_EQ(BlockBytes(mainTable.Tab1()), sim::OneToOneTable());
}

INSTANTIATE_TEST_SUITE_P(Identities, ConverterStepsTest,
                         ::testing::Values(StepsCase{{sim::kFullIdentity.begin(), sim::kFullIdentity.end()},
                                                     {"FW_Version:3.8", "hide hw",
                                                      "HW_Version: 5 F_OSC: 16MHz", "sensor angle 90",
                                                      "enable actions", "enable reconnect", "dashboard"},
                                                     "srsvsy"},
                                           StepsCase{{38},
                                                     {"FW_Version:3.8", "hide hw", "enable actions",
                                                      "enable reconnect", "dashboard"},
                                                     "srsv"}));

}  // namespace
}  // namespace orvel
