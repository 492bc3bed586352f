#pragma once

#include "app/automation/GraphViewSelection.h"
#include "app/automation/SelectorObject.h"
#include "platform/automation/DispatchBinder.h"

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

    // Runs body(view) on the target graph view; with none, as onTarget.
    template <class R, class F>
    R onView(R neutral, F&& body, std::source_location where = std::source_location::current())
    {
        return onViewOf(
            neutral, [](AutomationFrame& frame, uint32_t h) { return frame.graphView(h); },
            std::forward<F>(body), where);
    }
};
