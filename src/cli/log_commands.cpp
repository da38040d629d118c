#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/commands.h"
#include "cli/interrupt_catcher.h"
#include "cli/output_check.h"
#include "core/main_thread_dispatcher.h"
#include "core/orvel_broadcaster.h"
#include "link/rxtx.h"
#include "live/headless_loop.h"
#include "live/log.h"
#include "live/log_channels.h"
#include "live/log_file.h"
#include "table/atomic_file.h"
#include "table/table.h"

namespace orvel::cli {

namespace {

const char* LayoutName(LogFileLayout layout) {
  return layout == LogFileLayout::Current ? "current" : "older";
}

// Seconds of sample i with two decimals: "0.00", "12.34".
std::string SecondsOfIndex(std::size_t index) {
  const std::string hundredths = std::to_string(index % 100);
  return std::to_string(index / 100) + (hundredths.size() < 2 ? ".0" : ".") + hundredths;
}

struct ChannelRange {
  std::int32_t Min = 0;
  std::int32_t Max = 0;
};

ChannelRange RangeOf(std::span<const std::int32_t> values) {
  const auto [min, max] = std::minmax_element(values.begin(), values.end());
  return {*min, *max};  // a decoded file holds at least one sample
}

// `text` filled with spaces to `width`, on the left when rightAligned.
std::string Padded(std::string_view text, std::size_t width, bool rightAligned) {
  const std::string fill(width > text.size() ? width - text.size() : 0, ' ');
  return rightAligned ? fill + std::string(text) : std::string(text) + fill;
}

constexpr std::size_t kNameWidth = 10;
constexpr std::size_t kNumberWidth = 8;

void ShowLog(const std::string& file, bool json, CommandContext& context) {
  PrintedMessages messages(context.Err);
  const auto contents = ReadLogFile(file, messages);
  if (!contents) {
    context.Status = 1;
    return;
  }
  const LogChannels& channels = contents->Channels;
  const std::size_t samples = channels.SampleCount();
  const auto stored = StoredChannels(contents->Layout);
  if (json) {
    nlohmann::ordered_json result;
    result["Layout"] = LayoutName(contents->Layout);
    result["Samples"] = samples;
    result["FileTpsMin"] = contents->FileTps.Min;
    result["FileTpsMax"] = contents->FileTps.Max;
    nlohmann::ordered_json& ranges = result["Channels"];
    for (const Channel channel : stored) {
      const ChannelRange range = RangeOf(channels.Of(channel));
      ranges[std::string(kLogChannelNames[ChannelIndex(channel)])] = {{"Min", range.Min}, {"Max", range.Max}};
    }
    context.Out << result.dump(2) << '\n';
    return;
  }
  context.Out << "Layout: " << LayoutName(contents->Layout) << '\n'
              << "Samples: " << samples << '\n'
              << "Duration: " << SecondsOfIndex(samples) << " s\n"
              << "FileTpsMin: " << contents->FileTps.Min << '\n'
              << "FileTpsMax: " << contents->FileTps.Max << '\n'
              << Padded("Channel", kNameWidth, false) << Padded("Min", kNumberWidth, true)
              << Padded("Max", kNumberWidth, true) << '\n';
  for (const Channel channel : stored) {
    const ChannelRange range = RangeOf(channels.Of(channel));
    context.Out << Padded(kLogChannelNames[ChannelIndex(channel)], kNameWidth, false)
                << Padded(std::to_string(range.Min), kNumberWidth, true)
                << Padded(std::to_string(range.Max), kNumberWidth, true) << '\n';
  }
}

// One row per sample: its time in seconds and every channel the file stores
// (IatCorr and EctCorr never are; the older layout stops after O2, and its
// missing channels get no column rather than a column of made-up zeros).
std::string CsvOf(const LogChannels& channels, LogFileLayout layout) {
  const auto columns = StoredChannels(layout);
  std::string csv = "Time";
  for (const Channel channel : columns) {
    csv += ',';
    csv += kLogChannelNames[ChannelIndex(channel)];
  }
  csv += '\n';
  for (std::size_t i = 0; i < channels.SampleCount(); ++i) {
    csv += SecondsOfIndex(i);
    for (const Channel channel : columns) {
      csv += ',';
      csv += std::to_string(channels.ValueOr0(channel, i));
    }
    csv += '\n';
  }
  return csv;
}

void ExportLog(const std::string& file, const std::string& out, CommandContext& context) {
  if (!OutputUsable(context, out, {file})) {
    return;
  }
  PrintedMessages messages(context.Err);
  const auto contents = ReadLogFile(file, messages);
  if (!contents) {
    context.Status = 1;
    return;
  }
  const std::string csv = CsvOf(contents->Channels, contents->Layout);
  const WriteResult written =
      WriteFileAtomically(out, std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()));
  if (written.Outcome != WriteOutcome::Written) {
    context.Fail(out + ": cannot write the file" +
                 (written.ErrorText.empty() ? "" : ": " + written.ErrorText));
    return;
  }
  context.Out << "Exported " << contents->Channels.SampleCount() << " samples to " << out << '\n';
}

// --- `log record`: a headless logger. ---

// Stands where the window would: keeps the newest dashboard message.
class DashboardWatcher final : public TOrvelReceiver {
 public:
  void Dispatch(const TMessage& message) override {
    if (const auto* dash = MessageAs<TMsgDashData>(message)) {
      Last.emplace(*dash);
    }
  }
  std::optional<TMsgDashData> Last;
};

struct RecordOptions {
  std::string Port;
  std::string Out;
  int Sensor = 0;
  double Seconds = 0;  // 0: until Ctrl+C
};

std::string StatusLine(const Log& log, const DashboardWatcher& watcher) {
  std::string line = "samples " + std::to_string(log.SampleCount());
  if (watcher.Last) {
    const TMsgDashData& dash = *watcher.Last;
    line += "  MAF " + std::to_string(dash.Maf) + "  output " + std::to_string(dash.Conv) + "  rpm " +
            std::to_string(dash.Rpm) + "  O2 " + dash.O2Text;
  }
  return line + "  bad frames " + std::to_string(log.Stream().BadFrames.load());
}

void RecordLog(const RecordOptions& options, CommandContext& context) {
  // Checked before the recording: a recording that cannot be saved is lost.
  if (!OutputUsable(context, LogFilePath(options.Out), {options.Port})) {
    return;
  }
  PrintedMessages messages(context.Err);
  TOrvelBroadcaster bus;
  DashboardWatcher watcher;  // subscribed first, where the window would be
  bus.Subscribe(watcher);
  TRXTX link(bus);
  try {
    link.Open(options.Port);
  } catch (const EComPort& error) {
    context.Fail(error.what());
    return;
  }
  LatchedModifiers modifiers;
  Table mainTable(bus, messages, modifiers);
  QueuedDispatcher dispatcher;
  Log log(messages, LiveLinks{link, bus, mainTable, dispatcher, NumberFormat{}});
  const bool liveStatus = &context.Out == &std::cout && ::isatty(STDOUT_FILENO) != 0;

  const InterruptCatcher interrupt;
  // Only the log's part of the Start action: the headless logger has no table
  // of its own and must not replace the converter's working table.
  TMsgLogStart start;
  start.O2SensorType = options.Sensor;
  bus.Broadcast(start);
  HeadlessLoopSettings loop;
  loop.Limit = std::chrono::duration<double>(options.Seconds);
  const HeadlessLoopResult run = RunHeadlessLoop(log, dispatcher, loop, &InterruptCatcher::Interrupted, [&] {
    if (liveStatus) {
      context.Out << '\r' << StatusLine(log, watcher) << "\x1b[K" << std::flush;
    }
  });
  if (liveStatus) {
    context.Out << '\n';
  }
  if (log.IsRunning()) {
    bus.Broadcast(TMsgLogStop{});
  }
  FinishHeadlessRun(log, dispatcher);
  const std::size_t samples = log.SampleCount();
  if (samples == 0) {
    context.Fail(options.Port + ": no live data received");
    return;
  }
  if (!log.SaveToFile(options.Out)) {
    context.Status = 1;
    return;
  }
  context.Out << "Recorded " << samples << " samples (" << SecondsOfIndex(samples) << " s, "
              << log.Stream().BadFrames.load() << " bad frames) to " << LogFilePath(options.Out).string()
              << '\n';
  // The samples are saved, but the recording asked for was not made.
  if (run.End == HeadlessLoopEnd::StreamEnded) {
    context.Fail(options.Port + ": the live data stopped after " + std::to_string(samples) +
                 " samples, before the recording's end");
  }
}

}  // namespace

