// The Letter page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{8.5, 11, UNIT_INCHES, ORIENTATION_PORTRAIT, 5};
