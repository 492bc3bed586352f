#include "gridctrl/model/GridSortEvaluate.h"

#include "gridctrl/model/GridCellInfo.h"

#include <cstring>
#include <utility>

namespace gridctrl::model {

namespace {

bool isEmpty(const CGridCellInfo& cell)
{
    return cell.GetTextLength() == 0 && !cell.HasProperty(CGridCellInfo::kPropValue);
}

int compareText(const CGridCellInfo& first, const CGridCellInfo& second)
{
    const char* a = first.GetTextPtr();
    const char* b = second.GetTextPtr();
    const int result = std::strcmp(a ? a : "", b ? b : "");
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

} // namespace

int gridSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second, int flags)
{
    if (!first) {
        return second ? 1 : 0;
    }
    if (!second) {
        return -1;
    }
    if (flags & kSortDescending) {
        std::swap(first, second);
    }
    const bool firstEmpty = isEmpty(*first);
    const bool secondEmpty = isEmpty(*second);
    switch (first->GetFormat()) {
    case CGridCellInfo::kFormatNumber:
    case CGridCellInfo::kFormatBool:
    case CGridCellInfo::kFormatNumeric: {
        // An empty cell has no value: it sorts after the numbers instead of counting as 0.
        if (firstEmpty || secondEmpty) {
            return firstEmpty == secondEmpty ? 0 : (firstEmpty ? 1 : -1);
        }
        const double a = first->GetNumber();
        const double b = second->GetNumber();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    default:
        if (firstEmpty && secondEmpty) {
            return 0;
        }
        if (firstEmpty) {
            return 1;
        }
        if (secondEmpty) {
            return -1;
        }
        return compareText(*first, *second);
    }
}

} // namespace gridctrl::model
