// The spectrum view's file commands: saving and opening the stored, sample and processed
// spectra and the experiment, the autoincrementing file names and the autosave after an
// externally triggered scan, the file-acquisition check of opened files, and opening and
// saving the window's spectrometer configuration.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/AtomicFile.h"
#include "app/spectrum/FileAcquisitionCheck.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/ProcessingSetupFromConfiguration.h"
#include "app/spectrum/RemovableDrive.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <limits>
#include <locale>
#include <memory>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

using namespace platform::chart;
using namespace app::spectrum;
using namespace app::res;

namespace {

constexpr const char* kSaveDateFormat = "%m-%d-%Y, %H:%M:%S";
constexpr const char* kSpcFilter = "Grams/32 SPC Files (*.spc)|*.spc|";
constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";
constexpr const char* kExperimentFilters =
    "Experiment Files (*.experiment)|*.experiment|All Files (*.*)|*.*||";
constexpr const char* kConfigurationFilters =
    "Spectrometer Configurations (*.spec)|*.spec|All Files (*.*)|*.*||";
// The sections an experiment file may hold.
constexpr const char* kExperimentSections[] = {"Acquisition Parameters", "Settings", "Autosave",
                                               "Channel0", "Overlay0"};
// The file-header marker the reader sets for a file without header.
constexpr int32_t kHeaderlessMarker = 999;

std::string autoIncrementName(const std::string& base, int index)
{
    char text[32];
    std::snprintf(text, sizeof text, ".%08d", index);
    return base + text;
}

std::string channelBase(const std::string& base, int channel)
{
    return channel == 0 ? base + ".Master" : base + ".Slave" + std::to_string(channel);
}

std::string processedFileName(const std::string& channelBaseName, ProcessingMode mode,
                              const std::string& customExtension)
{
    switch (mode) {
    case Absorbance:
        return channelBaseName + ".Absorbance";
    case Transmission:
        return channelBaseName + ".Transmission";
    case RelativeIrradiance:
        return channelBaseName + ".Irradiance";
    case Custom:
        return channelBaseName + "." + customExtension;
    case SpecularReflection:
        return channelBaseName + ".Reflection";
    default:
        return channelBaseName + ".Scope";
    }
}

std::string processedFilters(const std::string& customExtension)
{
    return "Processed Spectra|*.scope;*.absorbance;*.transmission;*.irradiance;*.reflection;*." +
           customExtension + "|" + kSpcFilter + kAllFilesFilter;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The leading integer of a text, as atoi reads it, but saturating instead of wrapping.
long long viewFilesLeadingInteger(const std::string& text)
{
    const char* p = text.c_str();
    const char* end = p + text.size();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p < end && *p == '+')
        ++p;
    long long value = 0;
    const auto result = std::from_chars(p, end, value);
    if (result.ec == std::errc::result_out_of_range)
        return p < end && *p == '-' ? LLONG_MIN : LLONG_MAX;
    return result.ec == std::errc() ? value : 0;
}

// A value of a settings file clamped into the range of the field that takes it.
long long readClamped(CINIFileSupport& store, const char* section, const char* key,
                      long long defaultValue, long long low, long long high)
{
    const std::string text = store.GetStringDefault(section, key, "");
    const long long value = text.empty() ? defaultValue : viewFilesLeadingInteger(text);
    return std::clamp(value, low, high);
}

template <typename T> T viewFilesClampTo(long long value)
{
    return static_cast<T>(
        std::clamp<long long>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

std::string localTimeText(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Day and month names in English, whatever the process locale.
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&local, format);
    return out.str();
}

std::string modeName(ProcessingMode mode)
{
    switch (mode) {
    case Scope:
        return "Scope Mode";
    case Absorbance:
        return "Absorbance Mode";
    case Transmission:
        return "Transmission Mode";
    case RelativeIrradiance:
        return "Irradiance Mode";
    case SpecularReflection:
        return "Specular Reflection Mode";
    default:
        return {};
    }
}

ProcessingMode modeOfName(const std::string& name)
{
    if (name == "Transmission Mode")
        return Transmission;
    if (name == "Absorbance Mode")
        return Absorbance;
    if (name == "Irradiance Mode")
        return RelativeIrradiance;
    if (name == "Specular Reflection Mode")
        return SpecularReflection;
    return Scope;
}

enum class SpectrumKind
{
    Dark,
    SampleDark,
    Reference,
    Sample,
};

} // namespace

std::string SpectrumViewFrame::userName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    if (const char* name = getlogin(); name != nullptr)
        return name;
    return {};
}

bool SpectrumViewFrame::isOnRemovableDrive(const std::string& path)
{
    return app::spectrum::isOnRemovableDrive(path);
}

std::string SpectrumViewFrame::applicationPath()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : program.parent_path().string();
}

struct CHarluneSpectrumView::SaveMember
{
    SpectrumKind kind;
    int menuVerify;
    const char* title;
    // The member's own filter row.
    const char* ownFilter;
    const char* extension;
    const char* fileWord;
};

struct CHarluneSpectrumView::OpenMember
{
    SpectrumKind kind;
    int menuVerify;
    const char* title;
    const char* ownFilter;
    const char* extension;
    bool offersSpc;
};

namespace {

const CHarluneSpectrumView::SaveMember* saveMember(SpectrumKind kind);

} // namespace

// ---------------------------------------------------------------------------------------
// Commands and their states

bool CHarluneSpectrumView::fileCommand(unsigned id)
{
    switch (id) {
    case ID_SAVE_DARK:
        OnSaveDark();
        return true;
    case ID_SAVE_SAMPLE_DARK:
        OnSaveSampleDark();
        return true;
    case ID_SAVE_REFERENCE:
        OnSaveReference();
        return true;
    case ID_SAVE_SAMPLE:
        OnSaveSample();
        return true;
    case ID_SAVE_PROCESSED:
    case ID_FILE_SAVE_DATA:
        OnSaveProcessed();
        return true;
    case ID_SAVE_EXPERIMENT:
        OnSaveExperiment();
        return true;
    case ID_OPEN_DARK:
        OnOpenDark();
        return true;
    case ID_OPEN_SAMPLE_DARK:
        OnOpenSampleDark();
        return true;
    case ID_OPEN_REFERENCE:
        OnOpenReference();
        return true;
    case ID_OPEN_SAMPLE:
        OnOpenSample();
        return true;
    case ID_OPEN_PROCESSED:
    case ID_FILE_OPEN_DATA:
        OnOpenProcessed();
        return true;
    case ID_OPEN_EXPERIMENT:
        OnOpenExperiment();
        return true;
    case ID_AUTOINCREMENT_ENABLED:
        OnAutoincrementEnabled();
        return true;
    case ID_AUTOINCREMENT_SHOW_NAME:
        OnAutoincrementShowName();
        return true;
    case ID_AUTOINCREMENT_CONFIGURE:
        OnConfigureAutoincrement();
        return true;
    case ID_OPEN_CONFIGURATION:
        OnOpenSpectrometerConfiguration();
        return true;
    case ID_SAVE_CONFIGURATION_AS:
        OnSaveSpectrometerConfiguration();
        return true;
    default:
        return false;
    }
}

