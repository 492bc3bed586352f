// The toolbar, accessory, misc, sounds and file-settings classes through their dispatch
// interfaces, on spectrum view cores with fake frame bars and the main frame's preferences:
// which window's bars and fields a member touches, what it refuses, what reaches the
// preferences, and the neutral results without a spectrum window.
#include "AutomationCall.h"
#include "ChartWindow.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "app/automation/SpectrumFrameBars.h"
#include "app/res/ResourceIds.h"
#include "app/shell/MainFramePreferences.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/basic/Interpreter.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using namespace chart_test;
namespace fs = std::filesystem;

constexpr uint32_t kSettingsOtherFrame = 42;

// A frame's bars and label: visible states by id, the label's fields, and whether each label
// put asked for a redraw.
struct FakeBars : SpectrumFrameBars
{
    FakeBars()
    {
        for (unsigned id = kSpectrumControls; id <= kQuintar; ++id)
            visible[id] = true;
    }
    std::optional<bool> barVisible(unsigned id) override
    {
        const auto it = visible.find(id);
        return it == visible.end() ? std::nullopt : std::optional<bool>(it->second);
    }
    void showBar(unsigned id, bool show) override
    {
        if (visible.count(id))
            visible[id] = show;
    }
    std::string labelFontName() override { return face; }
    bool setLabelFontName(const std::string& f, bool redraw) override
    {
        redraws.push_back("name " + std::to_string(redraw));
        // The label's face field holds 31 bytes and a terminating zero.
        if (f.size() > 31)
            return false;
        face = f;
        return true;
    }
    int32_t labelFontHeight() override { return height; }
    bool setLabelFontHeight(int32_t h, bool redraw) override
    {
        redraws.push_back("height " + std::to_string(redraw));
        height = h;
        return true;
    }
    uint32_t labelTextColor() override { return textColor; }
    bool setLabelTextColor(uint32_t c, bool redraw) override
    {
        redraws.push_back("text colour " + std::to_string(redraw));
        textColor = c;
        return true;
    }
    uint32_t labelBackgroundColor() override { return background; }
    bool setLabelBackgroundColor(uint32_t c, bool redraw) override
    {
        redraws.push_back("background " + std::to_string(redraw));
        background = c;
        return true;
    }
    std::string labelText() override { return text; }
    bool setLabelText(const std::string& t, bool redraw) override
    {
        redraws.push_back("text " + std::to_string(redraw));
        text = t;
        return true;
    }

    std::map<unsigned, bool> visible;
    std::string face = "Arial";
    int32_t height = 12;
    uint32_t textColor = 0;
    uint32_t background = 0xFFFFFF;
    std::string text;
    std::vector<std::string> redraws;
};

// Two spectrum windows in one main frame: "Spectrum 1" (active) and "Spectrum 2", each with
// its frame bars, and the main frame's preferences.
class SettingsClassesTest : public ::testing::Test
{
protected:
    SettingsClassesTest()
    {
        // The second window's own main frame is made first, so the first window's is the one
        // the objects reach.
        second = std::make_unique<Window>();
        first = std::make_unique<Window>();
        frame().add(kSettingsOtherFrame, MainFrameWindow::ChildKind::Spectrum, "Spectrum 2");
        frame().spectrumViews[kSettingsOtherFrame] = second->view.get();
        frame().frameBars[kFrame] = &bars;
        frame().frameBars[kSettingsOtherFrame] = &otherBars;
        frame().preferences = &preferences;
        registerHarluneAutomation(registry);
    }
    ~SettingsClassesTest() override
    {
        frame().spectrumViews.erase(kSettingsOtherFrame);
        first.reset();
        second.reset();
    }

    FakeAutomationFrame& frame() { return first->frame; }
    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(registry.CreateInstance(progId, object), S_OK) << progId;
        return object;
    }

    std::unique_ptr<Window> second;
    std::unique_ptr<Window> first;
    FakeBars bars;
    FakeBars otherBars;
    MainFramePreferences preferences;
    ClassRegistry registry;
    RecordingSink log;
};

