#pragma once

#include "app/spectrum/SpectrumProcessing.h"

class CSpectrometerConfiguration;

namespace app::spectrum {

// Fills what processing reads of a configuration: the pixel count and each channel's
// enable and reference monitoring (type, channel, pixels, pixel map). Called when the
// configuration changes, not per scan.
void fillProcessingSetup(const CSpectrometerConfiguration& configuration, ProcessingSetup& setup);

} // namespace app::spectrum
