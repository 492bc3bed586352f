#include "app/automation/I_SpecSpecNonLinearity.h"

using platform::automation::ByRef;
using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Configuration = CSpectrometerConfiguration;

const DispatchTable& I_SpecSpecNonLinearity::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpecNonLinearity;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("GetCorrectionCoefficients", &C::GetCorrectionCoefficients,
                 {"channel", "coefficients"})
            .method("SetCorrectionCoefficients", &C::SetCorrectionCoefficients,
                    {"channel", "coefficients"})
            .indexedProperty("CorrectionEnabled", &C::GetCorrectionEnabled,
                             &C::SetCorrectionEnabled, {"channel"});
        return b.table();
    }();
    return t;
}

bool I_SpecSpecNonLinearity::GetCorrectionCoefficients(int16_t channel, ByRef<double> coefs)
{
    double* out = coefs.take(kCoefficients);
    if (out == nullptr)
        return false;
    return onChannel(channel, false, [&](Configuration& c) {
        float stored[kCoefficients] = {};
        c.GetNLCoefs(channel, stored);
        for (size_t i = 0; i < kCoefficients; ++i)
            out[i] = static_cast<double>(stored[i]);
        return true;
    });
}

bool I_SpecSpecNonLinearity::SetCorrectionCoefficients(int16_t channel, ByRef<double> coefs)
{
    const double* in = coefs.take(kCoefficients);
    if (in == nullptr)
        return false;
    float values[kCoefficients] = {};
    for (size_t i = 0; i < kCoefficients; ++i) {
        const std::optional<float> single = toSingle(in[i]);
        if (!single)
            return false;
        values[i] = *single;
    }
    return onChannel(channel, false, [&](Configuration& c) {
        c.SetNLCoefs(channel, values);
        return true;
    });
}

bool I_SpecSpecNonLinearity::GetCorrectionEnabled(int16_t channel)
{
    return onChannel(channel, false,
                     [&](Configuration& c) { return c.GetNLEnabled(channel) != 0; });
}

void I_SpecSpecNonLinearity::SetCorrectionEnabled(int16_t channel, bool value)
{
    withChannel(channel, [&](Configuration& c) { c.SetNLEnabled(channel, value ? 1 : 0); });
}
