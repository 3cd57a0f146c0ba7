// The Card127x178 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{127, 178, UNIT_MILLIMETERS, ORIENTATION_PORTRAIT, 42};
