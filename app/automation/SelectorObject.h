#pragma once

#include "app/automation/AutomationFrame.h"
#include "platform/automation/AutomationObject.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/FailureReports.h"
#include "platform/automation/HandlerGuard.h"

#include <cstdint>
#include <source_location>
#include <type_traits>
#include <utility>

// The part every spectrum, grid and graph automation class shares: the embedded window
// selector, resolved once when the object is made so that a new object starts on the active
// window of its kind, and the resolution of a member's target. A member with no target
// answers its neutral result; a class with a source name in the class table also logs one
// line under it, as its handler's guard would for the missing window. GUI thread only.
template <class Selection> class SelectorObject : public platform::automation::AutomationObject
{
protected:
    // className: the class's name in the class table.
    explicit SelectorObject(const char* className)
        : AutomationObject(platform::automation::findClassByName(className))
    {
        m_selection.GetTargetView();
    }

    // Runs body(frame) on the target window's frame handle and answers its result; with no
    // target, answers neutral.
    template <class R, class F>
    R onTarget(R neutral, F&& body, std::source_location where = std::source_location::current())
    {
        const uint32_t frame = m_selection.target();
        if (frame == 0) {
            noTarget(where);
            return neutral;
        }
        return std::forward<F>(body)(frame);
    }

    // The same for a member without a result (a property setter).
    template <class F>
    void onTargetDo(F&& body, std::source_location where = std::source_location::current())
    {
        const uint32_t frame = m_selection.target();
        if (frame == 0) {
            noTarget(where);
            return;
        }
        std::forward<F>(body)(frame);
    }

    // Runs body(view) on the target's view (view(frame, frameHandle) gives it, or null).
    template <class R, class ViewOf, class F>
    R onViewOf(R neutral, ViewOf view, F&& body, std::source_location where)
    {
        const uint32_t frame = m_selection.target();
        AutomationFrame* main = automationFrame();
        auto* target = frame != 0 && main ? view(*main, frame) : nullptr;
        if (target == nullptr) {
            noTarget(where);
            return neutral;
        }
        return std::forward<F>(body)(*target);
    }

    void noTarget(std::source_location where)
    {
        platform::automation::FailureReports::add("the object has no window to act on");
        if (const char* source = errorSourceName())
            platform::automation::reportHandlerException(source, static_cast<int>(where.line()));
    }

    Selection m_selection;
};