CHarluneSpectrumView::CommandState CHarluneSpectrumView::fileCommandState(unsigned id) const
{
    const ChannelSpectra& spectra = m_document.spectra();
    const auto any = [](const ChannelFlags& flags) {
        return std::any_of(flags.begin(), flags.end(), [](uint32_t f) { return f != 0; });
    };
    switch (id) {
    case ID_SAVE_DARK:
        return {true, any(spectra.darkStored), -1};
    case ID_SAVE_REFERENCE:
        return {true, any(spectra.referenceStored), -1};
    case ID_SAVE_SAMPLE_DARK:
        return {true, m_timeNormalization == 1 && any(spectra.sampleDarkStored), -1};
    case ID_AUTOINCREMENT_ENABLED:
        return {true, true, m_autoIncrementEnabled == 1 ? 1 : 0};
    case ID_AUTOINCREMENT_SHOW_NAME:
        return {true, true, m_showNextName == 1 ? 1 : 0};
    case ID_SAVE_SAMPLE:
    case ID_SAVE_PROCESSED:
    case ID_FILE_SAVE_DATA:
    case ID_SAVE_EXPERIMENT:
    case ID_OPEN_DARK:
    case ID_OPEN_REFERENCE:
    case ID_OPEN_SAMPLE:
    case ID_OPEN_PROCESSED:
    case ID_FILE_OPEN_DATA:
    case ID_OPEN_EXPERIMENT:
    case ID_AUTOINCREMENT_CONFIGURE:
    case ID_OPEN_CONFIGURATION:
    case ID_SAVE_CONFIGURATION_AS:
        return {true, true, -1};
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------
// Shared steps of the saves

SpectrumFileHeader CHarluneSpectrumView::fileHeader(const char* dateFormat)
{
    CSpectrometerConfiguration& c = *m_configuration;
    SpectrumFileHeader header;
    header.version = m_configurationHost.applicationVersion();
    header.date = localTimeText(dateFormat);
    header.user = m_frame.userName();
    header.serialNumber = c.GetSerialNumber();
    header.spectrometerType = c.SpectrometerTypeName();
    header.adcType = c.AdcTypeName();
    header.integrationTime =
        m_record.microsecondFlag == 1 ? m_record.microsecondIntegrationTime : m_record.integration;
    header.microsecondFlag = m_record.microsecondFlag;
    header.averages = m_record.scansToAverage;
    header.boxcar = m_record.boxcarHalfWidth;
    header.flashDelay = m_record.flashDelay;
    header.correctDark = m_record.correctForDark;
    header.timeNormalized = m_timeNormalization;
    header.temperature = m_lastTemperature;
    header.numberOfPoints = std::clamp(static_cast<int>(c.GetPixelCount()), 1, kSpectrumPoints);
    header.graphTitle = GetGraphTitle();
    setHeaderChannel(header, 0);
    return header;
}

SpectrumFileHeader CHarluneSpectrumView::dataFileHeader(int channel)
{
    SpectrumFileHeader header = fileHeader(kSaveDateFormat);
    setHeaderChannel(header, channel);
    return header;
}

std::string CHarluneSpectrumView::channelFileName(const std::string& base, int channel,
                                                  const std::string& word)
{
    return channelBase(base, channel) + "." + word;
}

std::string CHarluneSpectrumView::processedChannelFileName(const std::string& base,
                                                           int channel) const
{
    return processedFileName(channelBase(base, channel), m_processingMode, m_customExtension);
}

void CHarluneSpectrumView::setHeaderChannel(SpectrumFileHeader& header, int channel)
{
    header.channel = channel;
    header.referenceType = m_configuration->GetReferenceType(channel);
    header.referenceChannel = static_cast<int32_t>(m_configuration->GetReferenceChannel(channel));
    header.marker = static_cast<int32_t>(m_configuration->GetDisplayLimitedRange());
}

void CHarluneSpectrumView::advanceAutoIncrement()
{
    // The index saturates: an experiment may have set it to the largest value.
    if (m_autoIncrementIndex < INT_MAX)
        ++m_autoIncrementIndex;
    m_nextSaveFileName = autoIncrementName(m_baseFileName, m_autoIncrementIndex);
}

void CHarluneSpectrumView::stripNextNameTitle()
{
    std::string title = cutAtCharacterBoundary(m_window.frameTitle(), 255);
    title = title.substr(0, title.find('|'));
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t'))
        title.pop_back();
    m_window.setFrameTitle(title);
}

std::optional<std::string>
CHarluneSpectrumView::saveBaseName(const SpectrumFileDialogRequest& dialog, bool morvelDefault,
                                   int& format)
{
    if (morvelDefault)
        return m_frame.applicationPath() + "/Morvel";
    if (m_autoIncrementEnabled != 0) {
        const std::string base = autoIncrementName(m_baseFileName, m_autoIncrementIndex);
        advanceAutoIncrement();
        return base;
    }
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return std::nullopt;
    if (chosen->filterIndex == 2)
        format = kSpcXy;
    // Within the file name only: a dotted folder stays whole.
    return cutBeforeFirstDotInName(chosen->paths.front());
}

std::optional<std::vector<int>>
CHarluneSpectrumView::channelsToSave(const std::array<int, 8>& condition, bool requireConfigured)
{
    std::vector<int> channels;
    if (m_frame.viewPreferences().SaveFilesForSelected == 0) {
        for (int k = 0; k < kSpectrumChannels; ++k)
            if (condition[k] != 0)
                channels.push_back(k);
        return channels;
    }
    std::array<int16_t, 8> enables{};
    std::copy(std::begin(m_record.channelEnables), std::end(m_record.channelEnables),
              enables.begin());
    const auto ticked = m_window.selectChannels(enables, m_selectedChannels);
    if (!ticked)
        return std::nullopt;
    m_selectedChannels = *ticked;
    for (int k = 0; k < kSpectrumChannels; ++k)
        if (m_record.channelEnables[k] != 0 && (*ticked)[k] != 0 &&
            (!requireConfigured || m_configuration->GetChannelEnabled(k) == 1))
            channels.push_back(k);
    return channels;
}

// ---------------------------------------------------------------------------------------
// The save family

namespace {

const CHarluneSpectrumView::SaveMember kSaveMembers[] = {
    {SpectrumKind::Dark, mvSpecFileSaveDark, "Save Dark Spectra", "Dark Spectra (*.dark)|*.dark|",
     "dark", "Dark"},
    {SpectrumKind::SampleDark, mvSpecFileSaveSampleDark, "Save Sample Dark Spectra",
     "Sample Dark Spectra (*.sampledark)|*.sampledark|", "sampledark", "SampleDark"},
    {SpectrumKind::Reference, mvSpecFileSaveReference, "Save Reference Spectra",
     "Reference Spectra (*.reference)|*.reference|", "reference", "Reference"},
    {SpectrumKind::Sample, mvSpecFileSaveSample, "Save Sample Spectra",
     "Sample Spectra (*.sample)|*.sample|", "sample", "Sample"},
};

const CHarluneSpectrumView::SaveMember* saveMember(SpectrumKind kind)
{
    for (const auto& member : kSaveMembers)
        if (member.kind == kind)
            return &member;
    return nullptr;
}

} // namespace

void CHarluneSpectrumView::OnSaveDark()
{
    saveSpectra(*saveMember(SpectrumKind::Dark));
}

void CHarluneSpectrumView::OnSaveSampleDark()
{
    saveSpectra(*saveMember(SpectrumKind::SampleDark));
}

void CHarluneSpectrumView::OnSaveReference()
{
    saveSpectra(*saveMember(SpectrumKind::Reference));
}

void CHarluneSpectrumView::OnSaveSample()
{
    saveSpectra(*saveMember(SpectrumKind::Sample));
}

void CHarluneSpectrumView::saveSpectra(const SaveMember& member)
{
    if (!verify(member.menuVerify))
        return;
    const SpectrumViewPreferences& prefs = m_frame.viewPreferences();
    const bool spcDefault = prefs.DefaultFileFormat == kSpcXy;
    SpectrumFileDialogRequest dialog;
    dialog.open = false;
    dialog.title = member.title;
    dialog.filters = std::string(member.ownFilter) + kSpcFilter + kAllFilesFilter;
    dialog.filterIndex = spcDefault ? 2 : 1;
    dialog.defaultExtension =
        spcDefault && member.kind != SpectrumKind::SampleDark ? "spc" : member.extension;
    int format = prefs.DefaultFileFormat;
    const bool defaultFile = m_savingDefault == 1 && (member.kind == SpectrumKind::Dark ||
                                                      member.kind == SpectrumKind::Reference);
    const auto base = saveBaseName(dialog, defaultFile, format);
    if (!base)
        return;

    m_window.beginWaitCursor();
    SpectrumFileHeader header = fileHeader(kSaveDateFormat);
    ChannelSpectra& spectra = m_document.spectra();
    const ChannelArrays* values = &spectra.dark;
    std::array<int, 8> condition{};
    for (int k = 0; k < kSpectrumChannels; ++k) {
        switch (member.kind) {
        case SpectrumKind::Dark:
            condition[k] = spectra.darkStored[k] != 0;
            break;
        case SpectrumKind::SampleDark:
            condition[k] = spectra.sampleDarkStored[k] != 0;
            values = &spectra.sampleDark;
            break;
        case SpectrumKind::Reference:
            condition[k] = spectra.referenceStored[k] != 0;
            values = &spectra.reference;
            break;
        case SpectrumKind::Sample:
            condition[k] = m_record.channelEnables[k] != 0;
            values = &spectra.sample;
            break;
        }
    }
    const bool morvel = defaultFile && m_frame.activeConfigurationFamily() == "Morvel";
    if (const auto channels = channelsToSave(condition, false)) {
        for (const int k : *channels) {
            setHeaderChannel(header, k);
            const std::string name = channelBase(*base, k) + "." + member.fileWord;
            m_document.WriteDataFile(name, header, format, spectra.wavelengths[k].data(),
                                     (*values)[k].data());
            if (morvel && member.kind == SpectrumKind::Dark)
                m_frame.SetLastDarkFilename(name);
            else if (morvel && member.kind == SpectrumKind::Reference)
                m_frame.SetLastReferenceFilename(name);
        }
    }
    if (m_frame.preferences().SoundEnabled == 1)
        m_window.playSoundAsync(member.kind == SpectrumKind::Reference ? prefs.SaveReferenceSound
                                : member.kind == SpectrumKind::Sample  ? prefs.SaveDataSound
                                                                       : prefs.SaveDarkSound);
    updateNextNameTitle();
    m_window.endWaitCursor();
}

void CHarluneSpectrumView::saveDefaultSpectrum(bool reference)
{
    m_savingDefault = 1;
    try {
        if (reference)
            OnSaveReference();
        else
            OnSaveDark();
    } catch (...) {
        m_savingDefault = 0;
        throw;
    }
    m_savingDefault = 0;
}

void CHarluneSpectrumView::openDefaultSpectra()
{
    ChannelSpectra& spectra = m_document.spectra();
    const int pixels =
        std::clamp(static_cast<int>(m_configuration->GetPixelCount()), 0, kSpectrumPoints);
    auto wavelengths = std::make_unique<SpectrumArray>();
    auto values = std::make_unique<SpectrumArray>();
    for (const bool reference : {true, false}) {
        // No default saved yet: nothing to read, nothing to report.
        const std::string name =
            reference ? m_frame.lastReferenceFilename() : m_frame.lastDarkFilename();
        if (name.empty())
            continue;
        wavelengths->fill(0.0);
        values->fill(0.0);
        SpectrumFileHeader header;
        if (m_document.ReadDataFile(name, header, *wavelengths, *values) != 0 ||
            CheckFileAcquisitionParameters(header, *wavelengths, name) != 0)
            continue;
        const int ch = header.channel;
        if (ch < 0 || ch >= kSpectrumChannels)
            continue;
        if (reference) {
            std::copy_n(values->begin(), pixels, spectra.reference[ch].begin());
            spectra.referenceStored[ch] = 1;
        } else {
            std::copy_n(values->begin(), pixels, spectra.dark[ch].begin());
            spectra.darkStored[ch] = 1;
            bool all = true;
            for (int k = 0; k < kSpectrumChannels; ++k)
                if (m_configuration->GetChannelEnabled(k) == 1 && spectra.darkStored[k] == 0)
                    all = false;
            m_darkStored = all ? 1 : 0;
        }
        ProcessSpectra();
        PlotSpectra();
    }
}

void CHarluneSpectrumView::OnSaveProcessed()
{
    if (!verify(mvSpecFileSaveProcessed))
        return;
    const SpectrumViewPreferences& prefs = m_frame.viewPreferences();
    SpectrumFileDialogRequest dialog;
    dialog.open = false;
    dialog.title = "Save Processed Spectra";
    dialog.filters = processedFilters(m_customExtension);
    dialog.filterIndex = prefs.DefaultFileFormat == kSpcXy ? 2 : 1;
    dialog.defaultExtension = "scope";
    int format = prefs.DefaultFileFormat;
    const auto base = saveBaseName(dialog, false, format);
    if (!base)
        return;

    m_window.beginWaitCursor();
    SpectrumFileHeader header = fileHeader(kSaveDateFormat);
    std::array<int, 8> configured{};
    for (int k = 0; k < kSpectrumChannels; ++k)
        configured[k] = m_configuration->GetChannelEnabled(k) == 1 ? 1 : 0;
    if (const auto channels = channelsToSave(configured, true))
        for (const int k : *channels)
            saveProcessedChannel(*base, k, header, format);
    if (m_frame.preferences().SoundEnabled == 1)
        m_window.playSoundAsync(prefs.SaveDataSound);
    updateNextNameTitle();
    m_window.endWaitCursor();
}

void CHarluneSpectrumView::saveProcessedChannel(const std::string& base, int k,
                                                SpectrumFileHeader& header, int format)
{
    const SpectrumViewPreferences& prefs = m_frame.viewPreferences();
    ChannelSpectra& spectra = m_document.spectra();
    setHeaderChannel(header, k);
    const double* wavelengths = spectra.wavelengths[k].data();
    const std::string channelName = channelBase(base, k);
    const std::string name = processedFileName(channelName, m_processingMode, m_customExtension);
    m_document.WriteDataFile(name, header, format, wavelengths, spectra.processed[k].data());
    WriteAnnotations(name);
    if (prefs.AlwaysSaveDark == 1 && spectra.darkStored[k] != 0) {
        m_document.WriteDataFile(channelName + ".Dark", header, format, wavelengths,
                                 spectra.dark[k].data());
        if (m_timeNormalization == 1)
            m_document.WriteDataFile(channelName + ".SampleDark", header, format, wavelengths,
                                     spectra.sampleDark[k].data());
    }
    if (prefs.AlwaysSaveReference == 1 && spectra.referenceStored[k] != 0)
        m_document.WriteDataFile(channelName + ".Reference", header, format, wavelengths,
                                 spectra.reference[k].data());
    if (prefs.AlwaysSaveSample == 1)
        m_document.WriteDataFile(channelName + ".Sample", header, format, wavelengths,
                                 spectra.sample[k].data());
    if (prefs.AlwaysSaveExperiment == 1)
        (void)writeExperiment(base);
}

void CHarluneSpectrumView::saveFullSpectra(const std::string& base)
{
    SpectrumFileHeader header = fileHeader(kSaveDateFormat);
    const int format = m_frame.viewPreferences().DefaultFileFormat;
    for (int k = 0; k < kSpectrumChannels; ++k)
        if (m_configuration->GetChannelEnabled(k) == 1)
            saveProcessedChannel(base, k, header, format);
}

void CHarluneSpectrumView::autosaveProcessedSpectra()
{
    OnSaveProcessed();
}

void CHarluneSpectrumView::OnSaveExperiment()
{
    if (!verify(mvSpecFileSaveExperiment))
        return;
    SpectrumFileDialogRequest dialog;
    dialog.open = false;
    dialog.title = "Save Experiment File";
    dialog.filters = kExperimentFilters;
    dialog.defaultExtension = "exp";
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return;
    const std::string& path = chosen->paths.front();
    // The dialog completes a bare name with its three-letter default extension.
    const std::string name = fileExtension(path) == "exp" ? path + "eriment" : path;
    int error = 0;
    if (writeExperiment(name, &error) != 0) {
        m_window.showMessageBox("The experiment file " + name + " could not be written.\n" +
                                    fileWriteFailure(name, error),
                                "Harlune Error", SpectrumDocWindow::Buttons::Ok);
        return;
    }
    m_experimentFile = name;
    if (m_frame.preferences().SoundEnabled == 1)
        m_window.playSoundAsync(m_frame.viewPreferences().SaveExperimentSound);
}

// ---------------------------------------------------------------------------------------
// The open family

namespace {

const CHarluneSpectrumView::OpenMember kOpenMembers[] = {
    {SpectrumKind::Dark, mvSpecFileOpenDark, "Open Dark Spectra", "Dark Spectra (*.dark)|*.dark|",
     "dark", true},
    {SpectrumKind::SampleDark, mvSpecFileOpenSampleDark, "Open Dark Spectra",
     "Sample Dark Spectra (*.sampledark)|*.sampledark|", "sampledark", false},
    {SpectrumKind::Reference, mvSpecFileOpenReference, "Open Reference Spectra",
     "Reference Spectra (*.reference)|*.reference|", "reference", true},
    {SpectrumKind::Sample, mvSpecFileOpenSample, "Open Sample Spectra",
     "Sample Spectra (*.sample)|*.sample|", "sample", true},
};

} // namespace

void CHarluneSpectrumView::OnOpenDark()
{
    openSpectra(kOpenMembers[0]);
}

void CHarluneSpectrumView::OnOpenSampleDark()
{
    openSpectra(kOpenMembers[1]);
}

void CHarluneSpectrumView::OnOpenReference()
{
    openSpectra(kOpenMembers[2]);
}

void CHarluneSpectrumView::OnOpenSample()
{
    openSpectra(kOpenMembers[3]);
}

void CHarluneSpectrumView::openSpectra(const OpenMember& member)
{
    if (!verify(member.menuVerify))
        return;
    const bool spcDefault =
        member.offersSpc && m_frame.viewPreferences().DefaultFileFormat == kSpcXy;
    SpectrumFileDialogRequest dialog;
    dialog.open = true;
    dialog.multiSelect = true;
    dialog.title = member.title;
    dialog.filters =
        std::string(member.ownFilter) + (member.offersSpc ? kSpcFilter : "") + kAllFilesFilter;
    dialog.filterIndex = spcDefault ? 2 : 1;
    dialog.defaultExtension = spcDefault ? "spc" : member.extension;
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen)
        return;

    m_window.beginWaitCursor();
    ChannelSpectra& spectra = m_document.spectra();
    auto wavelengths = std::make_unique<SpectrumArray>();
    auto values = std::make_unique<SpectrumArray>();
    const int pixels =
        std::clamp(static_cast<int>(m_configuration->GetPixelCount()), 0, kSpectrumPoints);
    for (const std::string& path : chosen->paths) {
        // Each file starts from zeros, so that a shorter file never hands on the tail of
        // the one before.
        wavelengths->fill(0.0);
        values->fill(0.0);
        SpectrumFileHeader header;
        // A file the reader refused (it has said why) is skipped.
        if (m_document.ReadDataFile(path, header, *wavelengths, *values) != 0)
            continue;
        const bool skipCheck =
            member.kind == SpectrumKind::Dark && equalsIgnoringCase(fileExtension(path), "spc");
        if (!skipCheck && CheckFileAcquisitionParameters(header, *wavelengths, path) != 0)
            continue;
        const int ch = header.channel;
        if (ch < 0 || ch >= kSpectrumChannels)
            continue;
        ChannelArrays& target = member.kind == SpectrumKind::Dark         ? spectra.dark
                                : member.kind == SpectrumKind::SampleDark ? spectra.sampleDark
                                : member.kind == SpectrumKind::Reference  ? spectra.reference
                                                                          : spectra.sample;
        std::copy_n(values->begin(), pixels, target[ch].begin());
        switch (member.kind) {
        case SpectrumKind::Dark: {
            spectra.darkStored[ch] = 1;
            bool all = true;
            for (int k = 0; k < kSpectrumChannels; ++k)
                if (m_configuration->GetChannelEnabled(k) == 1 && spectra.darkStored[k] == 0)
                    all = false;
            m_darkStored = all ? 1 : 0;
            ProcessSpectra();
            PlotSpectra();
            break;
        }
        case SpectrumKind::SampleDark:
            spectra.sampleDarkStored[ch] = 1;
            break;
        case SpectrumKind::Reference:
            spectra.referenceStored[ch] = 1;
            ProcessSpectra();
            PlotSpectra();
            break;
        case SpectrumKind::Sample:
            m_snapshotState = 1;
            ProcessSpectra();
            PlotSpectra();
            break;
        }
    }
    m_window.endWaitCursor();
}

void CHarluneSpectrumView::OnOpenProcessed()
{
    if (!verify(mvSpecFileOpenProcessed))
        return;
    const bool spcDefault = m_frame.viewPreferences().DefaultFileFormat == kSpcXy;
    SpectrumFileDialogRequest dialog;
    dialog.open = true;
    dialog.multiSelect = true;
    dialog.title = "Open Processed Spectra";
    dialog.filters = processedFilters(m_customExtension);
    dialog.filterIndex = spcDefault ? 2 : 1;
    dialog.defaultExtension = spcDefault ? "spc" : "scope";
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen)
        return;
    m_window.beginWaitCursor();
    for (const std::string& path : chosen->paths)
        openProcessedFile(path);
    m_window.endWaitCursor();
}

