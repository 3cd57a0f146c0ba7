// The Legal page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{8.5, 14, UNIT_INCHES, ORIENTATION_PORTRAIT, 7};
