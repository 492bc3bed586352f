// The ".spec" reader (the spectrometer configuration of a spectrum window) fed any file,
// then everything it read handed to the driver and to the wavelength calibration.

#include "app/shell/SpectrometerConfiguration.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFiles.h"
#include "tests/app/shell/ShellFakes.h"

#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ByteSource source(data, size);
    const int manufacturingExtensions = source.take() % 3;
    const std::string path = fuzz::scratchFolder() + "/fuzz.spec";
    fuzz::replaceFile(path, source.rest());

    FakeConfigurationHost host;
    // Without hardware, the configuration is not written back when it goes.
    host.withoutHardware = true;
    host.manufacturingExtensions = manufacturingExtensions;
    CSpectrometerConfiguration configuration(path, 0, host);
    configuration.ReadSpectrometerConfiguration();

    const unsigned pixels = configuration.GetPixelCount();
    FUZZ_CHECK(pixels <= CSpectrometerConfiguration::kMaxPixels);
    FUZZ_CHECK(configuration.GetSerialNumber().size() <= 29);
    FUZZ_CHECK(configuration.GetSpectrometerSubType().size() <= 29);
    FUZZ_CHECK(configuration.GetUSBSerialNumber().size() <= 31);
    // Buffers of exactly the documented size: a write past them is caught.
    for (int channel = 0; channel < CSpectrometerConfiguration::kChannels; ++channel) {
        std::vector<double> wavelengths(pixels);
        configuration.FillWavelengths(channel, wavelengths.data());
        std::vector<float> wavelengthsFloat(pixels);
        configuration.FillWavelengthsFloat(channel, wavelengthsFloat.data());
        std::vector<std::uint16_t> map(pixels);
        configuration.GetReferencePixelMap(channel, map.data());
        (void)configuration.WavelengthToPixel(channel, configuration.GetDisplayStart(channel));
        (void)configuration.WavelengthToPixel(channel, configuration.GetDisplayEnd(channel));
    }
    configuration.ApplyToDriver();
    return 0;
}
