#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::sim::test {

// The client end for the host tests: opens the simulator's slave path with
// plain POSIX calls, the way a serial program does.
class SlaveClient {
 public:
  explicit SlaveClient(const std::string& path, bool rawMode = true) {
    Fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (Fd < 0) {
      throw std::runtime_error("cannot open " + path);
    }
    if (rawMode) {
      termios settings{};
      tcgetattr(Fd, &settings);
      cfmakeraw(&settings);
      tcsetattr(Fd, TCSANOW, &settings);
    }
  }
  ~SlaveClient() { close(Fd); }
  SlaveClient(const SlaveClient&) = delete;
  SlaveClient& operator=(const SlaveClient&) = delete;

  void Write(std::span<const std::uint8_t> bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t written = write(Fd, bytes.data() + done, bytes.size() - done);
      if (written > 0) {
        done += static_cast<std::size_t>(written);
      } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
        throw std::runtime_error("write failed");
      } else {
        pollfd out{Fd, POLLOUT, 0};
        poll(&out, 1, 100);
      }
    }
  }
  void Write(std::string_view text) const {
    Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }

  // Reads until `count` bytes arrived, `within` passed or the device vanished.
  std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds within) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (bytes.size() < count && !Vanished) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        break;
      }
      pollfd in{Fd, POLLIN, 0};
      if (poll(&in, 1, static_cast<int>(left.count())) <= 0) {
        continue;
      }
      std::uint8_t buffer[512];
      const ssize_t got = read(Fd, buffer, std::min(sizeof buffer, count - bytes.size()));
      if (got > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
      } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        Vanished = true;  // read() of 0 or EIO: the master side is gone
      }
    }
    return bytes;
  }

  void DiscardInput() const { tcflush(Fd, TCIFLUSH); }

  bool Vanished = false;

 private:
  int Fd = -1;
};

}  // namespace orvel::sim::test
