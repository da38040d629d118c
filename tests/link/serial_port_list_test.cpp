#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "support/temp_dir.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

// A fake /sys/class/tty in a temporary folder.
class FakeSysClassTty : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Root / "drivers" / "serial8250");
    fs::create_directories(Root / "drivers" / "ftdi_sio");
    fs::create_directories(Root / "drivers" / "port");
    fs::create_directories(Root / "tty");
  }

  // A tty entry; with a driver name it gets a `device` folder whose `driver`
  // link points at that driver, as the kernel lays it out.
  // A UART type, when given, is written to the entry's `type` file as the
  // serial core does.
  void AddTty(const std::string& name, const std::string& driver = "", const std::string& uartType = "") {
    const fs::path entry = Root / "tty" / name;
    fs::create_directories(entry);
    if (!driver.empty()) {
      fs::create_directories(entry / "device");
      fs::create_directory_symlink(Root / "drivers" / driver, entry / "device" / "driver");
    }
    if (!uartType.empty()) {
      std::ofstream(entry / "type") << uartType << "\n";
    }
  }

  test::TempDir Folder;
  fs::path Root = Folder.Path();
};

TEST_F(FakeSysClassTty, ListsDevicesSortedWithoutVirtualTerminalsOrEmptyLegacySlots) {
  AddTty("ttyUSB1", "ftdi_sio");
  AddTty("tty0");                 // virtual terminal: no device
  AddTty("console");              // no device
  AddTty("ttyS0", "serial8250");  // no type file and no device node: an empty slot
  AddTty("ttyS1", "port", "0");   // type PORT_UNKNOWN: an empty slot
  AddTty("ttyS2", "port", "4");   // a 16550A behind it: a real port
  AddTty("ttyACM0", "cdc_acm");   // driver not present in the fake tree: still listed
  AddTty("ttyUSB0", "ftdi_sio");

  // The device folder is empty, so the serial8250 slot cannot be opened.
  const fs::path dev = Root / "dev";
  fs::create_directories(dev);
  EXPECT_EQ(ListSerialPorts(Root / "tty", dev),
            (std::vector<std::string>{(dev / "ttyACM0").string(), (dev / "ttyS2").string(),
                                      (dev / "ttyUSB0").string(), (dev / "ttyUSB1").string()}));
}

TEST_F(FakeSysClassTty, MissingFolderGivesAnEmptyList) {
  EXPECT_TRUE(ListSerialPorts(Root / "absent").empty());
}

}  // namespace
}  // namespace orvel
