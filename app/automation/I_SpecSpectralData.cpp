#include "app/automation/I_SpecSpectralData.h"

#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumProcessing.h"

#include <algorithm>
#include <array>
#include <cmath>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

namespace {

bool spectralDataValidChannel(int16_t channel)
{
    return channel >= 0 && channel < kSpectrumChannels;
}

// The spectrometer's pixel count as the copies take it, never beyond the document's arrays.
size_t spectralDataPixelCount(CHarluneSpectrumView& view)
{
    return std::min<size_t>(static_cast<uint16_t>(view.configuration().GetPixelCount()),
                            kSpectrumPoints);
}

} // namespace

const DispatchTable& I_SpecSpectralData::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpectralData;
        DispatchBinder<C> b;
        b.property("ProcessingMode", &C::GetProcessingMode, &C::SetProcessingMode)
            .property("ReferenceColorTemperature", &C::GetReferenceColorTemperature,
                      &C::SetReferenceColorTemperature);
        addWindowMembers(b);
        b.method("GetDarkSpectrum", &C::GetDarkSpectrum, {"channel", "spectrum"})
            .method("GetReferenceSpectrum", &C::GetReferenceSpectrum, {"channel", "spectrum"})
            .method("GetSampleSpectrum", &C::GetSampleSpectrum, {"channel", "spectrum"})
            .method("GetSampleDarkSpectrum", &C::GetSampleDarkSpectrum, {"channel", "spectrum"})
            .method("GetDriftCorrectedSampleSpectrum", &C::GetDriftCorrectedSampleSpectrum,
                    {"channel", "spectrum"})
            .method("GetProcessedSpectrum", &C::GetProcessedSpectrum, {"channel", "spectrum"})
            .method("GetWavelengths", &C::GetWavelengths, {"channel", "wavelengths"})
            .method("SetDarkSpectrum", &C::SetDarkSpectrum, {"channel", "spectrum"})
            .method("SetReferenceSpectrum", &C::SetReferenceSpectrum, {"channel", "spectrum"})
            .method("SetSampleSpectrum", &C::SetSampleSpectrum, {"channel", "spectrum"})
            .method("SetDriftCorrectedSampleSpectrum", &C::SetDriftCorrectedSampleSpectrum,
                    {"channel", "spectrum"})
            .method("SetSampleDarkSpectrum", &C::SetSampleDarkSpectrum, {"channel", "spectrum"})
            .method("SetProcessedSpectrum", &C::SetProcessedSpectrum, {"channel", "spectrum"})
            .method("SetWavelengths", &C::SetWavelengths, {"channel", "wavelengths"})
            .method("ProcessedModesAvailable", &C::ProcessedModesAvailable)
            .method("ProcessSpectra", &C::ProcessSpectra)
            .method("GetIrradConvArray", &C::GetIrradConvArray, {"channel", "factors"})
            .method("SetIrradConvArray", &C::SetIrradConvArray, {"channel", "factors"});
        return b.table();
    }();
    return t;
}

int16_t I_SpecSpectralData::GetProcessingMode()
{
    return onView(int16_t{0}, [](CHarluneSpectrumView& view) {
        const ProcessingMode mode = view.processingMode();
        if (mode == Scope && view.scopeMinusDark() == 1)
            return kScopeMinusDark;
        return static_cast<int16_t>(mode);
    });
}

void I_SpecSpectralData::SetProcessingMode(int16_t mode)
{
    onView(false, [&](CHarluneSpectrumView& view) {
        // The value stays stored when the script's VerifyMenu refuses the command. A value that
        // is no mode is not stored: the view would process and plot with it; Scope sets 0.
        if (mode == kScopeMinusDark) {
            view.setProcessingMode(Scope);
            view.setScopeMinusDark(1);
        } else if (mode >= Scope && mode <= SpecularReflection) {
            view.setProcessingMode(static_cast<ProcessingMode>(mode));
        }
        switch (mode) {
        case Absorbance:
            view.OnAbsorbanceMode();
            break;
        case Transmission:
            view.OnTransmissionMode();
            break;
        case RelativeIrradiance:
            view.OnRelativeIrradianceMode();
            break;
        case Custom:
            view.OnCustomMode();
            break;
        case SpecularReflection:
            view.OnSpecularReflectionMode();
            break;
        default:
            view.OnScopeMode();
            break;
        }
        return true;
    });
}

double I_SpecSpectralData::GetReferenceColorTemperature()
{
    return onView(0.0,
                  [](CHarluneSpectrumView& view) { return view.document().colorTemperature(); });
}

void I_SpecSpectralData::SetReferenceColorTemperature(double kelvin)
{
    // The curve divides by the temperature's fifth power: 0, negatives and non-finite values
    // would write meaningless factors into every active channel.
    if (!std::isfinite(kelvin) || !(kelvin > 0.0))
        return;
    onView(false, [&](CHarluneSpectrumView& view) {
        CHarluneSpectrumDoc& document = view.document();
        document.setColorTemperature(kelvin);
        std::array<uint16_t, kSpectrumChannels> active{};
        for (int k = 0; k < kSpectrumChannels; ++k)
            active[k] = static_cast<uint16_t>(view.record().channelEnables[k]);
        app::spectrum::computeBlackbodyCurves(document.spectra(), active,
                                              static_cast<unsigned>(spectralDataPixelCount(view)),
                                              kelvin, document.assumeSecondOrder() != 0);
        return true;
    });
}

