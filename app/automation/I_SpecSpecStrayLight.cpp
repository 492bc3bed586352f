#include "app/automation/I_SpecSpecStrayLight.h"

#include "platform/automation/DispatchBinder.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Configuration = CSpectrometerConfiguration;

const DispatchTable& I_SpecSpecStrayLight::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpecStrayLight;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.indexedProperty("CorrectionCoefficient", &C::GetCorrectionCoefficient,
                          &C::SetCorrectionCoefficient, {"channel"})
            .indexedProperty("CorrectionEnabled", &C::GetCorrectionEnabled,
                             &C::SetCorrectionEnabled, {"channel"});
        return b.table();
    }();
    return t;
}

double I_SpecSpecStrayLight::GetCorrectionCoefficient(int16_t channel)
{
    return onChannel(channel, 0.0, [&](Configuration& c) {
        return static_cast<double>(c.GetSLConstant(channel));
    });
}

void I_SpecSpecStrayLight::SetCorrectionCoefficient(int16_t channel, double value)
{
    if (const std::optional<float> single = toSingle(value))
        withChannel(channel, [&](Configuration& c) { c.SetSLConstant(channel, *single); });
}

bool I_SpecSpecStrayLight::GetCorrectionEnabled(int16_t channel)
{
    return onChannel(channel, false,
                     [&](Configuration& c) { return c.GetSLEnabled(channel) != 0; });
}

void I_SpecSpecStrayLight::SetCorrectionEnabled(int16_t channel, bool value)
{
    withChannel(channel, [&](Configuration& c) { c.SetSLEnabled(channel, value ? 1 : 0); });
}
