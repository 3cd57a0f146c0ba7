// The tests look at page objects of the real modules through the CStylePage
// declaration; their executables carry the page-style code (and so its type
// information) too, with this variant for the unused entry points.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{8.5, 11, UNIT_INCHES, ORIENTATION_PORTRAIT, 5};
