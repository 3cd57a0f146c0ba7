#include "framework/units.h"

const char UnitNames[UNIT_COUNT][16] = {"Real Units", "Inches", "Millimeters"};
const char UnitSuffixes[UNIT_COUNT][4] = {"RL", "IN", "MM"};
const double UnitFactors[UNIT_COUNT] = {1.0, 2540.0, 100.0};

bool IsValidUnit(int code) {
    return code >= 0 && code < UNIT_COUNT;
}

double UnitFactor(int code) {
    return IsValidUnit(code) ? UnitFactors[code] : 1.0;
}

const char* UnitName(int code) {
    return IsValidUnit(code) ? UnitNames[code] : "";
}

const char* UnitSuffix(int code) {
    return IsValidUnit(code) ? UnitSuffixes[code] : "";
}

double ToInternalUnits(double value, int code) {
    return value * UnitFactor(code);
}

double ToDisplayUnits(double internalValue, int code) {
    return internalValue / UnitFactor(code);
}

PaperSize::PaperSize(double displayWidth, double displayHeight, int unitCode)
    : width(ToInternalUnits(displayWidth, unitCode)),
      height(ToInternalUnits(displayHeight, unitCode)),
      unit(unitCode) {}

int PaperSize::SetUnit(int code) {
    int previous = unit;
    unit = code;
    return previous;
}

ToolRect::ToolRect(double displayX, double displayY, double displayWidth, double displayHeight,
                   int unitCode)
    : x(ToInternalUnits(displayX, unitCode)),
      y(ToInternalUnits(displayY, unitCode)),
      width(ToInternalUnits(displayWidth, unitCode)),
      height(ToInternalUnits(displayHeight, unitCode)),
      unit(unitCode) {}

int ToolRect::SetUnit(int code) {
    int previous = unit;
    unit = code;
    return previous;
}

MarginRect::MarginRect(double displayLeft, double displayTop, double displayRight,
                       double displayBottom, int unitCode)
    : left(ToInternalUnits(displayLeft, unitCode)),
      top(ToInternalUnits(displayTop, unitCode)),
      right(ToInternalUnits(displayRight, unitCode)),
      bottom(ToInternalUnits(displayBottom, unitCode)),
      unit(unitCode) {}

int MarginRect::SetUnit(int code) {
    int previous = unit;
    unit = code;
    return previous;
}
