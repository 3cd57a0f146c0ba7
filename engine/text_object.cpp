#include "engine/text_object.h"

BOOL CTextObject::HasContent() const {
    if (UseTextData == 0)
        return FALSE;
    return (!Text.empty() || UseBGColor != 0) ? TRUE : FALSE;
}
