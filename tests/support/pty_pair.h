#pragma once

// A pseudo-terminal pair for tests: the code under test opens the slave path
// like a serial device, the test plays the other end on the master side.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::test {

class PtyPair {
 public:
  // Opens the master in raw mode; throws std::runtime_error on failure.
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // The device path of the slave side, e.g. "/dev/pts/3".
  [[nodiscard]] const std::string& SlavePath() const { return Slave; }
  [[nodiscard]] bool MasterOpen() const { return Master >= 0; }

  // Writes every byte to the master side (they arrive on the slave side).
  void Write(std::span<const std::uint8_t> bytes);
  void Write(std::string_view text);
  // Reads from the master side until `count` bytes arrived or `within` passed;
  // returns what arrived.
  std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds within);
  // Closes the master side: the slave side sees a hang-up.
  void HangUp();

 private:
  int Master = -1;
  std::string Slave;
};

}  // namespace orvel::test
