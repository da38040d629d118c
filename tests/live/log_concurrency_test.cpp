#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "live/log.h"
#include "log_test_support.h"

namespace orvel {
namespace {

// A thread appends samples (every value of sample i is i) while the main
// thread reads; readers must always see whole samples, and once the
// recording has ended no sample may be added.
TEST(LogConcurrency, ReadersSeeWholeSamplesAndNothingIsAppendedAfterTheEnd) {
  RecordedMessages messages;
  Log log(messages);
  log.BeginRecording();

  std::atomic<bool> quit{false};
  std::atomic<std::int64_t> accepted{0};
  std::jthread appender([&] {
    for (std::int32_t i = 0; !quit.load(); ++i) {
      log.SetHasData(true);
      if (log.AppendSample(test::Filled(i))) {
        accepted.fetch_add(1);
      }
    }
  });

  std::size_t seen = 0;
  while (seen < 20'000) {
    const bool whole = log.ReadChannels([&seen](const LogChannels& channels) {
      const std::size_t count = channels.SampleCount();
      for (std::size_t c = 0; c < kLogChannelCount; ++c) {
        const auto values = channels.Of(static_cast<Channel>(c));
        if (values.size() != count || (count > 0 && values.back() != static_cast<std::int32_t>(count - 1))) {
          return false;
        }
      }
      seen = count;
      return true;
    });
    ASSERT_TRUE(whole);
    if (const auto newest = log.NewestSample()) {
      ASSERT_EQ(*newest, test::Filled(newest->front()));
    }
    (void)log.O2Average(8);
  }

  log.EndRecording();
  const std::size_t atEnd = log.SampleCount();
  quit.store(true);
  appender.join();
  EXPECT_EQ(log.SampleCount(), atEnd);
  EXPECT_EQ(static_cast<std::size_t>(accepted.load()), atEnd);
  EXPECT_TRUE(log.GetHasData());
}

}  // namespace
}  // namespace orvel
