#include "app/automation/I_GraphTitles.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphTitles::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphTitles;
        DispatchBinder<C> b;
        b.property("XTitle", &C::GetXTitle, &C::SetXTitle);
        b.property("YTitle", &C::GetYTitle, &C::SetYTitle);
        b.property("MainTitle", &C::GetMainTitle, &C::SetMainTitle);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

std::string I_GraphTitles::GetXTitle()
{
    return onView(std::string(), [](View& v) { return v.GetXTitle(); });
}

void I_GraphTitles::SetXTitle(const std::string& value)
{
    onView(false, [&](View& v) { return v.SetXTitle(value); });
}

std::string I_GraphTitles::GetYTitle()
{
    return onView(std::string(), [](View& v) { return v.GetYTitle(); });
}

void I_GraphTitles::SetYTitle(const std::string& value)
{
    onView(false, [&](View& v) { return v.SetYTitle(value); });
}

std::string I_GraphTitles::GetMainTitle()
{
    return onView(std::string(), [](View& v) { return v.GetMainTitle(); });
}

void I_GraphTitles::SetMainTitle(const std::string& value)
{
    onView(false, [&](View& v) { return v.SetMainTitle(value); });
}
