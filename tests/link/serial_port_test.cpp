#include <gtest/gtest.h>
#include <sys/stat.h>
#include <ctime>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "link/serial_port.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::PtyPair;

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// CPU time the calling thread has used; shows whether a wait sleeps or spins.
std::chrono::nanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

class SerialPortOnPty : public ::testing::Test {
 protected:
  void SetUp() override { Port.Open(Pty.SlavePath()); }

  PtyPair Pty;
  SerialPort Port{200ms};
};

struct ReadCase {
  const char* Name;
  std::string Sent;  // written to the line before the read
  std::size_t Asked;
  std::size_t ExpectedCount;
};

class SerialPortReadCount : public SerialPortOnPty, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SerialPortReadCount, ReturnsWhatArrivedBeforeTheTimeOut) {
  const ReadCase& c = GetParam();
  Pty.Write(c.Sent);
  std::vector<std::uint8_t> buffer(c.Asked, 0xEE);
  EXPECT_EQ(Port.Read(buffer), c.ExpectedCount);
  buffer.resize(c.ExpectedCount);
  EXPECT_EQ(buffer, Bytes(std::string_view(c.Sent).substr(0, c.ExpectedCount)));
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialPortReadCount,
                         ::testing::Values(ReadCase{"Full", "hello", 5, 5},
                                           ReadCase{"MoreThanAsked", "hello!", 5, 5},
                                           ReadCase{"Partial", "hel", 5, 3}, ReadCase{"None", "", 5, 0},
                                           ReadCase{"ZeroAsked", "", 0, 0}),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST_F(SerialPortOnPty, ReadCollectsBytesThatArriveInPiecesDuringTheWait) {
  std::thread sender([&] {
    Pty.Write("ab");
    std::this_thread::sleep_for(50ms);
    Pty.Write("cd");
  });
  std::array<std::uint8_t, 4> buffer{};
  Port.SetTimeout(2000ms);
  EXPECT_EQ(Port.Read(buffer), 4U);
  sender.join();
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "abcd");
}

TEST(SerialPort, DefaultTimeOutIsAboutOneSecond) {
  PtyPair pty;
  SerialPort port;
  port.Open(pty.SlavePath());
  std::vector<std::uint8_t> table(392);
  const auto start = Clock::now();
  EXPECT_EQ(port.Read(table), 0U);
  EXPECT_GE(Clock::now() - start, 900ms);
}

TEST_F(SerialPortOnPty, WaitingForDataSleepsInsteadOfSpinning) {
  std::array<std::uint8_t, 1> buffer{};
  Port.SetTimeout(500ms);
  const auto cpuBefore = ThreadCpuTime();
  EXPECT_EQ(Port.Read(buffer), 0U);
  EXPECT_LT(ThreadCpuTime() - cpuBefore, 100ms);
}

TEST_F(SerialPortOnPty, WrittenBytesArriveUnchanged) {
  // Raw mode: no translation of CR/LF, no special characters, all 256 values.
  std::vector<std::uint8_t> all(256);
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i] = static_cast<std::uint8_t>(i);
  }
  EXPECT_EQ(Port.Write(all), all.size());
  EXPECT_EQ(Pty.Read(all.size(), 2000ms), all);
  // Nothing is echoed back to the reader.
  std::array<std::uint8_t, 1> buffer{};
  EXPECT_EQ(Port.Read(buffer), 0U);
}

TEST_F(SerialPortOnPty, ClearBuffersDiscardsPendingInput) {
  Pty.Write("xyz");
  std::array<std::uint8_t, 1> first{};
  ASSERT_EQ(Port.Read(first), 1U);  // the whole write has reached the port
  Port.ClearBuffers();
  std::array<std::uint8_t, 2> rest{};
  EXPECT_EQ(Port.Read(rest), 0U);
  Port.ClearOutput();
  Pty.Write("n");
  EXPECT_EQ(Port.Read(std::span(rest).first(1)), 1U);
  EXPECT_EQ(rest[0], 'n');
}

TEST_F(SerialPortOnPty, HangUpDuringABlockingReadThrowsAtOnceWithoutSpinning) {
  Port.SetTimeout(60s);  // far beyond the test's time limit: a missed hang-up fails the test
  std::thread hangUp([&] {
    std::this_thread::sleep_for(200ms);
    Pty.HangUp();
  });
  std::array<std::uint8_t, 10> frame{};
  const auto start = Clock::now();
  const auto cpuBefore = ThreadCpuTime();
  EXPECT_THROW(Port.Read(frame), EComPort);
  const auto cpuUsed = ThreadCpuTime() - cpuBefore;
  hangUp.join();
  EXPECT_LT(Clock::now() - start, 30s);
  EXPECT_LT(cpuUsed, 100ms);
  // The device stays gone: every further transfer raises at once too.
  EXPECT_THROW(Port.Read(frame), EComPort);
  EXPECT_THROW(Port.Write(Bytes("s")), EComPort);
}

