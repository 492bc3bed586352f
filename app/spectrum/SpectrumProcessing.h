#pragma once

#include "app/spectrum/SpectrumTypes.h"

#include <array>
#include <cstdint>
#include <string>

// Processing of each scan into the spectrum a window shows, against the stored dark,
// sample-dark and reference spectra, with dual-beam reference monitoring, the blackbody
// curve of relative irradiance and the copy of the driver's raw scan. No allocation, no I/O;
// any thread, on data the caller owns.

// Reference monitoring of one channel as its configuration gives it.
struct ChannelMonitoring
{
    // The channel's enable in the configuration (not the scan record's).
    uint16_t enabledInConfiguration = 0;
    // Channel whose arrays the monitoring ratio is taken from.
    uint32_t referenceChannel = 0;
    // 0 none, 1 single point, 2 wavelength by wavelength, 3 integrated.
    uint16_t referenceType = 0;
    uint16_t wavelengthPixel = 0;
    uint16_t bandStartPixel = 0;
    uint16_t bandEndPixel = 0;
    // Type 2: per pixel of this channel, the reference channel's pixel at its wavelength.
    std::array<uint16_t, kSpectrumPoints> pixelMap{};
};

// What processing reads of the window's configuration.
struct ProcessingSetup
{
    // Pixels per channel (at most kSpectrumPoints are processed).
    unsigned pixelCount = 0;
    std::array<ChannelMonitoring, kSpectrumChannels> channels{};
};

// What processing reads of the window's state.
struct ProcessingState
{
    ProcessingMode mode = Scope;
    int timeNormalization = 0;
    int verticalLogScale = 0;
    int scopeMinusDark = 0;
    // The scan record's channel enables: only these channels are processed.
    std::array<uint16_t, kSpectrumChannels> channelEnables{};
};

// Reference monitoring: fills the monitoring factor of each channel that is disabled in the
// configuration or has dark and reference stored, then the drift-corrected sample of every
// channel.
void PrepareChannelSpectra(ChannelSpectra& spectra, const ProcessingSetup& setup);

// PrepareChannelSpectra, then the processed spectrum of every enabled channel by the mode
// (Custom leaves it to the script), then log10 when the vertical scale is logarithmic.
void ProcessSpectra(ChannelSpectra& spectra, const ProcessingSetup& setup,
                    const ProcessingState& state);

namespace app::spectrum {

// Relative spectral radiance of a blackbody at temperatureK, at wavelengthNm (taken as
// half that wavelength when second-order light is assumed). 0.0 where the formula has no
// finite value (non-positive temperature or wavelength).
double blackbodyValue(double wavelengthNm, double temperatureK, bool assumeSecondOrder);

// The blackbody curve of every enabled channel over its wavelengths.
void computeBlackbodyCurves(ChannelSpectra& spectra,
                            const std::array<uint16_t, kSpectrumChannels>& channelEnables,
                            unsigned pixelCount, double temperatureK, bool assumeSecondOrder);

// How the driver's raw scan of one channel is copied.
struct ScanCopySettings
{
    // The spectrometer type the driver reports.
    uint16_t spectrometerType = 0;
    unsigned pixelCount = 0;
    // Counts added to every raw value of a Lemmik.
    double lemmikOffset = 0.0;
    // Counts above which the scan counts as saturated.
    double saturationThreshold = 0.0;
    int timeNormalization = 0;
    // The scan record's integration time; divides time-normalised values.
    int integrationMs = 0;
};

// Copies the raw scan into scan by spectrometer type (types without a rule copy nothing)
// and returns true when a copied value exceeds the saturation threshold, compared in the
// same units as the values (divided by the integration time when they are).
bool copyRawScan(const RawScanBuffer& raw, SpectrumArray& scan, const ScanCopySettings& settings);

// Full scale of the Y axis in Scope mode (counts) by spectrometer and A/D type; the
// Unscale command's table differs only for a Jolvar without the Quarn A/D.
double scopeModeFullScale(uint16_t spectrometerType, uint16_t adcType);
double unscaleFullScale(uint16_t spectrometerType, uint16_t adcType);

// Divides a time-normalised quantity by the integration time; a non-positive integration
// time leaves the value as it is.
double perIntegrationMs(double value, int integrationMs);

// The Y axis a mode command sets.
struct ModeAxis
{
    double yMin = 0.0;
    double yMax = 0.0;
    std::string title;
};

// What the mode command of mode sets on the Y axis. fullScale is the Scope full scale,
// transmissionModeLabel the preference that names Transmission "Percent Reflection".
struct ModeAxisInputs
{
    ProcessingMode mode = Scope;
    int timeNormalization = 0;
    int verticalLogScale = 0;
    double fullScale = 0.0;
    int integrationMs = 0;
    int transmissionModeLabel = 0;
    double customYMin = 0.0;
    double customYMax = 0.0;
    std::string customTitle;
};
ModeAxis modeAxis(const ModeAxisInputs& inputs);

// True when every enabled channel has dark and reference stored (and sample dark with time
// normalisation): the condition of the processed modes.
bool processedModesAvailable(const ChannelSpectra& spectra,
                             const std::array<uint16_t, kSpectrumChannels>& channelEnables,
                             int timeNormalization);

// Stores the latest scan of each channel that is enabled (and, when selected is given,
// selected) into target and marks it stored.
void storeScans(const ChannelArrays& sample, ChannelArrays& target, ChannelFlags& stored,
                const std::array<uint16_t, kSpectrumChannels>& channelEnables,
                const std::array<int, kSpectrumChannels>* selected = nullptr);

} // namespace app::spectrum
