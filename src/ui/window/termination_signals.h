#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class QWidget;

namespace orvel::ui {

// Turns SIGTERM and SIGINT (a logout, Ctrl+C in a terminal, a service
// manager's stop) into a Qt signal on the main thread, so the program quits
// through the window's ordinary close sequence and keeps its settings and
// history. The handler only writes one byte into a pipe; a socket notifier
// reads it in the event loop. One instance per process.
class TerminationSignals final : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // A signal has arrived (also before anyone listened).
  [[nodiscard]] bool Pending() const { return Received; }

 signals:
  // The signal's number, delivered on the main thread.
  void Requested(int signalNumber);

 private:
  void Drain();

  bool Received = false;

  std::unique_ptr<QSocketNotifier> Notifier;
};

// Closes `window` (its close sequence saves the state) and ends the event
// loop, once control is back in the main event loop: an operation that
// waits in a modal message box, a dialog or the calibration count-down is
// first let go (its box closed), so nothing on its stack outlives the
// objects the close sequence destroys.
void CloseFromMainLoop(QWidget& window);

// Closes the modal box or dialog in front, if any, so the code waiting in it
// goes on.
void DismissModalWindow();

}  // namespace orvel::ui