bool I_SpecSpectralData::copyOut(int16_t channel, ChannelArrays ChannelSpectra::*kind, Spectrum out,
                                 std::source_location where)
{
    if (!spectralDataValidChannel(channel))
        return false;
    return onView(
        false,
        [&](CHarluneSpectrumView& view) {
            const size_t n = spectralDataPixelCount(view);
            double* target = out.take(n);
            if (target == nullptr)
                return false;
            const SpectrumArray& source = (view.document().spectra().*kind)[channel];
            std::copy_n(source.begin(), n, target);
            return true;
        },
        where);
}

bool I_SpecSpectralData::copyIn(int16_t channel, ChannelArrays ChannelSpectra::*kind, Spectrum in,
                                ChannelFlags ChannelSpectra::*stored, std::source_location where)
{
    if (!spectralDataValidChannel(channel))
        return false;
    return onView(
        false,
        [&](CHarluneSpectrumView& view) {
            const size_t n = spectralDataPixelCount(view);
            const double* source = in.take(n);
            if (source == nullptr)
                return false;
            ChannelSpectra& spectra = view.document().spectra();
            std::copy_n(source, n, (spectra.*kind)[channel].begin());
            if (stored != nullptr)
                (spectra.*stored)[channel] = 1;
            return true;
        },
        where);
}

bool I_SpecSpectralData::GetDarkSpectrum(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::dark, out);
}

bool I_SpecSpectralData::GetReferenceSpectrum(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::reference, out);
}

bool I_SpecSpectralData::GetSampleSpectrum(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::sample, out);
}

bool I_SpecSpectralData::GetSampleDarkSpectrum(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::sampleDark, out);
}

bool I_SpecSpectralData::GetDriftCorrectedSampleSpectrum(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::driftCorrectedSample, out);
}

bool I_SpecSpectralData::GetProcessedSpectrum(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::processed, out);
}

bool I_SpecSpectralData::GetWavelengths(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::wavelengths, out);
}

bool I_SpecSpectralData::SetDarkSpectrum(int16_t channel, Spectrum in)
{
    return copyIn(channel, &ChannelSpectra::dark, in, &ChannelSpectra::darkStored);
}

bool I_SpecSpectralData::SetReferenceSpectrum(int16_t channel, Spectrum in)
{
    return copyIn(channel, &ChannelSpectra::reference, in, &ChannelSpectra::referenceStored);
}

bool I_SpecSpectralData::SetSampleSpectrum(int16_t channel, Spectrum in)
{
    return copyIn(channel, &ChannelSpectra::sample, in);
}

bool I_SpecSpectralData::SetDriftCorrectedSampleSpectrum(int16_t channel, Spectrum in)
{
    return copyIn(channel, &ChannelSpectra::driftCorrectedSample, in);
}

bool I_SpecSpectralData::SetSampleDarkSpectrum(int16_t channel, Spectrum in)
{
    // The sample-dark-stored flag is the view's own store and open commands' to set.
    return copyIn(channel, &ChannelSpectra::sampleDark, in);
}

bool I_SpecSpectralData::SetProcessedSpectrum(int16_t channel, Spectrum in)
{
    return copyIn(channel, &ChannelSpectra::processed, in);
}

bool I_SpecSpectralData::SetWavelengths(int16_t channel, Spectrum in)
{
    return copyIn(channel, &ChannelSpectra::wavelengths, in);
}

bool I_SpecSpectralData::ProcessedModesAvailable()
{
    return onView(false, [](CHarluneSpectrumView& view) {
        const ChannelSpectra& spectra = view.document().spectra();
        bool darks = true;
        bool references = true;
        bool sampleDarks = true;
        for (int k = 0; k < kSpectrumChannels; ++k) {
            if (view.record().channelEnables[k] != 1)
                continue;
            darks = darks && spectra.darkStored[k] != 0;
            references = references && spectra.referenceStored[k] != 0;
            sampleDarks = sampleDarks && spectra.sampleDarkStored[k] != 0;
        }
        if (view.timeNormalization() == 1)
            return darks && references && sampleDarks;
        return darks && references;
    });
}

bool I_SpecSpectralData::ProcessSpectra()
{
    return onView(false, [](CHarluneSpectrumView& view) {
        view.ProcessSpectra();
        return true;
    });
}

bool I_SpecSpectralData::GetIrradConvArray(int16_t channel, Spectrum out)
{
    return copyOut(channel, &ChannelSpectra::irradianceConversion, out);
}

bool I_SpecSpectralData::SetIrradConvArray(int16_t channel, Spectrum in)
{
    return copyIn(channel, &ChannelSpectra::irradianceConversion, in);
}
