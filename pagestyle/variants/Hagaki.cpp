// The Hagaki page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{100, 148, UNIT_MILLIMETERS, ORIENTATION_LANDSCAPE, 15};
