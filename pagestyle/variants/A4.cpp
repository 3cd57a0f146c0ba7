// The A4 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{210, 297, UNIT_MILLIMETERS, ORIENTATION_PORTRAIT, 11};
