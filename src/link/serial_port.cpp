#include "link/serial_port.h"

#include "core/input_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

namespace orvel {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, rounded up so that poll() never wakes
// just before it; 0 once the deadline has passed.
int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) {
    return 0;
  }
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Raw 9600 8N1, no flow control of any kind, reads return as soon as one byte
// is there (the descriptor is non-blocking anyway; poll() does the waiting).
void ApplySettings(termios& settings) {
  cfmakeraw(&settings);
  cfsetispeed(&settings, B9600);
  cfsetospeed(&settings, B9600);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
}

// poll() events that mean the device has gone (unplugged adapter, hung-up
// pseudo-terminal) or the descriptor is bad.
constexpr short kGoneEvents = POLLHUP | POLLERR | POLLNVAL;

}  // namespace

SerialPort::SerialPort(std::chrono::milliseconds timeout)
    : WakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), Timeout(timeout) {
  if (WakeFd < 0) {
    ThrowOsError("cannot create its wake-up descriptor", errno);
  }
}

SerialPort::~SerialPort() {
  Close();
  ::close(WakeFd);
}

void SerialPort::Wake() const noexcept {
  const std::uint64_t one = 1;
  (void)!::write(WakeFd, &one, sizeof one);
}

void SerialPort::DrainWake() const noexcept {
  std::uint64_t count = 0;
  (void)!::read(WakeFd, &count, sizeof count);
}

void SerialPort::Open(const std::string& path) {
  Close();
  const std::scoped_lock lock(ReadLock, WriteLock);
  DevicePath = path;
  // Never blocks in open(), and only a character device is taken: a FIFO or
  // a file given as the port is refused at once.
  InputFile device(path, 0, InputKind::CharacterDevice);
  if (!device.Opened()) {
    throw EComPort("Serial port " + DevicePath + ": " + device.Reason(), device.Error());
  }
  const int fd = device.Release();
  const auto fail = [&](const char* operation) {
    const int error = errno;
    ::close(fd);
    ThrowOsError(operation, error);
  };
  // Two programs reading one converter would steal each other's replies: a
  // port that another user of this layer holds is busy.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    fail("cannot open (in use by another program)");
  }
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) {
    fail("cannot open (not a serial port)");
  }
  ApplySettings(settings);
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
    fail("cannot configure");
  }
  Fd.store(fd);
}

void SerialPort::Close() noexcept {
  const std::scoped_lock lock(ReadLock, WriteLock);
  const int fd = Fd.exchange(-1);
  if (fd >= 0) {
    ::close(fd);  // also releases the lock taken in Open
  }
}

std::size_t SerialPort::Read(std::span<std::uint8_t> buffer, const std::stop_token& stop) {
  const std::scoped_lock lock(ReadLock);
  const int fd = OpenFd("read");
  // Only this read waits on the wake-up descriptor (reads are serialised), so
  // a wake left from an earlier stop is stale: drain it before waiting.
  DrainWake();
  const std::stop_callback wakeOnStop(stop, [this] { Wake(); });
  const auto deadline = Clock::now() + Timeout.load();
  std::size_t count = 0;
  bool hungUp = false;
  while (count < buffer.size()) {
    const ssize_t got = ::read(fd, buffer.data() + count, buffer.size() - count);
    if (got > 0) {
      count += static_cast<std::size_t>(got);
      continue;
    }
    if (got == 0) {
      ThrowDeviceGone("end of file");
    }
    if (errno == EINTR) {
      continue;
    }
    if (errno == EIO) {
      ThrowDeviceGone("input/output error");
    }
    if (errno != EAGAIN) {
      ThrowOsError("cannot read", errno);
    }
    if (hungUp) {
      // The last wait saw a hang-up and still nothing can be moved: raise
      // instead of waking poll() again and again until the deadline.
      ThrowDeviceGone("hang-up");
    }
    // No data yet: wait for some until the deadline.
    const WaitResult waited = WaitUntil(fd, POLLIN, deadline, stop);
    if (waited == WaitResult::TimedOut || waited == WaitResult::Stopped) {
      break;
    }
    hungUp = waited == WaitResult::HungUp;
  }
  return count;
}

