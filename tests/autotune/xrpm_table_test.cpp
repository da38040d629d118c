#include <gtest/gtest.h>

#include <array>

#include "autotune/xrpm_table.h"

namespace orvel {
namespace {

TEST(TpsPercent, HoldsTheCountWithinTheScale) {
  XrpmTable scale;
  scale.TpsMin = 30;
  scale.TpsMax = 230;
  const struct {
    std::int32_t Raw;
    std::int32_t Percent;
  } cases[] = {{20, 0}, {30, 0}, {130, 50}, {230, 100}, {250, 100}, {31, 0}, {32, 1}, {33, 2}};
  // 31 -> 0.5 and 33 -> 1.5: halves go to the even neighbour.
  for (const auto& c : cases) {
    EXPECT_EQ(scale.TpsPercent(c.Raw), c.Percent) << c.Raw;
  }
  EXPECT_EQ(scale.TpsMin, 30);
  EXPECT_EQ(scale.TpsMax, 230);
}

TEST(TpsPercent, EmptyScaleBecomesTheFullRangeAfterTheFirstCall) {
  XrpmTable scale;                      // 0 and 0: nothing loaded
  EXPECT_EQ(scale.TpsPercent(255), 0);  // held to the old scale first
  EXPECT_EQ(scale.TpsMin, 0);
  EXPECT_EQ(scale.TpsMax, 255);
  EXPECT_EQ(scale.TpsPercent(255), 100);
  EXPECT_EQ(scale.TpsPercent(128), 50);

  XrpmTable stuck;
  stuck.TpsMin = stuck.TpsMax = 100;
  EXPECT_EQ(stuck.TpsPercent(10), 39);  // held at 100, then 100 of 0..255
  EXPECT_EQ(stuck.TpsPercent(10), 4);
}

TEST(TpsPercent, InvertedScaleGivesZeroRatherThanNonsense) {
  XrpmTable scale;
  scale.TpsMin = 200;
  scale.TpsMax = 100;
  for (const std::int32_t raw : {0, 150, 255}) {
    EXPECT_EQ(scale.TpsPercent(raw), 0) << raw;
  }
}

TEST(XrpmTableScale, SavesAndLoadsBigEndianWords) {
  XrpmTable scale;
  scale.TpsMin = 30;
  scale.TpsMax = 230;
  std::array<std::uint8_t, XrpmTable::ScaleBytes> bytes{};
  scale.SaveScale(bytes);
  EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0x00, 0x1E, 0x00, 0xE6}));

  XrpmTable loaded;
  loaded.LoadScale(std::array<std::uint8_t, 4>{0x12, 0x34, 0xFF, 0xFF});
  EXPECT_EQ(loaded.TpsMin, 0x1234);
  EXPECT_EQ(loaded.TpsMax, 65535);
}

}  // namespace
}  // namespace orvel