CLI::App& LogGroup(CLI::App& app) {
  return CommandGroup(app, "log", "Recorded logs: record, show, export");
}

void AddLogCommands(CLI::App& app, CommandContext& context) {
  CLI::App& group = LogGroup(app);

  // The options live as long as the callbacks that read them.
  struct Options {
    std::string File;
    std::string Out;
    bool Json = false;
  };

  auto* show =
      group.add_subcommand("show", "Layout, samples, duration and each channel's range of a .log file");
  auto showOptions = std::make_shared<Options>();
  show->add_option("FILE", showOptions->File, "the .log file")->required();
  show->add_flag("--json", showOptions->Json, "print one JSON object");
  show->callback([showOptions, &context] { ShowLog(showOptions->File, showOptions->Json, context); });

  auto* exportCommand = group.add_subcommand("export", "Write a .log file's samples as CSV");
  auto exportOptions = std::make_shared<Options>();
  exportCommand->add_option("FILE", exportOptions->File, "the .log file")->required();
  exportCommand->add_option("OUT", exportOptions->Out, "the CSV file to write")->required();
  exportCommand->callback(
      [exportOptions, &context] { ExportLog(exportOptions->File, exportOptions->Out, context); });

  auto* record = group.add_subcommand(
      "record", "Record the converter's live data until Ctrl+C or for a number of seconds, then save it");
  auto recordOptions = std::make_shared<RecordOptions>();
  record->add_option("PORT", recordOptions->Port, "the serial device")->required();
  record->add_option("OUT", recordOptions->Out, "the .log file to write")->required();
  record->add_option("--sensor", recordOptions->Sensor, "O2 sensor model, 0..4 (default 0)")
      ->check(CLI::Range(0, static_cast<int>(kO2SensorNames.size()) - 1));
  record->add_option("--seconds", recordOptions->Seconds, "stop after this many seconds")
      ->check(CLI::PositiveNumber);
  record->callback([recordOptions, &context] { RecordLog(*recordOptions, context); });
}

}  // namespace orvel::cli
