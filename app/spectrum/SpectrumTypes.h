#pragma once

#include <array>
#include <cstdint>

// Sizes, codes and per-channel arrays shared by the spectrum window's document, processing
// and files.

// Channels of one spectrometer set-up: 0 master, 1 to 7 slaves 1 to 7.
inline constexpr int kSpectrumChannels = 8;
// Points of every spectrum array, sized for the largest detector.
inline constexpr int kSpectrumPoints = 4096;
// Stored spectra shown beside the live channels.
inline constexpr int kOverlaySlots = 8;

using SpectrumArray = std::array<double, kSpectrumPoints>;
// One array per channel, channel 0 first.
using ChannelArrays = std::array<SpectrumArray, kSpectrumChannels>;
using ChannelFlags = std::array<uint32_t, kSpectrumChannels>;

// What a spectrum window shows each scan as. Stored in experiment files by name.
enum ProcessingMode : int32_t
{
    Scope = 0,
    Absorbance = 1,
    Transmission = 2,
    RelativeIrradiance = 3,
    Custom = 4,
    SpecularReflection = 5,
};

// One channel's buffer of single-precision pixel values that the driver library fills:
// pixel 0 at byte 0, 4 bytes per pixel, 16,384 bytes.
struct RawScanBuffer
{
    float values[kSpectrumPoints];
};
static_assert(sizeof(RawScanBuffer) == 16384);

// The document's per-channel spectra (all indexed by pixel, pixel 0 first). Only the first
// pixel-count entries of an array carry data.
struct ChannelSpectra
{
    ChannelArrays reference{};
    ChannelArrays dark{};
    // Dark of time-normalised samples.
    ChannelArrays sampleDark{};
    // The latest scan in counts, copied from the raw buffer; the source of every store.
    ChannelArrays sample{};
    ChannelArrays wavelengths{};
    // The result of the processing mode: what the chart shows.
    ChannelArrays processed{};
    // Blackbody curve of the reference lamp at the colour temperature.
    ChannelArrays irradianceConversion{};
    // Per-pixel ratio of dual-beam reference monitoring.
    ChannelArrays referenceMonitoringFactor{};
    // The acquired scan corrected by the reference-monitoring factor.
    ChannelArrays driftCorrectedSample{};
    // 1 when the channel has the spectrum stored.
    ChannelFlags referenceStored{};
    ChannelFlags darkStored{};
    ChannelFlags sampleDarkStored{};
};

// Spectrometer family codes as the driver library and ".spec" files number them.
namespace app::spectrum {

enum SpectrometerTypeCode : uint16_t
{
    kGavrel = 0x000,
    kIstrelBT = 0x100,
    kIstrel = 0x200,
    kLemmik = 0x300,
    kWessor = 0x400,
    kVelko = 0x500,
    kJolvar = 0x600,
    kUlmar = 0x700,
    kPellar = 0xFD00,
};

// A/D interface codes used by the spectrum window's own decisions.
enum AdcTypeCode : uint16_t
{
    kAdcSolviPlus = 13,
    kAdcUlmarADC = 14,
    kAdcPavikPlus = 15,
    kAdcQuarn = 16,
};

} // namespace app::spectrum
