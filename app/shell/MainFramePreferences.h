#pragma once

#include "app/spectrum/SpectrumDocWindow.h"

#include <cstdint>
#include <string>

class CINIFileSupport;

// The user's preferences that the main frame reads at its creation and writes back when it
// goes, each key with its default in one place. "ManufacturingExtensionsEnabled" is read but
// never written. GUI thread only.
struct MainFramePreferences
{
    SpectrumPreferences spectrum;
    uint32_t AlwaysSaveDark = 0;
    uint32_t AlwaysSaveReference = 0;
    uint32_t AlwaysSaveSample = 0;
    uint32_t DefaultFileFormat = 1;
    uint32_t PrintBWOnly = 1;
    uint32_t OverlayClearWarning = 1;
    uint32_t AlwaysSaveDisplaySettings = 1;
    uint32_t AlwaysSaveExperiment = 0;
    uint32_t ScopeModeSaturatedWarning = 2;
    uint32_t AlwaysSaveTimeParameters = 0;
    uint32_t StoreDarkReference = 0;
    uint32_t SaveFilesForSelected = 0;
    uint32_t CopyIncludeHeader = 1;
    uint32_t ManufacturingExtensionsEnabled = 0;
    uint32_t SingleThread = 0;
    uint32_t OpenOverlayAnnotation = 1;
    uint32_t HelpAlwaysOnTop = 0;
    uint32_t RememberGraphScale = 0;
    uint32_t CopyToolbarButtonFunction = 0;
    uint16_t TransmissionModeLabel = 0;
    // The sound files of "Preferences\\Sound" other than "Warning" (which the spectrum
    // preferences hold), in the order of soundKeys().
    std::string sounds[8];
    uint32_t TurnOffLightWhenClosingWindow = 0;

    void read(CINIFileSupport& store);
    // Writes every preference in one batch; false when the batch could not be stored.
    [[nodiscard]] bool write(CINIFileSupport& store) const;
};
