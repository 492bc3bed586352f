#include "app/spectrum/SpectrumProcessing.h"

#include <algorithm>
#include <cmath>

using namespace app::spectrum;

namespace {

unsigned boundedPixels(unsigned pixelCount)
{
    return std::min<unsigned>(pixelCount, kSpectrumPoints);
}

// s / r, or 1.0 when either is zero: a monitoring ratio never divides by zero.
double monitoringRatio(double s, double r)
{
    return (s == 0.0 || r == 0.0) ? 1.0 : s / r;
}

void fillFactor(SpectrumArray& factor, unsigned n, double value)
{
    std::fill_n(factor.begin(), n, value);
}

// The monitoring factor of channel k from its reference channel q.
void monitorChannel(ChannelSpectra& spectra, const ChannelMonitoring& monitoring, int k, unsigned n)
{
    SpectrumArray& factor = spectra.referenceMonitoringFactor[k];
    const uint32_t q = monitoring.referenceChannel;
    if (monitoring.referenceType == 0 || q >= kSpectrumChannels) {
        // A reference channel outside the eight cannot be monitored: no correction.
        fillFactor(factor, n, 1.0);
        return;
    }
    const SpectrumArray& a = spectra.sample[q];
    const SpectrumArray& d = spectra.dark[q];
    const SpectrumArray& r = spectra.reference[q];
    switch (monitoring.referenceType) {
    case 1: {
        const unsigned p = monitoring.wavelengthPixel;
        const double ratio = p < kSpectrumPoints ? monitoringRatio(a[p] - d[p], r[p] - d[p]) : 1.0;
        fillFactor(factor, n, ratio);
        break;
    }
    case 2:
        for (unsigned i = 0; i < n; ++i) {
            const unsigned p = monitoring.pixelMap[i];
            factor[i] = p < kSpectrumPoints ? monitoringRatio(a[p] - d[p], r[p] - d[p]) : 1.0;
        }
        break;
    case 3: {
        double sumA = 0.0;
        double sumD = 0.0;
        double sumR = 0.0;
        const unsigned first = monitoring.bandStartPixel;
        const unsigned last = std::min<unsigned>(monitoring.bandEndPixel, kSpectrumPoints - 1);
        for (unsigned i = first; i <= last; ++i) {
            sumA += a[i];
            sumD += d[i];
            sumR += r[i];
        }
        fillFactor(factor, n, monitoringRatio(sumA - sumD, sumR - sumD));
        break;
    }
    default:
        // Unknown types keep the previous factor.
        break;
    }
}

bool hasDarkAndReference(const ChannelSpectra& spectra, int k)
{
    return spectra.darkStored[k] != 0 && spectra.referenceStored[k] != 0;
}

enum class Ratio
{
    Absorbance,
    Percent,
    Irradiance,
};

// Absorbance, Transmission, Relative Irradiance and Specular Reflection of one channel.
void processRatio(ChannelSpectra& spectra, int k, unsigned n, bool timeNormalized, Ratio kind)
{
    const SpectrumArray& s = spectra.driftCorrectedSample[k];
    const SpectrumArray& d = spectra.dark[k];
    const SpectrumArray& sampleDark = timeNormalized ? spectra.sampleDark[k] : spectra.dark[k];
    const SpectrumArray& r = spectra.reference[k];
    const SpectrumArray& b = spectra.irradianceConversion[k];
    SpectrumArray& p = spectra.processed[k];
    for (unsigned i = 0; i < n; ++i) {
        const double sv = s[i] - sampleDark[i];
        const double rv = r[i] - d[i];
        double value = 0.0;
        switch (kind) {
        case Ratio::Absorbance:
            if (rv > 0.0 && sv > 0.0)
                value = std::log10(rv / sv);
            else if (std::isnan(rv) || std::isnan(sv))
                value = rv + sv; // keeps a NaN scan visible as NaN
            break;
        case Ratio::Percent:
            if (rv != 0.0 && sv != 0.0)
                value = sv / rv * 100.0;
            break;
        case Ratio::Irradiance:
            if (rv != 0.0 && sv != 0.0)
                value = b[i] * sv / rv;
            break;
        }
        p[i] = value;
    }
}

} // namespace

