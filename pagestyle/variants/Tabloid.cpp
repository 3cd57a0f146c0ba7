// The Tabloid page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{11, 17, UNIT_INCHES, ORIENTATION_PORTRAIT, 19};
