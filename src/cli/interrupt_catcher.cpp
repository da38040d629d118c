#include "cli/interrupt_catcher.h"

#include <csignal>

namespace orvel::cli {

namespace {

// Set by Ctrl+C while a catcher lives.
volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void RequestInterrupt(int /*signal*/) {
  interruptRequested = 1;
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
  interruptRequested = 0;
  struct sigaction action {};
  action.sa_handler = RequestInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &Previous);
}

InterruptCatcher::~InterruptCatcher() {
  ::sigaction(SIGINT, &Previous, nullptr);
}

bool InterruptCatcher::Interrupted() {
  return interruptRequested != 0;
}

}  // namespace orvel::cli
