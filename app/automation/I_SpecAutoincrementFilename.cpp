#include "app/automation/I_SpecAutoincrementFilename.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;

const DispatchTable& I_SpecAutoincrementFilename::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecAutoincrementFilename;
        DispatchBinder<C> b;
        b.property("Enabled", &C::GetEnabled, &C::SetEnabled)
            .property("ShowNextFilename", &C::GetShowNextFilename, &C::SetShowNextFilename)
            .property("Index", &C::GetIndex, &C::SetIndex)
            .property("BaseFilename", &C::GetBaseFilename, &C::SetBaseFilename);
        addWindowMembers(b);
        b.method("GetNextFilename", &C::GetNextFilename)
            .method("ShowConfigurationDialog", &C::ShowConfigurationDialog);
        return b.table();
    }();
    return t;
}

bool I_SpecAutoincrementFilename::GetEnabled()
{
    return onView(false, [](View& v) { return v.autoIncrementEnabled() != 0; });
}

void I_SpecAutoincrementFilename::SetEnabled(bool value)
{
    withView([&](View& v) { v.setAutoIncrementEnabled(value ? 1 : 0); });
}

bool I_SpecAutoincrementFilename::GetShowNextFilename()
{
    return onView(false, [](View& v) { return v.showNextName() != 0; });
}

void I_SpecAutoincrementFilename::SetShowNextFilename(bool value)
{
    withView([&](View& v) { v.setShowNextName(value ? 1 : 0); });
}

int32_t I_SpecAutoincrementFilename::GetIndex()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.autoIncrementIndex()); });
}

// The prepared next name is left as it is: the window prepares it again at its next save.
void I_SpecAutoincrementFilename::SetIndex(int32_t value)
{
    withView([&](View& v) { v.setAutoIncrementIndex(value); });
}

std::string I_SpecAutoincrementFilename::GetBaseFilename()
{
    return onView(std::string(), [](View& v) { return v.baseFileName(); });
}

void I_SpecAutoincrementFilename::SetBaseFilename(const std::string& base)
{
    withView([&](View& v) {
        if (fitsPath(base))
            v.setBaseFileName(base);
    });
}

std::string I_SpecAutoincrementFilename::GetNextFilename()
{
    return onView(std::string(), [](View& v) { return v.nextSaveFileName(); });
}

bool I_SpecAutoincrementFilename::ShowConfigurationDialog()
{
    return onView(false, [](View& v) {
        v.OnConfigureAutoincrement();
        return true;
    });
}
