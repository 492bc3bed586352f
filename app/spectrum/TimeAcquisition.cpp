#include "app/spectrum/TimeAcquisition.h"

#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/WindowsPaths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>

namespace app::spectrum {

namespace {

constexpr const char* kTimeAcquisitionParametersSection = "Acquisition Parameters";
constexpr const char* kOperationNames[4] = {"Add", "Subtract", "Multiply", "Divide"};
constexpr const char* kOperandNames[8] = {"A", "B", "C", "D", "E", "F", "Combo1", "Combo2"};

TimeAnalogOutputFactory& analogOutputFactory()
{
    static TimeAnalogOutputFactory factory;
    return factory;
}

// The leading integer of a text as atoi reads it, saturating instead of wrapping.
long long timeAcquisitionLeadingInteger(const std::string& text)
{
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return value;
}

template <typename T> T timeAcquisitionClampTo(long long value)
{
    return static_cast<T>(
        std::clamp<long long>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// An integer key of the file: the default when it is missing, clamped into the field.
template <typename T>
T readField(CINIFileSupport& store, const char* section, const char* key, T def)
{
    const std::string text = store.GetStringDefault(section, key, std::to_string(def).c_str());
    return timeAcquisitionClampTo<T>(timeAcquisitionLeadingInteger(text));
}

std::string timeAcquisitionChannelSection(int k)
{
    return std::string("Channel") + static_cast<char>('A' + k);
}

std::string comboSection(int k)
{
    return "Combo" + std::to_string(k + 1);
}

} // namespace

uint64_t timeUnitToMs(uint32_t value, uint16_t unit)
{
    switch (unit) {
    case kTimeUnitHours:
        return uint64_t{value} * 3600000u;
    case kTimeUnitMinutes:
        return uint64_t{value} * 60000u;
    case kTimeUnitSeconds:
        return uint64_t{value} * 1000u;
    default:
        return value;
    }
}

const char* timeUnitName(uint16_t unit)
{
    switch (unit) {
    case kTimeUnitHours:
        return "Hours";
    case kTimeUnitMinutes:
        return "Minutes";
    case kTimeUnitSeconds:
        return "Seconds";
    default:
        return "Milliseconds";
    }
}

uint16_t timeUnitOfName(const std::string& name)
{
    if (name == "Hours")
        return kTimeUnitHours;
    if (name == "Minutes")
        return kTimeUnitMinutes;
    if (name == "Milliseconds")
        return kTimeUnitMilliseconds;
    return kTimeUnitSeconds;
}

double comboResult(uint32_t operation, double first, double second)
{
    switch (operation) {
    case Subtract:
        return first - second;
    case Multiply:
        return first * second;
    case Divide:
        return second == 0.0 ? 0.0 : first / second;
    default:
        return first + second;
    }
}

void setTimeFilename(TimeAcquisitionSettings& settings, const std::string& text)
{
    const std::string cut = cutAtCharacterBoundary(text, kTimeFilenameBytes - 1);
    std::memset(settings.Filename, 0, sizeof settings.Filename);
    std::memcpy(settings.Filename, cut.data(), cut.size());
}

std::string timeFilename(const TimeAcquisitionSettings& settings)
{
    return std::string(settings.Filename, strnlen(settings.Filename, sizeof settings.Filename));
}

bool timeRunFilesExist(const std::string& filename)
{
    namespace fs = std::filesystem;
    const fs::path path(filename);
    const std::string stem = path.filename().string();
    if (stem.empty())
        return false;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= stem.size() + 1 || name.compare(0, stem.size(), stem) != 0 ||
            name[stem.size()] != '.')
            continue;
        const std::size_t digits = name.find_first_not_of("0123456789", stem.size() + 1);
        if (digits != std::string::npos && digits - stem.size() - 1 >= 5 && name[digits] == '.')
            return true;
    }
    return false;
}

void derivePixel(TimeChannelRecord& channel, const CSpectrometerConfiguration& configuration)
{
    if (channel.SpectrometerChannel >= 0 && channel.SpectrometerChannel < 8)
        channel.Pixel =
            configuration.WavelengthToPixel(channel.SpectrometerChannel, channel.Wavelength);
}

void readTimeParameters(CINIFileSupport& store, TimeAcquisitionParameters& parameters,
                        const CSpectrometerConfiguration* configuration)
{
    const TimeAcquisitionSettings d;
    TimeAcquisitionSettings& s = parameters.settings;
    const char* a = kTimeAcquisitionParametersSection;
    s.StreamDataToDisk = readField<uint32_t>(store, a, "StreamDataToDisk", d.StreamDataToDisk);
    setTimeFilename(s, store.GetStringDefault(a, "Filename", d.Filename));
    s.SaveEveryAcquisition =
        readField<uint32_t>(store, a, "SaveEveryAcquisition", d.SaveEveryAcquisition);
    s.InitialDelay = readField<uint32_t>(store, a, "InitialDelay", d.InitialDelay);
    s.LogFrequency = readField<uint32_t>(store, a, "LogFrequency", d.LogFrequency);
    s.SaveFullSpectrum = readField<uint32_t>(store, a, "SaveFullSpectrum", d.SaveFullSpectrum);
    s.InitialDelayUnit = timeUnitOfName(store.GetStringDefault(a, "InitialDelayUnit", ""));
    s.Frequency = readField<uint32_t>(store, a, "Frequency", d.Frequency);
    s.FrequencyUnit = timeUnitOfName(store.GetStringDefault(a, "FrequencyUnit", ""));
    s.Duration = readField<uint32_t>(store, a, "Duration", d.Duration);
    s.DurationUnit = timeUnitOfName(store.GetStringDefault(a, "DurationUnit", ""));
    s.ContinueUntilManuallyStopped = readField<uint32_t>(store, a, "ContinueUntilManuallyStopped",
                                                         d.ContinueUntilManuallyStopped);
    s.ShowValuesInStatusBar =
        readField<uint32_t>(store, a, "ShowValuesInStatusBar", d.ShowValuesInStatusBar);

    for (int k = 0; k < kTimeChannels; ++k) {
        const std::string section = timeAcquisitionChannelSection(k);
        const char* c = section.c_str();
        const TimeChannelRecord cd;
        TimeChannelRecord& r = parameters.channels[k];
        r.Enabled = readField<uint32_t>(store, c, "Enabled", cd.Enabled);
        r.Wavelength = store.GetDoubleDefault(c, "Wavelength", cd.Wavelength);
        r.Pixel = readField<int32_t>(store, c, "Pixel", cd.Pixel);
        r.Bandwidth = readField<int32_t>(store, c, "Bandwidth", cd.Bandwidth);
        r.Factor = store.GetDoubleDefault(c, "Factor", cd.Factor);
        r.Offset = store.GetDoubleDefault(c, "Offset", cd.Offset);
        r.Plotted = readField<uint32_t>(store, c, "Plotted", cd.Plotted);
        r.RateOnly = readField<uint32_t>(store, c, "RateOnly", cd.RateOnly);
        r.RateBandwidth = readField<int32_t>(store, c, "RateBandwidth", cd.RateBandwidth);
        const std::string spectrometer = store.GetStringDefault(c, "SpectrometerChannel", "");
        if (spectrometer == "Master" || spectrometer.size() <= 5)
            r.SpectrometerChannel = 0;
        else
            r.SpectrometerChannel = timeAcquisitionClampTo<int32_t>(
                timeAcquisitionLeadingInteger(spectrometer.substr(5)));
        r.DACEnabled = readField<uint32_t>(store, c, "DACEnabled", cd.DACEnabled);
        if (r.Pixel == -1 && configuration != nullptr)
            derivePixel(r, *configuration);
    }

    for (int k = 0; k < kTimeCombos; ++k) {
        const std::string section = comboSection(k);
        const char* c = section.c_str();
        const TimeComboRecord cd;
        TimeComboRecord& r = parameters.combos[k];
        r.Enabled = readField<uint32_t>(store, c, "Enabled", cd.Enabled);
        r.Factor = store.GetDoubleDefault(c, "Factor", cd.Factor);
        r.Offset = store.GetDoubleDefault(c, "Offset", cd.Offset);
        r.Plotted = readField<uint32_t>(store, c, "Plotted", cd.Plotted);
        r.RateOnly = readField<uint32_t>(store, c, "RateOnly", cd.RateOnly);
        r.RateBandwidth = readField<uint32_t>(store, c, "RateBandwidth", cd.RateBandwidth);
        const auto operand = [&](const char* key, uint32_t& field) {
            const std::string name = store.GetStringDefault(c, key, "A");
            for (uint32_t i = 0; i < 8; ++i)
                if (name == kOperandNames[i])
                    field = i;
        };
        operand("FirstChannel", r.FirstChannel);
        operand("SecondChannel", r.SecondChannel);
        const std::string operation = store.GetStringDefault(c, "Operation", "Add");
        r.Operation = Add;
        for (uint32_t i = 0; i < 4; ++i)
            if (operation == kOperationNames[i])
                r.Operation = i;
        r.DACEnabled = readField<uint32_t>(store, c, "DACEnabled", cd.DACEnabled);
    }
}

bool writeTimeParameters(CINIFileSupport& store, const TimeAcquisitionParameters& parameters)
{
    const TimeAcquisitionSettings& s = parameters.settings;
    const char* a = kTimeAcquisitionParametersSection;
    store.beginBatch();
    store.WriteUInt(a, "StreamDataToDisk", s.StreamDataToDisk);
    store.WriteString(a, "Filename", timeFilename(s).c_str());
    store.WriteUInt(a, "SaveEveryAcquisition", s.SaveEveryAcquisition);
    store.WriteUInt(a, "InitialDelay", s.InitialDelay);
    store.WriteUInt(a, "LogFrequency", s.LogFrequency);
    store.WriteUInt(a, "SaveFullSpectrum", s.SaveFullSpectrum);
    store.WriteString(a, "InitialDelayUnit", timeUnitName(s.InitialDelayUnit));
    store.WriteUInt(a, "Frequency", s.Frequency);
    store.WriteString(a, "FrequencyUnit", timeUnitName(s.FrequencyUnit));
    store.WriteUInt(a, "Duration", s.Duration);
    store.WriteString(a, "DurationUnit", timeUnitName(s.DurationUnit));
    store.WriteUInt(a, "ContinueUntilManuallyStopped", s.ContinueUntilManuallyStopped);
    store.WriteUInt(a, "ShowValuesInStatusBar", s.ShowValuesInStatusBar);

    for (int k = 0; k < kTimeChannels; ++k) {
        const std::string section = timeAcquisitionChannelSection(k);
        const char* c = section.c_str();
        const TimeChannelRecord& r = parameters.channels[k];
        store.WriteUInt(c, "Enabled", r.Enabled);
        store.WriteDouble(c, "Wavelength", r.Wavelength);
        store.WriteString(c, "Pixel", std::to_string(r.Pixel).c_str());
        store.WriteString(c, "Bandwidth", std::to_string(r.Bandwidth).c_str());
        store.WriteDouble(c, "Factor", r.Factor);
        store.WriteDouble(c, "Offset", r.Offset);
        store.WriteUInt(c, "Plotted", r.Plotted);
        store.WriteUInt(c, "RateOnly", r.RateOnly);
        store.WriteString(c, "RateBandwidth", std::to_string(r.RateBandwidth).c_str());
        const std::string spectrometer =
            r.SpectrometerChannel == 0 ? "Master" : "Slave" + std::to_string(r.SpectrometerChannel);
        store.WriteString(c, "SpectrometerChannel", spectrometer.c_str());
        store.WriteUInt(c, "DACEnabled", r.DACEnabled);
    }
    for (int k = 0; k < kTimeCombos; ++k) {
        const std::string section = comboSection(k);
        const char* c = section.c_str();
        const TimeComboRecord& r = parameters.combos[k];
        store.WriteUInt(c, "Enabled", r.Enabled);
        store.WriteDouble(c, "Factor", r.Factor);
        store.WriteDouble(c, "Offset", r.Offset);
        store.WriteUInt(c, "Plotted", r.Plotted);
        store.WriteUInt(c, "RateOnly", r.RateOnly);
        store.WriteUInt(c, "RateBandwidth", r.RateBandwidth);
        const auto operandName = [](uint32_t operand) {
            return operand < 8 ? kOperandNames[operand] : kOperandNames[0];
        };
        store.WriteString(c, "FirstChannel", operandName(r.FirstChannel));
        store.WriteString(c, "SecondChannel", operandName(r.SecondChannel));
        store.WriteString(c, "Operation", kOperationNames[r.Operation < 4 ? r.Operation : 0]);
        store.WriteUInt(c, "DACEnabled", r.DACEnabled);
    }
    return store.endBatch();
}

std::string timeColumnsHeader(const std::array<TimeChannelRecord, kTimeChannels>& channels,
                              const std::array<TimeComboRecord, kTimeCombos>& combos)
{
    std::string header = "Time (sec)";
    for (int k = 0; k < kTimeChannels; ++k)
        if (channels[k].Enabled != 0)
            header += std::string("\tChannel ") + static_cast<char>('A' + k);
    for (int k = 0; k < kTimeCombos; ++k)
        if (combos[k].Enabled != 0)
            header += "\tCombo " + std::to_string(k + 1);
    return header;
}

void setTimeAnalogOutputFactory(TimeAnalogOutputFactory factory)
{
    analogOutputFactory() = std::move(factory);
}

std::unique_ptr<TimeAnalogOutput> makeTimeAnalogOutput(CHarluneSpectrumView& view)
{
    const TimeAnalogOutputFactory& factory = analogOutputFactory();
    return factory ? factory(view) : nullptr;
}

// ---------------------------------------------------------------------------------------
// Stream file

TimeAcquisitionStreamFile::~TimeAcquisitionStreamFile()
{
    close();
}

bool TimeAcquisitionStreamFile::open(const std::string& path)
{
    close();
    m_file = std::fopen(path.c_str(), "wb");
    return m_file != nullptr;
}

void TimeAcquisitionStreamFile::start(const std::string& header, int valueColumns,
                                      uint32_t logFrequency, int precision, bool exponential)
{
    m_columns = valueColumns;
    m_logFrequency = logFrequency;
    std::snprintf(m_format, sizeof m_format, exponential ? "%%.%de\t" : "%%.%df\t",
                  std::clamp(precision, 0, 99));
    m_times.clear();
    m_values.clear();
    m_rows = 0;
    if (m_file != nullptr) {
        const std::string line = header + "\r\n";
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fflush(m_file);
    }
}

void TimeAcquisitionStreamFile::addRow(double time, const double* values, bool last)
{
    m_times.push_back(time);
    m_values.insert(m_values.end(), values, values + m_columns);
    ++m_rows;
    if (m_rows > m_logFrequency || last)
        writeHeld();
}

void TimeAcquisitionStreamFile::writeHeld()
{
    if (m_file != nullptr && m_rows != 0) {
        m_text.clear();
        char number[512];
        for (uint64_t row = 0; row < m_rows; ++row) {
            std::snprintf(number, sizeof number, "%.3f\t", m_times[row]);
            m_text += number;
            for (int c = 0; c < m_columns; ++c) {
                std::snprintf(number, sizeof number, m_format, m_values[row * m_columns + c]);
                m_text += number;
            }
            m_text += "\r\n";
        }
        std::fwrite(m_text.data(), 1, m_text.size(), m_file);
        std::fflush(m_file);
    }
    m_times.clear();
    m_values.clear();
    m_rows = 0;
}

void TimeAcquisitionStreamFile::close()
{
    if (m_file == nullptr)
        return;
    writeHeld();
    std::fclose(m_file);
    m_file = nullptr;
}

} // namespace app::spectrum
