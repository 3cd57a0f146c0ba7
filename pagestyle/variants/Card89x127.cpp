// The Card89x127 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{89, 127, UNIT_MILLIMETERS, ORIENTATION_PORTRAIT, 40};