void CHarluneSpectrumView::openProcessedFile(const std::string& path)
{
    auto wavelengths = std::make_unique<SpectrumArray>();
    auto values = std::make_unique<SpectrumArray>();
    SpectrumFileHeader header;
    header.spectrometerType = "BLANKSPEC";
    header.adcType = "BLANKADC";
    if (m_document.ReadDataFile(path, header, *wavelengths, *values) != 0)
        return;
    // A file without header has no parameters to compare and no title.
    if (header.marker != kHeaderlessMarker &&
        CheckFileAcquisitionParameters(header, *wavelengths, path) != 0)
        return;
    const int ch = header.channel;
    if (ch < 0 || ch >= kSpectrumChannels)
        return;
    // The notes come with the file only once it is accepted.
    ReadAnnotations(path, 1, -1);
    m_snapshotState = 1;
    ChannelSpectra& spectra = m_document.spectra();
    const int points = std::clamp(header.numberOfPoints, 0, kSpectrumPoints);
    std::copy_n(values->begin(), points, spectra.processed[ch].begin());
    if (m_chartData != 0)
        XrtDataSetYData(m_chartData, ch, spectra.processed[ch].data(), kSpectrumPoints, 0);
    SetGraphTitle(header.marker == kHeaderlessMarker ? std::string() : header.graphTitle);
    PlotSpectra();
}

