#pragma once

#include <csignal>

namespace orvel::cli {

// Catches Ctrl+C (SIGINT) for its lifetime, so a headless session can stop
// cleanly and save what it has, and restores the previous handling after.
class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;
  // Ctrl+C arrived since the catcher was made.
  [[nodiscard]] static bool Interrupted();

 private:
  struct sigaction Previous {};
};

}  // namespace orvel::cli
