#include <gtest/gtest.h>

#include "core/number_format.h"

namespace orvel {
namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  const struct {
    double In;
    std::int64_t Out;
  } cases[] = {{0.5, 0},    {1.5, 2},    {2.5, 2},   {-0.5, 0}, {-1.5, -2},
               {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {7.0, 7}};
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfEven(c.In), c.Out) << c.In;
  }
}

TEST(FormatDecimal, TrimsZerosAndUsesTheSeparator) {
  EXPECT_EQ(FormatDecimal(38 * 0.1, 1), "3.8");
  EXPECT_EQ(FormatDecimal(38 * 0.1, 1, {','}), "3,8");
  EXPECT_EQ(FormatDecimal(16000 * 0.001, 3), "16");
  EXPECT_EQ(FormatDecimal(14746 * 0.001, 3, {','}), "14,746");
  EXPECT_EQ(FormatDecimal(0.0125, 3), "0.012");  // a decimal tie goes to even
  EXPECT_EQ(FormatDecimal(-0.04, 2), "-0.04");
  EXPECT_EQ(FormatDecimal(-0.001, 2), "0");
}

TEST(FormatFixed, KeepsEveryPlace) {
  EXPECT_EQ(FormatFixed(52 * 5.0 / 255, 2), "1.02");
  EXPECT_EQ(FormatFixed(0, 2, {','}), "0,00");
  EXPECT_EQ(FormatFixed(255 * 5.0 / 255, 2), "5.00");
}

}  // namespace
}  // namespace orvel