void CHarluneSpectrumView::OnOpenExperiment()
{
    if (!verify(mvSpecFileOpenExperiment))
        return;
    SpectrumFileDialogRequest dialog;
    dialog.open = true;
    dialog.title = "Open Experiment File";
    dialog.filters = kExperimentFilters;
    dialog.defaultExtension = "experiment";
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return;
    const std::string path = chosen->paths.front();
    // A file without any of the experiment's sections (another program's file, a data file)
    // would only yield defaults.
    const bool experiment =
        std::any_of(std::begin(kExperimentSections), std::end(kExperimentSections),
                    [&](const char* section) { return fileHasSettingsSection(path, section); });
    if (!experiment) {
        // Nothing of the window changes for a file that is not an experiment.
        m_window.showMessageBox("The file " + path + " could not be opened as an experiment file.",
                                "Harlune Error", SpectrumDocWindow::Buttons::Ok);
        return;
    }
    m_window.beginWaitCursor();
    (void)readExperiment(path);
    // Each mode command sets its axis; Relative Irradiance asks for a colour temperature
    // when none is known.
    switch (m_processingMode) {
    case Scope:
        OnScopeMode();
        break;
    case Absorbance:
        OnAbsorbanceMode();
        break;
    case Transmission:
        OnTransmissionMode();
        break;
    case RelativeIrradiance:
        OnRelativeIrradianceMode();
        break;
    case SpecularReflection:
        OnSpecularReflectionMode();
        break;
    default:
        break;
    }
    m_experimentFile = path;
    // The experiment may have switched the autoincrementing names on or off.
    if (m_autoIncrementEnabled == 1 && m_showNextName == 1)
        updateNextNameTitle();
    else
        stripNextNameTitle();
    UpdateAcquisitionBar();
    UpdateOverlayMenu();
    ProcessSpectra();
    PlotSpectra();
    UpdateOverlayMenu();
    m_window.endWaitCursor();
    m_configuration->ApplyToDriver();
    m_frame.StartNextScan();
}

