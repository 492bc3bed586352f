#include "app/automation/I_SpecSpectrumFiles.h"

#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using namespace app::spectrum;
using Kind = I_SpecSpectrumFiles::Kind;

namespace {

bool spectrumFilesValidChannel(int16_t channel)
{
    return channel >= 0 && channel < kSpectrumChannels;
}

// The view's wait cursor for the length of a file operation.
class SpectrumFilesWaitCursor
{
public:
    explicit SpectrumFilesWaitCursor(SpectrumViewWindow& window) : m_window(window)
    {
        m_window.beginWaitCursor();
    }
    ~SpectrumFilesWaitCursor() { m_window.endWaitCursor(); }
    SpectrumFilesWaitCursor(const SpectrumFilesWaitCursor&) = delete;
    SpectrumFilesWaitCursor& operator=(const SpectrumFilesWaitCursor&) = delete;

private:
    SpectrumViewWindow& m_window;
};

// A writer's answer as a member's: written, or not written because the user said so.
bool writtenOrDeclined(int result)
{
    return result == kDataFileOk || result == kDataFileOverwriteDeclined;
}

// A settings file a reader may take: it exists and opens. The settings readers take a missing
// file for an empty one and would put every setting back to its default.
bool spectrumFilesReadable(const std::string& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    return std::ifstream(file, std::ios::binary).is_open();
}

ChannelArrays& arraysOf(ChannelSpectra& spectra, Kind kind)
{
    switch (kind) {
    case Kind::Dark:
        return spectra.dark;
    case Kind::Reference:
        return spectra.reference;
    case Kind::SampleDark:
        return spectra.sampleDark;
    case Kind::Sample:
        return spectra.sample;
    case Kind::Processed:
        break;
    }
    return spectra.processed;
}

// The stored flags of the kinds that have them; null for sample and processed.
ChannelFlags* storedOf(ChannelSpectra& spectra, Kind kind)
{
    switch (kind) {
    case Kind::Dark:
        return &spectra.darkStored;
    case Kind::Reference:
        return &spectra.referenceStored;
    case Kind::SampleDark:
        return &spectra.sampleDarkStored;
    default:
        return nullptr;
    }
}

const char* fileWord(Kind kind)
{
    switch (kind) {
    case Kind::Dark:
        return "Dark";
    case Kind::Reference:
        return "Reference";
    case Kind::SampleDark:
        return "SampleDark";
    default:
        return "Sample";
    }
}

int spectrumFilesPixelCount(CHarluneSpectrumView& view)
{
    return std::clamp(static_cast<int>(static_cast<uint16_t>(view.configuration().GetPixelCount())),
                      0, kSpectrumPoints);
}

// The main frame's default data-file format, which the Save members write.
int defaultFileFormat()
{
    MainFramePreferences* preferences = requireAutomationFrame().mainPreferences();
    if (preferences == nullptr)
        throw std::runtime_error("the main frame has no preferences");
    return static_cast<int>(preferences->DefaultFileFormat);
}

} // namespace

