// The table CSV reader (`orvel table import`): any text gives a table or a
// message naming a line, never a fault; a table it accepts is written back to
// CSV and read again unchanged.

#include <string_view>

#include "fuzz_input.h"
#include "table/table_csv.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const CsvTable table = TableFromCsv(text);
  if (!table.Error.empty()) {
    fuzz::Require(table.Error.starts_with("line "), "a refusal names the line");
    return 0;
  }
  const CsvTable again = TableFromCsv(TableToCsv(table.Block));
  fuzz::Require(again.Error.empty() && again.Block == table.Block, "an accepted table round-trips");
  return 0;
}