// ---------------------------------------------------------------------------------------
// Autoincrementing file names

void CHarluneSpectrumView::OnAutoincrementEnabled()
{
    if (!verify(mvSpecFileAutoincrementFilenamesEnabled))
        return;
    if (m_autoIncrementEnabled == 1) {
        m_autoIncrementEnabled = 0;
        stripNextNameTitle();
        return;
    }
    m_autoIncrementEnabled = 1;
    m_nextSaveFileName = autoIncrementName(m_baseFileName, m_autoIncrementIndex);
    updateNextNameTitle();
}

void CHarluneSpectrumView::OnAutoincrementShowName()
{
    if (!verify(mvSpecFileAutoincrementFilenamesShowname))
        return;
    if (m_showNextName == 1) {
        m_showNextName = 0;
        stripNextNameTitle();
        return;
    }
    m_showNextName = 1;
    m_nextSaveFileName = autoIncrementName(m_baseFileName, m_autoIncrementIndex);
    updateNextNameTitle();
}

void CHarluneSpectrumView::setAutoIncrementEnabled(int value)
{
    m_autoIncrementEnabled = value;
    if (value != 1 || m_showNextName != 1) {
        stripNextNameTitle();
        return;
    }
    m_nextSaveFileName = autoIncrementName(m_baseFileName, m_autoIncrementIndex);
    updateNextNameTitle();
}

void CHarluneSpectrumView::setShowNextName(int value)
{
    m_showNextName = value;
    if (value != 1 || m_autoIncrementEnabled != 1) {
        stripNextNameTitle();
        return;
    }
    m_nextSaveFileName = autoIncrementName(m_baseFileName, m_autoIncrementIndex);
    updateNextNameTitle();
}

