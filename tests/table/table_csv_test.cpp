#include "table/table_csv.h"

#include <gtest/gtest.h>

namespace orvel::test {
namespace {

TableBlock SampleBlock() {
  TableBlock block;
  for (std::size_t i = 0; i < TableBlock::kSize; ++i) {
    block[i] = static_cast<std::int32_t>(i % 61) - (i >= TableBlock::kIatCorr ? 30 : 0);
  }
  block[TableBlock::kTpsThreshold] = 255;
  return block;
}

TEST(TableCsv, RoundTripKeepsEveryEntry) {
  const TableBlock block = SampleBlock();
  const CsvTable back = TableFromCsv(TableToCsv(block));
  ASSERT_EQ(back.Error, "");
  EXPECT_EQ(back.Block, block);
}

TEST(TableCsv, SpreadsheetQuirksAreAccepted) {
  std::string text = TableToCsv(SampleBlock());
  // CRLF line ends, blank lines, spaces and a '+' sign as spreadsheets write them.
  std::string edited;
  for (const char c : text) {
    edited += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  edited.replace(edited.find("Out,1,1"), 7, "Out, 1 ,+1");
  edited += "\r\n\r\n";
  EXPECT_EQ(TableFromCsv(edited).Error, "");
}

TEST(TableCsv, MalformedLinesAreRejectedWithTheirNumber) {
  const std::string good = TableToCsv(SampleBlock());
  const auto replaced = [&good](std::string_view from, std::string_view to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  struct Case {
    std::string Text;
    std::string Error;
  };
  for (const Case& c : {
           Case{"", "line 0: the CSV is empty"},
           Case{replaced("Name,Index,Value", "a,b,c"), "line 1: expected the header \"Name,Index,Value\""},
           Case{replaced("Out,1,1\n", "Out,1\n"), "line 3: expected three fields: Name,Index,Value"},
           Case{replaced("Out,1,1\n", "Out,1,1,2\n"), "line 3: expected three fields: Name,Index,Value"},
           Case{replaced("Out,1,1\n", "Outt,1,1\n"), "line 3: unknown name \"Outt\""},
           Case{replaced("Out,1,1\n", "Out,256,1\n"), "line 3: index of Out must be 0…255"},
           Case{replaced("Out,1,1\n", "Out,1,1.5\n"), "line 3: value of Out must be an integer 0…255"},
           Case{replaced("IATCorr,0,-10\n", "IATCorr,0,-129\n"),
                "line 266: value of IATCorr must be an integer -128…127"},
           Case{replaced("ECTCorr,63,-5\n", "ECTCorr,63,128\n"),
                "line 393: value of ECTCorr must be an integer -128…127"},
           Case{replaced("Out,1,1\n", "Out,0,1\n"), "line 3: Out 0 appears twice"},
           Case{replaced("ECTCorr,63,-5\n", ""), "line 392: ECTCorr 63 is missing"},
       }) {
    EXPECT_EQ(TableFromCsv(c.Text).Error, c.Error);
  }
}

TEST(TableCsv, TpsThresholdIsAlways255) {
  std::string text = TableToCsv(SampleBlock());
  text.replace(text.find("TpsThreshold,0,255"), 18, "TpsThreshold,0,100");
  EXPECT_EQ(TableFromCsv(text).Block[TableBlock::kTpsThreshold], 255);
}

}  // namespace
}  // namespace orvel::test
