#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "live/log_channels.h"
#include "live/log_file.h"
#include "table/atomic_file.h"

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

// One row per sample: its time in seconds and every channel a loaded log
// holds (IatCorr and EctCorr are never stored in a file).
std::string CsvOf(const LogChannels& channels) {
  const auto columns = StoredChannels(LogFileLayout::Current);
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
  PrintedMessages messages(context.Err);
  const auto contents = ReadLogFile(file, messages);
  if (!contents) {
    context.Status = 1;
    return;
  }
  const std::string csv = CsvOf(contents->Channels);
  const WriteResult written =
      WriteFileAtomically(out, std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()));
  if (written.Outcome != WriteOutcome::Written) {
    context.Fail(out + ": cannot write the file" +
                 (written.ErrorText.empty() ? "" : ": " + written.ErrorText));
    return;
  }
  context.Out << "Exported " << contents->Channels.SampleCount() << " samples to " << out << '\n';
}

}  // namespace

CLI::App& LogGroup(CLI::App& app) {
  for (CLI::App* command : app.get_subcommands({})) {
    if (command->get_name() == "log") {
      return *command;
    }
  }
  CLI::App& group = *app.add_subcommand("log", "Recorded logs: show, export");
  group.require_subcommand(1);
  return group;
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
}

}  // namespace orvel::cli
