#include "live/log_thread.h"

#include <cerrno>
#include <exception>
#include <string>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include "core/main_thread_dispatcher.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "link/rxtx.h"
#include "live/log.h"

namespace orvel {

namespace {

// One step above normal: a nice value one lower than the process's. Needs a
// privilege on most systems; without it the reader runs at normal priority.
void RaisePriority() {
  const auto thread = static_cast<id_t>(::gettid());
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, thread);
  if (errno == 0) {
    (void)::setpriority(PRIO_PROCESS, thread, nice - 1);
  }
}

// Frees the port when a read ends, normally or by an error.
class PortTaken {
 public:
  explicit PortTaken(TRXTX& link) : Link(link) { Link.SetPortFree(false); }
  ~PortTaken() { Link.SetPortFree(true); }
  PortTaken(const PortTaken&) = delete;
  PortTaken& operator=(const PortTaken&) = delete;

 private:
  TRXTX& Link;
};

}  // namespace

TLogThread::TLogThread(const LogThreadLinks& links, std::int32_t sensorType)
    : Links(links), SensorType(sensorType), Thread([this](const std::stop_token& stop) { Run(stop); }) {}

TLogThread::~TLogThread() {
  Thread.request_stop();
  Join();
}

void TLogThread::Join() {
  if (Thread.joinable()) {
    Thread.join();
  }
}

void TLogThread::Run(const std::stop_token& stop) {
  (void)::pthread_setname_np(::pthread_self(), "LogThread");
  RaisePriority();
  try {
    // The first ten bytes only prove that the converter answers "sl".
    LiveFrame first{};
    if (ReadFromPort(first, stop) < kFrameSize) {
      HandOverStop(stop);
      return;
    }
    Links.TargetLog.SetHasData(true);
    while (!stop.stop_requested()) {
      if (!FrameStep(stop)) {
        return;
      }
    }
  } catch (const std::exception& error) {
    Links.Link.SetPortFree(true);
    HandOverText(error.what(), stop);
    HandOverStop(stop);
  }
}

bool TLogThread::FrameStep(const std::stop_token& stop) {
  const auto read = [this, &stop](std::span<std::uint8_t> bytes) { return ReadFromPort(bytes, stop); };
  switch (Aligner.Next(read)) {
    case FrameAligner::Step::Ended:
      HandOverStop(stop);
      return false;
    case FrameAligner::Step::Failed:
      Links.Stream.BadFrames.fetch_add(1, std::memory_order_relaxed);
      return true;
    case FrameAligner::Step::Good:
      break;
  }
  const SampleContext context{SensorType, Links.TargetLog.MarkerValue(), Links.TargetLog.GetCorrValue()};
  if (Links.TargetLog.AppendSample(DecodeFrame(Aligner.Frame(), Links.Stream.Slots, context))) {
    Links.Stream.GoodFrames.fetch_add(1, std::memory_order_relaxed);
  }
  return true;
}

std::size_t TLogThread::ReadFromPort(std::span<std::uint8_t> buffer, const std::stop_token& stop) {
  // Should anyone else hold the port, sleep until it is freed; a stop wakes
  // the wait, and the read, at once.
  if (!Links.Link.WaitPortFree(stop)) {
    return 0;
  }
  const PortTaken taken(Links.Link);
  return Links.Link.Read(buffer, stop);
}

void TLogThread::HandOverStop(const std::stop_token& stop) {
  if (stop.stop_requested()) {
    return;  // the user's stop came first: no second stop
  }
  // Checked again on the main thread: a stop handled while this call waited
  // in the queue has already asked us to terminate.
  Links.Dispatcher.RunAndWait(
      [this, stop] {
        if (!stop.stop_requested()) {
          Links.Bus.Broadcast(TMsgLogStop{});
        }
      },
      stop);
}

void TLogThread::HandOverText(const std::string& text, const std::stop_token& stop) {
  Links.Dispatcher.RunAndWait([this, &text] { Links.Messages.ShowMessage(text); }, stop);
}

}  // namespace orvel
