#pragma once

#include "app/spectrum/SpectrumTypes.h"

#include <array>
#include <string>

struct OverlaySlots;

// The spectral data of a spectrum window as the tab-separated text the copy commands put on
// the clipboard. No Qt; any thread.

namespace app::spectrum {

// Columns to copy: 0 to 7 the channels Master and Slave 1 to 7, 8 to 15 overlay slots 1 to 8.
using CopyColumns = std::array<int, 16>;

struct SpectralTextFormat
{
    bool header = true;
    bool exponential = false;
    // Decimals of the values (the wavelengths always have two); clamped to 0 to 15.
    int precision = 3;
};

// One line per pixel 0 to pixelCount - 1 (at most the array size): for every chosen column in
// the order Master, Slaves, overlay slots, the wavelength and the value, each followed by a
// tab; then a newline. With the header, one line of column names comes first.
std::string spectralDataText(const CopyColumns& columns, const ChannelSpectra& spectra,
                             const OverlaySlots& overlays, unsigned pixelCount,
                             const SpectralTextFormat& format);

} // namespace app::spectrum
