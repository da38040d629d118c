// The serial link against the converter simulator on a real pseudo-terminal:
// what the protocol code will rely on, end to end.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/crc8.h"
#include "core/orvel_broadcaster.h"
#include "link/rxtx.h"
#include "link/serial_port.h"
#include "sim/simulator_host.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

std::size_t Send(TRXTX& link, std::string_view text) {
  return link.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

class LinkWithSimulator : public ::testing::Test {
 protected:
  explicit LinkWithSimulator(sim::SimulatorOptions options = {}) : Simulator(options), Link(Bus, 300ms) {
    TMsgSetComPort open;
    open.Port = Simulator.PortPath();
    Bus.Broadcast(open);
  }

  sim::SimulatorHost Simulator;
  TOrvelBroadcaster Bus;
  TRXTX Link;
};

TEST_F(LinkWithSimulator, IdentificationReplyEndsWithSilence) {
  ASSERT_EQ(Link.Connected(), 1U);
  Link.ClearBuffers();
  ASSERT_EQ(Send(Link, "sv"), 2U);
  std::array<std::uint8_t, 16> reply{};
  // Asking for more than the reply holds returns what came before the time-out.
  EXPECT_EQ(Link.Read(reply), sim::kFullIdentity.size());
  EXPECT_TRUE(std::equal(sim::kFullIdentity.begin(), sim::kFullIdentity.end(), reply.begin()));
  // Nothing further arrives: a one-byte read times out empty.
  EXPECT_EQ(Link.Read(std::span(reply).first(1)), 0U);
}

TEST_F(LinkWithSimulator, FullTableReadAndClearedBuffers) {
  ASSERT_EQ(Send(Link, "sr"), 2U);
  std::this_thread::sleep_for(100ms);  // the whole block is waiting now
  Link.ClearBuffers();
  std::array<std::uint8_t, 392> block{};
  EXPECT_EQ(Link.Read(block), 0U) << "cleared input must not come back";

  ASSERT_EQ(Send(Link, "sr"), 2U);
  ASSERT_EQ(Link.Read(block), block.size());
  const sim::ConverterTable expected = Simulator.WorkingTable();
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.begin()));
}

TEST_F(LinkWithSimulator, AClearAfterAWriteDoesNotCutTheBlockShort) {
  // "t" and a whole table, then the clears that precede the next command:
  // the converter must still get every byte.
  std::array<std::uint8_t, 393> command{};
  command[0] = 't';
  for (std::size_t i = 1; i < command.size(); ++i) {
    command[i] = static_cast<std::uint8_t>(255 - (i - 1) % 256);
  }
  ASSERT_EQ(Link.Write(command), command.size());
  Link.ClearBuffers();
  Link.ClearOutput();
  std::this_thread::sleep_for(100ms);
  const sim::ConverterTable table = Simulator.WorkingTable();
  EXPECT_TRUE(std::equal(table.begin(), table.end(), command.begin() + 1));
}

TEST_F(LinkWithSimulator, HangUpDuringABlockingReadRaisesAtOnce) {
  Link.ClearBuffers();
  ASSERT_EQ(Send(Link, "sl"), 2U);
  std::array<std::uint8_t, 10> frame{};
  ASSERT_EQ(Link.Read(frame), frame.size());

  std::thread hangUp([this] {
    std::this_thread::sleep_for(50ms);
    Simulator.HangUp();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(
      {
        // Keep reading until the device vanishes; a long stream would take
        // many time-outs if the hang-up went unnoticed.
        for (int i = 0; i < 1000; ++i) {
          Link.Read(frame);
        }
      },
      EComPort);
  hangUp.join();
  // Generous: the point is that the error does not wait for 1000 reads.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_THROW(Send(Link, "s"), EComPort);
}

TEST_F(LinkWithSimulator, LiveReaderAndMainThreadWritesShareThePort) {
  Link.ClearBuffers();
  ASSERT_EQ(Send(Link, "sl"), 2U);
  std::atomic<int> goodFrames{0};
  std::atomic<bool> failed{false};
  std::thread reader([&] {
    std::array<std::uint8_t, 10> frame{};
    // Align on the first frame whose check byte matches, then read frame by frame.
    for (int i = 0; i < 100 && !failed; ++i) {
      while (!Link.PortFree()) {
        std::this_thread::yield();
      }
      Link.SetPortFree(false);
      const std::size_t count = Link.Read(frame);
      Link.SetPortFree(true);
      if (count != frame.size()) {
        failed = true;
      } else if (FrameCrc8(std::span(frame).first(9)) == frame[9]) {
        ++goodFrames;
      } else {
        std::array<std::uint8_t, 1> drop{};
        Link.Read(drop);
      }
    }
  });
  // The main thread sends correction commands while the reader streams.
  for (int magnitude = 1; magnitude <= 20; ++magnitude) {
    const std::array<std::uint8_t, 3> correction{'c', static_cast<std::uint8_t>(magnitude), 1};
    EXPECT_EQ(Link.Write(correction), correction.size());
    std::this_thread::sleep_for(20ms);
  }
  reader.join();
  EXPECT_FALSE(failed);
  EXPECT_GE(goodFrames.load(), 90);
  const auto correction = Simulator.Correction();
  EXPECT_EQ(correction.Value, -20);
  Send(Link, "s");
}

}  // namespace
}  // namespace orvel
