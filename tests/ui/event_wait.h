#pragma once

// Waiting in window tests: the event loop runs until a condition holds.

#include <QApplication>
#include <QTest>
#include <chrono>

namespace orvel::ui::test {

// Lets the event loop run until `done` holds or `limit` has passed; returns
// whether `done` holds in the end.
template <typename Condition>
bool ProcessEventsUntil(Condition done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(10);
  }
  return done();
}

}  // namespace orvel::ui::test