const DispatchTable& I_SpecSpectrumFiles::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpectrumFiles;
        DispatchBinder<C> b;
        b.property("DefaultFileFormat", &C::GetDefaultFileFormat, &C::SetDefaultFileFormat)
            .property("CheckOpenFileParameters", &C::GetCheckOpenFileParameters,
                      &C::SetCheckOpenFileParameters);
        addWindowMembers(b);
        b.method("SaveDark", &C::SaveDark, {"channel", "filename"})
            .method("SaveReference", &C::SaveReference, {"channel", "filename"})
            .method("SaveSampleDark", &C::SaveSampleDark, {"channel", "filename"})
            .method("SaveProcessed", &C::SaveProcessed, {"channel", "filename"})
            .method("SaveDisplaySettings", &C::SaveDisplaySettings, {"filename", "makecurrent"})
            .method("SaveSpectrometerConfig", &C::SaveSpectrometerConfig,
                    {"filename", "makecurrent"})
            .method("SaveTimeAcqParameters", &C::SaveTimeAcqParameters, {"filename", "makecurrent"})
            .method("SaveSample", &C::SaveSample, {"channel", "filename"})
            .method("SaveDarkDialog", &C::SaveDarkDialog)
            .method("SaveReferenceDialog", &C::SaveReferenceDialog)
            .method("SaveSampleDialog", &C::SaveSampleDialog)
            .method("SaveSampleDarkDialog", &C::SaveSampleDarkDialog)
            .method("SaveProcessedDialog", &C::SaveProcessedDialog)
            .method("SaveExperimentDialog", &C::SaveExperimentDialog)
            .method("SaveDisplaySettingsDialog", &C::SaveDisplaySettingsDialog)
            .method("SaveSpectrometerConfigDialog", &C::SaveSpectrometerConfigDialog)
            .method("SaveTimeAcqParametersDialog", &C::SaveTimeAcqParametersDialog)
            .method("OpenDark", &C::OpenDark, {"channel", "filename"})
            .method("OpenReference", &C::OpenReference, {"channel", "filename"})
            .method("OpenSampleDark", &C::OpenSampleDark, {"channel", "filename"})
            .method("OpenProcessed", &C::OpenProcessed, {"channel", "filename"})
            .method("OpenSample", &C::OpenSample, {"channel", "filename"})
            .method("OpenDisplaySettings", &C::OpenDisplaySettings, {"filename", "makecurrent"})
            .method("OpenExperiment", &C::OpenExperiment, {"filename"})
            .method("OpenTimeAcqParameters", &C::OpenTimeAcqParameters, {"filename", "makecurrent"})
            .method("OpenSpectrometerConfig", &C::OpenSpectrometerConfig,
                    {"filename", "makecurrent"})
            .method("OpenDarkDialog", &C::OpenDarkDialog)
            .method("OpenReferenceDialog", &C::OpenReferenceDialog)
            .method("OpenSampleDarkDialog", &C::OpenSampleDarkDialog)
            .method("OpenSampleDialog", &C::OpenSampleDialog)
            .method("OpenProcessedDialog", &C::OpenProcessedDialog)
            .method("OpenDisplaySettingsDialog", &C::OpenDisplaySettingsDialog)
            .method("OpenExperimentDialog", &C::OpenExperimentDialog)
            .method("OpenTimeAcqParametersDialog", &C::OpenTimeAcqParametersDialog)
            .method("OpenSpectrometerConfigDialog", &C::OpenSpectrometerConfigDialog)
            .method("SaveExperiment", &C::SaveExperiment, {"filename"})
            .method("SaveDataFile", &C::SaveDataFile, {"filename", "format", "x", "y"})
            .method("OpenDataFile", &C::OpenDataFile, {"filename", "x", "y"})
            .method(
                "SaveEvenlySpacedSPCFile", &C::SaveEvenlySpacedSPCFile,
                {"filename", "firstx", "lastx", "numberofpoints", "y", "xunit", "yunit", "memo"});
        return b.table();
    }();
    return t;
}

// ---------------------------------------------------------------------------------------
// Preferences

int16_t I_SpecSpectrumFiles::GetDefaultFileFormat()
{
    return onPreferences(int16_t{0}, [](MainFramePreferences& p) {
        return static_cast<int16_t>(p.DefaultFileFormat);
    });
}

void I_SpecSpectrumFiles::SetDefaultFileFormat(int16_t format)
{
    if (format <= 0 || format >= 3)
        return;
    withPreferences(
        [&](MainFramePreferences& p) { p.DefaultFileFormat = static_cast<uint32_t>(format); });
}

bool I_SpecSpectrumFiles::GetCheckOpenFileParameters()
{
    return onPreferences(
        false, [](MainFramePreferences& p) { return p.spectrum.CheckFileConformity != 0; });
}

void I_SpecSpectrumFiles::SetCheckOpenFileParameters(bool check)
{
    withPreferences(
        [&](MainFramePreferences& p) { p.spectrum.CheckFileConformity = check ? 1 : 0; });
}

// ---------------------------------------------------------------------------------------
// Spectrum files of one kind

