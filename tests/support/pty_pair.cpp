#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace orvel::test {

namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::runtime_error(std::string("pty: ") + what + ": " + std::strerror(errno));
}

}  // namespace

PtyPair::PtyPair() {
  Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (Master < 0) {
    Fail("posix_openpt");
  }
  termios settings{};
  if (::grantpt(Master) != 0 || ::unlockpt(Master) != 0 || ::tcgetattr(Master, &settings) != 0) {
    const int error = errno;
    ::close(Master);
    errno = error;
    Fail("grantpt/unlockpt/tcgetattr");
  }
  cfmakeraw(&settings);
  ::tcsetattr(Master, TCSANOW, &settings);
  std::array<char, 128> name{};
  if (::ptsname_r(Master, name.data(), name.size()) != 0) {
    ::close(Master);
    Fail("ptsname_r");
  }
  Slave = name.data();
}

PtyPair::~PtyPair() {
  HangUp();
}

void PtyPair::Write(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(Master, bytes.data() + done, bytes.size() - done);
    if (put > 0) {
      done += static_cast<std::size_t>(put);
    } else if (put < 0 && errno == EAGAIN) {
      pollfd wait{Master, POLLOUT, 0};
      ::poll(&wait, 1, 100);
    } else if (!(put < 0 && errno == EINTR)) {
      Fail("write to master");
    }
  }
}

void PtyPair::Write(std::string_view text) {
  Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::uint8_t> PtyPair::Read(std::size_t count, std::chrono::milliseconds within) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + within;
  std::vector<std::uint8_t> bytes(count);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(Master, bytes.data() + done, count - done);
    if (got > 0) {
      done += static_cast<std::size_t>(got);
      continue;
    }
    // EAGAIN: nothing yet; EIO: no slave open at the moment. Wait either way.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      break;
    }
    pollfd wait{Master, POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(left)) > 0 && (wait.revents & POLLIN) == 0) {
      // Hung-up slave side: poll() would return at once; sleep a little instead.
      ::usleep(10'000);
    }
  }
  bytes.resize(done);
  return bytes;
}

void PtyPair::HangUp() {
  if (Master >= 0) {
    ::close(Master);
    Master = -1;
  }
}

}  // namespace orvel::test
