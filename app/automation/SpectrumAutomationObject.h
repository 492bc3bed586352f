#pragma once

#include "app/automation/SelectorObject.h"
#include "app/automation/SpectrumViewSelection.h"
#include "platform/automation/DispatchBinder.h"

#include <source_location>
#include <string>

// The base of the spectrum automation classes: the six window-choosing members and the target
// spectrum view of the other members. GUI thread only.
class SpectrumAutomationObject : public SelectorObject<CSpectrumViewSelection>
{
public:
    // Each answers TRUE when the selector found a window and FALSE when it found none.
    bool SetWindowByUSBSerialNumber(const std::string& serial);
    bool SetWindowActive();
    bool SetWindowBySerialPort(int32_t port);
    bool SetWindowByWindowName(const std::string& title);
    bool SetWindowByIRQ(int32_t irq);
    bool SetWindowByBaseAddress(int32_t address);

    // Puts the six members into a class's table, where they stand: right after the class's
    // plain properties.
    template <class C> static void addWindowMembers(platform::automation::DispatchBinder<C>& b)
    {
        using S = SpectrumAutomationObject;
        b.method("SetWindowByUSBSerialNumber", &S::SetWindowByUSBSerialNumber, {"serialnumber"})
            .method("SetWindowActive", &S::SetWindowActive)
            .method("SetWindowBySerialPort", &S::SetWindowBySerialPort, {"port"})
            .method("SetWindowByWindowName", &S::SetWindowByWindowName, {"windowname"})
            .method("SetWindowByIRQ", &S::SetWindowByIRQ, {"irq"})
            .method("SetWindowByBaseAddress", &S::SetWindowByBaseAddress, {"address"});
    }

protected:
    using SelectorObject::SelectorObject;

    // Runs body(view) on the target spectrum view; with none, as onTarget.
    template <class R, class F>
    R onView(R neutral, F&& body, std::source_location where = std::source_location::current())
    {
        return onViewOf(
            neutral, [](AutomationFrame& frame, uint32_t h) { return frame.spectrumView(h); },
            std::forward<F>(body), where);
    }
};
