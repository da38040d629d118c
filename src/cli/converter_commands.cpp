// `orvel identify`, `orvel table read | write | send`, `orvel flash` and
// `orvel sensor show | calibrate`: the converter operations on a serial port
// (a device path or the simulator's pty), with the window's rules and messages.
#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cli/commands.h"
#include "cli/headless_table.h"
#include "cli/output_check.h"
#include "cli/terminal_progress.h"
#include "link/contactless_sensor.h"
#include "link/device_info.h"
#include "link/firmware_file.h"
#include "link/firmware_update.h"
#include "link/link_errors.h"
#include "link/rxtx.h"
#include "link/serial_port.h"
#include "link/table_transfer.h"
#include "table/table.h"
#include "table/table_file.h"

namespace orvel::cli {

namespace {

// The link on the port named on the command line, with the main table model
// and the program's messages printed on the error stream.
struct ConverterSession {
  explicit ConverterSession(CommandContext& context)
      : Context(context), Headless(context), Progress(context.Out, StdoutIsTerminal()) {}

  // Opens the port; false (after the port message) when it cannot be opened.
  bool Open(const std::string& port) {
    try {
      Link.Open(port);
      return true;
    } catch (const EComPort& error) {
      ReportPortError(error, Messages);
      Context.Err << error.what() << '\n';
      Context.Status = 1;
      return false;
    }
  }

  // Loads a table that is to go to the converter. A file that holds fewer
  // than the 256 outputs is refused: the window would load it with zeros for
  // the missing outputs, and those would end up in the converter's memory.
  bool LoadTableForConverter(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string failure;
    if (ReadTableFileBytes(path, bytes, failure) && bytes.size() < TableBlock::kOutCount) {
      Context.Fail(path + ": " + std::to_string(bytes.size()) +
                   " bytes hold no table (fewer than its 256 outputs); nothing was sent to the converter");
      return false;
    }
    if (!MainTable.LoadTableFile(path, 1)) {
      Failed();
      return false;
    }
    return true;
  }

  // Marks a failed operation; its message is already printed, if it had one.
  void Failed() { Headless.Failed(); }

  // Identifies the converter; nullopt (after the messages) when it fails.
  std::optional<TDeviceInfo> Identify() {
    try {
      return Identification.Identify();
    } catch (const std::exception& error) {
      // The window shows only "Try again!"; the tool also says what failed.
      Context.Err << error.what() << '\n';
      Messages.ShowMessage(kTryAgain);
      Failed();
      return std::nullopt;
    }
  }

  CommandContext& Context;
  HeadlessTable Headless;
  PrintedMessages& Messages = Headless.Messages;
  Table& MainTable = Headless.Model;
  TRXTX Link{Headless.Bus};
  TerminalProgress Progress;
  TableTransfer Transfer{MainTable, Link, Messages, Progress};
  DeviceIdentification Identification{Link};
};

// The firmware page of the window, as command-line options and a terminal bar.
class CommandLineFirmwarePage final : public FirmwarePage {
 public:
  CommandLineFirmwarePage(bool recovery, ProgressView& bar) : Recovery(recovery), Bar(bar) {
    Bar.SetTitle("Firmware");
    Bar.SetRange(0, 100);
    Bar.Show();
  }
  [[nodiscard]] bool RecoveryTicked() const override { return Recovery; }
  void UntickRecovery() override { Recovery = false; }
  void SetProgress(int percent) override { Bar.SetPosition(percent); }
  [[nodiscard]] bool LiveDataRunning() const override { return false; }

 private:
  bool Recovery;
  ProgressView& Bar;
};

// The calibration countdown as one line counting down on the terminal.
class TerminalCountdown final : public CalibrationCountdown {
 public:
  explicit TerminalCountdown(std::ostream& out) : Out(out) {}
  void CountDown(int seconds) override {
    for (int left = seconds; left > 0; --left) {
      Out << "\rCalibrating, keep the throttle at the chosen end: " << left << " s " << std::flush;
      std::this_thread::sleep_for(std::chrono::seconds{1});
    }
    Out << "\rCalibration time over." << std::string(40, ' ') << '\n';
  }

