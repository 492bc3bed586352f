#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <source_location>
#include <string>

// "Harlune.SpecSpectrumFiles": saves and opens the target spectrum window's spectra and
// settings files without dialogs, and runs the window's own file commands. The Save members of
// one spectrum kind write channel 0 to 7 to the given name, or channel 99 every channel (dark,
// reference and sample dark only where stored) under the window's per-channel names beside the
// given name's base ("<base>.Master.Dark", "<base>.Slave1.Dark", the processed spectrum by
// mode). A member answers FALSE when a file could not be written or read, and the Open members
// change nothing then; a declined overwrite and nothing to write answer TRUE. An unusable
// channel, an empty or over-long name or an array shorter than the points answers FALSE and
// touches neither the window nor the disk. GUI thread only.
class I_SpecSpectrumFiles : public SpectrumSettingsObject
{
public:
    static constexpr int16_t kAllChannels = 99;

    static I_SpecSpectrumFiles* create() { return new I_SpecSpectrumFiles(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    using Values = platform::automation::ByRef<double>;

    // The main frame's default data-file format; a put takes only 1 and 2.
    int16_t GetDefaultFileFormat();
    void SetDefaultFileFormat(int16_t format);
    // The main frame's CheckFileConformity preference.
    bool GetCheckOpenFileParameters();
    void SetCheckOpenFileParameters(bool check);

    bool SaveDark(int16_t channel, const std::string& file);
    bool SaveReference(int16_t channel, const std::string& file);
    bool SaveSampleDark(int16_t channel, const std::string& file);
    bool SaveProcessed(int16_t channel, const std::string& file);
    // makeCurrent: the file becomes the window's file of that kind.
    bool SaveDisplaySettings(const std::string& file, bool makeCurrent);
    bool SaveSpectrometerConfig(const std::string& file, bool makeCurrent);
    bool SaveTimeAcqParameters(const std::string& file, bool makeCurrent);
    bool SaveSample(int16_t channel, const std::string& file);

    // The window's file commands, as from the menu.
    void SaveDarkDialog();
    void SaveReferenceDialog();
    void SaveSampleDialog();
    void SaveSampleDarkDialog();
    void SaveProcessedDialog();
    void SaveExperimentDialog();
    void SaveDisplaySettingsDialog();
    void SaveSpectrometerConfigDialog();
    void SaveTimeAcqParametersDialog();

    // Reads a data file into the channel's array of the kind (after the window's
    // acquisition-parameter check, which a name ending "spc" or "SPC" skips), marks it stored
    // and reprocesses and replots (processed data: handed to the chart, no reprocessing).
    bool OpenDark(int16_t channel, const std::string& file);
    bool OpenReference(int16_t channel, const std::string& file);
    bool OpenSampleDark(int16_t channel, const std::string& file);
    bool OpenProcessed(int16_t channel, const std::string& file);
    // Also leaves the window in snapshot mode, so that the opened sample stays on screen.
    bool OpenSample(int16_t channel, const std::string& file);
    bool OpenDisplaySettings(const std::string& file, bool makeCurrent);
    bool OpenExperiment(const std::string& file);
    bool OpenTimeAcqParameters(const std::string& file, bool makeCurrent);
    // Loads the configuration object only; the driver is not reconfigured.
    bool OpenSpectrometerConfig(const std::string& file, bool makeCurrent);

    void OpenDarkDialog();
    void OpenReferenceDialog();
    void OpenSampleDarkDialog();
    void OpenSampleDialog();
    void OpenProcessedDialog();
    void OpenDisplaySettingsDialog();
    void OpenExperimentDialog();
    void OpenTimeAcqParametersDialog();
    void OpenSpectrometerConfigDialog();

    bool SaveExperiment(const std::string& file);
    // The script's own arrays, the window's pixel count of rows, a channel 0 header; format 0
    // rows only, 1 text with header, 2 SPC.
    bool SaveDataFile(const std::string& file, int16_t format, Values x, Values y);
    // Fills the script's arrays with the file's points.
    bool OpenDataFile(const std::string& file, Values x, Values y);
    bool SaveEvenlySpacedSPCFile(const std::string& file, double firstX, double lastX,
                                 int16_t numberOfPoints, Values y, int16_t xUnit, int16_t yUnit,
                                 const std::string& memo);

    // The spectrum kinds of the Save and Open members.
    enum class Kind
    {
        Dark,
        Reference,
        SampleDark,
        Sample,
        Processed,
    };

private:
    I_SpecSpectrumFiles() : SpectrumSettingsObject("I_SpecSpectrumFiles") {}
    ~I_SpecSpectrumFiles() override = default;

    bool saveKind(int16_t channel, const std::string& file, Kind kind,
                  std::source_location where = std::source_location::current());
    bool openKind(int16_t channel, const std::string& file, Kind kind,
                  std::source_location where = std::source_location::current());
    void command(void (CHarluneSpectrumView::*run)(),
                 std::source_location where = std::source_location::current());
};
