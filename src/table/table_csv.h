#pragma once

#include <string>
#include <string_view>

#include "table/table_block.h"

namespace orvel {

// A table block as CSV that a spreadsheet can edit. The first line is the
// header "Name,Index,Value"; then one line per entry, in block units:
//   Out,0…255,value          output for air-flow input Index, 0…255
//   MafTime,0,value … TpsThreshold,0,value   the eight parameters, 0…255
//   IATCorr,0…63,value  ECTCorr,0…63,value   corrections, −128…127 (a signed
//                                            byte, as a table file holds them)
// Every entry appears exactly once, in any order; empty lines are skipped.
// TpsThreshold is listed for information: a table built from CSV always
// carries 255 there, as every table this system writes does.
std::string TableToCsv(const TableBlock& block);

struct CsvTable {
  TableBlock Block;
  std::string Error;  // "line N: what is wrong", empty when the CSV was good
};
CsvTable TableFromCsv(std::string_view text);

}  // namespace orvel
