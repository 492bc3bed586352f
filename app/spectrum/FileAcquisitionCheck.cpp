#include "app/spectrum/FileAcquisitionCheck.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace app::spectrum {

namespace {

void appendFormatted(std::string& out, const char* format, long long file, long long current)
{
    char line[160];
    std::snprintf(line, sizeof line, format, file, current);
    out += line;
}

unsigned parameterMismatches(const SpectrumFileHeader& header, const WindowAcquisition& window,
                             const SpectrumPreferences& preferences)
{
    unsigned mismatches = 0;
    if (preferences.AcquisitionParameterMismatchWarning == 1 &&
        header.serialNumber != window.serialNumber)
        mismatches |= kSerialNumberMismatch;
    // Compared in one unit: a file in microseconds may match a window in milliseconds.
    if (integrationMicroseconds(header.integrationTime, header.microsecondFlag) !=
        integrationMicroseconds(window.integrationTime, window.microsecondFlag))
        mismatches |= kIntegrationTimeMismatch;
    if (header.averages != window.averages)
        mismatches |= kAveragingMismatch;
    if (header.boxcar != window.boxcar)
        mismatches |= kBoxcarMismatch;
    if (header.correctDark != window.correctDark)
        mismatches |= kCorrectDarkMismatch;
    if (header.referenceType != window.referenceType)
        mismatches |= kReferenceTypeMismatch;
    if (header.referenceType != 0 && header.referenceChannel != window.referenceChannel)
        mismatches |= kReferenceChannelMismatch;
    if (header.timeNormalized != window.timeNormalized)
        mismatches |= kTimeNormalizationMismatch;
    return mismatches;
}

} // namespace

int64_t integrationMicroseconds(int32_t integrationTime, int32_t microsecondFlag)
{
    return microsecondFlag == 1 ? static_cast<int64_t>(integrationTime)
                                : static_cast<int64_t>(integrationTime) * 1000;
}

unsigned findAcquisitionMismatches(const SpectrumFileHeader& header,
                                   std::span<const double> fileWavelengths,
                                   const WindowAcquisition& window,
                                   const SpectrumPreferences& preferences)
{
    unsigned mismatches = 0;
    // A format without acquisition parameters (SPC, a table) is compared on its wavelengths
    // only: its zeros would otherwise all differ from the window.
    if (header.carriesAcquisitionParameters)
        mismatches = parameterMismatches(header, window, preferences);
    const std::size_t points =
        std::min({static_cast<std::size_t>(std::max(header.numberOfPoints, 0)),
                  fileWavelengths.size(), window.wavelengths.size()});
    for (std::size_t i = 0; i < points; ++i) {
        if (std::fabs(window.wavelengths[i] - fileWavelengths[i]) >
            preferences.OpenFileWavelengthTolerance) {
            mismatches |= kWavelengthMismatch;
            break;
        }
    }
    return mismatches;
}

