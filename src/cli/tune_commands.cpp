// `orvel tune`: a headless autotuning session against a converter. The table
// goes to the converter, live data runs with autocorrection on, and the
// correction window carries out the decision's advice as the window does;
// at the end the tuned table and the recorded log are saved.
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "autotune/o2_sensor.h"
#include "cli/commands.h"
#include "cli/interrupt_catcher.h"
#include "cli/output_check.h"
#include "cli/terminal_progress.h"
#include "link/serial_port.h"
#include "live/convergence_tracker.h"
#include "live/log_file.h"
#include "live/tuning_session.h"
#include "sim/engine_model.h"
#include "table/atomic_file.h"
#include "table/table_file.h"

namespace orvel::cli {

namespace {

constexpr std::int32_t kLargestLevel = 255;
constexpr auto kStatusEvery = std::chrono::milliseconds{200};

struct TuneOptions {
  std::string Port;
  std::string TableFile;
  std::string Out;
  std::string LogFile;    // empty: OUT with ".log"
  std::string IdealFile;  // empty: no convergence figures
  TuningSettings Settings;
  double Minutes = 0;  // 0: until Ctrl+C
  double TimeScale = 1.0;
  bool Json = false;
};

const char* EndName(HeadlessLoopEnd end) {
  switch (end) {
    case HeadlessLoopEnd::LimitReached:
      return "time limit";
    case HeadlessLoopEnd::StopRequested:
      return "interrupted";
    case HeadlessLoopEnd::StreamEnded:
      break;
  }
  return "live data stopped";
}

double SamplesPerTick(const TuningSummary& summary) {
  return summary.Loop.Ticks == 0
             ? 0.0
             : static_cast<double>(summary.Samples) / static_cast<double>(summary.Loop.Ticks);
}

std::string StatusLine(TuningSession& session) {
  const CorrectionWindowModel& window = session.Window();
  return "samples " + std::to_string(session.TheLog().SampleCount()) + "  window " +
         std::to_string(window.MafBeg()) + ".." + std::to_string(window.MafEnd()) + "  correction " +
         std::to_string(window.Correction()) + "  applied " + std::to_string(session.Applied());
}

nlohmann::ordered_json ConvergenceJson(const ConvergenceFigures& figures) {
  nlohmann::ordered_json result;
  result["Trained"] = figures.Trained;
  result["SpanBegin"] = figures.SpanBegin;
  result["SpanEnd"] = figures.SpanEnd;
  result["TrainedErrorBefore"] = figures.TrainedErrorBefore;
  result["TrainedError"] = figures.TrainedError;
  result["SpanErrorBefore"] = figures.SpanErrorBefore;
  result["SpanError"] = figures.SpanError;
  result["Corrections"] = figures.Corrections;
  result["WrongWay"] = figures.WrongWay;
  result["AppliedWhileCold"] = figures.AppliedWhileCold;
  result["AppliedAfterOverrun"] = figures.AppliedAfterOverrun;
  return result;
}

void PrintConvergence(const ConvergenceFigures& figures, CommandContext& context) {
  context.Out << "Against the ideal: trained points " << FormatFixed(figures.TrainedErrorBefore, 2) << " -> "
              << FormatFixed(figures.TrainedError, 2) << ", driven span " << figures.SpanBegin << ".."
              << figures.SpanEnd << " " << FormatFixed(figures.SpanErrorBefore, 2) << " -> "
              << FormatFixed(figures.SpanError, 2) << " (mean absolute error); " << figures.Corrections
              << " corrections, " << figures.WrongWay << " the wrong way, " << figures.AppliedWhileCold
              << " in the first 30 s, " << figures.AppliedAfterOverrun << " within 1 s of an overrun\n";
}

void PrintSummary(const TuningSummary& summary, const TuneOptions& options, const std::string& logPath,
                  const std::optional<ConvergenceFigures>& convergence, CommandContext& context) {
  const double seconds = summary.Loop.StreamTime.count();
  if (options.Json) {
    nlohmann::ordered_json result;
    result["Trained"] = summary.TrainedPoints.size();
    result["Visited"] = summary.Visited;
    result["HighestMaf"] = summary.HighestMaf;
    result["Samples"] = summary.Samples;
    result["Ticks"] = summary.Loop.Ticks;
    result["SamplesPerTick"] = SamplesPerTick(summary);
    result["Seconds"] = seconds;
    result["Applied"] = summary.Applied;
    result["BadFrames"] = summary.BadFrames;
    result["End"] = EndName(summary.Loop.End);
    result["TrainedPoints"] = summary.TrainedPoints;
    result["Table"] = options.Out;
    result["Log"] = logPath;
    if (convergence) {
      result["Convergence"] = ConvergenceJson(*convergence);
    }
    context.Out << result.dump(2) << '\n';
    return;
  }
  context.Out << "Tuned for " << FormatFixed(seconds, 1) << " s of stream time (" << EndName(summary.Loop.End)
              << "): " << summary.Loop.Ticks << " ticks, " << summary.Samples << " samples ("
              << FormatFixed(SamplesPerTick(summary), 1) << " per tick), " << summary.BadFrames
              << " bad frames\n"
              << "Trained " << summary.TrainedPoints.size() << " of " << summary.Visited
              << " visited points with " << summary.Applied << " applied corrections";
  std::string separator = ": ";
  for (const int point : summary.TrainedPoints) {
    context.Out << separator << point;
    separator = " ";
  }
  context.Out << "\nWrote " << options.Out << " and " << logPath << '\n';
  if (convergence) {
    PrintConvergence(*convergence, context);
  }
}

// The ideal table of --ideal as point values; false (with the message
// printed) when the file cannot be read or is too short.
bool LoadIdeal(const std::string& path, PointValues& ideal, CommandContext& context) {
  std::vector<std::uint8_t> bytes;
  std::string failure;
  if (!ReadTableFileBytes(path, bytes, failure)) {
    context.Fail(path + ": cannot read an ideal table: " + failure);
    return false;
  }
  if (bytes.size() < TableBlock::kOutCount) {
    context.Fail(path + ": " + MissingFromTableFile(bytes.size()) + "; an ideal table needs all 256 outputs");
    return false;
  }
  const TableFileContents contents = DecodeTableFile(bytes);
  for (std::size_t p = 0; p < ideal.size(); ++p) {
    ideal[p] = contents.Block[p];
  }
  return true;
}

void Tune(const TuneOptions& options, CommandContext& context) {
  // Both outputs are checked before the session: its work would be lost.
  const std::filesystem::path logPath =
      options.LogFile.empty() ? std::filesystem::path(options.Out).replace_extension(kLogFileExtension)
                              : std::filesystem::path(options.LogFile);
  const std::initializer_list<std::filesystem::path> inputs{options.Port, options.TableFile,
                                                            options.IdealFile};
  if (!OutputUsable(context, TableFilePath(options.Out), inputs) ||
      !OutputUsable(context, LogFilePath(logPath), inputs)) {
    return;
  }
  PrintedMessages messages(context.Err);
  TuningSession session(messages);
  if (!session.MainTable().LoadTableFile(options.TableFile, 1)) {
    context.Status = 1;
    return;
  }
  std::optional<ConvergenceTracker> tracker;
  if (!options.IdealFile.empty()) {
    ConvergenceSettings measure;
    if (!LoadIdeal(options.IdealFile, measure.Ideal, context)) {
      return;
    }
    measure.ClosedTps = sim::EngineModel::kClosedThrottle;
    tracker.emplace(measure, session.MainTable());
  }
  try {
    session.Open(options.Port);
  } catch (const EComPort& error) {
    context.Fail(error.what());
    return;
  }
  TuningSettings settings = options.Settings;
  settings.Loop.TimeScale = options.TimeScale;
  settings.Loop.Limit = std::chrono::duration<double>(options.Minutes * 60.0);
  const bool liveStatus = &context.Out == &std::cout && StdoutIsTerminal() && !options.Json;
  auto lastStatus = std::chrono::steady_clock::now();

  const InterruptCatcher interrupt;
  const TuningSummary summary = session.Run(settings, &InterruptCatcher::Interrupted, [&] {
    if (tracker) {
      tracker->Observe(session.MainTable(), session.TheLog());
    }
    const auto now = std::chrono::steady_clock::now();
    if (liveStatus && now - lastStatus >= kStatusEvery) {
      lastStatus = now;
      context.Out << '\r' << StatusLine(session) << "\x1b[K" << std::flush;
    }
  });
  if (liveStatus) {
    context.Out << '\n';
  }
  if (summary.Samples == 0) {
    context.Fail(options.Port + ": no live data received");
    return;
  }
  // Both files are saved even when the stream broke off, so that the
  // corrections made until then are not lost.
  const bool tableSaved = session.MainTable().SaveTableFile(options.Out, 1);
  const bool logSaved = session.TheLog().SaveToFile(logPath);
  if (!tableSaved || !logSaved) {
    context.Status = 1;
    return;
  }
  std::optional<ConvergenceFigures> convergence;
  if (tracker) {
    convergence = tracker->Finish(session.MainTable());
  }
  PrintSummary(summary, options, LogFilePath(logPath).string(), convergence, context);
  if (summary.Loop.End == HeadlessLoopEnd::StreamEnded) {
    context.Fail(options.Port + ": the live data stopped after " + std::to_string(summary.Samples) +
                 " samples, before the session's end");
  }
}

}  // namespace

void AddTuneCommands(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<TuneOptions>();
  auto* tune = app.add_subcommand(
      "tune",
      "Autotune a table against a converter: live data with autocorrection until Ctrl+C or --minutes, "
      "then save the table and the log");
  tune->add_option("PORT", options->Port, "the serial device")->required();
  tune->add_option("TABLE", options->TableFile, "the .tab file to start from")->required();
  tune->add_option("OUT", options->Out, "the tuned .tab file to write")->required();
  TuningSettings& settings = options->Settings;
  tune->add_option("--sensor", settings.SensorType, "oxygen sensor type (0..4)")
      ->required()
      ->check(CLI::Range(0, static_cast<int>(kO2SensorNames.size()) - 1));
  tune->add_option("--o2-ref", settings.O2Ref, "the O2 target, in the O2 channel's unit")
      ->required()
      ->check(CLI::Range(0, kLargestLevel));
  tune->add_option("--minutes", options->Minutes, "stop after this many minutes of stream time")
      ->check(CLI::PositiveNumber);
  tune->add_option("--delta", settings.PulsLimit, "the widest window that is corrected (\"Delta\")")
      ->check(CLI::Range(0, kLargestLevel))
      ->capture_default_str();
  tune->add_option("--b", settings.AvgB, "B time in samples (10 ms each) while correcting")
      ->check(CLI::Range(kMinAvgB, kMaxAveraging))
      ->capture_default_str();
  tune->add_option("--t", settings.AvgT, "T time in samples (10 ms each) while training")
      ->check(CLI::Range(kMinAvgT, kMaxAveraging))
      ->capture_default_str();
  tune->add_option("--tps-min", settings.TpsMin, "raw throttle count of the released pedal")
      ->check(CLI::Range(0, kLargestLevel))
      ->capture_default_str();
  tune->add_option("--tps-max", settings.TpsMax, "raw throttle count of the fully pressed pedal")
      ->check(CLI::Range(0, kLargestLevel))
      ->capture_default_str();
  tune->add_option("--time-scale", options->TimeScale,
                   "the converter streams this many times faster than real time (a simulator's --time-scale)")
      ->check(CLI::Range(0.1, 1000.0))
      ->capture_default_str();
  tune->add_option("--ideal", options->IdealFile,
                   "a simulated engine's ideal table (orvel simulate --dump-ideal): also report how far the "
                   "tuning came towards it");
  tune->add_option("--log", options->LogFile, "the .log file to write (default: OUT with .log)");
  tune->add_flag("--json", options->Json, "print one JSON object");
  tune->callback([options, &context] { Tune(*options, context); });
}

}  // namespace orvel::cli
