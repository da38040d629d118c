#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "autotune/o2_sensor.h"

namespace orvel {
namespace {

TEST(ConvertO2, EachModelAtTheEndsAndMiddleOfTheRawRange) {
  const struct {
    std::int32_t Type;
    std::int32_t Raw;
    std::int32_t Stored;
  } cases[] = {
      {1, 0, 73},  {1, 128, 148}, {1, 255, 223},  // Innovate: 7.35..22.39
      {3, 0, 100}, {3, 128, 150}, {3, 255, 199},  // AEM 30-4110: 10..19.98
      {4, 0, 73},  {4, 128, 132}, {4, 255, 191},  // AEM 30-0300: 7.3125..19.1875
      {0, 0, 0},   {0, 128, 128}, {0, 255, 255},  // voltage models keep the count
      {2, 0, 0},   {2, 77, 77},   {2, 255, 255}, {7, 200, 200}, {-1, 31, 31},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertO2(c.Raw, c.Type), c.Stored) << "type " << c.Type << " raw " << c.Raw;
  }
}

TEST(DisplayO2, GaugeAndColourBands) {
  const struct {
    std::int32_t Type;
    std::int32_t Value;
    std::int32_t Gauge;
    TColorRgb Color;
  } cases[] = {
      // 0-1V: 4.98 steps per count, truncated; bands at 124.5, 199.2, 224.1.
      {0, 0, 0, kO2Blue},
      {0, 24, 119, kO2Blue},
      {0, 25, 124, kO2Blue},  // 124.5 is the first green
      {0, 26, 129, kO2Green},
      {0, 40, 199, kO2Green},
      {0, 41, 204, kO2Yellow},
      {0, 45, 224, kO2Yellow},
      {0, 46, 229, kO2Red},
      {0, 50, 249, kO2Red},  // 50 x 4.98 is exactly 249
      {0, 51, 253, kO2Red},
      {0, 52, 255, kO2Red},  // 258.96 is held at the full gauge
      // Air-fuel ratio: 255 - (v - 73) x 1.7, truncated; bands at 124.5,
      // 144.42, 174.3, 204.18.
      {1, 73, 255, kO2Red},
      {1, 103, 204, kO2Orange},  // 204.0
      {1, 102, 205, kO2Red},     // 205.7
      {3, 120, 175, kO2Orange},  // 175.1
      {3, 121, 173, kO2Yellow},  // 173.4
      {4, 138, 144, kO2Green},   // 144.5 truncated
      {4, 137, 146, kO2Yellow},  // 146.2
      {1, 147, 129, kO2Green},
      {1, 150, 124, kO2Blue},  // 124.1
      {1, 223, 0, kO2Blue},
      {1, 240, 0, kO2Blue},  // below the empty gauge: held at 0
      {3, 50, 255, kO2Red},  // beyond the full gauge: held at 255
      {2, 0, 0, kO2Green},   // 0-5V: the value itself, always green
      {2, 200, 200, kO2Green},
  };
  for (const auto& c : cases) {
    TO2Display display;
    DisplayO2(c.Value, c.Type, {}, display);
    EXPECT_EQ(display.Gauge, c.Gauge) << "type " << c.Type << " value " << c.Value;
    EXPECT_EQ(display.Color, c.Color) << "type " << c.Type << " value " << c.Value;
  }
}

TEST(DisplayO2, ExactBandColours) {
  EXPECT_EQ(kO2Blue, 0x0080FFU);
  EXPECT_EQ(kO2Green, 0x00DD00U);
  EXPECT_EQ(kO2Yellow, 0xFFFF00U);
  EXPECT_EQ(kO2Orange, 0xFF8000U);
  EXPECT_EQ(kO2Red, 0xFF0000U);
}

TEST(DisplayO2, TextsRoundTiesToEvenAndUseTheSeparator) {
  const struct {
    std::int32_t Type;
    std::int32_t Value;
    char Separator;
    const char* Text;
    const char* Percent;
  } cases[] = {
      {0, 51, '.', "1V", " "},      // 0.996
      {0, 26, ',', "0,51V", " "},   // 0.5078
      {0, 32, '.', "0.62V", " "},   // 0.625: tie to even
      {2, 96, ',', "1,88V", " "},   // 1.875: tie to even
      {2, 224, '.', "4.38V", " "},  // 4.375: tie to even
      {2, 255, '.', "4.98V", " "},   {1, 147, '.', "14.7", "0%"}, {3, 126, ',', "12,6", "17%"},  // 16.67
      {4, 140, '.', "14", "5%"},                                                                 // 5.0
      {1, 200, '.', "20", "-26%"},    // -26.5: tie to even
      {1, 40, ',', "4", "268%"},      // 267.5: tie to even
      {3, 120, '.', "12", "22%"},     // 22.5: tie to even
      {4, 168, ',', "16,8", "-12%"},  // -12.5: tie to even
  };
  for (const auto& c : cases) {
    TO2Display display;
    DisplayO2(c.Value, c.Type, {c.Separator}, display);
    EXPECT_EQ(display.Text, c.Text) << "type " << c.Type << " value " << c.Value;
    EXPECT_EQ(display.PercentText, c.Percent) << "type " << c.Type << " value " << c.Value;
  }
}

TEST(DisplayO2, ZeroAirFuelRatioEmptiesThePercentText) {
  TO2Display display;
  DisplayO2(0, 1, {}, display);
  EXPECT_EQ(display.Text, "0");
  EXPECT_EQ(display.PercentText, "");

  // The previous sample's mixture is not repeated for a ratio of 0.
  DisplayO2(126, 4, {}, display);
  EXPECT_EQ(display.PercentText, "17%");
  DisplayO2(0, 4, {}, display);
  EXPECT_EQ(display.PercentText, "");
}

TEST(DisplayO2, UnknownModelKeepsGaugeAndColourButShowsAirFuelTexts) {
  TO2Display display{77, kO2Red, "", ""};
  DisplayO2(126, 9, {}, display);
  EXPECT_EQ(display.Gauge, 77);
  EXPECT_EQ(display.Color, kO2Red);
  EXPECT_EQ(display.Text, "12.6");
  EXPECT_EQ(display.PercentText, "17%");
}

TEST(FillO2SensorList, ReplacesTheEntriesWithTheFiveNamesInOrder) {
  struct RecordingList : O2SensorListView {
    std::vector<std::string> Names{"from the designer"};
    void Clear() override { Names.clear(); }
    void Add(std::string_view name) override { Names.emplace_back(name); }
  } list;
  FillO2SensorList(list);
  EXPECT_EQ(list.Names, (std::vector<std::string>{"0-1V Signal", "Innovate MTX-L", "0-5V Signal",
                                                  "AEM 30-4110", "AEM 30-0300"}));
}

}  // namespace
}  // namespace orvel
