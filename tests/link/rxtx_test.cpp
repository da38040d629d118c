#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>

#include "core/orvel_broadcaster.h"
#include "link/rxtx.h"
#include "support/pty_pair.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;
using test::PtyPair;

TMsgSetComPort SetComPort(const std::string& port) {
  TMsgSetComPort message;
  message.Port = port;
  return message;
}

TEST(TRXTX, StartsSubscribedWithCom1ClosedAndThePortFree) {
  TOrvelBroadcaster bus;
  TRXTX link(bus);
  EXPECT_EQ(bus.SubscriberCount(), 1U);
  EXPECT_EQ(link.PortName(), "COM1");
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.Connected(), 0U);
  EXPECT_TRUE(link.PortFree());
  std::array<std::uint8_t, 1> buffer{};
  EXPECT_THROW(link.Read(buffer), EComPort);
  EXPECT_THROW(link.Write(buffer), EComPort);
}

TEST(TRXTX, SetComPortOpensThePortAndOtherMessagesLeaveItAlone) {
  PtyPair pty;
  TOrvelBroadcaster bus;
  TRXTX link(bus, 100ms);

  bus.Broadcast(SetComPort(pty.SlavePath()));
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(link.Connected(), 1U);
  EXPECT_EQ(link.PortName(), pty.SlavePath());

  bus.Broadcast(TMsgLogStop{});
  bus.Broadcast(TMsgLogStart{});
  bus.Broadcast(TMsgDashData{});
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(link.Connected(), 1U);

  const std::array<std::uint8_t, 2> command{'s', 'r'};
  EXPECT_EQ(link.Write(command), 2U);
  EXPECT_EQ(pty.Read(2, 1000ms), (std::vector<std::uint8_t>{'s', 'r'}));
  pty.Write("A");
  std::array<std::uint8_t, 2> reply{};
  EXPECT_EQ(link.Read(reply), 1U);  // short: the converter sent one byte only
  EXPECT_EQ(reply[0], 'A');
}

TEST(TRXTX, FailedOpenReachesTheSenderAndLeavesConnectedAtZero) {
  PtyPair pty;
  TOrvelBroadcaster bus;
  TRXTX link(bus, 100ms);
  bus.Broadcast(SetComPort(pty.SlavePath()));

  // Choosing another port closes the current one first, even when the new one fails.
  EXPECT_THROW(bus.Broadcast(SetComPort("/dev/orvel-no-such-port")), EComPort);
  EXPECT_EQ(link.Connected(), 0U);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.PortName(), "/dev/orvel-no-such-port");
}

TEST(TRXTX, CloseKeepsConnectedAndLaterOperationsThrowUntilReopened) {
  PtyPair pty;
  TOrvelBroadcaster bus;
  TRXTX link(bus, 100ms);
  link.Open(pty.SlavePath());
  link.Close();
  link.Close();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.Connected(), 1U);
  std::array<std::uint8_t, 1> buffer{};
  EXPECT_THROW(link.Read(buffer), EComPort);
  EXPECT_THROW(link.ClearBuffers(), EComPort);
  EXPECT_THROW(link.ClearOutput(), EComPort);

  link.Open(pty.SlavePath());
  EXPECT_TRUE(link.IsOpen());
  EXPECT_NO_THROW(link.ClearBuffers());
}

TEST(TRXTX, DestructionReleasesThePort) {
  PtyPair pty;
  TOrvelBroadcaster bus;
  {
    TRXTX link(bus);
    link.Open(pty.SlavePath());
  }
  // The port can be opened again at once (an open port would still be held).
  SerialPort again;
  EXPECT_NO_THROW(again.Open(pty.SlavePath()));
}

TEST(TRXTX, PortFreeIsSharedBetweenThreads) {
  TOrvelBroadcaster bus;
  TRXTX link(bus);
  std::thread liveData([&] { link.SetPortFree(false); });
  liveData.join();
  EXPECT_FALSE(link.PortFree());
  link.SetPortFree(true);
  EXPECT_TRUE(link.PortFree());
}

}  // namespace
}  // namespace orvel