void PrepareChannelSpectra(ChannelSpectra& spectra, const ProcessingSetup& setup)
{
    const unsigned n = boundedPixels(setup.pixelCount);
    for (int k = 0; k < kSpectrumChannels; ++k) {
        const ChannelMonitoring& monitoring = setup.channels[k];
        if (monitoring.enabledInConfiguration == 0 || hasDarkAndReference(spectra, k))
            monitorChannel(spectra, monitoring, k, n);
    }
    for (int k = 0; k < kSpectrumChannels; ++k) {
        const SpectrumArray& a = spectra.sample[k];
        SpectrumArray& s = spectra.driftCorrectedSample[k];
        if (hasDarkAndReference(spectra, k) && setup.channels[k].referenceType != 0) {
            const SpectrumArray& d = spectra.dark[k];
            const SpectrumArray& m = spectra.referenceMonitoringFactor[k];
            for (unsigned i = 0; i < n; ++i)
                s[i] = (a[i] - d[i]) / m[i] + d[i];
        } else {
            std::copy_n(a.begin(), n, s.begin());
        }
    }
}

void ProcessSpectra(ChannelSpectra& spectra, const ProcessingSetup& setup,
                    const ProcessingState& state)
{
    PrepareChannelSpectra(spectra, setup);
    const unsigned n = boundedPixels(setup.pixelCount);
    const bool timeNormalized = state.timeNormalization == 1;
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (state.channelEnables[k] != 1)
            continue;
        switch (state.mode) {
        case Scope: {
            const SpectrumArray& s = spectra.driftCorrectedSample[k];
            SpectrumArray& p = spectra.processed[k];
            if (state.scopeMinusDark == 1) {
                const SpectrumArray& d = spectra.dark[k];
                for (unsigned i = 0; i < n; ++i)
                    p[i] = s[i] - d[i];
            } else {
                std::copy_n(s.begin(), n, p.begin());
            }
            break;
        }
        case Absorbance:
            processRatio(spectra, k, n, timeNormalized, Ratio::Absorbance);
            break;
        case Transmission:
        case SpecularReflection:
            processRatio(spectra, k, n, timeNormalized, Ratio::Percent);
            break;
        case RelativeIrradiance:
            processRatio(spectra, k, n, timeNormalized, Ratio::Irradiance);
            break;
        case Custom:
        default:
            // A script fills the processed spectrum; an unknown mode writes nothing.
            break;
        }
        if (state.verticalLogScale == 1) {
            SpectrumArray& p = spectra.processed[k];
            for (unsigned i = 0; i < n; ++i)
                p[i] = p[i] > 0.0 ? std::log10(p[i]) : 0.0;
        }
    }
}

namespace app::spectrum {

double blackbodyValue(double wavelengthNm, double temperatureK, bool assumeSecondOrder)
{
    // Wavelength in micrometres; second-order light arrives at half the dispersed
    // wavelength.
    const double lambda = wavelengthNm * (assumeSecondOrder ? 0.0005 : 0.001);
    if (!(lambda > 0.0) || !(temperatureK > 0.0))
        return 0.0;
    const double x = 14388.0 / (temperatureK * lambda);
    const double lambda5 = lambda * lambda * lambda * lambda * lambda;
    const double radiance = 37405.0 / (std::expm1(x) * lambda5);
    const double t5 = temperatureK * temperatureK * temperatureK * temperatureK * temperatureK;
    const double value = radiance / (1.288e-15 * t5);
    return std::isfinite(value) ? value : 0.0;
}

void computeBlackbodyCurves(ChannelSpectra& spectra,
                            const std::array<uint16_t, kSpectrumChannels>& channelEnables,
                            unsigned pixelCount, double temperatureK, bool assumeSecondOrder)
{
    const unsigned n = boundedPixels(pixelCount);
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (channelEnables[k] != 1)
            continue;
        for (unsigned i = 0; i < n; ++i)
            spectra.irradianceConversion[k][i] =
                blackbodyValue(spectra.wavelengths[k][i], temperatureK, assumeSecondOrder);
    }
}

double perIntegrationMs(double value, int integrationMs)
{
    return integrationMs > 0 ? value / integrationMs : value;
}

