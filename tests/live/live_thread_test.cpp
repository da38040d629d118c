// The reader thread and the log's Start/Stop on real pseudo-terminals: a
// hand-written stream where exact frame counts matter, the converter
// simulator for whole runs and its faults.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "autotune/o2_sensor.h"
#include "live/log_thread.h"
#include "live_rig.h"
#include "sim/simulator_host.h"
#include "support/pty_pair.h"

namespace orvel::test {
namespace {

// Frame i of a hand-written stream: the slot selector cycles 0..3 and slot 2
// gets 0xF6 (-10), so IatCorr and OutputSum show the signed reading.
LiveFrame StreamFrame(int i) {
  const auto slot = static_cast<std::uint8_t>(i % 4);
  const std::uint8_t aux = slot == 2 ? 0xF6 : static_cast<std::uint8_t>(100 + slot);
  return MakeFrame(static_cast<std::uint8_t>(i), slot, 120, static_cast<std::uint8_t>(10 + i), 40, 1000,
                   static_cast<std::uint8_t>(60 + i), aux);
}

std::vector<std::uint8_t> Frames(int first, int count) {
  std::vector<std::uint8_t> bytes;
  for (int i = first; i < first + count; ++i) {
    const LiveFrame frame = StreamFrame(i);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  return bytes;
}

struct StreamCase {
  const char* Name;
  std::vector<std::uint8_t> Stream;  // after the ten bytes that answer "sl"
  std::int32_t SensorType;
  std::vector<int> DecodedFrames;  // indices of StreamFrame that must arrive, in order
  std::uint64_t BadFrames;
};

std::vector<int> Range(int first, int end) {
  std::vector<int> indices;
  for (int i = first; i < end; ++i) {
    indices.push_back(i);
  }
  return indices;
}

std::vector<std::uint8_t> Joined(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<StreamCase> StreamCases() {
  std::vector<int> withoutTen = Range(0, 20);
  withoutTen.erase(withoutTen.begin() + 10);
  const auto frameZero = Frames(0, 1);
  return {
      {"clean", Frames(0, 20), 0, Range(0, 20), 0},
      {"clean_wideband", Frames(0, 12), 1, Range(0, 12), 0},
      // The frame read across the extra byte fails, one more byte is dropped,
      // and the stream is found again: frame 10 is lost.
      {"inserted_byte", Joined(Joined(Frames(0, 10), {0xA5}), Frames(10, 10)), 2, withoutTen, 1},
      // Starting five bytes into a frame costs 10 - 5 failed frames.
      {"five_bytes_into_a_frame", Joined({frameZero.begin() + 5, frameZero.end()}, Frames(1, 20)), 3,
       Range(6, 21), 5},
      {"two_bytes_into_a_frame", Joined({frameZero.begin() + 2, frameZero.end()}, Frames(1, 20)), 4,
       Range(9, 21), 8},
  };
}

class HandWrittenStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(HandWrittenStream, DecodesEveryAlignedFrameAndStopsWhenTheLineFallsSilent) {
  const StreamCase& testCase = GetParam();
  PtyPair pty;
  LiveRig rig;
  rig.Link.Open(pty.SlavePath());
  rig.TheLog.Start(testCase.SensorType);
  EXPECT_EQ(pty.Read(2, 1s), (std::vector<std::uint8_t>{'s', 'l'}));
  pty.Write(std::vector<std::uint8_t>(kFrameSize, 0x55));  // the answer, not decoded
  pty.Write(testCase.Stream);

  // The 300 ms of silence after the stream end the run; a loaded machine
  // running the sanitizer builds may take much longer to get there.
  ASSERT_TRUE(rig.PumpUntil([&] { return !rig.TheLog.IsRunning(); }, 30s));
  EXPECT_EQ(rig.Window.Stops, 1);
  EXPECT_TRUE(rig.Messages.Texts.empty());
  EXPECT_EQ(rig.TheLog.Stream().BadFrames.load(), testCase.BadFrames);

  const std::size_t expected = testCase.DecodedFrames.size();
  ASSERT_EQ(rig.TheLog.SampleCount(), expected);
  rig.TheLog.ReadChannels([&](const LogChannels& channels) {
    for (std::size_t n = 0; n < expected; ++n) {
      const int i = testCase.DecodedFrames[n];
      const LiveFrame frame = StreamFrame(i);
      SCOPED_TRACE(i);
      EXPECT_EQ(channels.Of(Channel::Conv)[n], frame[0]);
      EXPECT_EQ(channels.Of(Channel::Maf)[n], frame[3]);
      EXPECT_EQ(channels.Of(Channel::RpmPeriod)[n], 1000);
      EXPECT_EQ(channels.Of(Channel::O2)[n], ConvertO2(frame[7], testCase.SensorType));
      // Slot 2 holds -10 once a frame with selector 2 was decoded in this run
      // or an earlier one; slot 3 never changes from 103.
      const std::int32_t iatCorr = channels.Of(Channel::IatCorr)[n];
      const std::int32_t ectCorr = channels.Of(Channel::EctCorr)[n];
      if (n >= 3) {
        EXPECT_EQ(iatCorr, -10);
        EXPECT_EQ(ectCorr, 103);
        EXPECT_EQ(channels.Of(Channel::Iat)[n], 100);
        EXPECT_EQ(channels.Of(Channel::Ect)[n], 101);
      }
      EXPECT_EQ(channels.Of(Channel::OutputSum)[n], 120 + iatCorr + ectCorr);
      EXPECT_EQ(channels.Of(Channel::Marker)[n], 0);
      EXPECT_EQ(channels.Of(Channel::O2Smooth)[n], 0);
    }
  });
  // Stop prepared the log for viewing.
  EXPECT_TRUE(rig.TheLog.IsStopped());
  EXPECT_EQ(rig.TheLog.Window().LastIndex, static_cast<std::int64_t>(expected) - 2);
}

INSTANTIATE_TEST_SUITE_P(Alignment, HandWrittenStream, ::testing::ValuesIn(StreamCases()),
                         [](const auto& testInfo) { return std::string(testInfo.param.Name); });

TEST(LiveTick, SendsTheNewestSampleToTheDashboardAndTheMainTable) {
  PtyPair pty;
  LiveRig rig(NumberFormat{','});
  rig.Link.Open(pty.SlavePath());
  rig.TheLog.TimerTick();  // before Start: the timer is off
  rig.TheLog.Start(1);
  rig.TheLog.TimerTick();  // no sample yet: nothing is sent
  EXPECT_FALSE(rig.Window.LastDash.has_value());

  pty.Write(std::vector<std::uint8_t>(kFrameSize, 0x55));
  const LiveFrame slotIat = MakeFrame(7, 0, 50, 60, 128, 0, 81, 30);
  const LiveFrame last = MakeFrame(9, 1, 50, 77, 128, 0, 81, 40);  // period 0, Tps 128
  pty.Write(slotIat);
  pty.Write(last);
  ASSERT_TRUE(rig.PumpUntilSamples(2));
  rig.TheLog.TimerTick();

  ASSERT_TRUE(rig.Window.LastDash.has_value());
  const TMsgDashData& dash = *rig.Window.LastDash;
  EXPECT_EQ(dash.Conv, 9);
  EXPECT_EQ(dash.Maf, 77);
  EXPECT_EQ(dash.Tps, 128);
  EXPECT_EQ(dash.Marker, 0);
  EXPECT_EQ(dash.TpsText, "128N2,51V");
  EXPECT_EQ(dash.Rpm, 1);
  // Without a decision the average is the last value.
  const std::int32_t o2 = ConvertO2(81, 1);
  EXPECT_EQ(dash.O2, o2);
  TO2Display display;
  DisplayO2(o2, 1, NumberFormat{','}, display);
  EXPECT_EQ(dash.O2Text, display.Text);
  EXPECT_EQ(dash.O2PercentText, display.PercentText);
  EXPECT_EQ(dash.O2Color, display.Color);
  EXPECT_EQ(dash.O2Gauge, display.Gauge);
  const Table::DashboardState& table = rig.MainTable.Dash();
  EXPECT_EQ(table.DashMaf, 77);
  EXPECT_EQ(table.DashOut, 9);
  EXPECT_EQ(table.DashIat, 30);
  EXPECT_EQ(table.DashEct, 40);

  ASSERT_TRUE(rig.PumpUntilStopped());
  rig.Window.LastDash.reset();
  rig.TheLog.TimerTick();  // stopped: the timer is off again
  EXPECT_FALSE(rig.Window.LastDash.has_value());
}

sim::SimulatorOptions Simulated(sim::FaultMode mode = sim::FaultMode::None, int frameCount = 50) {
  sim::SimulatorOptions options;
  options.TimeScale = 10.0;
  options.Faults.Mode = mode;
  options.Faults.FrameCount = frameCount;
  return options;
}

TEST(LiveRun, StopWhileStreamingTakesNoLaterSampleAndTheMarkerFollowsTheKey) {
  sim::SimulatorHost converter(Simulated());
  LiveRig rig;
  rig.Link.Open(converter.PortPath());
  rig.Bus.Broadcast(TMsgLogStart{});
  ASSERT_TRUE(rig.PumpUntilSamples(30));
  rig.TheLog.SetMarkerHeld(true);
  const std::size_t markedFrom = rig.TheLog.SampleCount();
  ASSERT_TRUE(rig.PumpUntilSamples(markedFrom + 30));
  rig.TheLog.SetMarkerHeld(false);
  const std::size_t releasedAt = rig.TheLog.SampleCount();
  ASSERT_TRUE(rig.PumpUntilSamples(releasedAt + 30));

  rig.Bus.Broadcast(TMsgLogStop{});
  const std::size_t atStop = rig.TheLog.SampleCount();
  EXPECT_FALSE(rig.TheLog.IsRunning());
  std::this_thread::sleep_for(50ms);  // the converter still streams meanwhile
  rig.TheLog.JoinReader();
  rig.Dispatcher.RunPending();
  EXPECT_EQ(rig.TheLog.SampleCount(), atStop);
  EXPECT_EQ(rig.Window.Stops, 1);  // only the user's stop
  EXPECT_TRUE(rig.Messages.Texts.empty());
  EXPECT_EQ(rig.TheLog.Stream().BadFrames.load(), 0U);

  rig.TheLog.ReadChannels([&](const LogChannels& channels) {
    const auto marker = channels.Of(Channel::Marker);
    // Set and released between two samples: a run of 128 in the middle.
    EXPECT_TRUE(std::all_of(marker.begin(), marker.begin() + static_cast<std::ptrdiff_t>(markedFrom),
                            [](std::int32_t m) { return m == 0; }));
    EXPECT_TRUE(std::all_of(marker.begin() + static_cast<std::ptrdiff_t>(markedFrom + 1),
                            marker.begin() + static_cast<std::ptrdiff_t>(releasedAt),
                            [](std::int32_t m) { return m == kMarkerHeldValue; }));
    EXPECT_TRUE(std::all_of(marker.begin() + static_cast<std::ptrdiff_t>(releasedAt + 1), marker.end(),
                            [](std::int32_t m) { return m == 0; }));
    // The 1:1 table without temperature corrections: output = input = sum base.
    const auto conv = channels.Of(Channel::Conv);
    const auto maf = channels.Of(Channel::Maf);
    EXPECT_TRUE(std::equal(conv.begin(), conv.end(), maf.begin()));
  });
  // The converter was told to stop.
  const auto received = converter.ReceivedBytes();
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.back(), 's');
}

TEST(LiveRun, StopThenStartAtOnceDoesNotWaitForTheOldReadAndTheNewRunStreamsCleanly) {
  sim::SimulatorHost converter(Simulated());
  // A time-out far beyond the test's limit: a join that waits for the old
  // reader's read to time out fails the test.
  LiveRig rig({}, 60s);
  rig.Link.Open(converter.PortPath());
  rig.TheLog.Start(0);
  ASSERT_TRUE(rig.PumpUntilSamples(20));
  rig.TheLog.Stop();
  // The converter has stopped streaming: the old reader sits in a read that
  // only its stop can end.
  std::this_thread::sleep_for(100ms);
  const auto start = std::chrono::steady_clock::now();
  rig.TheLog.Start(0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  ASSERT_TRUE(rig.PumpUntilSamples(20));
  rig.TheLog.Stop();
  EXPECT_EQ(rig.Window.Stops, 0);  // no run ended by itself
  EXPECT_TRUE(rig.Messages.Texts.empty());
  EXPECT_EQ(rig.TheLog.Stream().BadFrames.load(), 0U);
}

TEST(LiveRun, AllBadCheckBytesEndTheRunByItselfAndStartWorksAgain) {
  sim::SimulatorHost converter(Simulated(sim::FaultMode::BadCheckBytes));
  LiveRig rig;
  rig.Link.Open(converter.PortPath());
  rig.TheLog.Start(0);
  ASSERT_TRUE(rig.PumpUntilStopped());
  EXPECT_EQ(rig.Window.Stops, 1);
  EXPECT_TRUE(rig.Messages.Texts.empty());
  EXPECT_EQ(rig.TheLog.Stream().BadFrames.load(), static_cast<std::uint64_t>(TLogThread::MaxCheckFailures));
  EXPECT_EQ(rig.TheLog.SampleCount(), 0U);

  converter.SetFaults({});
  rig.TheLog.Start(0);
  ASSERT_TRUE(rig.PumpUntilSamples(20));
  EXPECT_TRUE(rig.TheLog.IsRunning());
  rig.TheLog.Stop();
  EXPECT_EQ(rig.Window.Stops, 1);
}

TEST(LiveRun, ASilentConverterEndsTheRunWithoutDataOrMessage) {
  sim::SimulatorHost converter(Simulated(sim::FaultMode::NoAnswer));
  LiveRig rig;
  rig.Link.Open(converter.PortPath());
  rig.TheLog.Start(0);
  ASSERT_TRUE(rig.PumpUntilStopped());
  EXPECT_EQ(rig.Window.Stops, 1);
  EXPECT_FALSE(rig.TheLog.GetHasData());
  EXPECT_EQ(rig.TheLog.SampleCount(), 0U);
  EXPECT_TRUE(rig.Messages.Texts.empty());
  EXPECT_TRUE(rig.TheLog.IsStopped());
}

// The error text is shown through the dispatcher, on the main thread: the
// recorded messages are not synchronised, so a call from the reader thread
// would be a data race under ThreadSanitizer.
TEST(LiveRun, AHangUpMidStreamReportsOnTheMainThreadAndKeepsTheSamples) {
  sim::SimulatorHost converter(Simulated(sim::FaultMode::HangUpInStream, 60));
  LiveRig rig;
  rig.Link.Open(converter.PortPath());
  rig.TheLog.Start(0);
  ASSERT_TRUE(rig.PumpUntilStopped());
  ASSERT_EQ(rig.Messages.Texts.size(), 1U);
  EXPECT_FALSE(rig.Messages.Texts[0].empty());
  EXPECT_EQ(rig.Window.Stops, 1);
  const std::size_t kept = rig.TheLog.SampleCount();
  EXPECT_GE(kept, 40U);
  EXPECT_LE(kept, 60U);
  EXPECT_TRUE(rig.TheLog.GetHasData());
  EXPECT_EQ(rig.TheLog.Window().LastIndex, static_cast<std::int64_t>(kept) - 2);
}

}  // namespace
}  // namespace orvel::test
