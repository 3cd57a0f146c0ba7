// The A3 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{297, 420, UNIT_MILLIMETERS, ORIENTATION_PORTRAIT, 36};
