// The Note page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{5.5, 8.5, UNIT_INCHES, ORIENTATION_LANDSCAPE, 17};
