#pragma once

#include "app/spectrum/SpectrumDataFile.h"
#include "app/spectrum/SpectrumDocWindow.h"
#include "app/spectrum/SpectrumTypes.h"

#include <cstdint>
#include <span>
#include <string>

// The check that a spectrum file about to be opened was acquired as the window acquires:
// the mismatches, their message and the user's choice. GUI thread.
namespace app::spectrum {

// The window's side of the comparison, for the file's channel.
struct WindowAcquisition
{
    // The configuration's serial number.
    std::string serialNumber;
    // In microseconds when microsecondFlag is 1, else in milliseconds.
    int32_t integrationTime = 0;
    int32_t microsecondFlag = 0;
    int32_t averages = 0;
    int32_t boxcar = 0;
    int32_t correctDark = 0;
    int32_t timeNormalized = 0;
    // The configuration's reference monitoring of the file's channel.
    int32_t referenceType = 0;
    int32_t referenceChannel = 0;
    // The window's wavelengths of the file's channel.
    std::span<const double> wavelengths;
};

enum AcquisitionMismatch : unsigned
{
    kSerialNumberMismatch = 1u << 0,
    kIntegrationTimeMismatch = 1u << 1,
    kBoxcarMismatch = 1u << 2,
    kAveragingMismatch = 1u << 3,
    kCorrectDarkMismatch = 1u << 4,
    kReferenceTypeMismatch = 1u << 5,
    kReferenceChannelMismatch = 1u << 6,
    kWavelengthMismatch = 1u << 7,
    kTimeNormalizationMismatch = 1u << 8,
};

// An integration time in microseconds: the header's and the window's carry their unit in
// their microsecond flag.
int64_t integrationMicroseconds(int32_t integrationTime, int32_t microsecondFlag);

// The set of mismatches between the file's header and wavelengths and the window.
unsigned findAcquisitionMismatches(const SpectrumFileHeader& header,
                                   std::span<const double> fileWavelengths,
                                   const WindowAcquisition& window,
                                   const SpectrumPreferences& preferences);

// The question shown for a non-empty mismatch set.
std::string acquisitionMismatchMessage(const std::string& path, const SpectrumFileHeader& header,
                                       const WindowAcquisition& window, unsigned mismatches,
                                       double toleranceNm);

struct AcquisitionCheckOutcome
{
    // 0 to go on opening; the mismatch set when the user cancelled the opening.
    int result = 0;
    // Yes: the caller takes the file's acquisition parameters (applyFileAcquisition) into
    // the window and its configuration and refreshes the acquisition bar.
    bool useFileParameters = false;
};

// The whole check: nothing when "CheckFileConformity" is 0 or nothing differs; otherwise
// the Yes/No/Cancel box "File Open Mismatch Warning". Without a window the file opens
// unchanged.
AcquisitionCheckOutcome CheckFileAcquisitionParameters(const SpectrumFileHeader& header,
                                                       std::span<const double> fileWavelengths,
                                                       const WindowAcquisition& window,
                                                       const SpectrumPreferences& preferences,
                                                       SpectrumDocWindow* ui,
                                                       const std::string& path);

// The ranges of the acquisition values a file may hand to a window.
inline constexpr int32_t kFileAveragesMinimum = 1;
inline constexpr int32_t kFileAveragesMaximum = 9999;
inline constexpr int32_t kFileBoxcarMaximum = 500;

// Copies the file's integration time (converted into the window's unit and saturated at that
// unit's field: 1 to 65535 ms, or 0 to 2147483647 us), averages (1 to 9999), boxcar (0 to
// 500), dark correction and time normalisation (0 or 1) and reference monitoring (type 0 to
// 3, channel 0 to 7; another type leaves both) into window. A file whose format carries no
// acquisition parameters changes nothing.
void applyFileAcquisition(const SpectrumFileHeader& header, WindowAcquisition& window);

} // namespace app::spectrum