std::string acquisitionMismatchMessage(const std::string& path, const SpectrumFileHeader& header,
                                       const WindowAcquisition& window, unsigned mismatches,
                                       double toleranceNm)
{
    std::string text = "The acquisition parameters of the file " + path +
                       " do not match the current acquisition parameters\n\n";
    if (mismatches & kSerialNumberMismatch)
        text += "Serial Number Mismatch:  File " + header.serialNumber + ", Current " +
                window.serialNumber + "\n";
    if (mismatches & kIntegrationTimeMismatch) {
        // Both values in their own unit when the two share it, else both in microseconds.
        const bool sameUnit = (header.microsecondFlag == 1) == (window.microsecondFlag == 1);
        const auto shown = [sameUnit](int32_t time, int32_t microsecondFlag) -> long long {
            if (sameUnit)
                return static_cast<uint32_t>(time);
            return std::max<int64_t>(integrationMicroseconds(time, microsecondFlag), 0);
        };
        appendFormatted(text, "Integration Time Mismatch:  File %llu, Current %llu\n",
                        shown(header.integrationTime, header.microsecondFlag),
                        shown(window.integrationTime, window.microsecondFlag));
    }
    if (mismatches & kBoxcarMismatch)
        appendFormatted(text, "Boxcar Width Mismatch:  File %lld, Current %lld\n", header.boxcar,
                        window.boxcar);
    if (mismatches & kAveragingMismatch)
        appendFormatted(text, "Spectral Averaging Mismatch:  File %lld, Current %lld\n",
                        header.averages, window.averages);
    if (mismatches & kCorrectDarkMismatch)
        appendFormatted(text, "Correct for Electrical Dark Mismatch:  File %lld, Current %lld\n",
                        header.correctDark, window.correctDark);
    if (mismatches & kReferenceTypeMismatch)
        appendFormatted(text, "Reference Type Mismatch:  File %lld, Current %lld\n",
                        header.referenceType, window.referenceType);
    if (mismatches & kReferenceChannelMismatch)
        appendFormatted(text, "Reference Channel Mismatch:  File %lld, Current %lld\n",
                        header.referenceChannel, window.referenceChannel);
    if (mismatches & kWavelengthMismatch) {
        char tolerance[400];
        const auto printed = std::to_chars(tolerance, tolerance + sizeof tolerance, toleranceNm,
                                           std::chars_format::fixed, 3);
        text += "The wavelength of at least on pixel deviated by more than ";
        text.append(tolerance, printed.ptr);
        text += " nm\n";
    }
    if (mismatches & kTimeNormalizationMismatch)
        appendFormatted(text, "Time Normalization Mismatch:  File %lld, Current %lld\n",
                        header.timeNormalized, window.timeNormalized);
    text += "\nWould you like to use the acquisition parameters from the file?  Answering 'Yes' "
            "will open the file and change the acquisition parameters.  'No' will open the "
            "file but not change the acquisition parameters.  'Cancel' will abort the opening "
            "of the file.";
    return text;
}

AcquisitionCheckOutcome CheckFileAcquisitionParameters(const SpectrumFileHeader& header,
                                                       std::span<const double> fileWavelengths,
                                                       const WindowAcquisition& window,
                                                       const SpectrumPreferences& preferences,
                                                       SpectrumDocWindow* ui,
                                                       const std::string& path)
{
    if (preferences.CheckFileConformity == 0)
        return {};
    const unsigned mismatches =
        findAcquisitionMismatches(header, fileWavelengths, window, preferences);
    if (mismatches == 0 || ui == nullptr)
        return {};
    const std::string text = acquisitionMismatchMessage(path, header, window, mismatches,
                                                        preferences.OpenFileWavelengthTolerance);
    switch (ui->showMessageBox(text, "File Open Mismatch Warning",
                               SpectrumDocWindow::Buttons::YesNoCancel)) {
    case SpectrumDocWindow::Answer::Yes:
        return {0, true};
    case SpectrumDocWindow::Answer::Cancel:
        return {static_cast<int>(mismatches), false};
    default:
        return {};
    }
}

void applyFileAcquisition(const SpectrumFileHeader& header, WindowAcquisition& window)
{
    if (!header.carriesAcquisitionParameters)
        return;
    // Every value is brought into the range of the window's field: a damaged or edited file
    // must not leave the window scanning with no averages or a negative boxcar.
    const int64_t us = integrationMicroseconds(header.integrationTime, header.microsecondFlag);
    if (window.microsecondFlag == 1)
        window.integrationTime =
            static_cast<int32_t>(std::clamp<int64_t>(us, 0, std::numeric_limits<int32_t>::max()));
    else
        window.integrationTime =
            static_cast<int32_t>(std::clamp<int64_t>((us + 500) / 1000, 1, 65535));
    window.averages = std::clamp(header.averages, kFileAveragesMinimum, kFileAveragesMaximum);
    window.boxcar = std::clamp(header.boxcar, 0, kFileBoxcarMaximum);
    window.correctDark = header.correctDark != 0 ? 1 : 0;
    window.timeNormalized = header.timeNormalized == 1 ? 1 : 0;
    if (header.referenceType >= 0 && header.referenceType <= 3) {
        window.referenceType = header.referenceType;
        window.referenceChannel = std::clamp(header.referenceChannel, 0, kSpectrumChannels - 1);
    }
}

} // namespace app::spectrum
