// The A6 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{105, 148.5, UNIT_MILLIMETERS, ORIENTATION_PORTRAIT, 13};