TEST_F(SerialPortOnPty, AStopEndsABlockingReadAtOnceWithTheBytesSoFarAndLeavesTheNextReadAlone) {
  Port.SetTimeout(60s);  // far beyond the test's time limit: a stop that is missed fails the test
  Pty.Write("ab");
  std::stop_source stop;
  std::thread stopper([&] {
    std::this_thread::sleep_for(200ms);
    stop.request_stop();
  });
  std::array<std::uint8_t, 10> frame{};
  const auto start = Clock::now();
  EXPECT_EQ(Port.Read(frame, stop.get_token()), 2U);
  stopper.join();
  EXPECT_LT(Clock::now() - start, 30s);
  EXPECT_EQ(frame[0], 'a');
  EXPECT_EQ(frame[1], 'b');
  // A token stopped before the read returns at once; a read without a stop
  // waits for its bytes as always, the earlier wake-up long drained.
  EXPECT_EQ(Port.Read(frame, stop.get_token()), 0U);
  Port.SetTimeout(200ms);
  Pty.Write("c");
  EXPECT_EQ(Port.Read(std::span(frame).first(1)), 1U);
  EXPECT_EQ(frame[0], 'c');
}

TEST_F(SerialPortOnPty, OneThreadReadsWhileAnotherWrites) {
  // The converter side echoes every 8-byte command; the main thread writes the
  // commands while a second thread reads the answers, as the live-data thread
  // does while the main thread sends corrections.
  constexpr int kRounds = 100;
  Port.SetTimeout(5000ms);
  std::thread converter([&] {
    for (int i = 0; i < kRounds; ++i) {
      Pty.Write(Pty.Read(8, 5000ms));
    }
  });
  std::vector<std::uint8_t> received;
  std::thread reader([&] {
    std::array<std::uint8_t, 8> answer{};
    for (int i = 0; i < kRounds; ++i) {
      const std::size_t count = Port.Read(answer);
      received.insert(received.end(), answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(count));
    }
  });
  std::vector<std::uint8_t> sent;
  for (int i = 0; i < kRounds; ++i) {
    std::vector<std::uint8_t> command(8, static_cast<std::uint8_t>(i));
    EXPECT_EQ(Port.Write(command), command.size());
    sent.insert(sent.end(), command.begin(), command.end());
  }
  reader.join();
  converter.join();
  EXPECT_EQ(received, sent);
}

TEST(SerialPort, EveryOperationOnAPortThatIsNotOpenThrows) {
  PtyPair pty;
  SerialPort neverOpened(50ms);
  SerialPort closed(50ms);
  closed.Open(pty.SlavePath());
  closed.Close();
  closed.Close();  // closing twice is harmless
  std::array<std::uint8_t, 1> buffer{};
  for (SerialPort* port : {&neverOpened, &closed}) {
    EXPECT_FALSE(port->IsOpen());
    EXPECT_THROW(port->Read(buffer), EComPort);
    EXPECT_THROW(port->Write(buffer), EComPort);
    EXPECT_THROW(port->ClearBuffers(), EComPort);
    EXPECT_THROW(port->ClearOutput(), EComPort);
  }
}

TEST(SerialPort, OpenFailuresThrowWithTheDeviceAndTheReason) {
  const test::TempDir folder;
  const std::filesystem::path notATty = folder.Path() / "not_a_tty.txt";
  std::ofstream(notATty) << "plain file";
  const std::filesystem::path fifo = folder.Path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  PtyPair pty;
  SerialPort holder;
  holder.Open(pty.SlavePath());

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/dev/orvel-no-such-port", "No such file or directory"},
      {notATty.string(), "not a serial port"},
      {fifo.string(), "is a FIFO, not a serial port"},  // refused at once, not waited on
      {pty.SlavePath(), "in use"},                      // held by another port object
  };
  for (const auto& [path, reason] : cases) {
    SerialPort port;
    try {
      port.Open(path);
      ADD_FAILURE() << path << " opened";
    } catch (const EComPort& error) {
      EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    }
    EXPECT_FALSE(port.IsOpen());
  }
  EXPECT_STREQ(EComPort::ClassName(), "EComPort");
}

TEST(SerialPort, ReopeningAfterCloseWorksAndReleasesThePort) {
  PtyPair pty;
  SerialPort first(100ms);
  first.Open(pty.SlavePath());
  first.Close();
  SerialPort second(100ms);
  second.Open(pty.SlavePath());
  EXPECT_EQ(second.Write(Bytes("r")), 1U);
  EXPECT_EQ(pty.Read(1, 1000ms), Bytes("r"));
}

}  // namespace
}  // namespace orvel
