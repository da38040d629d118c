// A link job on its worker: main-thread calls, cancel and the guard.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "core/orvel_broadcaster.h"
#include "link/rxtx.h"
#include "link_job_rig.h"
#include "support/pty_pair.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

TEST(LinkJob, MainThreadCallsRunThereUnderTheGuardAndFinishedFollowsTheWork) {
  test::JobRig rig;
  const std::thread::id mainThread = std::this_thread::get_id();
  std::thread::id workOn;
  std::thread::id callOn;
  bool guardHeld = false;
  bool closeRan = false;
  int finished = 0;
  const Subscription onFinished = rig.Job.Finished.Subscribe([&] { ++finished; });
  rig.Job.Start([&](const LinkJobContext& job) {
    workOn = std::this_thread::get_id();
    job.OnMain([&] {
      callOn = std::this_thread::get_id();
      guardHeld = rig.Guard.Busy();
      // A close asked for during the call waits until the call has returned.
      EXPECT_TRUE(rig.Guard.DeferWhileBusy([&] { closeRan = true; }));
      EXPECT_FALSE(closeRan);
    });
  });
  EXPECT_TRUE(rig.Job.Busy());
  ASSERT_TRUE(rig.PumpUntilIdle());
  EXPECT_NE(workOn, mainThread);
  EXPECT_EQ(callOn, mainThread);
  EXPECT_TRUE(guardHeld);
  EXPECT_TRUE(closeRan);
  EXPECT_EQ(finished, 1);
}

TEST(LinkJob, ACancelEndsTheWorkersReadAtOnceAndDropsWhatItWouldHaveShown) {
  test::JobRig rig;
  test::PtyPair silent;
  TOrvelBroadcaster bus;
  TRXTX link(bus, 60s);  // far beyond the test's limit: only the cancel ends the read
  link.Open(silent.SlavePath());
  bool shown = false;
  int finished = 0;
  const Subscription onFinished = rig.Job.Finished.Subscribe([&] { ++finished; });
  rig.Job.Start([&](const LinkJobContext& job) {
    std::array<std::uint8_t, 10> frame{};
    link.Read(frame, job.Stop());
    job.OnMain([&] { shown = true; });
    job.Sleep(60s);
  });
  std::this_thread::sleep_for(100ms);
  const auto start = std::chrono::steady_clock::now();
  rig.Job.Cancel();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  EXPECT_FALSE(rig.Job.Busy());
  rig.Dispatcher.RunPending();
  EXPECT_FALSE(shown);
  EXPECT_EQ(finished, 0);
}

}  // namespace
}  // namespace orvel
