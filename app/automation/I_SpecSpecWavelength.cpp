#include "app/automation/I_SpecSpecWavelength.h"

#include "app/spectrum/HarluneSpectrumDoc.h"
#include "platform/chart/Xrt.h"

#include <algorithm>
#include <vector>

using platform::automation::ByRef;
using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Configuration = CSpectrometerConfiguration;

const DispatchTable& I_SpecSpecWavelength::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpecWavelength;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("GetAllWavelengths", &C::GetAllWavelengths, {"channel", "wavelengths"})
            .method("GetStartingWavelength", &C::GetStartingWavelength, {"channel"})
            .method("GetEndingWavelength", &C::GetEndingWavelength, {"channel"})
            .method("GetCoefficientsFromDevice", &C::GetCoefficientsFromDevice)
            .method("GetWavelength", &C::GetWavelength, {"channel", "pixel"})
            .method("GetPixel", &C::GetPixel, {"channel", "wavelength"})
            .indexedProperty("FirstCoefficient", &C::GetFirstCoefficient, &C::SetFirstCoefficient,
                             {"channel"})
            .indexedProperty("SecondCoefficient", &C::GetSecondCoefficient,
                             &C::SetSecondCoefficient, {"channel"})
            .indexedProperty("ThirdCoefficient", &C::GetThirdCoefficient, &C::SetThirdCoefficient,
                             {"channel"})
            .indexedProperty("Intercept", &C::GetIntercept, &C::SetIntercept, {"channel"});
        return b.table();
    }();
    return t;
}

bool I_SpecSpecWavelength::GetAllWavelengths(int16_t channel, ByRef<double> wavelengths)
{
    return onChannel(channel, false, [&](Configuration& c) {
        double* out = wavelengths.take(c.GetPixelCount());
        if (out == nullptr)
            return false;
        c.FillWavelengths(channel, out);
        return true;
    });
}

double I_SpecSpecWavelength::GetStartingWavelength(int16_t channel)
{
    return onChannel(channel, 0.0, [&](Configuration& c) {
        return static_cast<double>(c.GetWLIntercept(channel));
    });
}

double I_SpecSpecWavelength::GetEndingWavelength(int16_t channel)
{
    return onChannel(channel, 0.0,
                     [&](Configuration& c) { return c.GetLastPixelWavelength(channel); });
}

bool I_SpecSpecWavelength::GetCoefficientsFromDevice()
{
    return onView(false, [](CHarluneSpectrumView& view) {
        // The view loads the device's coefficients only while its flag is clear; the message
        // is handled on this thread before the call returns.
        view.setCoefficientsLoaded(false);
        view.OnLoadDeviceCoefficients(0);
        return true;
    });
}

double I_SpecSpecWavelength::GetWavelength(int16_t channel, int16_t pixel)
{
    return onChannel(channel, 0.0, [&](Configuration& c) {
        const int last = static_cast<int>(c.GetPixelCount()) - 1;
        return c.PixelToWavelength(channel, std::clamp(int{pixel}, 0, last));
    });
}

int16_t I_SpecSpecWavelength::GetPixel(int16_t channel, double wavelength)
{
    const std::optional<float> single = toSingle(wavelength);
    if (!single)
        return 0;
    return onChannel(channel, int16_t{0}, [&](Configuration& c) {
        return static_cast<int16_t>(c.WavelengthToPixel(channel, static_cast<double>(*single)));
    });
}

double I_SpecSpecWavelength::coefficient(int16_t channel, int index, std::source_location where)
{
    return onChannel(
        channel, 0.0,
        [&](Configuration& c) {
            float coefficients[4] = {};
            c.GetWavelengthCoefs(channel, coefficients);
            return static_cast<double>(coefficients[index]);
        },
        where);
}

void I_SpecSpecWavelength::setCoefficient(int16_t channel, int index, double value,
                                          std::source_location where)
{
    const std::optional<float> single = toSingle(value);
    if (!validChannel(channel) || !single)
        return;
    onView(
        false,
        [&](CHarluneSpectrumView& view) {
            Configuration& c = view.configuration();
            float coefficients[4] = {};
            c.GetWavelengthCoefs(channel, coefficients);
            coefficients[index] = *single;
            c.SetWavelengthCoefs(channel, coefficients);
            // The document's wavelengths of the channel follow the new calibration, and the
            // chart takes them as the channel's X values (all 4096 points, as every plot does).
            SpectrumArray& wavelengths = view.document().spectra().wavelengths[channel];
            c.FillWavelengths(channel, wavelengths.data());
            if (view.chartData() != 0)
                platform::chart::XrtDataSetXData(view.chartData(), channel, wavelengths.data(),
                                                 kSpectrumPoints, 0);
            if (index == 0)
                view.OnUnscale();
            return true;
        },
        where);
}
