#include "framework/units.h"

#include <cstring>

#include <gtest/gtest.h>

TEST(UnitTable, CodesIndexNamesSuffixesAndFactors) {
    struct Row {
        int code;
        const char* name;
        const char* suffix;
        double factor;
    };
    const Row rows[] = {
        {0, "Real Units", "RL", 1}, {1, "Inches", "IN", 2540}, {2, "Millimeters", "MM", 100}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        EXPECT_STREQ(UnitNames[r.code], r.name);
        EXPECT_STREQ(UnitSuffixes[r.code], r.suffix);
        EXPECT_EQ(UnitFactors[r.code], r.factor);
        EXPECT_STREQ(UnitName(r.code), r.name);
        EXPECT_STREQ(UnitSuffix(r.code), r.suffix);
    }
    // Fixed slots: a code times the slot width reaches the entry directly.
    EXPECT_EQ(sizeof(UnitNames), 3u * 16u);
    EXPECT_EQ(sizeof(UnitSuffixes), 3u * 4u);
    EXPECT_STREQ(&UnitNames[0][0] + 2 * 16, "Millimeters");
}

TEST(UnitTable, CodesOutsideTheTableAreSafe) {
    for (int code : {-1, 3, 1000}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(IsValidUnit(code));
        EXPECT_EQ(UnitFactor(code), 1.0);
        EXPECT_STREQ(UnitName(code), "");
        EXPECT_STREQ(UnitSuffix(code), "");
    }
    ToolRect r(5, 6, 7, 8, 99);
    EXPECT_EQ(r.GetWidth(), 7.0);
}

TEST(MeasurementRecords, OneInchReadsAs25Point4Millimetres) {
    ToolRect r(1, 0, 1, 0, UNIT_INCHES);
    EXPECT_EQ(r.x, 2540.0);
    EXPECT_EQ(r.SetUnit(UNIT_MILLIMETERS), UNIT_INCHES);
    EXPECT_EQ(r.x, 2540.0);  // stored length unchanged
    EXPECT_EQ(r.GetX(), 25.4);
    EXPECT_EQ(r.GetWidth(), 25.4);
    EXPECT_EQ(r.SetUnit(UNIT_REAL), UNIT_MILLIMETERS);
    EXPECT_EQ(r.GetX(), 2540.0);

    MarginRect m(1, 0.5, 0, 0, UNIT_INCHES);
    m.SetUnit(UNIT_MILLIMETERS);
    EXPECT_EQ(m.GetLeft(), 25.4);
    EXPECT_EQ(m.GetTop(), 12.7);
}

TEST(MeasurementRecords, PaperSizeFromMillimetres) {
    PaperSize hagaki(100, 148, UNIT_MILLIMETERS);
    EXPECT_EQ(hagaki.width, 10000.0);
    EXPECT_EQ(hagaki.height, 14800.0);
    EXPECT_EQ(hagaki.unit, 2);
    EXPECT_EQ(hagaki.GetWidth(), 100.0);
    EXPECT_EQ(hagaki.GetHeight(), 148.0);

    PaperSize letter(8.5, 11, UNIT_INCHES);
    EXPECT_EQ(letter.width, 21590.0);
    EXPECT_EQ(letter.height, 27940.0);
}

TEST(MeasurementRecords, DefaultsCopyAndCompare) {
    MarginRect m;
    EXPECT_EQ(m, MarginRect(0, 0, 0, 0, UNIT_INCHES));
    EXPECT_EQ(PaperSize(), PaperSize(0, 0, UNIT_INCHES));

    ToolRect t(1, 2, 3, 4, UNIT_MILLIMETERS);
    ToolRect copy = t;
    EXPECT_EQ(copy, t);
    copy.SetUnit(UNIT_INCHES);
    EXPECT_NE(copy, t);  // the unit takes part in the comparison
    copy = t;
    copy.height += 1;
    EXPECT_NE(copy, t);
    t.Clear();
    EXPECT_EQ(t.x, 0.0);
    EXPECT_EQ(t.width, 0.0);
    EXPECT_EQ(t.unit, UNIT_REAL);
    EXPECT_EQ(t, ToolRect());
}
