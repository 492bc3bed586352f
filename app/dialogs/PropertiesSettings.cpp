#include "app/dialogs/PropertiesSettings.h"

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/shell/MainFramePreferences.h"

#include <cstdint>

namespace app::dialogs {

namespace {

// Where each sound row's path lives in the preference record: an index of
// MainFramePreferences::sounds, or -1 for "Warning", which the spectrum part holds.
constexpr std::array<int, 9> kSoundSlots = {0, 1, 2, 3, 6, 7, 4, -1, 5};

std::string& soundPath(MainFramePreferences& p, int row)
{
    const int slot = kSoundSlots[static_cast<std::size_t>(row)];
    return slot < 0 ? p.spectrum.WarningSound : p.sounds[slot];
}

// Preferences are unsigned in the record; a combo left without a selection never changes
// its value, so only values the pages hold are written.
uint32_t u(int value)
{
    return static_cast<uint32_t>(value);
}

} // namespace

PropertiesSettings loadPropertiesSettings(PropertiesSheetView& view)
{
    MainFramePreferences& p = view.preferenceRecord();
    PropertiesSettings s;
    s.DefaultFileFormat = static_cast<int>(p.DefaultFileFormat);
    s.FileOverwriteWarning = static_cast<int>(p.spectrum.FileOverwriteWarning);
    s.AlwaysSaveDark = static_cast<int>(p.AlwaysSaveDark);
    s.AlwaysSaveExperiment = static_cast<int>(p.AlwaysSaveExperiment);
    s.AlwaysSaveReference = static_cast<int>(p.AlwaysSaveReference);
    s.AlwaysSaveSample = static_cast<int>(p.AlwaysSaveSample);
    s.AlwaysExponential = p.spectrum.AlwaysExponential;
    s.SaveFilesForSelected = static_cast<int>(p.SaveFilesForSelected);
    s.DefaultSavePrecision = p.spectrum.DefaultSavePrecision;
    s.NoFileHeaderWarning = static_cast<int>(p.spectrum.NoFileHeaderWarning);
    s.CheckFileConformity = static_cast<int>(p.spectrum.CheckFileConformity);
    s.AcquisitionParameterMismatchWarning =
        static_cast<int>(p.spectrum.AcquisitionParameterMismatchWarning);
    s.OpenFileWavelengthTolerance = p.spectrum.OpenFileWavelengthTolerance;
    s.PrintBWOnly = static_cast<int>(p.PrintBWOnly);
    s.SoundEnabled = static_cast<int>(p.spectrum.SoundEnabled);
    for (int row = 0; row < 9; ++row)
        s.sounds[static_cast<std::size_t>(row)] = soundPath(p, row);
    s.displaySettingsFile = view.displaySettingsFile();
    s.AlwaysSaveDisplaySettings = static_cast<int>(p.AlwaysSaveDisplaySettings);
    s.spectrometerFile = view.spectrometerFile();
    s.timeAcquisitionFile = view.timeAcquisitionFile();
    s.AlwaysSaveTimeParameters = static_cast<int>(p.AlwaysSaveTimeParameters);
    s.OverlayClearWarning = static_cast<int>(p.OverlayClearWarning);
    s.ScopeModeSaturatedWarning = static_cast<int>(p.ScopeModeSaturatedWarning);
    s.ScopeModeSaturationThreshold = view.GetScopeModeSaturationThreshold();
    s.StoreDarkReference = static_cast<int>(p.StoreDarkReference);
    s.CopyIncludeHeader = static_cast<int>(p.CopyIncludeHeader);
    s.CopyToolbarButtonFunction = static_cast<int>(p.CopyToolbarButtonFunction);
    s.TransmissionModeLabel = p.TransmissionModeLabel;
    s.OpenOverlayAnnotation = static_cast<int>(p.OpenOverlayAnnotation);
    s.RememberGraphScale = static_cast<int>(p.RememberGraphScale);
    s.TurnOffLightWhenClosingWindow = static_cast<int>(p.TurnOffLightWhenClosingWindow);
    return s;
}

void applyPropertiesSettings(const PropertiesSettings& s, PropertiesSheetView& view)
{
    MainFramePreferences& p = view.preferenceRecord();
    p.DefaultFileFormat = u(s.DefaultFileFormat);
    p.spectrum.FileOverwriteWarning = u(s.FileOverwriteWarning);
    p.AlwaysSaveDark = u(s.AlwaysSaveDark);
    p.AlwaysSaveExperiment = u(s.AlwaysSaveExperiment);
    p.AlwaysSaveReference = u(s.AlwaysSaveReference);
    p.AlwaysSaveSample = u(s.AlwaysSaveSample);
    p.spectrum.AlwaysExponential = s.AlwaysExponential;
    p.SaveFilesForSelected = u(s.SaveFilesForSelected);
    p.spectrum.DefaultSavePrecision = s.DefaultSavePrecision;
    p.spectrum.NoFileHeaderWarning = u(s.NoFileHeaderWarning);
    p.spectrum.CheckFileConformity = u(s.CheckFileConformity);
    p.spectrum.AcquisitionParameterMismatchWarning = u(s.AcquisitionParameterMismatchWarning);
    p.spectrum.OpenFileWavelengthTolerance = s.OpenFileWavelengthTolerance;
    p.PrintBWOnly = u(s.PrintBWOnly);
    p.spectrum.SoundEnabled = u(s.SoundEnabled);
    for (int row = 0; row < 9; ++row)
        soundPath(p, row) = s.sounds[static_cast<std::size_t>(row)];
    p.AlwaysSaveDisplaySettings = u(s.AlwaysSaveDisplaySettings);
    p.AlwaysSaveTimeParameters = u(s.AlwaysSaveTimeParameters);
    p.OverlayClearWarning = u(s.OverlayClearWarning);
    p.ScopeModeSaturatedWarning = u(s.ScopeModeSaturatedWarning);
    p.StoreDarkReference = u(s.StoreDarkReference);
    p.CopyIncludeHeader = u(s.CopyIncludeHeader);
    p.CopyToolbarButtonFunction = u(s.CopyToolbarButtonFunction);
    p.TransmissionModeLabel = static_cast<uint16_t>(s.TransmissionModeLabel);
    p.OpenOverlayAnnotation = u(s.OpenOverlayAnnotation);
    p.RememberGraphScale = u(s.RememberGraphScale);
    p.TurnOffLightWhenClosingWindow = u(s.TurnOffLightWhenClosingWindow);
    view.setDisplaySettingsFile(s.displaySettingsFile);
    view.setSpectrometerFile(s.spectrometerFile);
    view.setTimeAcquisitionFile(s.timeAcquisitionFile);
    view.SetScopeModeSaturationThreshold(s.ScopeModeSaturationThreshold);
}

} // namespace app::dialogs