 private:
  std::ostream& Out;
};

void PrintDevice(CommandContext& context, const TDeviceInfo& info, bool json) {
  if (json) {
    const nlohmann::json result{{"DeviceId", info.DeviceId},   {"FwText", info.FwText},
                                {"FwVersion", info.FwVersion}, {"HwText", info.HwText},
                                {"HwVersion", info.HwVersion}, {"FoscText", info.FoscText},
                                {"FoscKHz", info.FoscKHz}};
    context.Out << result.dump() << '\n';
    return;
  }
  context.Out << "DeviceId " << info.DeviceId << '\n' << FirmwareLabelText(info) << '\n';
  if (info.DeviceId == kContactlessDevice) {
    context.Out << HardwareLabelText(info) << '\n' << OscillatorLabelText(info) << '\n';
  }
}

void PrintSensor(CommandContext& context, const ContactlessSettings& settings, bool json) {
  if (json) {
    const nlohmann::json result{{"Angle", settings.Angle},
                                {"Type", settings.Type},
                                {"Flags", settings.Flags},
                                {"Calibration", settings.Calibration}};
    context.Out << result.dump() << '\n';
    return;
  }
  SensorChoice choice;
  choice.ShowSettings(settings);
  context.Out << "Angle " << int{settings.Angle} << " (list entry "
              << kSensorAngles.at(static_cast<std::size_t>(choice.AngleIndex)) << "°)\n"
              << "Type " << int{settings.Type} << '\n'
              << "Flags " << int{settings.Flags} << " (direction "
              << (choice.DirectionIndex == kDirectionLeft ? "left" : "right") << ")\n"
              << "Calibration " << settings.Calibration << '\n';
}

// Runs a sensor command: opens the port, identifies the converter (it must be
// of the contactless kind) and hands `action` the sensor; port errors on the
// way are reported.
void RunSensorCommand(CommandContext& context, const std::string& port,
                      const std::function<void(ContactlessSensor&, const TDeviceInfo&)>& action) {
  ConverterSession session(context);
  if (!session.Open(port)) {
    return;
  }
  const std::optional<TDeviceInfo> device = session.Identify();
  if (!device) {
    return;
  }
  if (device->DeviceId != kContactlessDevice) {
    context.Fail("the converter (DeviceId " + std::to_string(device->DeviceId) +
                 ") has no contactless sensor interface");
    return;
  }
  ContactlessSensor sensor(session.Link);
  try {
    action(sensor, *device);
  } catch (const std::exception& error) {
    ReportPortError(error, session.Messages);
    session.Failed();
  }
}

void AddTableTransferCommands(CLI::App& group, CommandContext& context) {
  struct Arguments {
    std::string Port;
    std::string File;
  };
  auto args = std::make_shared<Arguments>();
  const auto addPortAndFile = [&args](CLI::App* command, const char* fileHelp) {
    command->add_option("PORT", args->Port, "serial port (device path)")->required();
    command->add_option("FILE", args->File, fileHelp)->required();
  };

  CLI::App* read = group.add_subcommand("read", "Read the converter's table into a table file");
  addPortAndFile(read, "table file to write (.tab is added when missing)");
  read->callback([args, &context] {
    if (!OutputUsable(context, TableFilePath(args->File), {args->Port})) {
      return;
    }
    ConverterSession session(context);
    if (!session.Open(args->Port)) {
      return;
    }
    if (!session.Transfer.ReadFromConverter() || !session.MainTable.SaveTableFile(args->File, 1)) {
      session.Failed();
    }
  });

  CLI::App* write = group.add_subcommand(
      "write", "Write a table file to the converter's working and permanent memory, then verify it");
  addPortAndFile(write, "table file (.tab)");
  write->callback([args, &context] {
    ConverterSession session(context);
    if (!session.LoadTableForConverter(args->File)) {
      return;
    }
    if (!session.Open(args->Port) || !session.Transfer.WriteToConverter()) {
      session.Failed();
    }
  });

  CLI::App* send =
      group.add_subcommand("send", "Send a table file to the converter's working memory only (\"t\")");
  addPortAndFile(send, "table file (.tab)");
  send->callback([args, &context] {
    ConverterSession session(context);
    if (!session.LoadTableForConverter(args->File)) {
      return;
    }
    if (!session.Open(args->Port) || !session.Transfer.SendToConverterRam()) {
      session.Failed();
    }
  });
}

void AddSensorCommands(CLI::App& app, CommandContext& context) {
  struct Arguments {
    std::string Port;
    bool Json = false;
    int Angle = kSensorAngles.back();
    std::string Direction = "left";
    std::string At = "min";
  };
  auto args = std::make_shared<Arguments>();
  CLI::App* group = app.add_subcommand("sensor", "Contactless throttle sensor of kind 2 converters");
  group->require_subcommand(1);

  CLI::App* show = group->add_subcommand("show", "Read the sensor settings (\"sy\")");
  show->add_option("PORT", args->Port, "serial port (device path)")->required();
  show->add_flag("--json", args->Json, "print one JSON object");
  show->callback([args, &context] {
    RunSensorCommand(context, args->Port, [&](ContactlessSensor& sensor, const TDeviceInfo& device) {
      if (const auto settings = sensor.Query(device)) {
        PrintSensor(context, *settings, args->Json);
      } else {
        context.Fail("the converter sent no sensor settings");
      }
    });
  });

  CLI::App* calibrate = group->add_subcommand(
      "calibrate",
      "Send the sensor settings and calibrate (\"se\"); keep the throttle at the chosen end for 15 s");
  calibrate->add_option("PORT", args->Port, "serial port (device path)")->required();
  calibrate->add_option("--angle", args->Angle, "working angle in degrees")
      ->required()
      ->check(CLI::IsMember(std::vector<int>(kSensorAngles.begin(), kSensorAngles.end())));
  calibrate->add_option("--direction", args->Direction, "sensor direction")
      ->required()
      ->check(CLI::IsMember({"left", "right"}));
  calibrate->add_option("--at", args->At, "calibration end: the minimum or maximum angle")
      ->required()
      ->check(CLI::IsMember({"min", "max"}));
  calibrate->callback([args, &context] {
    const SensorChoice choice{NearestAngleIndex(args->Angle),
                              args->Direction == "left" ? kDirectionLeft : kDirectionRight,
                              args->At == "max" ? CalibrationEnd::MaxAngle : CalibrationEnd::MinAngle};
    RunSensorCommand(context, args->Port, [&](ContactlessSensor& sensor, const TDeviceInfo& device) {
      TerminalCountdown countdown(context.Out);
      sensor.Calibrate(choice.CalibrationSettings(device.DeviceId), countdown);
    });
  });
}

}  // namespace

void AddConverterCommands(CLI::App& app, CommandContext& context) {
  AddTableTransferCommands(TableGroup(app), context);
  AddSensorCommands(app, context);

  struct Arguments {
    std::string Port;
    std::string File;
    bool Json = false;
    bool Recovery = false;
  };
  auto args = std::make_shared<Arguments>();

  CLI::App* identify = app.add_subcommand("identify", "Identify the converter (\"sv\")");
  identify->add_option("PORT", args->Port, "serial port (device path)")->required();
  identify->add_flag("--json", args->Json, "print one JSON object");
  identify->callback([args, &context] {
    ConverterSession session(context);
    if (!session.Open(args->Port)) {
      return;
    }
    if (const auto device = session.Identify()) {
      PrintDevice(context, *device, args->Json);
    }
  });

  CLI::App* flash = app.add_subcommand("flash", "Update the converter's firmware from a firmware file");
  flash->add_option("PORT", args->Port, "serial port (device path)")->required();
  flash->add_option("FILE", args->File, "firmware file (.enc)")->required();
  flash->add_flag("--recovery", args->Recovery,
                  "the converter waits in its loader already (firmware recovery): do not send \"fiud\"");
  flash->callback([args, &context] {
    ConverterSession session(context);
    // The file is checked before the port is touched: a file that cannot be
    // sent is reported as such, whatever the port.
    if (const FirmwareFile file = LoadFirmwareFile(args->File); !file.Usable()) {
      session.Messages.ShowMessage(file.Refusal);
      session.Failed();
      return;
    }
    if (!session.Open(args->Port)) {
      return;
    }
    CommandLineFirmwarePage page(args->Recovery, session.Progress);
    FirmwareUpdate update(session.Link, session.Messages, page);
    const FirmwareOutcome outcome = update.Update(std::filesystem::path(args->File));
    session.Progress.Hide();
    if (outcome != FirmwareOutcome::Updated) {
      session.Failed();
    }
  });
}

}  // namespace orvel::cli
