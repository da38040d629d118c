#pragma once

// The fixed pauses of the converter protocol go through an injectable sleep,
// so tests can shorten the waits that are not what they test.

#include <chrono>
#include <functional>
#include <thread>

namespace orvel {

using SleepFunction = std::function<void(std::chrono::milliseconds)>;

inline void RealSleep(std::chrono::milliseconds time) {
  std::this_thread::sleep_for(time);
}

// The converter needs this long after "sy" and "se" before the next step.
inline constexpr std::chrono::milliseconds kSensorPause{200};
// After "fiud" the converter needs this long to start its loader.
inline constexpr std::chrono::milliseconds kLoaderStartPause{300};

}  // namespace orvel
