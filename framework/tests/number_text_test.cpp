#include "framework/number_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "framework/units.h"
#include "platform/testing/decimal_comma_locale.h"

TEST(NumberText, WritesSixDecimalsWithAPoint) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0, "0.000000"},
        {2.5, "2.500000"},
        {-1.25, "-1.250000"},
        {1e6, "1000000.000000"},
        {std::numeric_limits<double>::infinity(), "0.000000"},
        {std::numeric_limits<double>::quiet_NaN(), "0.000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDecimal(c.value), c.text);
    }
    EXPECT_EQ(FormatLength(2540, UNIT_INCHES), "1.000000IN");
    EXPECT_EQ(FormatLength(14800, UNIT_MILLIMETERS), "148.000000MM");
}

TEST(NumberText, ReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        size_t length;  // 0: no number
        double value;
    } cases[] = {
        {"1.5IN", 3, 1.5}, {"  -2MM", 4, -2}, {"+3.25", 5, 3.25}, {".5", 2, 0.5}, {"1e2MM", 3, 100},
        {"1e", 1, 1},      {"IN", 0, 0},      {"", 0, 0},         {"-", 0, 0},    {"1e999", 0, 0},
        {"nan", 0, 0},     {"inf", 0, 0},     {"1,5", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = -99;
        EXPECT_EQ(ParseDecimalPrefix(c.text, &value), c.length);
        if (c.length != 0) {
            EXPECT_DOUBLE_EQ(value, c.value);
        } else {
            EXPECT_EQ(value, -99);  // nothing stored
        }
        EXPECT_DOUBLE_EQ(ParseDecimal(c.text), c.value);
    }
    EXPECT_EQ(ParseInteger("42px"), 42);
    EXPECT_EQ(ParseInteger("99999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(ParseInteger("-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(ParseInteger("x"), 0);
}

TEST(NumberText, IgnoresADecimalCommaLocale) {
    platform::testing::DecimalCommaLocale german;
    if (!german.active())
        GTEST_SKIP() << "no way to make a German locale here";
    EXPECT_EQ(FormatLength(3810, UNIT_INCHES), "1.500000IN");
    EXPECT_DOUBLE_EQ(ParseDecimal("1.5IN"), 1.5);
}
