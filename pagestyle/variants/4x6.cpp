// The 4x6 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{4, 6, UNIT_INCHES, ORIENTATION_PORTRAIT, 9};
