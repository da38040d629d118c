#pragma once

#include <functional>
#include <vector>

namespace orvel::ui {

// The on-screen modifier latches ("+Shift" and "+Ctrl" of the table graph,
// "+Shift" of the log chart). Each page registers how to release its latches
// (raise the button and run its click handling); a page change by mouse and
// the close sequence release them all.
class LatchRegistry {
 public:
  void Add(std::function<void()> release) { Releases.push_back(std::move(release)); }

  void ReleaseAll() const {
    for (const auto& release : Releases) {
      release();
    }
  }

 private:
  std::vector<std::function<void()>> Releases;
};

}  // namespace orvel::ui
