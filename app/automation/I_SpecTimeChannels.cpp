#include "app/automation/I_SpecTimeChannels.h"

#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumView.h"

#include <cmath>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using app::spectrum::kTimeChannels;
using app::spectrum::TimeChannelRecord;

namespace {

bool timeChannelsValidChannel(int16_t channel)
{
    return channel >= 0 && channel < kTimeChannels;
}

} // namespace

const DispatchTable& I_SpecTimeChannels::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecTimeChannels;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.indexedProperty("Enabled", &C::GetEnabled, &C::SetEnabled, {"channel"})
            .indexedProperty("Plotted", &C::GetPlotted, &C::SetPlotted, {"channel"})
            .indexedProperty("SpectrometerChannel", &C::GetSpectrometerChannel,
                             &C::SetSpectrometerChannel, {"channel"})
            .indexedProperty("Wavelength", &C::GetWavelength, &C::SetWavelength, {"channel"})
            .indexedProperty("Bandwidth", &C::GetBandwidth, &C::SetBandwidth, {"channel"})
            .indexedProperty("Factor", &C::GetFactor, &C::SetFactor, {"channel"})
            .indexedProperty("Offset", &C::GetOffset, &C::SetOffset, {"channel"})
            .indexedProperty("DACEnabled", &C::GetDACEnabled, &C::SetDACEnabled, {"channel"});
        return b.table();
    }();
    return t;
}

template <class R, class F> R I_SpecTimeChannels::read(int16_t channel, R neutral, F&& field)
{
    if (!timeChannelsValidChannel(channel))
        return neutral;
    return onView(neutral, [&](View& v) {
        return static_cast<R>(field(v.timeParameters().channels[channel]));
    });
}

template <class F> void I_SpecTimeChannels::write(int16_t channel, F&& field)
{
    if (!timeChannelsValidChannel(channel))
        return;
    onView(false, [&](View& v) {
        field(v.timeParameters().channels[channel], v);
        return true;
    });
}

bool I_SpecTimeChannels::GetEnabled(int16_t channel)
{
    return read(channel, false, [](const TimeChannelRecord& c) { return c.Enabled != 0; });
}

void I_SpecTimeChannels::SetEnabled(int16_t channel, bool value)
{
    write(channel, [&](TimeChannelRecord& c, View&) { c.Enabled = value ? 1 : 0; });
}

bool I_SpecTimeChannels::GetPlotted(int16_t channel)
{
    return read(channel, false, [](const TimeChannelRecord& c) { return c.Plotted != 0; });
}

void I_SpecTimeChannels::SetPlotted(int16_t channel, bool value)
{
    write(channel, [&](TimeChannelRecord& c, View&) { c.Plotted = value ? 1 : 0; });
}

int16_t I_SpecTimeChannels::GetSpectrometerChannel(int16_t channel)
{
    return read(channel, int16_t{0}, [](const TimeChannelRecord& c) {
        return static_cast<int16_t>(c.SpectrometerChannel);
    });
}

// The pixel is not derived again: a Wavelength put afterwards does that.
void I_SpecTimeChannels::SetSpectrometerChannel(int16_t channel, int16_t value)
{
    write(channel, [&](TimeChannelRecord& c, View&) { c.SpectrometerChannel = value; });
}

double I_SpecTimeChannels::GetWavelength(int16_t channel)
{
    return read(channel, 0.0, [](const TimeChannelRecord& c) { return c.Wavelength; });
}

void I_SpecTimeChannels::SetWavelength(int16_t channel, double value)
{
    if (!std::isfinite(value))
        return;
    write(channel, [&](TimeChannelRecord& c, View& v) {
        c.Wavelength = value;
        // The pixel of the wavelength as a float, in the calibration of a spectrometer
        // channel (8, the temperature read-out, has none).
        if (c.SpectrometerChannel >= 0 && c.SpectrometerChannel < kSpectrumChannels)
            c.Pixel = v.configuration().WavelengthToPixel(c.SpectrometerChannel,
                                                          static_cast<float>(value));
    });
}

int16_t I_SpecTimeChannels::GetBandwidth(int16_t channel)
{
    return read(channel, int16_t{0},
                [](const TimeChannelRecord& c) { return static_cast<int16_t>(c.Bandwidth); });
}

void I_SpecTimeChannels::SetBandwidth(int16_t channel, int16_t value)
{
    write(channel, [&](TimeChannelRecord& c, View&) { c.Bandwidth = value; });
}

double I_SpecTimeChannels::GetFactor(int16_t channel)
{
    return read(channel, 0.0, [](const TimeChannelRecord& c) { return c.Factor; });
}

void I_SpecTimeChannels::SetFactor(int16_t channel, double value)
{
    write(channel, [&](TimeChannelRecord& c, View&) { c.Factor = value; });
}

double I_SpecTimeChannels::GetOffset(int16_t channel)
{
    return read(channel, 0.0, [](const TimeChannelRecord& c) { return c.Offset; });
}

void I_SpecTimeChannels::SetOffset(int16_t channel, double value)
{
    write(channel, [&](TimeChannelRecord& c, View&) { c.Offset = value; });
}

bool I_SpecTimeChannels::GetDACEnabled(int16_t channel)
{
    return read(channel, false, [](const TimeChannelRecord& c) { return c.DACEnabled != 0; });
}

void I_SpecTimeChannels::SetDACEnabled(int16_t channel, bool value)
{
    write(channel, [&](TimeChannelRecord& c, View&) { c.DACEnabled = value ? 1 : 0; });
}
