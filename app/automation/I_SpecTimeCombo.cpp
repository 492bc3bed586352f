#include "app/automation/I_SpecTimeCombo.h"

#include "app/spectrum/HarluneSpectrumView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using app::spectrum::kTimeCombos;
using app::spectrum::TimeComboRecord;

namespace {

bool validCombo(int16_t combo)
{
    return combo >= 0 && combo < kTimeCombos;
}

// The 32-bit fields take a short widened with its sign and answer their low 16 bits.
uint32_t widened(int16_t value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(value));
}

int16_t low16(uint32_t field)
{
    return static_cast<int16_t>(static_cast<uint16_t>(field & 0xFFFFu));
}

} // namespace

const DispatchTable& I_SpecTimeCombo::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecTimeCombo;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.indexedProperty("Enabled", &C::GetEnabled, &C::SetEnabled, {"combo"})
            .indexedProperty("Plotted", &C::GetPlotted, &C::SetPlotted, {"combo"})
            .indexedProperty("FirstChannel", &C::GetFirstChannel, &C::SetFirstChannel, {"combo"})
            .indexedProperty("Operation", &C::GetOperation, &C::SetOperation, {"combo"})
            .indexedProperty("SecondChannel", &C::GetSecondChannel, &C::SetSecondChannel, {"combo"})
            .indexedProperty("Offset", &C::GetOffset, &C::SetOffset, {"combo"})
            .indexedProperty("Factor", &C::GetFactor, &C::SetFactor, {"combo"})
            .indexedProperty("DACEnabled", &C::GetDACEnabled, &C::SetDACEnabled, {"combo"});
        return b.table();
    }();
    return t;
}

template <class R, class F> R I_SpecTimeCombo::read(int16_t combo, R neutral, F&& field)
{
    if (!validCombo(combo))
        return neutral;
    return onView(neutral,
                  [&](View& v) { return static_cast<R>(field(v.timeParameters().combos[combo])); });
}

template <class F> void I_SpecTimeCombo::write(int16_t combo, F&& field)
{
    if (!validCombo(combo))
        return;
    onView(false, [&](View& v) {
        field(v.timeParameters().combos[combo]);
        return true;
    });
}

bool I_SpecTimeCombo::GetEnabled(int16_t combo)
{
    return read(combo, false, [](const TimeComboRecord& c) { return c.Enabled != 0; });
}

void I_SpecTimeCombo::SetEnabled(int16_t combo, bool value)
{
    write(combo, [&](TimeComboRecord& c) { c.Enabled = value ? 1 : 0; });
}

bool I_SpecTimeCombo::GetPlotted(int16_t combo)
{
    return read(combo, false, [](const TimeComboRecord& c) { return c.Plotted != 0; });
}

void I_SpecTimeCombo::SetPlotted(int16_t combo, bool value)
{
    write(combo, [&](TimeComboRecord& c) { c.Plotted = value ? 1 : 0; });
}

int16_t I_SpecTimeCombo::GetFirstChannel(int16_t combo)
{
    return read(combo, int16_t{0}, [](const TimeComboRecord& c) { return low16(c.FirstChannel); });
}

void I_SpecTimeCombo::SetFirstChannel(int16_t combo, int16_t value)
{
    write(combo, [&](TimeComboRecord& c) { c.FirstChannel = widened(value); });
}

int16_t I_SpecTimeCombo::GetOperation(int16_t combo)
{
    return read(combo, int16_t{0}, [](const TimeComboRecord& c) { return low16(c.Operation); });
}

void I_SpecTimeCombo::SetOperation(int16_t combo, int16_t value)
{
    write(combo, [&](TimeComboRecord& c) { c.Operation = widened(value); });
}

int16_t I_SpecTimeCombo::GetSecondChannel(int16_t combo)
{
    return read(combo, int16_t{0}, [](const TimeComboRecord& c) { return low16(c.SecondChannel); });
}

void I_SpecTimeCombo::SetSecondChannel(int16_t combo, int16_t value)
{
    write(combo, [&](TimeComboRecord& c) { c.SecondChannel = widened(value); });
}

double I_SpecTimeCombo::GetOffset(int16_t combo)
{
    return read(combo, 0.0, [](const TimeComboRecord& c) { return c.Offset; });
}

void I_SpecTimeCombo::SetOffset(int16_t combo, double value)
{
    write(combo, [&](TimeComboRecord& c) { c.Offset = value; });
}

double I_SpecTimeCombo::GetFactor(int16_t combo)
{
    return read(combo, 0.0, [](const TimeComboRecord& c) { return c.Factor; });
}

void I_SpecTimeCombo::SetFactor(int16_t combo, double value)
{
    write(combo, [&](TimeComboRecord& c) { c.Factor = value; });
}

bool I_SpecTimeCombo::GetDACEnabled(int16_t combo)
{
    return read(combo, false, [](const TimeComboRecord& c) { return c.DACEnabled != 0; });
}

void I_SpecTimeCombo::SetDACEnabled(int16_t combo, bool value)
{
    write(combo, [&](TimeComboRecord& c) { c.DACEnabled = value ? 1 : 0; });
}
