#include "table/parameters.h"

#include <gtest/gtest.h>

#include "table_fixture.h"

namespace orvel::test {
namespace {

TEST(ParameterEncoding, PercentAndBlockUnits) {
  struct Case {
    int Percent;
    int Block;
  };
  for (const Case c : {Case{13, 17}, Case{100, 128}, Case{50, 64}, Case{0, 0}, Case{1, 1}}) {
    EXPECT_EQ(PercentToBlock(c.Percent), c.Block) << c.Percent;
  }
  // Block to percent: an exact half goes toward zero.
  for (const auto& [block, percent] :
       {std::pair{17, 13}, {16, 12}, {48, 37}, {128, 100}, {-16, -12}, {-128, -100}, {1, 1}}) {
    EXPECT_EQ(BlockToPercent(block), percent) << block;
  }
}

TEST(ParameterEncoding, PanelNumberReadsLeadingDigitsOnly) {
  EXPECT_EQ(PanelNumber("42"), 42);
  EXPECT_EQ(PanelNumber("42%"), 42);
  EXPECT_EQ(PanelNumber(""), 0);
  EXPECT_EQ(PanelNumber("-5"), 0);
  EXPECT_EQ(PanelNumber(" 7"), 0);
  EXPECT_EQ(PanelNumber("99999999999999999999"), 1'000'000'000);
}

TEST_F(TableTest, FreshTableHasDefaultsOnBlockAndPanel) {
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(Model.GetOut(i), 0);
  }
  const std::vector<int> block(Model.Tab1().Entries.begin() + 256, Model.Tab1().Entries.begin() + 264);
  EXPECT_EQ(block, (std::vector<int>{4, 5, 128, 64, 128, 128, 128, 255}));
  EXPECT_EQ(Panel.Texts, (std::array<std::string, 8>{"100", "100", "100", "4", "5", "0", "50", "255"}));
  EXPECT_EQ(Model.History().HistoryCount(), 1U);
}

TEST_F(TableTest, TakeParametersEncodesAndLimits) {
  Panel.Texts = {"13", "200", "0", "1", "500", "100", "13", "100"};
  Model.TakeParameters(1);
  const TableBlock& b = Model.Tab1();
  EXPECT_EQ(b[TableBlock::kSmoothTps], 17);
  EXPECT_EQ(b[TableBlock::kSmoothMaf], 128);  // 200 % is limited to 100 %, not wrapped in the byte
  EXPECT_EQ(b[TableBlock::kSmoothRpm], 0);
  EXPECT_EQ(b[TableBlock::kMafTime], 4);
  EXPECT_EQ(b[TableBlock::kThreshold], 100);
  // Enrichment 100 % would be 256, which a byte carries as 0 (−100 %): it stops at 255.
  EXPECT_EQ(b[TableBlock::kEnrichment], 255);
  EXPECT_EQ(b[TableBlock::kEnleanment], 17);
  EXPECT_EQ(b[TableBlock::kTpsThreshold], 255);
  Model.ShowParameters(1);
  EXPECT_EQ(Panel.Texts[5], "99");
}

TEST_F(TableTest, ShowParametersDecodesEnrichmentBelowBase) {
  Model.Tab1()[TableBlock::kEnrichment] = 0;
  Model.Tab1()[TableBlock::kSmoothTps] = 16;
  Model.ShowParameters(1);
  EXPECT_EQ(Panel.Texts[5], "-100");
  EXPECT_EQ(Panel.Texts[0], "12");
}

}  // namespace
}  // namespace orvel::test
