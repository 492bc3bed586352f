// The spectrum file reader fed any bytes: text files with and without the header, and SPC
// files of this program and of others.

#include "app/spectrum/SpectrumDataFile.h"
#include "fuzz/FuzzCheck.h"

#include <cmath>

using app::spectrum::DataFileContent;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const app::spectrum::ParsedDataFile parsed = app::spectrum::parseDataFile(bytes);

    switch (parsed.content) {
    case DataFileContent::HeaderFile:
    case DataFileContent::Table:
    case DataFileContent::OwnSpc:
        FUZZ_CHECK(parsed.header.channel >= 0 && parsed.header.channel <= 7);
        break;
    case DataFileContent::ForeignSpc:
    case DataFileContent::NoSpectralData:
    case DataFileContent::BadChannel:
        // Nothing to show: no points come with these.
        FUZZ_CHECK(parsed.wavelengths.empty() && parsed.values.empty());
        break;
    default:
        FUZZ_CHECK(!"content outside its set");
    }
    FUZZ_CHECK(parsed.wavelengths.size() == parsed.values.size());
    FUZZ_CHECK(parsed.values.size() <= static_cast<std::size_t>(kSpectrumPoints));
    FUZZ_CHECK(parsed.header.numberOfPoints == static_cast<std::int32_t>(parsed.values.size()));
    return 0;
}