const char* const kProgIds[] = {
    "Harlune.SpecSpectrumToolbars",
    "Harlune.SpecUSBMavrin",
    "Harlune.SpecUSBNorrel",
    "Harlune.SpecWessor",
    "Harlune.SpecMiscSettings",
    "Harlune.SpecSoundsSettings",
    "Harlune.SpecAutoincrementFilename",
    "Harlune.SpecFileSavingSettings",
    "Harlune.SpecFileOpeningSettings",
    "Harlune.SpecConfigFilesSettings",
    "Harlune.SpecPrintingSettings",
    "Harlune.SpecSettings",
};

TEST_F(SettingsClassesTest, ClassesHaveTheirMembersAtTheirPositions)
{
    struct Case
    {
        const char* progId;
        size_t members;
        const char* member;
        DISPID dispid;
    };
    const Case cases[] = {
        {"Harlune.SpecSpectrumToolbars", 26, "SpectrumControls", 1},
        {"Harlune.SpecSpectrumToolbars", 26, "CustomViewModeFileExtension", 12},
        {"Harlune.SpecSpectrumToolbars", 26, "Xandel", 15},
        {"Harlune.SpecSpectrumToolbars", 26, "QuintarTextText", 20},
        {"Harlune.SpecSpectrumToolbars", 26, "SetWindowByUSBSerialNumber", 21},
        {"Harlune.SpecSpectrumToolbars", 26, "SetWindowByBaseAddress", 26},
        {"Harlune.SpecUSBMavrin", 12, "IsAttached", 5},
        {"Harlune.SpecUSBMavrin", 12, "GetTemperature", 12},
        {"Harlune.SpecUSBNorrel", 12, "VisibleLampOn", 5},
        {"Harlune.SpecUSBNorrel", 12, "StoreCurrentIntensityValues", 12},
        {"Harlune.SpecWessor", 6, "SetWindowByUSBSerialNumber", 1},
        {"Harlune.SpecWessor", 6, "SetWindowByBaseAddress", 6},
        {"Harlune.SpecMiscSettings", 13, "WhenCopying", 6},
        {"Harlune.SpecMiscSettings", 13, "ScopeModeSaturationThreshold", 7},
        {"Harlune.SpecMiscSettings", 13, "SetWindowByBaseAddress", 13},
        {"Harlune.SpecSoundsSettings", 16, "SaveSample", 4},
        {"Harlune.SpecSoundsSettings", 16, "Error", 10},
        {"Harlune.SpecSoundsSettings", 16, "SetWindowByUSBSerialNumber", 11},
        {"Harlune.SpecAutoincrementFilename", 12, "BaseFilename", 4},
        {"Harlune.SpecAutoincrementFilename", 12, "SetWindowByUSBSerialNumber", 5},
        {"Harlune.SpecAutoincrementFilename", 12, "GetNextFilename", 11},
        {"Harlune.SpecAutoincrementFilename", 12, "ShowConfigurationDialog", 12},
        {"Harlune.SpecFileSavingSettings", 15, "SaveFilesFor", 9},
        {"Harlune.SpecFileSavingSettings", 15, "SetWindowByUSBSerialNumber", 10},
        {"Harlune.SpecFileOpeningSettings", 10, "CheckFileConformity", 4},
        {"Harlune.SpecFileOpeningSettings", 10, "SetWindowByBaseAddress", 10},
        {"Harlune.SpecConfigFilesSettings", 11, "AutosaveTimeAcqSettings", 5},
        {"Harlune.SpecConfigFilesSettings", 11, "SetWindowByBaseAddress", 11},
        {"Harlune.SpecPrintingSettings", 7, "PrintBWOnly", 1},
        {"Harlune.SpecPrintingSettings", 7, "SetWindowByBaseAddress", 7},
        {"Harlune.SpecSettings", 6, "SetWindowActive", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + "." + c.member);
        DispatchPtr object = create(c.progId);
        ASSERT_TRUE(object);
        DISPID dispid = 0;
        ASSERT_EQ(object->GetIDsOfNames(c.member, dispid), S_OK);
        EXPECT_EQ(dispid, c.dispid);
        const ClassInfo* info = findClassByProgId(c.progId);
        ASSERT_NE(info, nullptr);
        ASSERT_NE(registry.dispatchTable(*info), nullptr);
        EXPECT_EQ(registry.dispatchTable(*info)->size(), c.members);
    }
}

