// Argument validation and exit statuses of the command tree, the port list
// and the simulator command.
#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <condition_variable>
#include <mutex>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "cli_run.h"
#include "link/device_info.h"

namespace orvel {
namespace {

using test::RunOrvel;

TEST(Arguments, InvalidCommandLinesExitWithOneAndSayWhy) {
  const std::vector<std::vector<std::string>> cases{
      {},
      {"bogus"},
      {"table"},
      {"table", "show"},
      {"table", "show", "a.tab", "extra"},
      {"table", "import", "only.csv"},
      {"identify"},
      {"log", "show"},
      {"sensor", "calibrate", "/dev/null", "--angle", "7", "--direction", "left", "--at", "min"},
      {"sensor", "calibrate", "/dev/null", "--angle", "90", "--direction", "up", "--at", "min"},
      {"sensor", "calibrate", "/dev/null", "--angle", "90", "--direction", "left"},
      {"learn", "a.tab", "b.log", "c.tab", "--sensor", "5", "--o2-target", "1", "--o2-ref", "1"},
      {"learn", "a.tab", "b.log", "c.tab", "--sensor", "1", "--o2-target", "256", "--o2-ref", "1"},
      {"learn", "a.tab", "b.log", "c.tab", "--sensor", "1", "--o2-target", "1"},
      {"log", "record", "/dev/null", "out.log", "--seconds", "0"},
      {"log", "record", "/dev/null", "out.log", "--sensor", "9"},
      {"simulate", "--fault", "bogus"},
      {"simulate", "--time-scale", "0"},
  };
  for (const auto& arguments : cases) {
    std::string line;
    for (const auto& argument : arguments) {
      line += argument + ' ';
    }
    const auto result = RunOrvel(arguments);
    EXPECT_EQ(result.Status, 1) << line;
    EXPECT_NE(result.Err, "") << line;
    EXPECT_EQ(result.Out, "") << line;
  }
}

TEST(Arguments, HelpExitsWithZero) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"}, {"table", "--help"}, {"learn", "--help"}}) {
    const auto result = RunOrvel(arguments);
    EXPECT_EQ(result.Status, 0) << arguments.front();
    EXPECT_NE(result.Out.find("Usage"), std::string::npos) << result.Out;
  }
}

TEST(Ports, JsonListsThePortsUnderOneKey) {
  const auto result = RunOrvel({"ports", "--json"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const nlohmann::json json = test::JsonOf(result);
  EXPECT_EQ(test::KeysOf(json), std::vector<std::string>{"Ports"});
  EXPECT_TRUE(json["Ports"].is_array());
}

// An output stream another thread may wait on for a complete first line.
class LineSignallingBuffer final : public std::streambuf {
 public:
  std::string WaitForLine() {
    std::unique_lock lock(Mutex);
    Arrived.wait(lock, [this] { return Text.find('\n') != std::string::npos; });
    return Text.substr(0, Text.find('\n'));
  }

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) {
      const std::scoped_lock lock(Mutex);
      Text += traits_type::to_char_type(c);
    }
    Arrived.notify_all();
    return c;
  }

 private:
  std::mutex Mutex;
  std::condition_variable Arrived;
  std::string Text;  // guarded by Mutex
};

TEST(Simulate, PrintsAPortThatAnswersAndStopsOnSigterm) {
  LineSignallingBuffer outBuffer;
  std::ostream out(&outBuffer);
  std::ostringstream err;
  int status = -1;
  std::thread simulator([&] {
    const std::vector<const char*> argv{"orvel", "simulate", "--identity", "old"};
    status = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err);
    out << '\n';  // a simulator that never started still ends the wait
  });
  const std::string port = outBuffer.WaitForLine();
  const auto identified = RunOrvel({"identify", port, "--json"});
  // The simulator's thread takes the signal it waits for; the test's threads
  // never see it.
  pthread_kill(simulator.native_handle(), SIGTERM);
  simulator.join();
  EXPECT_EQ(status, 0) << err.str();
  ASSERT_EQ(identified.Status, 0) << port << ": " << identified.Err;
  // The one-byte identity of --identity old: no device kind.
  EXPECT_EQ(test::JsonOf(identified)["DeviceId"], kUnknownDevice);
  EXPECT_EQ(test::JsonOf(identified)["FwText"], "3.8");
}

}  // namespace
}  // namespace orvel
