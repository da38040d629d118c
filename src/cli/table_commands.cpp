// `orvel table show | export | import | one-to-one`: table files through the
// same model and loading rules as the window.
#include <iomanip>
#include <memory>

#include "cli/commands.h"
#include "cli/headless_table.h"
#include "cli/output_check.h"
#include "table/atomic_file.h"
#include "table/table.h"
#include "table/table_csv.h"
#include "table/table_file.h"

namespace orvel::cli {

namespace {

std::vector<int> Entries(const TableBlock& block, std::size_t first, std::size_t count) {
  return {block.Entries.begin() + static_cast<std::ptrdiff_t>(first),
          block.Entries.begin() + static_cast<std::ptrdiff_t>(first + count)};
}

void PrintGrid(std::ostream& out, const std::vector<int>& values, int columns) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    out << std::setw(4) << values[i] << ((i + 1) % static_cast<std::size_t>(columns) == 0 ? "\n" : "");
  }
  if (values.size() % static_cast<std::size_t>(columns) != 0) {
    out << '\n';
  }
}

void ShowTable(CommandContext& context, const Table& table, bool json) {
  const TableBlock& block = table.Tab1();
  if (json) {
    nlohmann::json result;
    result["Out"] = Entries(block, 0, TableBlock::kOutCount);
    nlohmann::json panel;
    for (int i = 0; i < kPanelFieldCount; ++i) {
      const auto field = static_cast<PanelField>(i);
      const std::string name(PanelFieldName(field));
      result[name] = block[PanelFieldEntry(field)];
      panel[name] = ParameterToDisplay(field, block);
    }
    result["IATCorr"] = Entries(block, TableBlock::kIatCorr, TableBlock::kCorrCount);
    result["ECTCorr"] = Entries(block, TableBlock::kEctCorr, TableBlock::kCorrCount);
    result["Panel"] = panel;
    context.Out << result.dump() << '\n';
    return;
  }
  std::ostream& out = context.Out;
  out << "Parameters (display units):\n";
  for (const PanelField field :
       {PanelField::SmoothMaf, PanelField::SmoothTps, PanelField::SmoothRpm, PanelField::MafTime,
        PanelField::Threshold, PanelField::Enrichment, PanelField::Enleanment, PanelField::TpsThreshold}) {
    out << "  " << std::left << std::setw(13) << PanelFieldName(field) << std::right
        << ParameterToDisplay(field, block) << '\n';
  }
  out << "Out (row = input / 16):\n";
  PrintGrid(out, Entries(block, 0, TableBlock::kOutCount), 16);
  out << "IATCorr (entry k for raw IAT 4k…4k+3):\n";
  PrintGrid(out, Entries(block, TableBlock::kIatCorr, TableBlock::kCorrCount), 16);
  out << "ECTCorr (entry k for raw ECT 4k…4k+3):\n";
  PrintGrid(out, Entries(block, TableBlock::kEctCorr, TableBlock::kCorrCount), 16);
}

// A table's CSV as export writes it is some 8 kB; a larger file is no table.
constexpr std::uint64_t kTableCsvLargest = std::uint64_t{1} << 20;

}  // namespace

CLI::App& TableGroup(CLI::App& app) {
  return CommandGroup(app, "table", "Conversion table files");
}

void AddTableCommands(CLI::App& app, CommandContext& context) {
  CLI::App& group = TableGroup(app);

  struct Arguments {
    std::string File;
    std::string Output;
    bool Json = false;
    bool Toyota = false;
  };
  auto args = std::make_shared<Arguments>();

  CLI::App* show = group.add_subcommand("show", "Show a table file: parameters, outputs and corrections");
  show->add_option("FILE", args->File, "table file (.tab)")->required();
  show->add_flag("--json", args->Json, "print one JSON object");
  show->callback([args, &context] {
    HeadlessTable table(context);
    if (!table.Model.LoadTableFile(args->File, 1)) {
      table.Failed();
      return;
    }
    ShowTable(context, table.Model, args->Json);
  });

  CLI::App* exporter =
      group.add_subcommand("export", "Write a table file as CSV (Name,Index,Value in block units)");
  exporter->add_option("FILE", args->File, "table file (.tab)")->required();
  exporter->add_option("CSV", args->Output, "CSV file to write")->required();
  exporter->callback([args, &context] {
    if (!OutputUsable(context, args->Output, {args->File})) {
      return;
    }
    HeadlessTable table(context);
    if (!table.Model.LoadTableFile(args->File, 1)) {
      table.Failed();
      return;
    }
    const std::string csv = TableToCsv(table.Model.Tab1());
    const WriteResult written =
        WriteFileAtomically(args->Output, {reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()});
    if (written.Outcome != WriteOutcome::Written) {
      context.Fail(args->Output + ": cannot write: " + written.ErrorText);
    }
  });

  CLI::App* importer = group.add_subcommand("import", "Build a table file from CSV (as written by export)");
  importer->add_option("CSV", args->File, "CSV file to read")->required();
  importer->add_option("FILE", args->Output, "table file to write (.tab is added when missing)")->required();
  importer->callback([args, &context] {
    if (!OutputUsable(context, TableFilePath(args->Output), {args->File})) {
      return;
    }
    std::vector<std::uint8_t> bytes;
    std::string failure;
    if (!ReadFileBytes(args->File, kTableCsvLargest, bytes, &failure)) {
      context.Fail(args->File + ": " + failure);
      return;
    }
    const CsvTable csv = TableFromCsv(std::string(bytes.begin(), bytes.end()));
    if (!csv.Error.empty()) {
      context.Fail(args->File + ": " + csv.Error);
      return;
    }
    HeadlessTable table(context);
    if (!WriteTableFile(args->Output, csv.Block, table.Messages)) {
      table.Failed();
    }
  });

  CLI::App* oneToOne = group.add_subcommand("one-to-one", "Write a 1:1 table with default parameters");
  oneToOne->add_option("FILE", args->Output, "table file to write (.tab is added when missing)")->required();
  oneToOne->add_flag("--toyota", args->Toyota, "falling table (255 at input 0)");
  oneToOne->callback([args, &context] {
    if (!OutputUsable(context, TableFilePath(args->Output))) {
      return;
    }
    HeadlessTable table(context);
    table.Model.SetToyotaMode(args->Toyota);
    table.Model.MakeOneToOne();
    if (!table.Model.SaveTableFile(args->Output, 1)) {
      table.Failed();
    }
  });
}

}  // namespace orvel::cli
