#include "sim/simulator_host.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace orvel::sim {

namespace {

// 10 bits per byte at 9600 baud.
constexpr SimTime kPacedByteTime{1042};
constexpr std::size_t kWriteChunk = 4096;

// How many bytes a 9600-baud line would have sent by `now` (at least one,
// at most a few so a long stall does not end in a burst).
std::size_t PacedBytesDue(SimTime nextPacedByte, SimTime now) {
  constexpr std::size_t kMaxCatchUp = 8;
  if (now <= nextPacedByte) {
    return 1;
  }
  return std::min(kMaxCatchUp, static_cast<std::size_t>(1 + (now - nextPacedByte) / kPacedByteTime));
}

timespec ToTimespec(SimTime duration) {
  const auto micro = std::max(duration.count(), SimTime::rep{0});
  return timespec{static_cast<time_t>(micro / 1'000'000), static_cast<long>(micro % 1'000'000) * 1000};
}

}  // namespace

SimulatorHost::SimulatorHost(const SimulatorOptions& options)
    : RealPacing(options.RealPacing), Path(Pty.SlavePath()), Converter(options) {
  WakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (WakeFd < 0) {
    throw std::system_error(errno, std::generic_category(), "eventfd");
  }
  Thread = std::jthread([this](const std::stop_token& stop) { Run(stop); });
}

SimulatorHost::~SimulatorHost() {
  StopThread();
  Pty.Close();
  close(WakeFd);
}

void SimulatorHost::StopThread() {
  if (Thread.joinable()) {
    Thread.request_stop();
    Wake();
    Thread.join();
  }
}

void SimulatorHost::HangUp() {
  StopThread();
  Pty.Close();
  IsHungUp = true;
}

void SimulatorHost::Wake() const {
  const std::uint64_t one = 1;
  // A full counter already means "wake up"; nothing to do on failure.
  [[maybe_unused]] const auto written = write(WakeFd, &one, sizeof one);
}

SimTime SimulatorHost::Now() const {
  return std::chrono::duration_cast<SimTime>(std::chrono::steady_clock::now() - Origin);
}

void SimulatorHost::SetFaults(const FaultSettings& faults) {
  {
    const std::scoped_lock lock(EngineLock);
    Converter.SetFaults(faults);
  }
  Wake();
}

ConverterTable SimulatorHost::WorkingTable() const {
  return Inspect([](const SimulatedConverter& converter) { return converter.WorkingTable(); });
}

ConverterTable SimulatorHost::PermanentTable() const {
  return Inspect([](const SimulatedConverter& converter) { return converter.PermanentTable(); });
}

LiveCorrection SimulatorHost::Correction() const {
  return Inspect([](const SimulatedConverter& converter) { return converter.Correction(); });
}

std::vector<std::uint8_t> SimulatorHost::ReceivedBytes() const {
  return Inspect([](const SimulatedConverter& converter) { return converter.ReceivedBytes(); });
}

void SimulatorHost::Run(const std::stop_token& stop) {
  SimTime nextPacedByte{};
  bool readable = false;
  bool writable = false;
  while (!stop.stop_requested()) {
    if (!Step(readable, writable, nextPacedByte)) {
      IsHungUp = true;  // set first: whoever sees the device vanish finds the flag
      Pty.Close();
      return;
    }
    // Decide what to wait for.
    const SimTime now = Now();
    std::optional<SimTime> wakeAt;
    bool waitForRoom = false;
    {
      const std::scoped_lock lock(EngineLock);
      wakeAt = Converter.NextEventTime();
      if (!Converter.Output().empty()) {
        if (RealPacing && now < nextPacedByte) {
          wakeAt = wakeAt ? std::min(*wakeAt, nextPacedByte) : nextPacedByte;
        } else {
          waitForRoom = true;
        }
      }
    }
    std::array<pollfd, 2> fds{
        {{Pty.MasterFd(), static_cast<short>(POLLIN | (waitForRoom ? POLLOUT : 0)), 0}, {WakeFd, POLLIN, 0}}};
    const timespec timeout = ToTimespec(wakeAt.value_or(now) - now);
    const int ready = ppoll(fds.data(), fds.size(), wakeAt ? &timeout : nullptr, nullptr);
    if (ready < 0 && errno != EINTR) {
      return;
    }
    if ((fds[1].revents & POLLIN) != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] const auto drained = read(WakeFd, &count, sizeof count);
    }
    // The held slave descriptor keeps the master from hanging up; should it
    // happen anyway, the device is gone rather than polled in a busy loop.
    if ((fds[0].revents & (POLLERR | POLLNVAL | POLLHUP)) != 0 && (fds[0].revents & POLLIN) == 0) {
      IsHungUp = true;  // set first: whoever sees the device vanish finds the flag
      Pty.Close();
      return;
    }
    readable = (fds[0].revents & POLLIN) != 0;
    writable = (fds[0].revents & POLLOUT) != 0 || (RealPacing && Now() >= nextPacedByte);
  }
}

bool SimulatorHost::Step(bool readable, bool writable, SimTime& nextPacedByte) {
  const int master = Pty.MasterFd();
  if (readable) {
    std::array<std::uint8_t, kWriteChunk> buffer{};
    const ssize_t count = read(master, buffer.data(), buffer.size());
    if (count > 0) {
      const std::scoped_lock lock(EngineLock);
      Converter.Receive(std::span(buffer.data(), static_cast<std::size_t>(count)), Now());
    } else if (count < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
      return false;
    }
  }
  const std::scoped_lock lock(EngineLock);
  Converter.Advance(Now());
  const bool hangUp = Converter.HangUpRequested();
  const auto& output = Converter.Output();
  // Before a hang-up the last frame still goes out (as far as the pty takes it).
  if (!output.empty() && (writable || !RealPacing || hangUp)) {
    const SimTime now = Now();
    std::array<std::uint8_t, kWriteChunk> chunk{};
    const std::size_t size =
        std::min({output.size(), chunk.size(), RealPacing ? PacedBytesDue(nextPacedByte, now) : kWriteChunk});
    std::copy_n(output.begin(), size, chunk.begin());
    const ssize_t written = write(master, chunk.data(), size);
    if (written > 0) {
      Converter.ConsumeOutput(static_cast<std::size_t>(written));
      // The line's schedule: a late wake-up sends what the line would have
      // sent meanwhile; after a pause the schedule starts afresh.
      nextPacedByte = std::max(nextPacedByte, now - kPacedByteTime) + written * kPacedByteTime;
      // What the engine made meanwhile goes out on the next pass.
    } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    }
  }
  return !hangUp;
}

}  // namespace orvel::sim
