// The Card114x175 page style.
#include "pagestyle/page_variant.h"

const PageVariant kPageVariant{114, 175, UNIT_MILLIMETERS, ORIENTATION_PORTRAIT, 41};
