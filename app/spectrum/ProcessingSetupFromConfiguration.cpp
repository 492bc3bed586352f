#include "app/spectrum/ProcessingSetupFromConfiguration.h"

#include "app/shell/SpectrometerConfiguration.h"

#include <algorithm>

namespace app::spectrum {

void fillProcessingSetup(const CSpectrometerConfiguration& configuration, ProcessingSetup& setup)
{
    setup.pixelCount = std::min<unsigned>(configuration.GetPixelCount(), kSpectrumPoints);
    for (int k = 0; k < kSpectrumChannels; ++k) {
        ChannelMonitoring& channel = setup.channels[k];
        channel.enabledInConfiguration = configuration.GetChannelEnabled(k);
        channel.referenceChannel = configuration.GetReferenceChannel(k);
        channel.referenceType = configuration.GetReferenceType(k);
        channel.wavelengthPixel = configuration.GetReferenceWavelengthPixel(k);
        channel.bandStartPixel = configuration.GetReferenceBandwidthStartPixel(k);
        channel.bandEndPixel = configuration.GetReferenceBandwidthEndPixel(k);
        channel.pixelMap.fill(0);
        configuration.GetReferencePixelMap(k, channel.pixelMap.data());
    }
}

} // namespace app::spectrum
