#pragma once

#include "app/automation/GraphViewSelection.h"
#include "app/automation/SelectorObject.h"
#include "platform/automation/DispatchBinder.h"

#include <cstddef>
#include <cstdint>
#include <source_location>
#include <string>

// The base of the graph automation classes: the two window-choosing members and the target
// graph view of the other members. GUI thread only.
class GraphAutomationObject : public SelectorObject<CGraphViewSelection>
{
public:
    // Each answers TRUE when the selector found a window and FALSE when it found none.
    bool SetGraphActive();
    bool SetGraphByName(const std::string& title);

    // Puts the two members into a class's table, where they stand: right after the class's
    // plain properties.
    template <class C> static void addWindowMembers(platform::automation::DispatchBinder<C>& b)
    {
        using S = GraphAutomationObject;
        b.method("SetGraphActive", &S::SetGraphActive)
            .method("SetGraphByName", &S::SetGraphByName, {"windowname"});
    }

protected:
    using SelectorObject::SelectorObject;

    // The count elements of the script's array: true with null for a count of 0 or less (left
    // to the view, which answers for it), false when the array holds fewer.
    template <class T>
    static bool elements(const platform::automation::ByRef<T>& array, int32_t count, T*& out)
    {
        out = nullptr;
        if (count <= 0)
            return true;
        out = array.take(static_cast<std::size_t>(count));
        return out != nullptr;
    }
    // File names longer than the program's path limit are refused whole.
    static bool fitsPath(const std::string& path) { return !path.empty() && path.size() <= 259; }

    // Runs body(view) on the target graph view; with none, as onTarget.
    template <class R, class F>
    R onView(R neutral, F&& body, std::source_location where = std::source_location::current())
    {
        return onViewOf(
            neutral, [](AutomationFrame& frame, uint32_t h) { return frame.graphView(h); },
            std::forward<F>(body), where);
    }
};
