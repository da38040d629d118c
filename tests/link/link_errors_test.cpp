#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/orvel_broadcaster.h"
#include "link/link_errors.h"
#include "link/rxtx.h"
#include "support/pty_pair.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

// The texts as the user sees them, written out here on their own so that a
// slip in the program's constants shows.
const std::string kPortText =
    "COM port doesn't open or used by other application \nCOM порт не выбран или используется  другим "
    "приложением";
const std::string kNoResponse =
    "Converter doesn't respond. Please check supply voltage,COM port cable, Bluetooth adapter.\n\n"
    "Конвертер не отвечает. Проверьте наличие питания, кабель COM порта, адаптер Bluetooth\n\n\n";

TEST(ReportPortError, SerialPortErrorsGetThePortMessageOthersTheirOwnText) {
  RecordedMessages messages;
  ReportPortError(EComPort("Serial port /dev/ttyUSB0: cannot open: Device or resource busy"), messages);
  ReportPortError(EComPort("Serial port /dev/ttyUSB0: the device is gone (hang-up)", 0, true), messages);
  ReportPortError(std::runtime_error("Table file is too short"), messages);
  // The usual words, then the port and the system's reason; a device that
  // went away mid-exchange is said to have gone, not to have failed to open.
  EXPECT_EQ(messages.Texts,
            (std::vector<std::string>{
                kPortText + "\n\nSerial port /dev/ttyUSB0: cannot open: Device or resource busy",
                std::string(kDeviceGoneText) + "\n\nSerial port /dev/ttyUSB0: the device is gone (hang-up)",
                "Table file is too short"}));
}

struct LinkErrorCase {
  const char* Word;
  std::size_t Received;
  std::size_t Expected;
  std::vector<std::string> Shown;
  bool ClosesPort;
};

TEST(ReportLinkError, TestsTheFirstLetterOfTheWord) {
  const std::vector<LinkErrorCase> cases = {
      {"ErrorConnect", 0, 392, {kNoResponse + "0 of/из 392 Recieved/Получено"}, true},
      {"ErrorConnect=", 17, 392, {kNoResponse + "17 of/из 392 Recieved/Получено"}, true},
      {"VerificationError", 0, 0, {"Verification error.\n\nОшибка верификации.\n\n\n"}, false},
      {"Other", 1, 2, {}, false},
      {"", 1, 2, {}, false},
  };
  test::PtyPair pty;
  TOrvelBroadcaster bus;
  TRXTX link(bus, 100ms);
  for (const LinkErrorCase& c : cases) {
    SCOPED_TRACE(c.Word);
    link.Open(pty.SlavePath());
    RecordedMessages messages;
    ReportLinkError(LinkError(c.Word, c.Received, c.Expected), messages, link);
    EXPECT_EQ(messages.Texts, c.Shown);
    EXPECT_EQ(link.IsOpen(), !c.ClosesPort);
    EXPECT_EQ(link.Connected(), 1U);  // kept even when the port is closed
  }
}

TEST(ReportLinkError, NextOperationAfterANoResponseCloseGetsThePortMessage) {
  test::PtyPair pty;
  TOrvelBroadcaster bus;
  TRXTX link(bus, 100ms);
  link.Open(pty.SlavePath());
  RecordedMessages messages;
  ReportLinkError(LinkError(kErrorConnect, 0, 392), messages, link);
  try {
    const std::array<std::uint8_t, 2> command{'s', 'r'};
    link.Write(command);
    ADD_FAILURE() << "wrote to a closed port";
  } catch (const std::exception& error) {
    ReportPortError(error, messages);
  }
  ASSERT_EQ(messages.Texts.size(), 2U);
  EXPECT_TRUE(messages.Texts[1].starts_with(kPortText + "\n\nSerial port ")) << messages.Texts[1];
}

}  // namespace
}  // namespace orvel
