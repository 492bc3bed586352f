#include "app/automation/I_SpecSpecReference.h"

#include <vector>

using platform::automation::ByRef;
using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Configuration = CSpectrometerConfiguration;

const DispatchTable& I_SpecSpecReference::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpecReference;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("GetPixel", &C::GetPixel, {"channel"})
            .method("GetStartPixel", &C::GetStartPixel, {"channel"})
            .method("GetEndPixel", &C::GetEndPixel, {"channel"})
            .method("GetReferencePixelArray", &C::GetReferencePixelArray, {"channel", "pixels"})
            .indexedProperty("Channel", &C::GetChannel, &C::SetChannel, {"channel"})
            .indexedProperty("Type", &C::GetType, &C::SetType, {"channel"})
            .indexedProperty("Wavelength", &C::GetWavelength, &C::SetWavelength, {"channel"})
            .indexedProperty("BandwidthStart", &C::GetBandwidthStart, &C::SetBandwidthStart,
                             {"channel"})
            .indexedProperty("BandwidthEnd", &C::GetBandwidthEnd, &C::SetBandwidthEnd, {"channel"});
        return b.table();
    }();
    return t;
}

int16_t I_SpecSpecReference::GetPixel(int16_t channel)
{
    return onChannel(channel, int16_t{0}, [&](Configuration& c) {
        return static_cast<int16_t>(c.GetReferenceWavelengthPixel(channel));
    });
}

int16_t I_SpecSpecReference::GetStartPixel(int16_t channel)
{
    return onChannel(channel, int16_t{0}, [&](Configuration& c) {
        return static_cast<int16_t>(c.GetReferenceBandwidthStartPixel(channel));
    });
}

int16_t I_SpecSpecReference::GetEndPixel(int16_t channel)
{
    return onChannel(channel, int16_t{0}, [&](Configuration& c) {
        return static_cast<int16_t>(c.GetReferenceBandwidthEndPixel(channel));
    });
}

bool I_SpecSpecReference::GetReferencePixelArray(int16_t channel, ByRef<int16_t> pixels)
{
    return onChannel(channel, false, [&](Configuration& c) {
        const size_t count = c.GetPixelCount();
        int16_t* out = pixels.take(count);
        if (out == nullptr)
            return false;
        std::vector<uint16_t> map(count);
        c.GetReferencePixelMap(channel, map.data());
        for (size_t i = 0; i < count; ++i)
            out[i] = static_cast<int16_t>(map[i]);
        return true;
    });
}

int16_t I_SpecSpecReference::GetChannel(int16_t channel)
{
    return onChannel(channel, int16_t{0}, [&](Configuration& c) {
        return static_cast<int16_t>(c.GetReferenceChannel(channel));
    });
}

void I_SpecSpecReference::SetChannel(int16_t channel, int16_t value)
{
    // The reference channel indexes the eight channels' spectra when processing.
    if (validChannel(value))
        withChannel(channel, [&](Configuration& c) {
            c.SetReferenceChannel(channel, static_cast<uint32_t>(value));
        });
}

int16_t I_SpecSpecReference::GetType(int16_t channel)
{
    return onChannel(channel, int16_t{0}, [&](Configuration& c) {
        return static_cast<int16_t>(c.GetReferenceType(channel));
    });
}

void I_SpecSpecReference::SetType(int16_t channel, int16_t value)
{
    withChannel(channel, [&](Configuration& c) {
        c.SetReferenceType(channel, static_cast<uint16_t>(value));
    });
}

double I_SpecSpecReference::GetWavelength(int16_t channel)
{
    return onChannel(channel, 0.0, [&](Configuration& c) {
        return static_cast<double>(c.GetReferenceWavelength(channel));
    });
}

void I_SpecSpecReference::SetWavelength(int16_t channel, double value)
{
    if (const std::optional<float> single = toSingle(value))
        withChannel(channel, [&](Configuration& c) { c.SetReferenceWavelength(channel, *single); });
}

double I_SpecSpecReference::GetBandwidthStart(int16_t channel)
{
    return onChannel(channel, 0.0, [&](Configuration& c) {
        return static_cast<double>(c.GetReferenceBandwidthStart(channel));
    });
}

void I_SpecSpecReference::SetBandwidthStart(int16_t channel, double value)
{
    if (const std::optional<float> single = toSingle(value))
        withChannel(channel,
                    [&](Configuration& c) { c.SetReferenceBandwidthStart(channel, *single); });
}

double I_SpecSpecReference::GetBandwidthEnd(int16_t channel)
{
    return onChannel(channel, 0.0, [&](Configuration& c) {
        return static_cast<double>(c.GetReferenceBandwidthEnd(channel));
    });
}

void I_SpecSpecReference::SetBandwidthEnd(int16_t channel, double value)
{
    if (const std::optional<float> single = toSingle(value))
        withChannel(channel,
                    [&](Configuration& c) { c.SetReferenceBandwidthEnd(channel, *single); });
}
