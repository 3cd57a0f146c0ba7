// Measurement units and the three measurement records.
//
// Every length of a template is held as a double in internal units of
// 1/100 mm (1 inch = 2540 units exactly). A record also carries a display
// unit code that only says how the lengths are shown; changing the code never
// changes the stored lengths.
#pragma once

// Unit codes; a code indexes the tables below directly.
inline constexpr int UNIT_REAL = 0;         // raw internal units
inline constexpr int UNIT_INCHES = 1;       // 2540 internal units
inline constexpr int UNIT_MILLIMETERS = 2;  // 100 internal units
inline constexpr int UNIT_COUNT = 3;

// Unit names ("Real Units", "Inches", "Millimeters") in 16-character slots,
// XML suffixes ("RL", "IN", "MM") in 4-character slots and the factors
// (internal units per display unit), in code order.
extern const char UnitNames[UNIT_COUNT][16];
extern const char UnitSuffixes[UNIT_COUNT][4];
extern const double UnitFactors[UNIT_COUNT];

// True for the codes 0, 1 and 2.
bool IsValidUnit(int code);
// Table look-ups that are safe for any code: a code outside the table is
// treated as real units for the factor (1) and has an empty name and suffix,
// so a record with a damaged unit code never indexes past the tables.
double UnitFactor(int code);
const char* UnitName(int code);
const char* UnitSuffix(int code);

// Display value in unit `code` -> internal units, and back.
double ToInternalUnits(double value, int code);
double ToDisplayUnits(double internalValue, int code);

// Paper width and height.
struct PaperSize {
    double width = 0;   // internal units
    double height = 0;  // internal units
    int unit = UNIT_INCHES;

    PaperSize() = default;  // 0 x 0, inches
    // From display values in unit `unitCode`.
    PaperSize(double displayWidth, double displayHeight, int unitCode);

    double GetWidth() const { return ToDisplayUnits(width, unit); }
    double GetHeight() const { return ToDisplayUnits(height, unit); }
    int GetUnit() const { return unit; }
    // Sets the display unit; returns the previous code. Lengths are kept.
    int SetUnit(int code);

    bool operator==(const PaperSize&) const = default;
};

// An area's position and size; origin at the page's top-left corner.
struct ToolRect {
    double x = 0;  // internal units
    double y = 0;
    double width = 0;
    double height = 0;
    int unit = UNIT_REAL;

    ToolRect() = default;  // the cleared state: all 0, real units
    ToolRect(double displayX, double displayY, double displayWidth, double displayHeight,
             int unitCode);

    double GetX() const { return ToDisplayUnits(x, unit); }
    double GetY() const { return ToDisplayUnits(y, unit); }
    double GetWidth() const { return ToDisplayUnits(width, unit); }
    double GetHeight() const { return ToDisplayUnits(height, unit); }
    int GetUnit() const { return unit; }
    int SetUnit(int code);
    // Back to the cleared state (all lengths 0, unit 0).
    void Clear() { *this = ToolRect(); }

    bool operator==(const ToolRect&) const = default;
};

// Margins as distances from the page edges.
struct MarginRect {
    double left = 0;  // internal units
    double top = 0;
    double right = 0;
    double bottom = 0;
    int unit = UNIT_INCHES;

    MarginRect() = default;  // all 0, inches
    MarginRect(double displayLeft, double displayTop, double displayRight, double displayBottom,
               int unitCode);

    double GetLeft() const { return ToDisplayUnits(left, unit); }
    double GetTop() const { return ToDisplayUnits(top, unit); }
    double GetRight() const { return ToDisplayUnits(right, unit); }
    double GetBottom() const { return ToDisplayUnits(bottom, unit); }
    int GetUnit() const { return unit; }
    int SetUnit(int code);

    bool operator==(const MarginRect&) const = default;
};
