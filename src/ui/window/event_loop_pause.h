#pragma once

#include <chrono>
#include <functional>

namespace orvel::ui {

// Waits `time` on the UI thread while its event loop keeps turning (paints,
// timers, posted calls), without the user's input: what the program does
// while a converter takes its time, in place of a sleep that would freeze the
// window. The user's clicks and keys wait until it returns, as they would
// for a progress window.
void PauseWithEventsTurning(std::chrono::milliseconds time);

// Waits, the same way, until `done` holds (work on another thread that posts
// nothing when it ends: `done` is asked every few milliseconds).
void WaitWithEventsTurning(const std::function<bool()>& done);

}  // namespace orvel::ui
