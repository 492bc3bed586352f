#include "app/shell/MainFramePreferences.h"

#include "app/shell/INIFileSupport.h"
#include "app/shell/NumberText.h"

namespace {

constexpr const char* kPreferences = "Preferences";
constexpr const char* kGraphScale = "Preferences\\GraphScale";
constexpr const char* kSound = "Preferences\\Sound";
// The sound keys besides "Warning", in the order of MainFramePreferences::sounds.
constexpr const char* kSoundKeys[8] = {"SaveDark",       "SaveReference",      "SaveData",
                                       "SaveExperiment", "ScopeModeSaturated", "Error",
                                       "StoreDark",      "StoreReference"};
constexpr size_t kSoundPathMax = 259;

std::string cut(std::string text)
{
    if (text.size() > kSoundPathMax)
        text.resize(kSoundPathMax);
    return text;
}

// Every preference once, with its section, key, default and writer's format.
template <typename Store, typename Prefs> void visit(Store& store, Prefs& p)
{
    auto& s = p.spectrum;
    store.u(kPreferences, "FileOverwriteWarning", s.FileOverwriteWarning, 1);
    store.u(kPreferences, "AlwaysSaveDark", p.AlwaysSaveDark, 0);
    store.u(kPreferences, "AlwaysSaveReference", p.AlwaysSaveReference, 0);
    store.u(kPreferences, "AlwaysSaveSample", p.AlwaysSaveSample, 0);
    store.u(kPreferences, "DefaultFileFormat", p.DefaultFileFormat, 1);
    store.u(kPreferences, "PrintBWOnly", p.PrintBWOnly, 1);
    store.u(kPreferences, "OverlayClearWarning", p.OverlayClearWarning, 1);
    store.u(kPreferences, "AlwaysSaveDisplaySettings", p.AlwaysSaveDisplaySettings, 1);
    store.u(kPreferences, "AlwaysSaveExperiment", p.AlwaysSaveExperiment, 0);
    store.d(kPreferences, "OpenFileWavelengthTolerance", s.OpenFileWavelengthTolerance, 0.05);
    store.u(kPreferences, "CheckFileConformity", s.CheckFileConformity, 1);
    store.u(kPreferences, "ScopeModeSaturatedWarning", p.ScopeModeSaturatedWarning, 2);
    store.u(kPreferences, "AcquisitionParameterMismatchWarning",
            s.AcquisitionParameterMismatchWarning, 1);
    store.u(kPreferences, "NoFileHeaderWarning", s.NoFileHeaderWarning, 1);
    store.u(kPreferences, "AlwaysSaveTimeParameters", p.AlwaysSaveTimeParameters, 0);
    store.u(kPreferences, "StoreDarkReference", p.StoreDarkReference, 0);
    store.u(kPreferences, "SaveFilesForSelected", p.SaveFilesForSelected, 0);
    store.u(kPreferences, "CopyIncludeHeader", p.CopyIncludeHeader, 1);
    store.readOnly(kPreferences, "ManufacturingExtensionsEnabled", p.ManufacturingExtensionsEnabled,
                   0);
    store.u(kPreferences, "SingleThread", p.SingleThread, 0);
    store.u(kPreferences, "OpenOverlayAnnotation", p.OpenOverlayAnnotation, 1);
    store.u(kPreferences, "HelpAlwaysOnTop", p.HelpAlwaysOnTop, 0);
    store.u(kGraphScale, "RememberGraphScale", p.RememberGraphScale, 0);
    store.u(kPreferences, "CopyToolbarButtonFunction", p.CopyToolbarButtonFunction, 0);
    store.u16(kPreferences, "TransmissionModeLabel", p.TransmissionModeLabel, 0);
    store.u(kPreferences, "SoundEnabled", s.SoundEnabled, 0);
    for (int i = 0; i < 6; ++i)
        store.text(kSound, kSoundKeys[i], p.sounds[i]);
    store.text(kSound, "Warning", s.WarningSound);
    for (int i = 6; i < 8; ++i)
        store.text(kSound, kSoundKeys[i], p.sounds[i]);
    store.i(kPreferences, "AlwaysExponential", s.AlwaysExponential, 0);
    store.i(kPreferences, "DefaultSavePrecision", s.DefaultSavePrecision, 3);
    store.u(kPreferences, "TurnOffLightWhenClosingWindow", p.TurnOffLightWhenClosingWindow, 0);
}

struct Reader
{
    CINIFileSupport& store;
    void u(const char* section, const char* key, uint32_t& value, uint32_t def)
    {
        value = store.GetUIntDefault(section, key, def);
    }
    void readOnly(const char* section, const char* key, uint32_t& value, uint32_t def)
    {
        u(section, key, value, def);
    }
    void u16(const char* section, const char* key, uint16_t& value, uint16_t def)
    {
        value = store.GetUShortDefault(section, key, def);
    }
    void i(const char* section, const char* key, int& value, int def)
    {
        value = store.GetIntDefault(section, key, def);
    }
    void d(const char* section, const char* key, double& value, double def)
    {
        value = store.GetDoubleDefault(section, key, def);
    }
    void text(const char* section, const char* key, std::string& value)
    {
        value = cut(store.GetStringDefault(section, key, ""));
    }
};

struct Writer
{
    CINIFileSupport& store;
    void put(const char* section, const char* key, const std::string& text)
    {
        store.WriteString(section, key, text.c_str());
    }
    void u(const char* section, const char* key, const uint32_t& value, uint32_t)
    {
        put(section, key, app::text::formatC("%u", value));
    }
    void readOnly(const char*, const char*, const uint32_t&, uint32_t) {}
    void u16(const char* section, const char* key, const uint16_t& value, uint16_t)
    {
        put(section, key, app::text::formatC("%u", static_cast<unsigned>(value)));
    }
    void i(const char* section, const char* key, const int& value, int)
    {
        put(section, key, app::text::formatC("%d", value));
    }
    void d(const char* section, const char* key, const double& value, double)
    {
        put(section, key, app::text::formatC("%.15f", value));
    }
    void text(const char* section, const char* key, const std::string& value)
    {
        put(section, key, value);
    }
};

} // namespace

void MainFramePreferences::read(CINIFileSupport& store)
{
    Reader reader{store};
    visit(reader, *this);
}

bool MainFramePreferences::write(CINIFileSupport& store) const
{
    Writer writer{store};
    store.beginBatch();
    visit(writer, *this);
    return store.endBatch();
}