void CHarluneSpectrumView::OnConfigureAutoincrement()
{
    if (!verify(mvSpecFileAutoincrementFilenamesConfigure))
        return;
    char index[32];
    std::snprintf(index, sizeof index, "%08d", m_autoIncrementIndex);
    const auto values = m_window.runAutoincrementDialog({m_baseFileName, index});
    if (!values)
        return;
    m_baseFileName = values->baseFileName;
    m_autoIncrementIndex = viewFilesClampTo<int>(viewFilesLeadingInteger(values->startingIndex));
    m_nextSaveFileName = autoIncrementName(m_baseFileName, m_autoIncrementIndex);
    updateNextNameTitle();
}

// ---------------------------------------------------------------------------------------
// The file-acquisition check

int CHarluneSpectrumView::CheckFileAcquisitionParameters(const SpectrumFileHeader& header,
                                                         std::span<const double> fileWavelengths,
                                                         const std::string& path)
{
    const int ch = std::clamp(header.channel, 0, kSpectrumChannels - 1);
    WindowAcquisition window;
    window.serialNumber = m_configuration->GetSerialNumber();
    window.microsecondFlag = m_record.microsecondFlag;
    window.integrationTime =
        m_record.microsecondFlag == 1 ? m_record.microsecondIntegrationTime : m_record.integration;
    window.averages = m_record.scansToAverage;
    window.boxcar = m_record.boxcarHalfWidth;
    window.correctDark = m_record.correctForDark;
    window.timeNormalized = m_timeNormalization;
    window.referenceType = m_configuration->GetReferenceType(ch);
    window.referenceChannel = static_cast<int32_t>(m_configuration->GetReferenceChannel(ch));
    window.wavelengths = m_document.spectra().wavelengths[ch];
    const AcquisitionCheckOutcome outcome = app::spectrum::CheckFileAcquisitionParameters(
        header, fileWavelengths, window, m_frame.preferences(), &m_window, path);
    if (outcome.useFileParameters) {
        applyFileAcquisition(header, window);
        if (window.microsecondFlag == 1)
            m_record.microsecondIntegrationTime = window.integrationTime;
        else
            m_record.integration = viewFilesClampTo<uint16_t>(window.integrationTime);
        m_record.scansToAverage = viewFilesClampTo<int16_t>(window.averages);
        m_record.boxcarHalfWidth = viewFilesClampTo<int16_t>(window.boxcar);
        m_record.correctForDark = window.correctDark;
        m_record.timingDirty = 1;
        m_timeNormalization = window.timeNormalized;
        m_configuration->SetReferenceType(ch, viewFilesClampTo<uint16_t>(window.referenceType));
        m_configuration->SetReferenceChannel(
            ch, static_cast<uint32_t>(std::clamp(window.referenceChannel, 0, 7)));
        UpdateAcquisitionBar();
    }
    return outcome.result;
}

// ---------------------------------------------------------------------------------------
// Experiment files

