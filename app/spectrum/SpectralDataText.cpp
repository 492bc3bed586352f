#include "app/spectrum/SpectralDataText.h"

#include "app/shell/NumberText.h"
#include "app/spectrum/HarluneSpectrumDoc.h"

#include <algorithm>

namespace app::spectrum {

std::string spectralDataText(const CopyColumns& columns, const ChannelSpectra& spectra,
                             const OverlaySlots& overlays, unsigned pixelCount,
                             const SpectralTextFormat& format)
{
    using app::text::formatC;
    const int precision = std::clamp(format.precision, 0, 15);
    std::string text;
    if (format.header) {
        for (int k = 0; k < kSpectrumChannels; ++k) {
            if (columns[k] == 0)
                continue;
            text += k == 0 ? std::string("Master WL\tMaster Data\t")
                           : formatC("Slave%d WL\tSlave %d Data\t", k, k);
        }
        for (int s = 0; s < kOverlaySlots; ++s)
            if (columns[kSpectrumChannels + s] != 0)
                text += formatC("Overlay %d WL\tOverlay %d Data\t", s + 1, s + 1);
        text += "\n";
    }
    const auto cell = [&](double wavelength, double value) {
        return format.exponential ? formatC("%.2f\t%.*e\t", wavelength, precision, value)
                                  : formatC("%.2f\t%.*f\t", wavelength, precision, value);
    };
    const unsigned pixels = std::min<unsigned>(pixelCount, kSpectrumPoints);
    for (unsigned i = 0; i < pixels; ++i) {
        for (int k = 0; k < kSpectrumChannels; ++k)
            if (columns[k] != 0)
                text += cell(spectra.wavelengths[k][i], spectra.processed[k][i]);
        for (int s = 0; s < kOverlaySlots; ++s)
            if (columns[kSpectrumChannels + s] != 0)
                text += cell(overlays.wavelengths[s][i], overlays.values[s][i]);
        text += "\n";
    }
    return text;
}

} // namespace app::spectrum