bool I_SpecSpectrumFiles::saveKind(int16_t channel, const std::string& file, Kind kind,
                                   std::source_location where)
{
    if (file.empty() || !fitsPath(file))
        return false;
    if (channel != kAllChannels && !spectrumFilesValidChannel(channel))
        return false;
    return onView(
        false,
        [&](CHarluneSpectrumView& view) {
            const int format = defaultFileFormat();
            SpectrumFilesWaitCursor wait(view.window());
            ChannelSpectra& spectra = view.document().spectra();
            const ChannelArrays& values = arraysOf(spectra, kind);
            const ChannelFlags* stored = storedOf(spectra, kind);
            // Every channel under its own name beside the given name's base, as the window's
            // save commands name them; one channel under the name as given.
            const std::string base = channel == kAllChannels ? cutBeforeFirstDotInName(file) : "";
            bool written = true;
            for (int k = 0; k < kSpectrumChannels; ++k) {
                if (channel != kAllChannels && k != channel)
                    continue;
                if (stored != nullptr && (*stored)[k] == 0)
                    continue;
                std::string name = file;
                if (channel == kAllChannels)
                    name = kind == Kind::Processed
                               ? view.processedChannelFileName(base, k)
                               : CHarluneSpectrumView::channelFileName(base, k, fileWord(kind));
                const SpectrumFileHeader header = view.dataFileHeader(k);
                const int result = view.document().WriteDataFile(
                    name, header, format, spectra.wavelengths[k].data(), values[k].data());
                written = writtenOrDeclined(result) && written;
            }
            return written;
        },
        where);
}

bool I_SpecSpectrumFiles::openKind(int16_t channel, const std::string& file, Kind kind,
                                   std::source_location where)
{
    if (file.empty() || !fitsPath(file) || !spectrumFilesValidChannel(channel))
        return false;
    return onView(
        false,
        [&](CHarluneSpectrumView& view) {
            SpectrumFilesWaitCursor wait(view.window());
            auto wavelengths = std::make_unique<SpectrumArray>();
            auto values = std::make_unique<SpectrumArray>();
            wavelengths->fill(0.0);
            values->fill(0.0);
            SpectrumFileHeader header;
            // A file the reader refused (it has told the user why) changes nothing.
            if (view.document().ReadDataFile(file, header, *wavelengths, *values) != kDataFileOk)
                return false;
            const std::string tail = file.size() >= 3 ? file.substr(file.size() - 3) : "";
            if (tail != "spc" && tail != "SPC" &&
                view.CheckFileAcquisitionParameters(header, *wavelengths, file) != 0)
                return false;

            ChannelSpectra& spectra = view.document().spectra();
            std::copy_n(values->begin(), spectrumFilesPixelCount(view),
                        arraysOf(spectra, kind)[channel].begin());
            if (ChannelFlags* stored = storedOf(spectra, kind))
                (*stored)[channel] = 1;
            if (kind == Kind::Dark) {
                bool all = true;
                for (int k = 0; k < kSpectrumChannels; ++k)
                    if (view.configuration().GetChannelEnabled(k) == 1 &&
                        spectra.darkStored[k] == 0)
                        all = false;
                view.setDarkStored(all ? 1 : 0);
            }
            if (kind == Kind::Processed) {
                if (view.chartData() != 0)
                    platform::chart::XrtDataSetYData(view.chartData(), channel,
                                                     spectra.processed[channel].data(),
                                                     kSpectrumPoints, 0);
            } else {
                if (kind == Kind::Sample)
                    view.setSnapshotState(1);
                view.ProcessSpectra();
            }
            view.PlotSpectra();
            return true;
        },
        where);
}

bool I_SpecSpectrumFiles::SaveDark(int16_t channel, const std::string& file)
{
    return saveKind(channel, file, Kind::Dark);
}

bool I_SpecSpectrumFiles::SaveReference(int16_t channel, const std::string& file)
{
    return saveKind(channel, file, Kind::Reference);
}

bool I_SpecSpectrumFiles::SaveSampleDark(int16_t channel, const std::string& file)
{
    return saveKind(channel, file, Kind::SampleDark);
}

bool I_SpecSpectrumFiles::SaveProcessed(int16_t channel, const std::string& file)
{
    return saveKind(channel, file, Kind::Processed);
}