int CHarluneSpectrumView::writeExperiment(const std::string& fileName, int* error)
{
    if (error != nullptr)
        *error = 0;
    if (fileName.empty())
        return 1;
    // The settings are gathered in a new file beside the target; its content then replaces
    // the target whole through the atomic writer, which keeps a read-only experiment as it
    // is, so a failed write leaves the old experiment as it was.
    const std::string temporary = fileName + ".writing";
    {
        errno = 0;
        std::ofstream create(temporary, std::ios::binary | std::ios::trunc);
        if (!create) {
            if (error != nullptr)
                *error = errno;
            return 1;
        }
    }
    // The window takes the experiment's name (without its folder, as a document named by
    // its file shows it).
    m_window.setFrameTitle(std::filesystem::path(fileName).filename().string());
    updateNextNameTitle();

    bool stored = false;
    {
        CINIFileSupport store(temporary.c_str(), 0);
        store.beginBatch();
        const char* acquisition = "Acquisition Parameters";
        store.WriteUInt(acquisition, "Integration Time", m_record.integration);
        store.WriteInt(acquisition, "Flash Delay", m_record.flashDelay);
        store.WriteInt(acquisition, "Boxcar", m_record.boxcarHalfWidth);
        store.WriteInt(acquisition, "Averages", m_record.scansToAverage);
        store.WriteUInt(acquisition, "Correct Dark",
                        static_cast<unsigned>(m_record.correctForDark));
        store.WriteInt(acquisition, "External Trigger", m_record.triggerMode);
        store.WriteUInt(acquisition, "Time Normalized", static_cast<unsigned>(m_timeNormalization));
        store.WriteDouble(acquisition, "Color Temperature", m_document.colorTemperature());
        store.WriteUInt(acquisition, "BrontelRotation", m_configuration->GetChannelRotation());
        if (const std::string mode = modeName(m_processingMode); !mode.empty())
            store.WriteString(acquisition, "View Mode", mode.c_str());
        store.WriteString("Settings", "Display File", m_displaySettingsFile.c_str());
        store.WriteString("Settings", "Spectrometer File", m_currentConfigurationFile.c_str());
        store.WriteUInt("Autosave", "Enabled", static_cast<unsigned>(m_autoIncrementEnabled));
        store.WriteString("Autosave", "BaseFilename", m_baseFileName.c_str());
        store.WriteInt("Autosave", "Index", m_autoIncrementIndex);
        const OverlaySlots& overlays = m_document.overlays();
        for (int s = 0; s < kOverlaySlots; ++s) {
            const std::string section = "Overlay" + std::to_string(s);
            store.WriteUInt(section.c_str(), "Active", overlays.loaded[s] != 0 ? 1 : 0);
            store.WriteString(section.c_str(), "Filename", overlays.fileNames[s].c_str());
        }

        const std::string base = cutBeforeFirstDotInName(fileName);
        SpectrumFileHeader header = fileHeader("%A, %B %d, %Y, %H:%M:%S");
        ChannelSpectra& spectra = m_document.spectra();
        for (int k = 0; k < kSpectrumChannels; ++k) {
            if (m_record.channelEnables[k] != 1)
                continue;
            setHeaderChannel(header, k);
            const std::string channelName = channelBase(base, k);
            const double* wavelengths = spectra.wavelengths[k].data();
            if (spectra.darkStored[k] != 0) {
                const std::string name = channelName + ".Dark";
                m_document.WriteDataFile(name, header, kTextWithHeader, wavelengths,
                                         spectra.dark[k].data());
                m_document.darkFileNames[k] = name;
            }
            if (spectra.referenceStored[k] != 0) {
                const std::string name = channelName + ".Reference";
                m_document.WriteDataFile(name, header, kTextWithHeader, wavelengths,
                                         spectra.reference[k].data());
                m_document.referenceFileNames[k] = name;
            }
            if (spectra.sampleDarkStored[k] != 0) {
                const std::string name = channelName + ".SampleDark";
                m_document.WriteDataFile(name, header, kTextWithHeader, wavelengths,
                                         spectra.sampleDark[k].data());
                m_document.sampleDarkFileNames[k] = name;
            }
            if (spectra.darkStored[k] != 0 && spectra.referenceStored[k] != 0)
                m_document.WriteDataFile(
                    processedFileName(channelName, m_processingMode, m_customExtension), header,
                    kTextWithHeader, wavelengths, spectra.processed[k].data());
        }

        for (int k = 0; k < kSpectrumChannels; ++k) {
            const std::string section = "Channel" + std::to_string(k);
            const char* s = section.c_str();
            store.WriteInt(s, "Enabled", m_record.channelEnables[k]);
            store.WriteUInt(s, "Dark Stored", spectra.darkStored[k]);
            store.WriteUInt(s, "Reference Stored", spectra.referenceStored[k]);
            store.WriteUInt(s, "Sample Dark Stored", spectra.sampleDarkStored[k]);
            store.WriteString(s, "Dark Filename", m_document.darkFileNames[k].c_str());
            store.WriteString(s, "Reference Filename", m_document.referenceFileNames[k].c_str());
            store.WriteString(s, "Sample Filename", m_document.sampleFileNames[k].c_str());
            store.WriteString(s, "Sample Dark Filename", m_document.sampleDarkFileNames[k].c_str());
        }
        stored = store.endBatch();
    }
    std::string bytes;
    bool gathered = false;
    if (stored) {
        std::ifstream in(temporary, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        gathered = in.is_open() && !in.bad();
    }
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    if (!gathered)
        return 1;
    return app::spectrum::writeFileAtomically(fileName, bytes, error) ? 0 : 1;
}

int CHarluneSpectrumView::readExperiment(const std::string& fileName)
{
    {
        std::ifstream probe(fileName, std::ios::binary);
        if (fileName.empty() || !probe)
            return 1;
    }
    CINIFileSupport store(fileName.c_str(), 0);
    const char* acquisition = "Acquisition Parameters";
    // Values that do not fit their fields are clamped to the fields' ranges; an
    // integration time of 0 would stop every scan.
    m_record.integration =
        static_cast<uint16_t>(readClamped(store, acquisition, "Integration Time", 100, 1, 65535));
    m_record.flashDelay = viewFilesClampTo<int16_t>(
        readClamped(store, acquisition, "Flash Delay", 100, INT16_MIN, INT16_MAX));
    m_record.boxcarHalfWidth = viewFilesClampTo<int16_t>(
        readClamped(store, acquisition, "Boxcar", 0, INT16_MIN, INT16_MAX));
    m_record.scansToAverage = viewFilesClampTo<int16_t>(
        readClamped(store, acquisition, "Averages", 0, INT16_MIN, INT16_MAX));
    // These two keep only their low 16 bits.
    m_record.correctForDark = static_cast<uint16_t>(
        readClamped(store, acquisition, "Correct Dark", 0, LLONG_MIN, LLONG_MAX) & 0xFFFF);
    m_record.triggerMode = static_cast<int16_t>(
        readClamped(store, acquisition, "External Trigger", 0, LLONG_MIN, LLONG_MAX) & 0xFFFF);
    m_record.timingDirty = 1;
    m_timeNormalization =
        viewFilesClampTo<int>(readClamped(store, acquisition, "Time Normalized", 0, 0, INT_MAX));
    const float kelvin = store.GetFloatDefault(acquisition, "Color Temperature", 3100.0f);
    m_document.setColorTemperature(std::isfinite(kelvin) ? kelvin : 3100.0);
    m_configuration->SetChannelRotation(
        static_cast<uint16_t>(readClamped(store, acquisition, "BrontelRotation", 0, 0, 65535)));
    m_processingMode = modeOfName(store.GetStringDefault(acquisition, "View Mode", "Scope Mode"));

    // Names written on Windows are looked for as stored, then beside the experiment.
    m_displaySettingsFile =
        resolveStoredPath(store.GetStringDefault("Settings", "Display File", "0"), fileName);
    m_currentConfigurationFile =
        resolveStoredPath(store.GetStringDefault("Settings", "Spectrometer File", "0"), fileName);
    m_autoIncrementEnabled =
        viewFilesClampTo<int>(readClamped(store, "Autosave", "Enabled", 0, 0, INT_MAX));
    m_baseFileName = store.GetStringDefault("Autosave", "BaseFilename", "HarluneDataFile");
    m_autoIncrementIndex =
        viewFilesClampTo<int>(readClamped(store, "Autosave", "Index", 0, INT_MIN, INT_MAX));
    m_nextSaveFileName = autoIncrementName(m_baseFileName, m_autoIncrementIndex);

    ChannelSpectra& spectra = m_document.spectra();
    const auto stored = [&](const std::string& name) { return resolveStoredPath(name, fileName); };
    // "0" (or nothing) names no file: the experiment saved none of that kind.
    const auto named = [](const std::string& name) { return !name.empty() && name != "0"; };
    for (int k = 0; k < kSpectrumChannels; ++k) {
        const std::string section = "Channel" + std::to_string(k);
        const char* s = section.c_str();
        m_record.channelEnables[k] =
            viewFilesClampTo<int16_t>(readClamped(store, s, "Enabled", 0, INT16_MIN, INT16_MAX));
        const uint32_t dark =
            viewFilesClampTo<uint32_t>(readClamped(store, s, "Dark Stored", 0, 0, 1));
        const uint32_t reference =
            viewFilesClampTo<uint32_t>(readClamped(store, s, "Reference Stored", 0, 0, 1));
        const uint32_t sampleDark =
            viewFilesClampTo<uint32_t>(readClamped(store, s, "Sample Dark Stored", 0, 0, 1));
        m_document.darkFileNames[k] = store.GetStringDefault(s, "Dark Filename", "0");
        m_document.referenceFileNames[k] = store.GetStringDefault(s, "Reference Filename", "0");
        m_document.sampleFileNames[k] = store.GetStringDefault(s, "Sample Filename", "0");
        m_document.sampleDarkFileNames[k] = store.GetStringDefault(s, "Sample Dark Filename", "0");
        // A data file that cannot be read leaves the channel's arrays and its stored flag as
        // they were (the reader has said why).
        SpectrumFileHeader header;
        if (m_record.channelEnables[k] != 0 && named(m_document.sampleFileNames[k]))
            m_document.ReadDataFile(stored(m_document.sampleFileNames[k]), header,
                                    spectra.wavelengths[k], spectra.sample[k]);
        if (dark == 0)
            spectra.darkStored[k] = 0;
        else if (named(m_document.darkFileNames[k]) &&
                 m_document.ReadDataFile(stored(m_document.darkFileNames[k]), header,
                                         spectra.wavelengths[k], spectra.dark[k]) == 0)
            spectra.darkStored[k] = 1;
        if (reference == 0)
            spectra.referenceStored[k] = 0;
        else if (named(m_document.referenceFileNames[k]) &&
                 m_document.ReadDataFile(stored(m_document.referenceFileNames[k]), header,
                                         spectra.wavelengths[k], spectra.reference[k]) == 0)
            spectra.referenceStored[k] = 1;
        if (sampleDark == 0)
            spectra.sampleDarkStored[k] = 0;
        else if (named(m_document.sampleDarkFileNames[k]) &&
                 m_document.ReadDataFile(stored(m_document.sampleDarkFileNames[k]), header,
                                         spectra.wavelengths[k], spectra.sampleDark[k]) == 0)
            spectra.sampleDarkStored[k] = 1;
    }

    OverlaySlots& overlays = m_document.overlays();
    auto wavelengths = std::make_unique<SpectrumArray>();
    auto values = std::make_unique<SpectrumArray>();
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
        const std::string section = "Overlay" + std::to_string(slot);
        const char* s = section.c_str();
        const bool active = readClamped(store, s, "Active", 0, 0, 1) != 0;
        const std::string name = store.GetStringDefault(s, "Filename", "0");
        const int set = kSpectrumChannels + slot;
        if (active) {
            SpectrumFileHeader header;
            if (named(name) &&
                m_document.ReadDataFile(stored(name), header, *wavelengths, *values) == 0) {
                overlays.wavelengths[slot] = *wavelengths;
                overlays.values[slot] = *values;
                overlays.fileNames[slot] = name;
                overlays.loaded[slot] = 1;
            }
            if (m_chartData != 0) {
                XrtDataSetXData(m_chartData, set, overlays.wavelengths[slot].data(),
                                kSpectrumPoints, 0);
                XrtDataSetYData(m_chartData, set, overlays.values[slot].data(), kSpectrumPoints, 0);
            }
        } else {
            overlays.values[slot].fill(0.0);
            overlays.loaded[slot] = 0;
            overlays.fileNames[slot] = name;
            if (m_chartData != 0)
                XrtDataSetYData(m_chartData, set, overlays.values[slot].data(), kSpectrumPoints, 0);
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------------------
// Spectrometer configuration

void CHarluneSpectrumView::OnOpenSpectrometerConfiguration()
{
    if (!verify(mvSpecSpectrometerOpenConfiguration))
        return;
    SpectrumFileDialogRequest dialog;
    dialog.open = true;
    dialog.title = "Open Spectrometer Configuration";
    dialog.filters = kConfigurationFilters;
    dialog.defaultExtension = "spec";
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return;
    const std::string path = chosen->paths.front();
    m_window.beginWaitCursor();
    OpenSpectrometerConfiguration(path);
    m_window.endWaitCursor();
    if (m_frame.viewPreferences().ManufacturingExtensionsEnabled != 2 &&
        m_window.showMessageBox("Would you like to make the file " + path +
                                    " your default spectrometer configuration?",
                                "Save Default Settings", SpectrumDocWindow::Buttons::YesNo) ==
            SpectrumDocWindow::Answer::Yes)
        m_configurationFile = path;
}

void CHarluneSpectrumView::OnSaveSpectrometerConfiguration()
{
    if (!verify(mvSpecSpectrometerSaveConfigurationAs))
        return;
    SpectrumFileDialogRequest dialog;
    dialog.open = false;
    dialog.title = "Save Spectrometer Configuration";
    dialog.filters = kConfigurationFilters;
    dialog.defaultExtension = "spec";
    dialog.initialName = cutAtCharacterBoundary(m_configuration->GetSerialNumber() + ".spec", 399);
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return;
    const std::string& path = chosen->paths.front();
    // The dialog completes a bare name with its three-letter default extension.
    const std::string name = fileExtension(path) == "spe" ? path + "c" : path;
    m_window.beginWaitCursor();
    const bool saved = SaveSpectrometerConfiguration(name);
    m_window.endWaitCursor();
    if (!saved) {
        m_window.showMessageBox("The spectrometer configuration could not be written to " + name +
                                    ".",
                                "Save Spectrometer Configuration", SpectrumDocWindow::Buttons::Ok);
        return;
    }
    if (m_window.showMessageBox("Would you like to make the file " + name +
                                    " your default spectrometer configuration?",
                                "Save Default Settings", SpectrumDocWindow::Buttons::YesNo) ==
        SpectrumDocWindow::Answer::Yes)
        m_configurationFile = name;
}

bool CHarluneSpectrumView::SaveSpectrometerConfiguration(const std::string& path)
{
    return m_configuration->SaveAs(path);
}

void CHarluneSpectrumView::OpenSpectrometerConfiguration(const std::string& path)
{
    CSpectrometerConfiguration& c = *m_configuration;
    m_currentConfigurationFile = path;
    c.Load(path);
    c.ApplyToDriver();
    const uint16_t adcType = m_frame.adcType();
    if (adcType == VYK_ADC_BRONTEL || adcType == VYK_ADC_CADRELPCI ||
        adcType == VYK_ADC_BRONTELUSB || adcType == VYK_ADC_FORNICPC104) {
        if (c.GetChannelRotation() == 0)
            m_driver.VYK_DisableMultichannelSpectra();
        else
            m_driver.VYK_EnableMultichannelSpectra(c.GetChannelRotation());
    }
    // The processing's reference pixels and the sets' last points follow the new set-up.
    fillProcessingSetup(c, m_processingSetup);
    if (m_chart != 0)
        setChartRepaint(false);
    ChannelSpectra& spectra = m_document.spectra();
    for (int k = 0; k < kSpectrumChannels; ++k) {
        c.FillWavelengths(k, spectra.wavelengths[k].data());
        m_record.channelEnables[k] = c.GetChannelEnabled(k) != 0 ? 1 : 0;
    }
    m_record.timingDirty = 1;
    double xMin = 9999.0;
    double xMax = 0.0;
    const int pixels = std::clamp(static_cast<int>(c.GetPixelCount()), 1, kSpectrumPoints);
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (c.GetChannelEnabled(k) == 1) {
            xMin = std::min(xMin, spectra.wavelengths[k][0]);
            xMax = std::max(xMax, spectra.wavelengths[k][pixels - 1]);
            setWavelengthXData(k);
        } else {
            std::fill_n(spectra.wavelengths[k].begin(), pixels, 0.0);
            std::fill_n(spectra.processed[k].begin(), pixels, 0.0);
            setWavelengthXData(k);
            if (m_chartData != 0)
                XrtDataSetYData(m_chartData, k, spectra.processed[k].data(), kSpectrumPoints, 0);
        }
    }
    if (m_chart != 0) {
        setDataSetsLastPoint();
        XrtSetValues(m_chart, {{kXrtXMin, xMin}, {kXrtXMax, xMax}});
        setChartRepaint(true);
    }
    m_frame.StartNextScan();
}
