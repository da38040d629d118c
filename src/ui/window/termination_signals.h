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

class MessageBoxMessages;

// Closes `window` (its close sequence saves the state) and ends the event
// loop, once control is back in the main event loop: a message box or a
// dialog in front is first let go (its code goes on), so nothing on its stack
// outlives the objects the close sequence destroys. A window that refuses
// the close (an operation on the link still runs and lets the event loop
// turn while it does) is asked again until it has closed; the calibration's
// count-down is such an operation and ends by itself.
void CloseFromMainLoop(QWidget& window);

// Rejects the message box or dialog in front, if any, so the code waiting in
// it goes on.
void DismissModalDialog();

// The program's answer to SIGTERM and SIGINT once the window exists, also to
// one that came before: from then on the messages are written to standard
// error instead of waiting in a box (nobody is left to close one, and a
// logout must not hang), and the window closes through CloseFromMainLoop.
void CloseOnTermination(TerminationSignals& termination, QWidget& window, MessageBoxMessages& messages);

}  // namespace orvel::ui
