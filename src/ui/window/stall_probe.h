#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

namespace orvel::ui {

// Measures how long the UI thread goes without turning its event loop. A
// precise timer is due every `period`; when it fires later than that, the
// thread was busy (or blocked) for the difference. The longest such stall
// since the last Reset is what the window tests and the stall bench read.
// A nested event loop (a progress window that lets events through, a modal
// dialog) keeps the timer firing, so it counts as turning.
class StallProbe final : public QObject {
 public:
  explicit StallProbe(QObject* parent = nullptr,
                      std::chrono::milliseconds period = std::chrono::milliseconds{5});

  // Forgets the stalls measured so far.
  void Reset();
  // The longest stall since the last Reset, or since the probe was made.
  [[nodiscard]] std::chrono::milliseconds Longest() const;

 private:
  void Fired();

  QTimer Timer;
  QElapsedTimer Clock;
  std::chrono::nanoseconds Period;
  qint64 LastFiredNs = 0;
  qint64 LongestNs = 0;
};

}  // namespace orvel::ui
