#include <gtest/gtest.h>

#include "config/NumberText.h"

namespace vireo {
namespace {

TEST(NumberText, DecimalTextIsPercentI) {
  EXPECT_EQ(DecimalText(0), "0");
  EXPECT_EQ(DecimalText(-2147483648LL), "-2147483648");
  EXPECT_EQ(DecimalText(10000), "10000");
}

TEST(NumberText, ParseDecimalSaturatesInsteadOfWrapping) {
  EXPECT_EQ(ParseDecimal("4294967297"), 2147483647);  // 2^32 + 1 would wrap to 1
  EXPECT_EQ(ParseDecimal("-4294967297"), -2147483647 - 1);
  EXPECT_EQ(ParseDecimal(std::string(5000, '9')), 2147483647);
  EXPECT_EQ(ParseDecimal("000000000000000000012"), 12);
  EXPECT_EQ(ParseDecimal("-0"), 0);
  EXPECT_EQ(ParseDecimal("\xA0"
                         "5"),
            0);  // no-break space is not C white space
  EXPECT_EQ(ParseDecimal("+-5"), 0);
}

}  // namespace
}  // namespace vireo
