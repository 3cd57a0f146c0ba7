// The 5x7 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{5, 7, UNIT_INCHES, ORIENTATION_PORTRAIT, 44};