bool copyRawScan(const RawScanBuffer& raw, SpectrumArray& scan, const ScanCopySettings& settings)
{
    const uint16_t type = settings.spectrometerType;
    const bool divides = settings.timeNormalization == 1 &&
                         (type == kLemmik || type == kIstrel || type == kJolvar || type == kUlmar);
    const double threshold =
        divides ? perIntegrationMs(settings.saturationThreshold, settings.integrationMs)
                : settings.saturationThreshold;
    const auto value = [&](double v) {
        return divides ? perIntegrationMs(v, settings.integrationMs) : v;
    };
    bool saturated = false;
    switch (type) {
    case kGavrel:
    case kIstrelBT:
    case kLemmik: {
        // 1024 raw values fill the even pixels; odd pixels are the mean of their neighbours.
        const double offset = type == kLemmik ? settings.lemmikOffset : 0.0;
        for (int i = 0; i <= 2046; i += 2) {
            scan[i] = value(raw.values[i / 2] + offset);
            saturated = saturated || scan[i] > threshold;
        }
        for (int j = 1; j < 1024; ++j)
            scan[2 * j - 1] = (scan[2 * j - 2] + scan[2 * j]) * 0.5;
        scan[2047] = scan[2046];
        break;
    }
    case kIstrel:
    case kJolvar:
    case kUlmar:
    case kWessor:
    case kVelko: {
        const unsigned n = boundedPixels(settings.pixelCount);
        for (unsigned i = 0; i < n; ++i) {
            scan[i] = value(raw.values[i]);
            saturated = saturated || scan[i] > threshold;
        }
        break;
    }
    default:
        break;
    }
    return saturated;
}

double scopeModeFullScale(uint16_t spectrometerType, uint16_t adcType)
{
    switch (spectrometerType) {
    case kIstrel:
        if (adcType == kAdcSolviPlus)
            return 16400.0;
        return adcType == kAdcPavikPlus ? 65600.0 : 4100.0;
    case kWessor:
    case kVelko:
    case kUlmar:
        return 65600.0;
    case kJolvar:
        return adcType == kAdcQuarn ? 65600.0 : 16400.0;
    default:
        return 4100.0;
    }
}

double unscaleFullScale(uint16_t spectrometerType, uint16_t adcType)
{
    if (spectrometerType == kJolvar && adcType != kAdcQuarn)
        return 16500.0;
    return scopeModeFullScale(spectrometerType, adcType);
}

ModeAxis modeAxis(const ModeAxisInputs& in)
{
    ModeAxis axis;
    double yMax = 0.0;
    const char* title = "";
    const char* logTitle = "";
    switch (in.mode) {
    case Scope:
        if (in.timeNormalization == 1) {
            yMax = perIntegrationMs(in.fullScale, in.integrationMs);
            title = "Time Normalized Intensity (counts)";
            logTitle = "log[Time Normalized Intensity (counts)]";
        } else {
            yMax = in.fullScale;
            title = "Intensity (counts)";
            logTitle = "log[Intensity (counts)]";
        }
        break;
    case Absorbance:
        yMax = 4.0;
        title = "Absorbance";
        logTitle = "log(Absorbance)";
        break;
    case Transmission:
        yMax = 120.0;
        if (in.transmissionModeLabel == 0) {
            title = "Percent Transmission";
            logTitle = "log(Percent Transmission)";
        } else {
            title = "Percent Reflection";
            logTitle = "log(Percent Reflection)";
        }
        break;
    case RelativeIrradiance:
        yMax = 2.0;
        title = "Relative Irradiance";
        logTitle = "log(Relative Irradiance)";
        break;
    case SpecularReflection:
        yMax = 120.0;
        title = "Percent Reflection";
        logTitle = "log(Percent Reflection)";
        break;
    case Custom:
    default:
        // The script's own range and title; no log form.
        axis.yMin = in.customYMin;
        axis.yMax = in.customYMax;
        axis.title = in.customTitle;
        return axis;
    }
    const bool logScale = in.verticalLogScale == 1;
    axis.yMin = 0.0;
    axis.yMax = logScale ? std::log10(yMax) : yMax;
    axis.title = logScale ? logTitle : title;
    return axis;
}

bool processedModesAvailable(const ChannelSpectra& spectra,
                             const std::array<uint16_t, kSpectrumChannels>& channelEnables,
                             int timeNormalization)
{
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (channelEnables[k] != 1)
            continue;
        if (!hasDarkAndReference(spectra, k))
            return false;
        if (timeNormalization == 1 && spectra.sampleDarkStored[k] == 0)
            return false;
    }
    return true;
}

void storeScans(const ChannelArrays& sample, ChannelArrays& target, ChannelFlags& stored,
                const std::array<uint16_t, kSpectrumChannels>& channelEnables,
                const std::array<int, kSpectrumChannels>* selected)
{
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (channelEnables[k] != 1 || (selected != nullptr && (*selected)[k] == 0))
            continue;
        target[k] = sample[k];
        stored[k] = 1;
    }
}

} // namespace app::spectrum
