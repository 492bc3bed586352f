#pragma once

#include <array>
#include <string>

namespace app::dialogs {

class PropertiesSheetView;

// The working copy of the properties sheet: every preference its six pages edit, the view's
// three default file names and the saturation threshold. Loaded when the sheet is built and
// written back by its apply. GUI thread only.
struct PropertiesSettings
{
    // File Saving.
    int DefaultFileFormat = 1;
    int FileOverwriteWarning = 1;
    int AlwaysSaveDark = 0;
    int AlwaysSaveExperiment = 0;
    int AlwaysSaveReference = 0;
    int AlwaysSaveSample = 0;
    int AlwaysExponential = 0;
    int SaveFilesForSelected = 0;
    int DefaultSavePrecision = 3;
    // File Opening.
    int NoFileHeaderWarning = 1;
    int CheckFileConformity = 1;
    int AcquisitionParameterMismatchWarning = 1;
    double OpenFileWavelengthTolerance = 0.05;
    // Printing.
    int PrintBWOnly = 1;
    // Sounds, in the rows' order: SaveDark, SaveReference, SaveData, SaveExperiment,
    // StoreDark, StoreReference, ScopeModeSaturated, Warning, Error.
    int SoundEnabled = 0;
    std::array<std::string, 9> sounds;
    // Configuration Files.
    std::string displaySettingsFile;
    int AlwaysSaveDisplaySettings = 1;
    std::string spectrometerFile;
    std::string timeAcquisitionFile;
    int AlwaysSaveTimeParameters = 0;
    // Misc. Settings.
    int OverlayClearWarning = 1;
    int ScopeModeSaturatedWarning = 2;
    double ScopeModeSaturationThreshold = 14.0;
    int StoreDarkReference = 0;
    int CopyIncludeHeader = 1;
    int CopyToolbarButtonFunction = 0;
    int TransmissionModeLabel = 0;
    int OpenOverlayAnnotation = 1;
    int RememberGraphScale = 0;
    int TurnOffLightWhenClosingWindow = 0;
};

// Reads the working copy from the main frame's preference record, the view and its
// configuration.
PropertiesSettings loadPropertiesSettings(PropertiesSheetView& view);
// Writes it back: the preference record field by field, the three file names, the threshold.
void applyPropertiesSettings(const PropertiesSettings& settings, PropertiesSheetView& view);

} // namespace app::dialogs
