#pragma once

#include "app/automation/GridViewSelection.h"
#include "app/automation/SelectorObject.h"
#include "platform/automation/DispatchBinder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <source_location>
#include <string>

// The base of the grid automation classes: the two window-choosing members and the target
// grid view of the other members. GUI thread only.
class GridAutomationObject : public SelectorObject<CGridViewSelection>
{
public:
    // Each answers TRUE when the selector found a window and FALSE when it found none.
    bool SetGridActive();
    bool SetGridByName(const std::string& title);

    // Puts the two members into a class's table, where they stand: right after the class's
    // plain properties.
    template <class C> static void addWindowMembers(platform::automation::DispatchBinder<C>& b)
    {
        using S = GridAutomationObject;
        b.method("SetGridActive", &S::SetGridActive)
            .method("SetGridByName", &S::SetGridByName, {"windowname"});
    }

protected:
    using SelectorObject::SelectorObject;

    // The script's 1-based column, row and sheet numbers: 0 reaches a heading, a negative one
    // names nothing (and its number less 1 might not fit the grid's 32 bits).
    static bool numbered(std::initializer_list<int32_t> numbers)
    {
        for (const int32_t n : numbers)
            if (n < 0)
                return false;
        return true;
    }
    // The cells first .. first + count - 1 of a line: a negative first, or a last that does not
    // fit 32 bits, names no cell. A count of 0 or less names none and is left to the view.
    static bool span(int32_t first, int32_t count)
    {
        return count <= 0 || (first >= 0 && int64_t{first} + count - 1 <= INT32_MAX);
    }
    // The count elements of the script's array: true with null for a count of 0 or less (the
    // view touches nothing then), false when the array holds fewer.
    template <class T>
    static bool elements(const platform::automation::ByRef<T>& array, int32_t count, T*& out)
    {
        out = nullptr;
        if (count <= 0)
            return true;
        out = array.take(static_cast<std::size_t>(count));
        return out != nullptr;
    }
    static bool finite(const double* values, int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
            if (!std::isfinite(values[i]))
                return false;
        return true;
    }
    // File names longer than the program's path limit are refused whole.
    static bool fitsPath(const std::string& path) { return !path.empty() && path.size() <= 259; }

    // Runs body(view) on the target grid view; with none, as onTarget.
    template <class R, class F>
    R onView(R neutral, F&& body, std::source_location where = std::source_location::current())
    {
        return onViewOf(
            neutral, [](AutomationFrame& frame, uint32_t h) { return frame.gridView(h); },
            std::forward<F>(body), where);
    }
};
