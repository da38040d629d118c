#include <gtest/gtest.h>

#include <thread>

#include "converter_test_support.h"
#include "core/crc8.h"
#include "sim/simulator_host.h"
#include "slave_client.h"

namespace orvel::sim::test {
namespace {

using Reply = std::vector<std::uint8_t>;
constexpr auto kWait = 3000ms;

TEST(SimulatorHost, AnswersIdentityAndTransfersTablesOverThePty) {
  SimulatorHost host;
  ASSERT_EQ(host.PortPath().rfind("/dev/pts/", 0), 0U) << host.PortPath();
  SlaveClient client(host.PortPath());
  client.Write("sv");
  EXPECT_EQ(client.Read(kFullIdentity.size(), kWait), Reply(kFullIdentity.begin(), kFullIdentity.end()));

  const ConverterTable table = DistinctTable();
  client.Write(WithPrefix("t", table));
  client.Write("sr");
  EXPECT_EQ(client.Read(kTableSize, kWait), Reply(table.begin(), table.end()));
  EXPECT_EQ(host.WorkingTable(), table);
  EXPECT_EQ(host.PermanentTable(), OneToOneTable());
}

TEST(SimulatorHost, WritesThePermanentTableWithEchoesAndProgress) {
  SimulatorHost host;
  SlaveClient client(host.PortPath());
  const ConverterTable table = DistinctTable();
  client.Write("sw");
  for (const std::uint8_t byte : table) {
    client.Write(std::span(&byte, 1));
    ASSERT_EQ(client.Read(1, kWait), Reply{byte});
  }
  const Reply progress = client.Read(SimulatedConverter::kStoreSteps, kWait);
  ASSERT_EQ(progress.size(), SimulatedConverter::kStoreSteps);
  EXPECT_EQ(progress.back(), 0);
  EXPECT_EQ(host.PermanentTable(), table);
}

TEST(SimulatorHost, StreamsCheckedFramesUntilStopped) {
  SimulatorHost host;
  SlaveClient client(host.PortPath());
  client.Write("sl");
  const auto frames = SplitFrames(client.Read(50 * kFrameSize, kWait));
  ASSERT_EQ(frames.size(), 50U);
  for (const LiveFrame& frame : frames) {
    EXPECT_EQ(FrameCrc8(std::span(frame).first(kFrameSize - 1)), frame[kFrameSize - 1]);
  }
  client.Write("s");
  // Once the stop has been taken, nothing more comes.
  for (int tries = 0; tries < 100 && host.Inspect([](const auto& c) { return c.Streaming(); }); ++tries) {
    std::this_thread::sleep_for(5ms);
  }
  std::this_thread::sleep_for(20ms);
  client.DiscardInput();
  EXPECT_TRUE(client.Read(1, 100ms).empty());
}

TEST(SimulatorHost, ASecondClientFindsARawQuietPort) {
  SimulatorHost host;
  {
    SlaveClient first(host.PortPath());
    first.Write("sv");
    EXPECT_EQ(first.Read(kFullIdentity.size(), kWait).size(), kFullIdentity.size());
  }
  // A client that sets nothing: the port must not echo the reply back to the
  // converter nor wait for a line end.
  SlaveClient second(host.PortPath(), false);
  second.Write("sv");
  EXPECT_EQ(second.Read(kFullIdentity.size(), kWait).size(), kFullIdentity.size());
  EXPECT_EQ(host.ReceivedBytes(), Bytes("svsv"));
}

TEST(SimulatorHost, HangUpMakesTheDeviceVanish) {
  SimulatorHost host;
  SlaveClient client(host.PortPath());
  client.Write("sl");
  EXPECT_EQ(client.Read(kFrameSize, kWait).size(), kFrameSize);
  host.HangUp();
  EXPECT_TRUE(host.HungUp());
  client.Read(1'000'000, kWait);
  EXPECT_TRUE(client.Vanished);
}

TEST(SimulatorHost, HangUpFaultCutsTheStream) {
  SimulatorOptions options;
  options.Faults.Mode = FaultMode::HangUpInStream;
  options.Faults.FrameCount = 20;
  SimulatorHost host(options);
  SlaveClient client(host.PortPath());
  client.Write("sl");
  const Reply bytes = client.Read(1'000'000, kWait);
  EXPECT_TRUE(client.Vanished);
  // Bytes still in the pty when it closes are lost, as with a real device.
  EXPECT_GE(bytes.size(), 10 * kFrameSize);
  EXPECT_LE(bytes.size(), 20 * kFrameSize);
  EXPECT_TRUE(host.HungUp());
}

TEST(SimulatorHost, FaultsChangeWhileRunning) {
  SimulatorHost host;
  SlaveClient client(host.PortPath());
  host.SetFaults({.Mode = FaultMode::ShortReplies});
  client.Write("sr");
  EXPECT_EQ(client.Read(kTableSize, 500ms).size(), kTableSize / 2);
  host.SetFaults({});
  client.Write("sr");
  EXPECT_EQ(client.Read(kTableSize, kWait).size(), kTableSize);
}

}  // namespace
}  // namespace orvel::sim::test