bool I_SpecSpectrumFiles::SaveSample(int16_t channel, const std::string& file)
{
    return saveKind(channel, file, Kind::Sample);
}

bool I_SpecSpectrumFiles::OpenDark(int16_t channel, const std::string& file)
{
    return openKind(channel, file, Kind::Dark);
}

bool I_SpecSpectrumFiles::OpenReference(int16_t channel, const std::string& file)
{
    return openKind(channel, file, Kind::Reference);
}

bool I_SpecSpectrumFiles::OpenSampleDark(int16_t channel, const std::string& file)
{
    return openKind(channel, file, Kind::SampleDark);
}

bool I_SpecSpectrumFiles::OpenProcessed(int16_t channel, const std::string& file)
{
    return openKind(channel, file, Kind::Processed);
}

bool I_SpecSpectrumFiles::OpenSample(int16_t channel, const std::string& file)
{
    return openKind(channel, file, Kind::Sample);
}

// ---------------------------------------------------------------------------------------
// Settings, configuration, time parameters and experiment files

bool I_SpecSpectrumFiles::SaveDisplaySettings(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        const std::string current = view.displaySettingsFile();
        const bool written = view.WriteDisplaySettings(file);
        if (!makeCurrent || !written)
            view.setDisplaySettingsFile(current);
        return written;
    });
}

bool I_SpecSpectrumFiles::OpenDisplaySettings(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file) || !spectrumFilesReadable(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        const std::string current = view.displaySettingsFile();
        view.ReadDisplaySettings(file);
        if (!makeCurrent)
            view.setDisplaySettingsFile(current);
        return true;
    });
}

bool I_SpecSpectrumFiles::SaveSpectrometerConfig(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        const bool written = view.SaveSpectrometerConfiguration(file);
        if (written && makeCurrent)
            view.setConfigurationFile(file);
        return written;
    });
}

bool I_SpecSpectrumFiles::OpenSpectrometerConfig(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file) || !spectrumFilesReadable(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        view.configuration().Load(file);
        if (makeCurrent)
            view.setConfigurationFile(file);
        return true;
    });
}

bool I_SpecSpectrumFiles::SaveTimeAcqParameters(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        const bool written = view.WriteTimeAcquisitionParameters(file) != 0;
        if (written && makeCurrent)
            view.setTimeParametersFile(file);
        return written;
    });
}

bool I_SpecSpectrumFiles::OpenTimeAcqParameters(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file) || !spectrumFilesReadable(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        view.ReadTimeAcquisitionParameters(file);
        if (makeCurrent)
            view.setTimeParametersFile(file);
        return true;
    });
}

bool I_SpecSpectrumFiles::SaveExperiment(const std::string& file)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        return view.document().WriteExperiment(file, view) == 0;
    });
}

bool I_SpecSpectrumFiles::OpenExperiment(const std::string& file)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        return view.document().ReadExperiment(file, view) == 0;
    });
}

// ---------------------------------------------------------------------------------------
// The script's own arrays

bool I_SpecSpectrumFiles::SaveDataFile(const std::string& file, int16_t format, Values x, Values y)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        const SpectrumFileHeader header = view.dataFileHeader(0);
        const size_t points = static_cast<size_t>(header.numberOfPoints);
        const double* xs = x.take(points);
        const double* ys = y.take(points);
        if (xs == nullptr || ys == nullptr)
            return false;
        SpectrumFilesWaitCursor wait(view.window());
        return writtenOrDeclined(view.document().WriteDataFile(file, header, format, xs, ys));
    });
}

bool I_SpecSpectrumFiles::OpenDataFile(const std::string& file, Values x, Values y)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        auto wavelengths = std::make_unique<SpectrumArray>();
        auto values = std::make_unique<SpectrumArray>();
        wavelengths->fill(0.0);
        values->fill(0.0);
        SpectrumFileHeader header;
        if (view.document().ReadDataFile(file, header, *wavelengths, *values) != kDataFileOk)
            return false;
        const size_t points =
            static_cast<size_t>(std::clamp(header.numberOfPoints, 0, kSpectrumPoints));
        double* xs = x.take(points);
        double* ys = y.take(points);
        if (xs == nullptr || ys == nullptr)
            return false;
        std::copy_n(wavelengths->begin(), points, xs);
        std::copy_n(values->begin(), points, ys);
        return true;
    });
}

