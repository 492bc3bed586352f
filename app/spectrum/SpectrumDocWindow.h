#pragma once

#include <cstdint>
#include <string>

// The main frame's preferences that the spectrum document's files read and update. The main
// frame owns them (read at its creation, written back at its destruction).
struct SpectrumPreferences
{
    uint32_t FileOverwriteWarning = 1;
    uint32_t NoFileHeaderWarning = 1;
    uint32_t CheckFileConformity = 1;
    uint32_t AcquisitionParameterMismatchWarning = 1;
    double OpenFileWavelengthTolerance = 0.05;
    uint32_t SoundEnabled = 0;
    // The "Warning" sound file of "Preferences\\Sound".
    std::string WarningSound;
    int AlwaysExponential = 0;
    int DefaultSavePrecision = 3;
};

// The questions, messages and sounds of a spectrum window, as its document and file code
// ask them. The Qt window implements it; tests answer from a table. GUI thread.
class SpectrumDocWindow
{
public:
    enum class Answer
    {
        Yes,
        No,
        Cancel,
        Ok,
    };
    enum class Buttons
    {
        Ok,
        YesNo,
        YesNoCancel,
        OkCancel,
    };

    virtual ~SpectrumDocWindow() = default;

    // The warning dialog: text, Yes and No, and the check box "continue to warn" shown with
    // continueToWarn; both buttons store the box back into continueToWarn.
    virtual Answer showWarningDialog(const std::string& text, bool& continueToWarn) = 0;
    virtual Answer showMessageBox(const std::string& text, const std::string& caption,
                                  Buttons buttons) = 0;
    // Plays a wave file without waiting; a missing file or sound device is silence.
    virtual void playSoundAsync(const std::string& file) = 0;
};
