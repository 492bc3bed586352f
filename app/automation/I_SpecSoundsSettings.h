#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

#include <string>

// "Harlune.SpecSoundsSettings": the program's event sounds, preferences of the main frame
// (changed in memory for every window at once; the main frame stores them when it closes).
// A file name longer than its 260-byte field is refused and the sound keeps its file.
// GUI thread only.
class I_SpecSoundsSettings : public SpectrumSettingsObject
{
public:
    static I_SpecSoundsSettings* create() { return new I_SpecSoundsSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    // The sounds besides "Warning", by their place in MainFramePreferences::sounds.
    enum Sound
    {
        kSaveDark = 0,
        kSaveReference = 1,
        kSaveData = 2,
        kSaveExperiment = 3,
        kScopeModeSaturated = 4,
        kError = 5,
        kStoreDark = 6,
        kStoreReference = 7,
    };

    bool GetEnabled();
    void SetEnabled(bool value);
    std::string GetSaveDark() { return sound(kSaveDark); }
    void SetSaveDark(const std::string& f) { setSound(kSaveDark, f); }
    std::string GetSaveReference() { return sound(kSaveReference); }
    void SetSaveReference(const std::string& f) { setSound(kSaveReference, f); }
    std::string GetSaveSample() { return sound(kSaveData); }
    void SetSaveSample(const std::string& f) { setSound(kSaveData, f); }
    std::string GetSaveExperiment() { return sound(kSaveExperiment); }
    void SetSaveExperiment(const std::string& f) { setSound(kSaveExperiment, f); }
    std::string GetStoreDark() { return sound(kStoreDark); }
    void SetStoreDark(const std::string& f) { setSound(kStoreDark, f); }
    std::string GetStoreReference() { return sound(kStoreReference); }
    void SetStoreReference(const std::string& f) { setSound(kStoreReference, f); }
    std::string GetScopeModeSaturated() { return sound(kScopeModeSaturated); }
    void SetScopeModeSaturated(const std::string& f) { setSound(kScopeModeSaturated, f); }
    std::string GetWarning();
    void SetWarning(const std::string& file);
    std::string GetError() { return sound(kError); }
    void SetError(const std::string& f) { setSound(kError, f); }

private:
    I_SpecSoundsSettings() : SpectrumSettingsObject("I_SpecSoundsSettings") {}
    ~I_SpecSoundsSettings() override = default;

    std::string sound(Sound which, std::source_location where = std::source_location::current());
    void setSound(Sound which, const std::string& file,
                  std::source_location where = std::source_location::current());
};