bool I_SpecSpectrumFiles::SaveEvenlySpacedSPCFile(const std::string& file, double firstX,
                                                  double lastX, int16_t numberOfPoints, Values y,
                                                  int16_t xUnit, int16_t yUnit,
                                                  const std::string& memo)
{
    if (file.empty() || !fitsPath(file) || !std::isfinite(firstX) || !std::isfinite(lastX))
        return false;
    // The unit codes are bytes of the file's header.
    if (numberOfPoints < 1 || numberOfPoints > kSpectrumPoints || xUnit < 0 || xUnit > 255 ||
        yUnit < 0 || yUnit > 255)
        return false;
    const double* values = y.take(static_cast<size_t>(numberOfPoints));
    if (values == nullptr)
        return false;
    return onView(false, [&](CHarluneSpectrumView& view) {
        return writtenOrDeclined(view.document().WriteEvenlySpacedSpcFile(
            file, firstX, lastX, numberOfPoints, values, xUnit, yUnit, memo));
    });
}

// ---------------------------------------------------------------------------------------
// The window's file commands

void I_SpecSpectrumFiles::command(void (CHarluneSpectrumView::*run)(), std::source_location where)
{
    withView([&](CHarluneSpectrumView& view) { (view.*run)(); }, where);
}

void I_SpecSpectrumFiles::SaveDarkDialog()
{
    command(&CHarluneSpectrumView::OnSaveDark);
}

void I_SpecSpectrumFiles::SaveReferenceDialog()
{
    command(&CHarluneSpectrumView::OnSaveReference);
}

void I_SpecSpectrumFiles::SaveSampleDialog()
{
    command(&CHarluneSpectrumView::OnSaveSample);
}

void I_SpecSpectrumFiles::SaveSampleDarkDialog()
{
    command(&CHarluneSpectrumView::OnSaveSampleDark);
}

void I_SpecSpectrumFiles::SaveProcessedDialog()
{
    command(&CHarluneSpectrumView::OnSaveProcessed);
}

void I_SpecSpectrumFiles::SaveExperimentDialog()
{
    command(&CHarluneSpectrumView::OnSaveExperiment);
}

void I_SpecSpectrumFiles::SaveDisplaySettingsDialog()
{
    command(&CHarluneSpectrumView::OnSaveDisplaySettings);
}

void I_SpecSpectrumFiles::SaveSpectrometerConfigDialog()
{
    command(&CHarluneSpectrumView::OnSaveSpectrometerConfiguration);
}

void I_SpecSpectrumFiles::SaveTimeAcqParametersDialog()
{
    command(&CHarluneSpectrumView::OnSaveTimeParameters);
}

void I_SpecSpectrumFiles::OpenDarkDialog()
{
    command(&CHarluneSpectrumView::OnOpenDark);
}

void I_SpecSpectrumFiles::OpenReferenceDialog()
{
    command(&CHarluneSpectrumView::OnOpenReference);
}

void I_SpecSpectrumFiles::OpenSampleDarkDialog()
{
    command(&CHarluneSpectrumView::OnOpenSampleDark);
}

void I_SpecSpectrumFiles::OpenSampleDialog()
{
    command(&CHarluneSpectrumView::OnOpenSample);
}

void I_SpecSpectrumFiles::OpenProcessedDialog()
{
    command(&CHarluneSpectrumView::OnOpenProcessed);
}

void I_SpecSpectrumFiles::OpenDisplaySettingsDialog()
{
    command(&CHarluneSpectrumView::OnRestoreDisplaySettings);
}

void I_SpecSpectrumFiles::OpenExperimentDialog()
{
    command(&CHarluneSpectrumView::OnOpenExperiment);
}

void I_SpecSpectrumFiles::OpenTimeAcqParametersDialog()
{
    command(&CHarluneSpectrumView::OnRestoreTimeParameters);
}

void I_SpecSpectrumFiles::OpenSpectrometerConfigDialog()
{
    command(&CHarluneSpectrumView::OnOpenSpectrometerConfiguration);
}