std::size_t SerialPort::Write(std::span<const std::uint8_t> bytes) {
  const std::scoped_lock lock(WriteLock);
  const int fd = OpenFd("write");
  const auto deadline = Clock::now() + Timeout.load();
  std::size_t count = 0;
  bool hungUp = false;
  while (count < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + count, bytes.size() - count);
    if (put > 0) {
      count += static_cast<std::size_t>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put < 0 && errno == EIO) {
      ThrowDeviceGone("input/output error");
    }
    if (put < 0 && errno != EAGAIN) {
      ThrowOsError("cannot write", errno);
    }
    if (hungUp) {
      // The last wait saw a hang-up and still nothing can be moved: raise
      // instead of waking poll() again and again until the deadline.
      ThrowDeviceGone("hang-up");
    }
    // The output buffer is full: wait for room until the deadline.
    const WaitResult waited = WaitUntil(fd, POLLOUT, deadline);
    if (waited == WaitResult::TimedOut) {
      break;
    }
    hungUp = waited == WaitResult::HungUp;
  }
  WaitForOutputSent(fd, deadline);
  return count;
}

void SerialPort::WaitForOutputSent(int fd, Clock::time_point deadline) {
  // A write returns once the device has sent the bytes (or the time-out has
  // passed), as a converter exchange expects: a buffer clear that follows a
  // write, as before every command, must not discard the tail of the table
  // still queued in the driver. At 9600 baud a 392-byte block takes ~410 ms.
  for (;;) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
      return;  // drained, or the device cannot tell: nothing to wait for
    }
    const int left = MillisecondsLeft(deadline);
    if (left == 0) {
      return;
    }
    // About the time one byte needs on the line; the wait ends soon after the
    // queue does.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 1)));
  }
}

SerialPort::WaitResult SerialPort::WaitUntil(int fd, short events,
                                             std::chrono::steady_clock::time_point deadline,
                                             const std::stop_token& stop) const {
  std::array<pollfd, 2> waits{pollfd{fd, events, 0}, pollfd{WakeFd, POLLIN, 0}};
  pollfd& wait = waits[0];
  // Without a stop to wait for, the wake-up descriptor stays out of the poll.
  const nfds_t count = stop.stop_possible() ? 2 : 1;
  for (;;) {
    if (stop.stop_requested()) {
      return WaitResult::Stopped;
    }
    const int left = MillisecondsLeft(deadline);
    if (left == 0) {
      return WaitResult::TimedOut;
    }
    const int ready = ::poll(waits.data(), count, left);
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready < 0) {
      ThrowOsError("cannot wait", errno);
    }
    if (ready == 0) {
      return WaitResult::TimedOut;
    }
    if (waits[1].revents != 0) {
      DrainWake();
      if (wait.revents == 0) {
        continue;  // the stop is checked at the top
      }
    }
    // A hang-up may come with data still pending; the caller takes that first.
    return (wait.revents & kGoneEvents) != 0 ? WaitResult::HungUp : WaitResult::Ready;
  }
}

// Clearing the transmit side lets what was written leave instead of
// discarding it. Every write already waits until its bytes are sent, so on a
// real adapter nothing is left to discard; a pseudo-terminal cannot tell how
// much its peer has not read yet, and a flush there would cut off the tail of
// a command (the table after "t") that the converter then reads as commands.
void SerialPort::ClearBuffers() {
  const int fd = OpenFd("clear the buffers");
  WaitForOutputSent(fd, Clock::now() + Timeout.load());
  if (::tcflush(fd, TCIFLUSH) != 0) {
    ThrowOsError("cannot clear the buffers", errno);
  }
}

void SerialPort::ClearOutput() {
  const int fd = OpenFd("clear the output");
  WaitForOutputSent(fd, Clock::now() + Timeout.load());
}

int SerialPort::OpenFd(const char* operation) const {
  const int fd = Fd.load();
  if (fd < 0) {
    throw EComPort("Serial port " + DevicePath + ": cannot " + operation + ": the port is not open");
  }
  return fd;
}

void SerialPort::ThrowOsError(const char* operation, int error) const {
  throw EComPort("Serial port " + DevicePath + ": " + operation + ": " + std::strerror(error), error);
}

void SerialPort::ThrowDeviceGone(const char* reason) const {
  throw EComPort("Serial port " + DevicePath + ": the device is gone (" + reason + ")", 0, true);
}

}  // namespace orvel
