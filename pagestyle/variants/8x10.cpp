// The 8x10 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{8, 10, UNIT_INCHES, ORIENTATION_PORTRAIT, 43};
