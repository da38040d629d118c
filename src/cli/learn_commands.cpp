// `orvel learn`: a learning pass (or taking the converter's output) over a
// recorded log, written into a table file, as the log page does it.
#include <memory>
#include <optional>
#include <string>

#include "autotune/o2_sensor.h"
#include "cli/commands.h"
#include "cli/output_check.h"
#include "live/log_file.h"
#include "live/log_learning.h"
#include "table/table.h"
#include "table/table_file.h"

namespace orvel::cli {

namespace {

constexpr std::int32_t kLargestLevel = 255;

struct LearnOptions {
  std::string TableFile;
  std::string LogFile;
  std::string Output;
  std::int32_t Sensor = 0;
  std::int32_t O2Target = 0;
  std::int32_t O2Ref = 0;
  std::int32_t MafLimit = 0;
  bool Toyota = false;
  std::optional<std::int64_t> From;
  std::optional<std::int64_t> To;
  bool TakeOutput = false;
  bool Json = false;
};

// The samples I..J asked for, checked against the log's length; empty after
// the failure's message.
std::optional<SampleRange> RangeOf(const LearnOptions& options, std::int64_t samples,
                                   CommandContext& context) {
  const SampleRange range{options.From.value_or(0), options.To.value_or(samples - 1)};
  if (range.First < 0 || range.First >= samples || range.Last >= samples || range.Last < range.First) {
    context.Fail("samples " + std::to_string(range.First) + ".." + std::to_string(range.Last) +
                 " are not within the log's " + std::to_string(samples) + " samples (0.." +
                 std::to_string(samples - 1) + ")");
    return std::nullopt;
  }
  return range;
}

void Learn(const LearnOptions& options, CommandContext& context) {
  if (!OutputUsable(context, TableFilePath(options.Output), {options.TableFile, options.LogFile})) {
    return;
  }
  PrintedMessages messages(context.Err);
  TOrvelBroadcaster bus;
  LatchedModifiers keys;
  Table table(bus, messages, keys);
  if (!table.LoadTableFile(options.TableFile, 1)) {
    context.Status = 1;
    return;
  }
  const auto log = ReadLogFile(options.LogFile, messages);
  if (!log) {
    context.Status = 1;
    return;
  }
  if (!options.TakeOutput && log->Layout == LogFileLayout::Older) {
    context.Fail(options.LogFile +
                 ": the older log layout holds no smoothed O2 (O2Smooth), which the learning pass needs; "
                 "--take-output works on it");
    return;
  }
  const auto samples = static_cast<std::int64_t>(log->Channels.SampleCount());
  const auto range = RangeOf(options, samples, context);
  if (!range) {
    return;
  }
  const LogLevels levels{options.MafLimit, options.O2Target, options.O2Ref};
  const auto steps = options.TakeOutput
                         ? LearnSelectedSteps(log->Channels, *range, levels.MafLimit)
                         : LearnFromLogSteps(log->Channels, *range, levels, options.Sensor, options.Toyota);
  const int changed = ApplyLearnSteps(steps, table);
  if (!table.SaveTableFile(options.Output, 1)) {
    context.Status = 1;
    return;
  }
  if (options.Json) {
    nlohmann::ordered_json result;
    result["FirstIndex"] = range->First;
    result["LastIndex"] = range->Last;
    result["MafLimit"] = levels.MafLimit;
    result["O2Target"] = levels.O2Target;
    result["O2FromDash"] = levels.O2FromDash;
    result["PointsSeen"] = steps.size();
    result["PointsChanged"] = changed;
    context.Out << result.dump(2) << '\n';
    return;
  }
  context.Out << (options.TakeOutput ? "Took the converter's output" : "Learned") << " over samples "
              << range->First << ".." << range->Last << ": " << steps.size() << " points seen above MAF "
              << levels.MafLimit << ", " << changed << " changed; wrote " << options.Output << '\n';
}

}  // namespace

void AddLearnCommands(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<LearnOptions>();
  auto* learn = app.add_subcommand(
      "learn",
      "Learn table corrections from a recorded log (the log page's learning pass) and write the table");
  learn->add_option("TABLE", options->TableFile, "the .tab file to start from")->required();
  learn->add_option("LOG", options->LogFile, "the recorded .log file")->required();
  learn->add_option("OUT", options->Output, "the .tab file to write")->required();
  const auto last = static_cast<std::int32_t>(kO2SensorNames.size()) - 1;
  learn->add_option("--sensor", options->Sensor, "oxygen sensor type of the recording (0..4)")
      ->required()
      ->check(CLI::Range(0, last));
  learn->add_option("--o2-target", options->O2Target, "O2 target, in the O2 channel's unit (rich side)")
      ->required()
      ->check(CLI::Range(0, kLargestLevel));
  learn->add_option("--o2-ref", options->O2Ref, "the dashboard's O2 reference (lean side)")
      ->required()
      ->check(CLI::Range(0, kLargestLevel));
  learn->add_option("--maf-limit", options->MafLimit, "leave MAF points at or below this alone (default 0)")
      ->check(CLI::Range(0, kLargestLevel));
  learn->add_flag("--toyota", options->Toyota, "the converter's characteristic falls: every step reversed");
  learn->add_option("--from", options->From, "first sample (default 0)");
  learn->add_option("--to", options->To, "last sample, included (default the last one)");
  learn->add_flag("--take-output", options->TakeOutput, "take the converter's output instead of stepping");
  learn->add_flag("--json", options->Json, "print one JSON object");
  learn->callback([options, &context] { Learn(*options, context); });
}

}  // namespace orvel::cli