TEST_F(SettingsClassesTest, BarsOfTheChosenWindowOnly)
{
    DispatchPtr toolbars = create("Harlune.SpecSpectrumToolbars");
    const struct
    {
        const char* member;
        unsigned bar;
    } cases[] = {
        {"SpectrumControls", SpectrumFrameBars::kSpectrumControls},
        {"CursorControls", SpectrumFrameBars::kCursorControls},
        {"GraphScale", SpectrumFrameBars::kGraphScale},
        {"SpectralViewMode", SpectrumFrameBars::kSpectralViewMode},
        {"TimeAcquisition", SpectrumFrameBars::kTimeAcquisition},
        {"AcquisitionParameters", SpectrumFrameBars::kAcquisitionParameters},
        {"USBMavrin", SpectrumFrameBars::kUsbMavrin},
        {"USBNorrel", SpectrumFrameBars::kUsbNorrel},
        {"Quintar", SpectrumFrameBars::kQuintar},
        {"Xandel", SpectrumFrameBars::kWessorUlmar},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        EXPECT_TRUE(asBool(call(*toolbars, "SetWindowByWindowName", {Variant("Spectrum 2")})));
        put(*toolbars, c.member, Variant(false));
        EXPECT_FALSE(otherBars.visible[c.bar]);
        EXPECT_TRUE(bars.visible[c.bar]);
        EXPECT_FALSE(asBool(get(*toolbars, c.member)));
        put(*toolbars, c.member, Variant(true));
        EXPECT_TRUE(otherBars.visible[c.bar]);
        EXPECT_TRUE(asBool(get(*toolbars, c.member)));
        // The active window once the choice is given back.
        call(*toolbars, "SetWindowActive");
        put(*toolbars, c.member, Variant(false));
        EXPECT_FALSE(bars.visible[c.bar]);
        EXPECT_TRUE(otherBars.visible[c.bar]);
        put(*toolbars, c.member, Variant(true));
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SettingsClassesTest, QuintarLabelThroughItsSetters)
{
    DispatchPtr toolbars = create("Harlune.SpecSpectrumToolbars");
    put(*toolbars, "QuintarTextFontName", Variant(std::string(40, 'F')));
    EXPECT_EQ(asText(get(*toolbars, "QuintarTextFontName")), "Arial");
    put(*toolbars, "QuintarTextFontName", Variant("Courier New"));
    EXPECT_EQ(bars.face, "Courier New");
    put(*toolbars, "QuintarTextFontSize", Variant(int32_t{-24}));
    put(*toolbars, "QuintarTextColor", Variant(int32_t{0x7F0000FF}));
    put(*toolbars, "QuintarTextBackgroundColor", Variant(int32_t{0x00102030}));
    put(*toolbars, "QuintarTextText", Variant("Quintar"));
    EXPECT_EQ(bars.redraws, (std::vector<std::string>{"name 1", "name 1", "height 0",
                                                      "text colour 0", "background 0", "text 1"}));
    EXPECT_EQ(asLong(get(*toolbars, "QuintarTextFontSize")), -24);
    // Bits above the 24 colour bits are kept as given.
    EXPECT_EQ(asLong(get(*toolbars, "QuintarTextColor")), 0x7F0000FF);
    EXPECT_EQ(asLong(get(*toolbars, "QuintarTextBackgroundColor")), 0x00102030);
    EXPECT_EQ(asText(get(*toolbars, "QuintarTextText")), "Quintar");
    EXPECT_EQ(otherBars.text, "");
}

TEST_F(SettingsClassesTest, CustomViewModeFieldsAreStored)
{
    DispatchPtr toolbars = create("Harlune.SpecSpectrumToolbars");
    put(*toolbars, "CustomViewModeEnabled", Variant(true));
    put(*toolbars, "CustomViewModeYMax", Variant(250.5));
    put(*toolbars, "CustomViewModeYMin", Variant(-3.0));
    EXPECT_EQ(first->view->customModeEnabled(), 1);
    EXPECT_EQ(first->view->customYMax(), 250.5);
    EXPECT_EQ(first->view->customYMin(), -3.0);
    EXPECT_TRUE(asBool(get(*toolbars, "CustomViewModeEnabled")));
    EXPECT_EQ(asDouble(get(*toolbars, "CustomViewModeYMin")), -3.0);
    // 98 bytes and a two-byte character: the character does not fit the 99 bytes whole.
    const std::string title = std::string(98, 't') + "\xC3\xA9" + "more";
    put(*toolbars, "CustomViewModeTitle", Variant(title));
    EXPECT_EQ(asText(get(*toolbars, "CustomViewModeTitle")), std::string(98, 't'));
    put(*toolbars, "CustomViewModeTitle", Variant(std::string(120, 'x')));
    EXPECT_EQ(first->view->customTitle(), std::string(99, 'x'));
    const std::string extension(300, 'e');
    put(*toolbars, "CustomViewModeFileExtension", Variant(extension));
    EXPECT_EQ(asText(get(*toolbars, "CustomViewModeFileExtension")), extension);
    EXPECT_EQ(second->view->customTitle(), "Custom View Mode");
    EXPECT_EQ(second->view->customModeEnabled(), 0);
}

TEST_F(SettingsClassesTest, MavrinPutsStoreAndRefreshTheAcquisitionBar)
{
    DispatchPtr mavrin = create("Harlune.SpecUSBMavrin");
    CHarluneSpectrumView& view = *first->view;
    FakeViewWindow& window = first->window;
    view.UpdateAcquisitionBar(); // past the first refresh, which only arms the next
    window.clearBarWrites();
    put(*mavrin, "LEDOn", Variant(true));
    EXPECT_EQ(view.mavrinLampOn(), 1);
    EXPECT_EQ(view.strobeEnable(), 1);
    EXPECT_EQ(view.record().strobeFlashSelect, 1);
    EXPECT_EQ(window.lastCheck(1542), std::optional<bool>(true)); // LED on
    EXPECT_EQ(window.lastCheck(1019), std::optional<bool>(true)); // strobe enable
    EXPECT_TRUE(asBool(get(*mavrin, "LEDOn")));

    const struct
    {
        const char* member;
        int control;
        std::function<int()> field;
    } cases[] = {
        {"LEDModulate", 1020, [&] { return view.mavrinModulation(); }},
        {"AcquireTemperature", 1021, [&] { return view.mavrinTemperatureReadOut(); }},
        {"TempInDegreesC", 1540, [&] { return view.temperatureInCelsius(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        window.clearBarWrites();
        put(*mavrin, c.member, Variant(true));
        EXPECT_EQ(c.field(), 1);
        EXPECT_EQ(window.lastCheck(c.control), std::optional<bool>(true));
        EXPECT_TRUE(asBool(get(*mavrin, c.member)));
    }
    window.clearBarWrites();
    put(*mavrin, "IsAttached", Variant(true));
    EXPECT_EQ(view.mavrinAttached(), 1);
    EXPECT_TRUE(window.barChecks.empty());
    EXPECT_TRUE(asBool(get(*mavrin, "IsAttached")));
    EXPECT_EQ(second->view->mavrinLampOn(), 0);
}

TEST_F(SettingsClassesTest, TemperatureIsTheStoredOneWithoutADeviceCall)
{
    DispatchPtr mavrin = create("Harlune.SpecUSBMavrin");
    const auto before = first->driver.calls;
    EXPECT_EQ(asDouble(call(*mavrin, "GetTemperature")),
              static_cast<double>(first->view->lastTemperature()));
    EXPECT_EQ(first->driver.calls, before);
}

TEST_F(SettingsClassesTest, NorrelAnswersFixedValues)
{
    DispatchPtr norrel = create("Harlune.SpecUSBNorrel");
    const auto before = first->driver.calls;
    put(*norrel, "VisibleLampIntensity", Variant(int16_t{100}));
    EXPECT_EQ(asLong(get(*norrel, "VisibleLampIntensity")), 0);
    put(*norrel, "UVLampIntensity", Variant(int16_t{-5}));
    EXPECT_EQ(asLong(get(*norrel, "UVLampIntensity")), 0);
    for (const char* member : {"LampOn", "ShutterOpen", "VisibleLampOn"}) {
        SCOPED_TRACE(member);
        put(*norrel, member, Variant(false));
        EXPECT_TRUE(asBool(get(*norrel, member)));
    }
    EXPECT_TRUE(asBool(call(*norrel, "StoreCurrentIntensityValues")));
    EXPECT_EQ(first->driver.calls, before);
}

TEST_F(SettingsClassesTest, MiscSettingsChangeThePreferences)
{
    DispatchPtr misc = create("Harlune.SpecMiscSettings");
    put(*misc, "WarnBeforeOverlayCleared", Variant(false));
    EXPECT_EQ(preferences.OverlayClearWarning, 0u);
    put(*misc, "ScopeModeSaturatedWarning", Variant(int16_t{-1}));
    EXPECT_EQ(asLong(get(*misc, "ScopeModeSaturatedWarning")), -1);
    put(*misc, "StoreDarkAndReferenceFor", Variant(int16_t{1}));
    EXPECT_EQ(preferences.StoreDarkReference, 1u);
    put(*misc, "CopyToolbarFunction", Variant(int16_t{2}));
    EXPECT_EQ(preferences.CopyToolbarButtonFunction, 2u);
    put(*misc, "WhenCopying", Variant(int16_t{0}));
    EXPECT_EQ(preferences.CopyIncludeHeader, 0u);
    EXPECT_EQ(asLong(get(*misc, "WhenCopying")), 0);

    // The transmission label is read the next time the axis is titled: nothing is drawn now.
    first->takeCalls();
    put(*misc, "PercentTransmissionMode", Variant(int16_t{1}));
    EXPECT_EQ(preferences.TransmissionModeLabel, 1);
    EXPECT_EQ(asLong(get(*misc, "PercentTransmissionMode")), 1);
    EXPECT_TRUE(first->takeCalls().empty());

    // The threshold is the target window's own.
    const double otherThreshold = second->view->configuration().GetScopeModeSaturationThreshold();
    put(*misc, "ScopeModeSaturationThreshold", Variant(1234.5));
    EXPECT_EQ(first->view->configuration().GetScopeModeSaturationThreshold(), 1234.5);
    EXPECT_EQ(second->view->configuration().GetScopeModeSaturationThreshold(), otherThreshold);
    EXPECT_EQ(asDouble(get(*misc, "ScopeModeSaturationThreshold")), 1234.5);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SettingsClassesTest, AShortBeyondSixteenBitsIsAnOverflowAndStoresNothing)
{
    DispatchPtr misc = create("Harlune.SpecMiscSettings");
    DISPID dispid = 0;
    ASSERT_EQ(misc->GetIDsOfNames("StoreDarkAndReferenceFor", dispid), S_OK);
    std::vector<Variant> args{Variant(int32_t{70000})};
    Variant result;
    DispatchError error;
    EXPECT_EQ(misc->Invoke(dispid, DISPATCH_PROPERTYPUT, args, &result, &error), DISP_E_OVERFLOW);
    EXPECT_EQ(preferences.StoreDarkReference, 0u);
}

TEST_F(SettingsClassesTest, SoundsKeepTheirOwnFiles)
{
    DispatchPtr sounds = create("Harlune.SpecSoundsSettings");
    put(*sounds, "Enabled", Variant(true));
    EXPECT_EQ(preferences.spectrum.SoundEnabled, 1u);
    // Each member and the place of its file: sounds[] in the order of the store's keys, or
    // the spectrum windows' own "Warning".
    const struct
    {
        const char* member;
        std::string* file;
    } cases[] = {
        {"SaveDark", &preferences.sounds[0]},       {"SaveReference", &preferences.sounds[1]},
        {"SaveSample", &preferences.sounds[2]}, // "SaveData"
        {"SaveExperiment", &preferences.sounds[3]}, {"ScopeModeSaturated", &preferences.sounds[4]},
        {"Error", &preferences.sounds[5]},          {"StoreDark", &preferences.sounds[6]},
        {"StoreReference", &preferences.sounds[7]}, {"Warning", &preferences.spectrum.WarningSound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        const std::string file = std::string("/sounds/") + c.member + ".wav";
        put(*sounds, c.member, Variant(file));
        EXPECT_EQ(*c.file, file);
        EXPECT_EQ(asText(get(*sounds, c.member)), file);
        // A name longer than the field would name another file cut: refused.
        put(*sounds, c.member, Variant(std::string(260, 'L')));
        EXPECT_EQ(*c.file, file);
        put(*sounds, c.member, Variant(std::string(259, 'k')));
        EXPECT_EQ(*c.file, std::string(259, 'k'));
        put(*sounds, c.member, Variant(file));
    }
    // Every file is its own.
    for (const auto& c : cases)
        EXPECT_EQ(*c.file, std::string("/sounds/") + c.member + ".wav") << c.member;
}

TEST_F(SettingsClassesTest, AutoincrementSettingsSteerTheNextSave)
{
    DispatchPtr names = create("Harlune.SpecAutoincrementFilename");
    const fs::path folder = app::spectrum::test::freshFolder("autoincrement");
    const std::string prepared = first->view->nextSaveFileName();
    put(*names, "BaseFilename", Variant((folder / "run").string()));
    put(*names, "Index", Variant(int32_t{7}));
    put(*names, "Enabled", Variant(true));
    // The prepared name stays as it was until the window prepares it again.
    EXPECT_EQ(asText(call(*names, "GetNextFilename")), prepared);
    ChannelSpectra& spectra = first->spectra();
    for (int i = 0; i < 2048; ++i)
        spectra.dark[0][i] = i;
    spectra.darkStored[0] = 1;
    first->view->OnCommand(app::res::ID_SAVE_DARK);
    EXPECT_TRUE(fs::exists(folder / "run.00000007.Master.Dark"));
    EXPECT_EQ(asLong(get(*names, "Index")), 8);
    EXPECT_EQ(asText(call(*names, "GetNextFilename")), (folder / "run.00000008").string());

    put(*names, "ShowNextFilename", Variant(true));
    EXPECT_EQ(first->view->showNextName(), 1);
    put(*names, "Index", Variant(int32_t{-3}));
    EXPECT_EQ(asLong(get(*names, "Index")), -3);
    put(*names, "BaseFilename", Variant(std::string(260, 'b')));
    EXPECT_EQ(asText(get(*names, "BaseFilename")), (folder / "run").string());
    put(*names, "BaseFilename", Variant(std::string(259, 'b')));
    EXPECT_EQ(first->view->baseFileName(), std::string(259, 'b'));

    // The dialog runs as from the menu; its Cancel changes nothing and the member answers TRUE.
    first->window.autoincrementAnswer.reset();
    EXPECT_TRUE(asBool(call(*names, "ShowConfigurationDialog")));
    EXPECT_EQ(first->view->baseFileName(), std::string(259, 'b'));
    EXPECT_EQ(second->view->autoIncrementEnabled(), 0);
}

TEST_F(SettingsClassesTest, FileSavingAndOpeningFlagsAreTheirOwn)
{
    DispatchPtr saving = create("Harlune.SpecFileSavingSettings");
    DispatchPtr opening = create("Harlune.SpecFileOpeningSettings");
    preferences.AlwaysSaveDark = 0;
    put(*saving, "AlwaysSaveReference", Variant(true));
    EXPECT_EQ(preferences.AlwaysSaveReference, 1u);
    EXPECT_EQ(preferences.AlwaysSaveDark, 0u);
    const struct
    {
        IDispatch* object;
        const char* member;
        std::function<uint32_t()> field;
    } flags[] = {
        {saving.get(), "AlwaysSaveDark", [&] { return preferences.AlwaysSaveDark; }},
        {saving.get(), "AlwaysSaveSample", [&] { return preferences.AlwaysSaveSample; }},
        {saving.get(), "AlwaysSaveExperiment", [&] { return preferences.AlwaysSaveExperiment; }},
        {saving.get(), "AlwaysWarnForOverwrite",
         [&] { return preferences.spectrum.FileOverwriteWarning; }},
        {saving.get(), "AlwaysSaveExponential",
         [&] { return static_cast<uint32_t>(preferences.spectrum.AlwaysExponential); }},
        {opening.get(), "AcqParameterMismatchWarning",
         [&] { return preferences.spectrum.AcquisitionParameterMismatchWarning; }},
        {opening.get(), "NoFileHeaderWarning",
         [&] { return preferences.spectrum.NoFileHeaderWarning; }},
        {opening.get(), "CheckFileConformity",
         [&] { return preferences.spectrum.CheckFileConformity; }},
    };
    for (const auto& c : flags) {
        SCOPED_TRACE(c.member);
        put(*c.object, c.member, Variant(false));
        EXPECT_EQ(c.field(), 0u);
        EXPECT_FALSE(asBool(get(*c.object, c.member)));
        put(*c.object, c.member, Variant(true));
        EXPECT_EQ(c.field(), 1u);
        EXPECT_TRUE(asBool(get(*c.object, c.member)));
    }
    preferences.spectrum.AcquisitionParameterMismatchWarning = 1;
    put(*opening, "NoFileHeaderWarning", Variant(false));
    EXPECT_EQ(preferences.spectrum.AcquisitionParameterMismatchWarning, 1u);

    put(*saving, "DefaultFileFormat", Variant(int16_t{5}));
    EXPECT_EQ(preferences.DefaultFileFormat, 5u);
    EXPECT_EQ(asLong(get(*saving, "DefaultFileFormat")), 5);
    put(*saving, "SavedPrecision", Variant(int16_t{-2}));
    EXPECT_EQ(preferences.spectrum.DefaultSavePrecision, -2);
    EXPECT_EQ(asLong(get(*saving, "SavedPrecision")), -2);
    put(*saving, "SaveFilesFor", Variant(int16_t{1}));
    EXPECT_EQ(preferences.SaveFilesForSelected, 1u);
    // A 32-bit preference answers its low 16 bits.
    preferences.DefaultFileFormat = 0x00010002;
    EXPECT_EQ(asLong(get(*saving, "DefaultFileFormat")), 2);

    put(*opening, "WavelengthTolerance", Variant(0.25));
    EXPECT_EQ(preferences.spectrum.OpenFileWavelengthTolerance, 0.25);
    EXPECT_EQ(asDouble(get(*opening, "WavelengthTolerance")), 0.25);
}

TEST_F(SettingsClassesTest, ConfigurationFilesAndPrinting)
{
    DispatchPtr files = create("Harlune.SpecConfigFilesSettings");
    DispatchPtr printing = create("Harlune.SpecPrintingSettings");
    const std::string display = first->view->displaySettingsFile();
    const struct
    {
        const char* member;
        std::function<std::string()> field;
    } names[] = {
        {"DefaultDisplaySettingsFile", [&] { return first->view->displaySettingsFile(); }},
        {"DefaultSpectrometerSettingsFile", [&] { return first->view->configurationFile(); }},
        {"DefaultTimeAcqSettingsFile", [&] { return first->view->timeAcquisitionFile(); }},
    };
    for (const auto& c : names) {
        SCOPED_TRACE(c.member);
        put(*files, c.member, Variant(std::string("/settings/a.file")));
        EXPECT_EQ(c.field(), "/settings/a.file");
        EXPECT_EQ(asText(get(*files, c.member)), "/settings/a.file");
        put(*files, c.member, Variant(std::string(260, 'n')));
        EXPECT_EQ(c.field(), "/settings/a.file");
    }
    EXPECT_EQ(second->view->displaySettingsFile(), display);

    put(*files, "AutosaveDisplaySettings", Variant(false));
    EXPECT_EQ(preferences.AlwaysSaveDisplaySettings, 0u);
    put(*files, "AutosaveTimeAcqSettings", Variant(true));
    EXPECT_EQ(preferences.AlwaysSaveTimeParameters, 1u);
    EXPECT_TRUE(asBool(get(*files, "AutosaveTimeAcqSettings")));
    put(*printing, "PrintBWOnly", Variant(false));
    EXPECT_EQ(preferences.PrintBWOnly, 0u);
    EXPECT_FALSE(asBool(get(*printing, "PrintBWOnly")));
}

// Without a spectrum window, every property answers its neutral result and every put changes
// nothing, the main frame's preferences included; each guarded member logs one line under
// its class.
TEST_F(SettingsClassesTest, WithoutASpectrumWindowNothingChanges)
{
    std::vector<DispatchPtr> objects;
    for (const char* progId : kProgIds)
        objects.push_back(create(progId));
    frame().close(kFrame);
    frame().close(kSettingsOtherFrame);
    const MainFramePreferences before = preferences;
    const std::string title = first->view->customTitle();
    log.sources.clear();
    size_t guarded = 0;
    for (size_t k = 0; k < objects.size(); ++k) {
        const ClassInfo* info = findClassByProgId(kProgIds[k]);
        const DispatchTable* table = registry.dispatchTable(*info);
        for (const MemberDescription& m : table->members()) {
            if (m.kind != MemberKind::Property)
                continue;
            SCOPED_TRACE(std::string(kProgIds[k]) + "." + m.name);
            const Variant value = get(*objects[k], m.name);
            EXPECT_EQ(value.toBstr().value.empty() || value.toR8().value == 0.0, true);
            if (m.put) {
                put(*objects[k], m.name, Variant(int16_t{1}));
                guarded += info->sourceName != nullptr ? 2 : 0;
            } else {
                guarded += info->sourceName != nullptr ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(log.sources.size(), guarded);
    EXPECT_EQ(preferences.OverlayClearWarning, before.OverlayClearWarning);
    EXPECT_EQ(preferences.DefaultFileFormat, before.DefaultFileFormat);
    EXPECT_EQ(preferences.spectrum.SoundEnabled, before.spectrum.SoundEnabled);
    EXPECT_EQ(preferences.sounds[2], before.sounds[2]);
    EXPECT_EQ(preferences.PrintBWOnly, before.PrintBWOnly);
    EXPECT_EQ(first->view->customTitle(), title);
    EXPECT_TRUE(bars.redraws.empty());
    for (const auto& [id, shown] : bars.visible)
        EXPECT_TRUE(shown);
}

class SettingsScriptHost : public platform::basic::InterpreterHost
{
public:
    void debugPrint(const std::string& text) override { output += text + "\n"; }
    void doEvents() override {}
    int msgBox(const std::string&, int, const std::string&) override { return 1; }
    DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<DispatchPtr> extensions() override { return {}; }
    std::string output;
};

// A script reads and writes back every property and calls every method without arguments
// and the active-window choice, by name.
TEST_F(SettingsClassesTest, ABasicScriptReachesEveryMember)
{
    registerHarluneAutomation(ClassRegistry::instance());
    std::string script = "Sub Main\nDim o, v\n";
    size_t members = 0;
    for (const char* progId : kProgIds) {
        script += std::string("Set o = CreateObject(\"") + progId + "\")\n";
        const DispatchTable* table = registry.dispatchTable(*findClassByProgId(progId));
        for (const MemberDescription& m : table->members()) {
            if (m.kind == MemberKind::Property) {
                script += "v = o." + m.name + "\n";
                script += "o." + m.name + " = v\n";
            } else if (m.params.empty()) {
                script += "v = o." + m.name + "\n";
            } else if (m.name == "SetWindowByWindowName") {
                script += "v = o.SetWindowByWindowName(\"Spectrum 1\")\n";
            } else {
                script += "v = o." + m.name + "(0)\n";
            }
            ++members;
        }
    }
    script += "Debug.Print \"done\"\nEnd Sub\n";
    EXPECT_EQ(members, 26u + 12 + 12 + 6 + 13 + 16 + 12 + 15 + 10 + 11 + 7 + 6);
    first->window.autoincrementAnswer.reset();
    SettingsScriptHost host;
    platform::basic::Interpreter in(host);
    platform::basic::ScriptError error;
    ASSERT_TRUE(in.load(script, "Test", error)) << error.description << " at " << error.line;
    ASSERT_EQ(in.call("Main", {}), platform::basic::RunStatus::Completed)
        << in.lastError().description << " at " << in.lastError().line;
    EXPECT_EQ(host.output, "done\n");
    EXPECT_TRUE(log.sources.empty());
}

} // namespace
