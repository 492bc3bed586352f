#include "toolkit/widgets/CustomButtonRecord.h"

bool CustomButtonRecord::shownOn(bool floating, bool horizontal) const
{
    if ((displayFlags & kShownAlways) == kShownAlways)
        return true;
    if (floating)
        return (displayFlags & kShownFloating) != 0;
    return (displayFlags & (horizontal ? kShownHorizontal : kShownVertical)) != 0;
}
