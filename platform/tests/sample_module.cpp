// A small module for the loader's tests: one exported entry point and one
// hidden function.
#include "platform/types.h"

CV_EXPORT int cv_sample_answer() {
    return 42;
}

extern "C" int cv_sample_hidden() {
    return 7;
}
