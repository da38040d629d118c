#include "ui/window/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>

#include "ui/message_box_messages.h"

namespace orvel::ui {

namespace {

// How often a close that had to wait looks again.
constexpr std::chrono::milliseconds kCloseRetry{20};

// Written by the signal handler, read by the notifier: the only state the
// handler touches. Set before the handlers are installed.
std::array<int, 2> Pipe{-1, -1};

void OnSignal(int signalNumber) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(signalNumber);
  // A full pipe already holds a pending request; nothing more is needed.
  [[maybe_unused]] const auto written = ::write(Pipe[1], &byte, 1);
  errno = saved;
}

void Install(int signalNumber, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, Pipe.data()) != 0) {
    return;
  }
  Notifier = std::make_unique<QSocketNotifier>(Pipe[0], QSocketNotifier::Read);
  connect(Notifier.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
  Install(SIGTERM, OnSignal);
  Install(SIGINT, OnSignal);
}

TerminationSignals::~TerminationSignals() {
  Install(SIGTERM, SIG_DFL);
  Install(SIGINT, SIG_DFL);
  Notifier.reset();
  for (int& fd : Pipe) {
    if (fd >= 0) {
      ::close(fd);
      fd = -1;
    }
  }
}

void TerminationSignals::Drain() {
  unsigned char byte = 0;
  int last = 0;
  while (::read(Pipe[0], &byte, 1) == 1) {
    last = byte;
  }
  if (last != 0) {
    Received = true;
    emit Requested(last);
  }
}

void DismissModalDialog() {
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
    dialog->reject();
  }
}

void CloseFromMainLoop(QWidget& window) {
  const auto again = [&window] {
    QTimer::singleShot(kCloseRetry, &window, [&window] { CloseFromMainLoop(window); });
  };
  // The main loop is level 1; anything deeper is a modal wait.
  if (QThread::currentThread()->loopLevel() > 1) {
    DismissModalDialog();
    again();
    return;
  }
  if (!window.close()) {
    again();
    return;
  }
  QApplication::quit();
}

void CloseOnTermination(TerminationSignals& termination, QWidget& window, MessageBoxMessages& messages) {
  const auto close = [&window, &messages] {
    messages.SetUnattended();
    CloseFromMainLoop(window);
  };
  QObject::connect(&termination, &TerminationSignals::Requested, &window, close);
  if (termination.Pending()) {
    QTimer::singleShot(0, &window, close);
  }
}

}  // namespace orvel::ui
