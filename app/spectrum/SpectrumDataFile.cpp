#include "app/spectrum/SpectrumDataFile.h"

#include "app/spectrum/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <locale.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace app::spectrum {

namespace {

constexpr std::string_view kHeaderStart = "Harlune Version";
constexpr std::string_view kBeginMarker = ">>>>>Begin Spectral Data<<<<<";
constexpr std::string_view kEndMarker = ">>>>>End Spectral Data<<<<<";
constexpr std::string_view kSpcMemo = "Harlune Data File";
constexpr std::string_view kSpcSource = "Harlune";
constexpr const char* kErrorCaption = "Harlune Error";

// Layout of the SPC files this program writes.
constexpr std::size_t kSpcHeaderSize = 512;
constexpr std::size_t kSpcSubheaderSize = 32;
constexpr uint8_t kSpcFlagXValues = 0x80;
constexpr uint8_t kSpcVersion = 0x4B;
constexpr uint8_t kSpcFloatExponent = 0x80;
constexpr std::size_t kSpcResolutionOffset = 36;
constexpr std::size_t kSpcSourceOffset = 45;
constexpr std::size_t kSpcTextFieldSize = 9;
constexpr std::size_t kSpcMemoOffset = 88;
constexpr std::size_t kSpcMemoSize = 130;

// Larger files are read only this far: no more rows than the arrays hold fit anyway.
constexpr std::size_t kMaxReadBytes = 32u << 20;

// ----- writing -----

void appendInt(std::string& out, long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendDouble(std::string& out, double value, std::chars_format form, int precision)
{
    // Large enough for the fixed form of the largest double at the highest precision.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, form, precision);
    if (result.ec == std::errc())
        out.append(buffer, result.ptr);
    else
        out += '0';
}

// A text field of the positional header: a line break inside would shift every later line.
void appendText(std::string& out, const std::string& text)
{
    for (const char c : text)
        out += (c == '\r' || c == '\n') ? ' ' : c;
}

void appendLine(std::string& out, std::string_view key, const std::string& text)
{
    out += key;
    appendText(out, text);
    out += "\r\n";
}

void appendChannelName(std::string& out, int32_t channel)
{
    if (channel == 0) {
        out += "Master";
    } else {
        out += "Slave";
        appendInt(out, channel);
    }
}

const char* referenceTypeName(int32_t type)
{
    switch (type) {
    case 1:
        return "Single Point";
    case 2:
        return "By Wavelength";
    case 3:
        return "Integrated";
    default:
        return "Disabled";
    }
}

void appendHeader(std::string& out, const SpectrumFileHeader& header, int32_t numberOfPoints)
{
    out += "Harlune Version ";
    appendText(out, header.version);
    out += " Data File\r\n";
    out += "++++++++++++++++++++++++++++++++++++\r\n";
    appendLine(out, "Date: ", header.date);
    appendLine(out, "User: ", header.user);
    appendLine(out, "Spectrometer Serial Number: ", header.serialNumber);
    out += "Spectrometer Channel: ";
    appendChannelName(out, header.channel);
    out += "\r\n";
    if (header.microsecondFlag != 1)
        out += "Integration Time (msec): ";
    else if (header.adcType == "UlmarADC")
        out += "Integration Time (sec): ";
    else
        out += "Integration Time (usec): ";
    appendInt(out, header.integrationTime);
    out += "\r\nSpectra Averaged: ";
    appendInt(out, header.averages);
    out += "\r\nBoxcar Smoothing: ";
    appendInt(out, header.boxcar);
    out += "\r\nCorrect for Electrical Dark: ";
    out += header.correctDark != 0 ? "Enabled" : "Disabled";
    out += "\r\nTime Normalized: ";
    out += header.timeNormalized == 1 ? "Enabled" : "Disabled";
    out += "\r\nDual-beam Reference: ";
    out += referenceTypeName(header.referenceType);
    out += "\r\nReference Channel: ";
    appendChannelName(out, header.referenceChannel);
    out += "\r\nTemperature: ";
    if (header.temperature == kTemperatureNotAcquired)
        out += "Not acquired";
    else
        appendDouble(out, header.temperature, std::chars_format::fixed, 1);
    out += "\r\n";
    appendLine(out, "Spectrometer Type: ", header.spectrometerType);
    appendLine(out, "ADC Type: ", header.adcType);
    out += "Number of Pixels in File: ";
    appendInt(out, numberOfPoints);
    out += "\r\n";
    appendLine(out, "Graph Title: ", header.graphTitle);
    out += kBeginMarker;
    out += "\r\n";
}

void putU32(std::string& out, std::size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putDouble(std::string& out, std::size_t offset, double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        out[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

void appendFloats(std::string& out, std::span<const double> values)
{
    const std::size_t start = out.size();
    out.resize(start + 4 * values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const float value = static_cast<float>(values[i]);
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        putU32(out, start + 4 * i, bits);
    }
}

// Copies text into a zero-filled field of width bytes, keeping the last byte zero and never
// cutting a UTF-8 character.
void putText(std::string& out, std::size_t offset, std::size_t width, std::string_view text)
{
    std::size_t length = std::min(text.size(), width - 1);
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(&out[offset], text.data(), length);
}

std::string spcHeader(uint8_t flags, uint32_t numberOfPoints, double firstX, double lastX,
                      uint8_t xUnit, uint8_t yUnit, const std::tm& localTime)
{
    std::string out(kSpcHeaderSize, '\0');
    out[0] = static_cast<char>(flags);
    out[1] = static_cast<char>(kSpcVersion);
    out[3] = static_cast<char>(kSpcFloatExponent);
    putU32(out, 4, numberOfPoints);
    putDouble(out, 8, firstX);
    putDouble(out, 16, lastX);
    putU32(out, 24, 1); // one subfile
    out[28] = static_cast<char>(xUnit);
    out[29] = static_cast<char>(yUnit);
    putU32(out, 32, spcDate(localTime));
    return out;
}

void appendSubheader(std::string& out)
{
    std::string subheader(kSpcSubheaderSize, '\0');
    subheader[1] = static_cast<char>(kSpcFloatExponent);
    out += subheader;
}

// ----- reading -----

// Lines of a text, ended by "\r\n", "\n" or a lone "\r" (the line end of old Mac
// editors).
class LineCursor
{
public:
    explicit LineCursor(std::string_view text) : m_text(text) {}

    std::optional<std::string_view> next()
    {
        if (m_position >= m_text.size())
            return std::nullopt;
        std::size_t end = m_text.find_first_of("\r\n", m_position);
        if (end == std::string_view::npos)
            end = m_text.size();
        const std::string_view line = m_text.substr(m_position, end - m_position);
        m_position = end + 1;
        if (end < m_text.size() && m_text[end] == '\r' && m_position < m_text.size() &&
            m_text[m_position] == '\n')
            ++m_position;
        return line;
    }

private:
    std::string_view m_text;
    std::size_t m_position = 0;
};

bool dataFileIsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && dataFileIsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && dataFileIsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// atoi in the "C" locale: blanks, a sign, digits; clamped to the int range.
int32_t parseInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && dataFileIsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    value = negative ? -value : value;
    return static_cast<int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// strtod in the "C" locale whatever the process locale: the form from_chars refused as out
// of range gives infinity or zero with its sign.
double saturatedNumber(std::string_view text)
{
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string copy(text);
    return ::strtod_l(copy.c_str(), nullptr, cLocale);
}

// One number at the start of text after blanks, in the "C" form; text moves past it. A
// number that a comma and a digit follow is written with a decimal comma, which this
// format does not use: it is no number (read as one it would be cut at the comma).
std::optional<double> takeNumber(std::string_view& text)
{
    while (!text.empty() && dataFileIsBlank(text.front()))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::invalid_argument)
        return std::nullopt;
    const std::string_view number(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
    const std::string_view after = text.substr(number.size());
    if (after.size() >= 2 && after[0] == ',' && after[1] >= '0' && after[1] <= '9')
        return std::nullopt;
    // Out of range saturates as strtod does: infinity, or zero, with the sign kept.
    if (result.ec == std::errc::result_out_of_range)
        value = saturatedNumber(number);
    text = after;
    return value;
}

// A data row: wavelength, then value; anything after them is ignored.
bool parseRow(std::string_view line, double& wavelength, double& value)
{
    const std::optional<double> first = takeNumber(line);
    if (!first)
        return false;
    const std::optional<double> second = takeNumber(line);
    if (!second)
        return false;
    wavelength = *first;
    value = *second;
    return true;
}

// A header line's value: the text that starts two characters after its first ':'.
std::string_view headerValue(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon + 2 > line.size())
        return {};
    return line.substr(colon + 2);
}

// "Master" is 0; otherwise the number that ends the value ("Slave3" is 3). Nothing for a
// channel outside 0..7.
std::optional<int32_t> parseChannel(std::string_view value)
{
    value = trimBlanks(value);
    if (value == "Master")
        return 0;
    std::size_t digits = value.size();
    while (digits > 0 && value[digits - 1] >= '0' && value[digits - 1] <= '9')
        --digits;
    if (digits == value.size() || value.size() - digits > 2)
        return std::nullopt;
    const int32_t channel = parseInt(value.substr(digits));
    if (channel < 0 || channel >= kSpectrumChannels)
        return std::nullopt;
    return channel;
}

int32_t parseReferenceType(std::string_view value)
{
    value = trimBlanks(value);
    if (value == "Integrated")
        return 3;
    if (value == "Single Point")
        return 1;
    if (value == "By Wavelength")
        return 2;
    return 0;
}

int32_t parseEnabled(std::string_view value)
{
    return trimBlanks(value) == "Disabled" ? 0 : 1;
}

float parseTemperature(std::string_view value)
{
    if (trimBlanks(value) == "Not acquired")
        return kTemperatureNotAcquired;
    std::string_view text = value;
    const std::optional<double> number = takeNumber(text);
    return number ? static_cast<float>(*number) : 0.0f;
}

uint32_t readU32(std::string_view bytes, std::size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

double readDouble(std::string_view bytes, std::size_t offset)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(bytes[offset + i]);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float readFloat(std::string_view bytes, std::size_t offset)
{
    const uint32_t bits = readU32(bytes, offset);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string_view zeroTerminated(std::string_view bytes, std::size_t offset, std::size_t width)
{
    const std::string_view field = bytes.substr(offset, width);
    return field.substr(0, field.find('\0'));
}

// SPC files begin with a flag byte and a version byte 0x4B to 0x4D; text never does.
bool looksLikeSpc(std::string_view bytes)
{
    if (bytes.size() < 2)
        return false;
    const auto flags = static_cast<unsigned char>(bytes[0]);
    const auto version = static_cast<unsigned char>(bytes[1]);
    const bool printable = flags >= 0x20 && flags < 0x7F;
    return !printable && !dataFileIsBlank(bytes[0]) && version >= 0x4B && version <= 0x4D;
}

void parseSpc(std::string_view bytes, ParsedDataFile& out)
{
    out.content = DataFileContent::ForeignSpc;
    if (bytes.size() < kSpcHeaderSize + kSpcSubheaderSize)
        return;
    const auto flags = static_cast<unsigned char>(bytes[0]);
    const bool own =
        static_cast<unsigned char>(bytes[1]) == kSpcVersion &&
        static_cast<unsigned char>(bytes[3]) == kSpcFloatExponent && readU32(bytes, 24) == 1 &&
        ((flags == kSpcFlagXValues &&
          zeroTerminated(bytes, kSpcMemoOffset, kSpcMemoSize) == kSpcMemo) ||
         (flags == 0 && zeroTerminated(bytes, kSpcSourceOffset, kSpcTextFieldSize) == kSpcSource));
    if (!own)
        return;
    const uint32_t n = readU32(bytes, 4);
    const bool xValues = flags == kSpcFlagXValues;
    const std::size_t yOffset =
        kSpcHeaderSize + (xValues ? 4 * std::size_t{n} : 0) + kSpcSubheaderSize;
    if (n == 0 || n > kSpectrumPoints || bytes.size() < yOffset + 4 * std::size_t{n}) {
        out.content = DataFileContent::NoSpectralData;
        return;
    }
    const std::optional<int32_t> channel =
        parseChannel(zeroTerminated(bytes, kSpcResolutionOffset, kSpcTextFieldSize));
    if (!channel) {
        out.content = DataFileContent::BadChannel;
        return;
    }
    out.wavelengths.resize(n);
    out.values.resize(n);
    const double firstX = readDouble(bytes, 8);
    const double lastX = readDouble(bytes, 16);
    for (uint32_t i = 0; i < n; ++i) {
        if (xValues)
            out.wavelengths[i] = readFloat(bytes, kSpcHeaderSize + 4 * std::size_t{i});
        else
            out.wavelengths[i] = n == 1 ? firstX : firstX + (lastX - firstX) * i / (n - 1);
        out.values[i] = readFloat(bytes, yOffset + 4 * std::size_t{i});
    }
    out.header.channel = *channel;
    out.header.numberOfPoints = static_cast<int32_t>(n);
    out.header.carriesAcquisitionParameters = false;
    out.content = DataFileContent::OwnSpc;
}

void parseTable(std::string_view bytes, ParsedDataFile& out)
{
    LineCursor lines(bytes);
    double wavelength = 0.0;
    double value = 0.0;
    while (out.values.size() < static_cast<std::size_t>(kSpectrumPoints)) {
        const std::optional<std::string_view> line = lines.next();
        if (!line)
            break;
        // Lines that are not two numbers (blank lines, notes) are passed over.
        if (!parseRow(*line, wavelength, value))
            continue;
        out.wavelengths.push_back(wavelength);
        out.values.push_back(value);
    }
    if (out.values.empty())
        return;
    out.header.channel = 0;
    out.header.marker = 999;
    out.header.carriesAcquisitionParameters = false;
    out.header.numberOfPoints = static_cast<int32_t>(out.values.size());
    out.content = DataFileContent::Table;
}

void parseHeaderFile(std::string_view bytes, ParsedDataFile& out)
{
    LineCursor lines(bytes);
    SpectrumFileHeader& header = out.header;
    const std::string_view first = *lines.next();
    // The version is the text after "Harlune Version " up to the next blank.
    std::string_view version = first.substr(std::min(first.size(), kHeaderStart.size() + 1));
    version = version.substr(0, version.find(' '));
    header.version = std::string(version);

    // The header's lines are known by their place, not their key. Version 1 headers end
    // after the reference channel; later ones go on with five more lines. The begin marker
    // in the twelfth place tells the short form whatever the version text says.
    std::string_view values[16];
    lines.next(); // the "+" line
    std::optional<std::string_view> line;
    for (int i = 0; i < 16; ++i) {
        line = lines.next();
        if (!line)
            return; // the file ends inside its header
        if (i == 11 && *line == kBeginMarker)
            break;
        values[i] = headerValue(*line);
        if (i == 4 && (line->find("(usec)") != std::string_view::npos ||
                       line->find("(sec)") != std::string_view::npos))
            header.microsecondFlag = 1;
        line.reset();
    }
    const std::optional<int32_t> channel = parseChannel(values[3]);
    const std::optional<int32_t> referenceChannel = parseChannel(values[10]);
    if (!channel || !referenceChannel) {
        header = SpectrumFileHeader{};
        out.content = DataFileContent::BadChannel;
        return;
    }
    header.date = std::string(values[0]);
    header.user = std::string(values[1]);
    header.serialNumber = std::string(values[2]);
    header.channel = *channel;
    header.integrationTime = parseInt(values[4]);
    header.averages = parseInt(values[5]);
    header.boxcar = parseInt(values[6]);
    header.correctDark = parseEnabled(values[7]);
    header.timeNormalized = parseEnabled(values[8]);
    header.referenceType = parseReferenceType(values[9]);
    header.referenceChannel = *referenceChannel;
    int32_t expectedPoints = 2048;
    if (!line) {
        // The long form: the marker follows the sixteenth line.
        header.temperature = parseTemperature(values[11]);
        header.spectrometerType = std::string(values[12]);
        header.adcType = std::string(values[13]);
        expectedPoints = parseInt(values[14]);
        header.graphTitle = std::string(values[15]);
        line = lines.next();
    }
    if (!line || *line != kBeginMarker)
        return;
    // A count above the arrays' size reads only what they hold.
    expectedPoints = std::clamp(expectedPoints, 0, kSpectrumPoints);
    double wavelength = 0.0;
    double value = 0.0;
    bool anyRow = false;
    for (int32_t i = 0; i < expectedPoints; ++i) {
        const std::optional<std::string_view> line = lines.next();
        if (!line || *line == kEndMarker)
            break;
        // A row that does not parse keeps its place, so later pixels stay where they are.
        if (parseRow(*line, wavelength, value))
            anyRow = true;
        else
            wavelength = value = 0.0;
        out.wavelengths.push_back(wavelength);
        out.values.push_back(value);
    }
    // Rows of which none parses are no data (decimal commas, another format): the file
    // is refused rather than read as zeros.
    if (!anyRow)
        return;
    header.numberOfPoints = static_cast<int32_t>(out.values.size());
    out.content = DataFileContent::HeaderFile;
}

// The system's text for a file error, as a sentence.
std::string fileErrorText(int error)
{
    char buffer[256];
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    std::string out = text != nullptr ? text : "Unknown error";
    return out + ".";
}

// Reads a whole regular file; the reason it cannot, empty when it could.
std::string readWholeFile(const std::string& path, std::string& bytes)
{
    // Only regular files: a folder reads as an error and a pipe would wait for a writer.
    struct stat entry
    {};
    if (path.empty())
        return "No file was named.";
    if (::stat(path.c_str(), &entry) != 0)
        return fileErrorText(errno);
    if (S_ISDIR(entry.st_mode))
        return "It is a folder, not a file.";
    if (!S_ISREG(entry.st_mode))
        return "It is not a regular file.";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return fileErrorText(errno);
    char buffer[65536];
    while (bytes.size() < kMaxReadBytes) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, got);
        if (got < sizeof buffer)
            break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? std::string("It could not be read to its end.") : std::string();
}

void showError(DataFileContext& context, const std::string& text)
{
    if (context.heldFailure != nullptr) {
        if (context.heldFailure->empty())
            *context.heldFailure = text;
        return;
    }
    if (context.window != nullptr)
        context.window->showMessageBox(text, kErrorCaption, SpectrumDocWindow::Buttons::Ok);
}

// The warning dialog of a preference that the user can switch off: the "Warning" sound,
// the dialog, and the check box stored back into the preference.
bool askWarning(DataFileContext& context, const std::string& text, uint32_t& preference)
{
    if (context.window == nullptr)
        return false;
    if (context.preferences.SoundEnabled == 1)
        context.window->playSoundAsync(context.preferences.WarningSound);
    bool continueToWarn = preference != 0;
    const SpectrumDocWindow::Answer answer =
        context.window->showWarningDialog(text, continueToWarn);
    preference = continueToWarn ? 1 : 0;
    return answer == SpectrumDocWindow::Answer::Yes;
}

// Writes a whole file and tells the user why it could not be written.
int writeReported(DataFileContext& context, const std::string& path, std::string_view bytes)
{
    int error = 0;
    if (writeFileAtomically(path, bytes, &error))
        return kDataFileOk;
    showError(context,
              "The file " + path + " could not be written.\n" + fileWriteFailure(path, error));
    return kDataFileFailed;
}

} // namespace

std::string fileWriteFailure(const std::string& path, int error)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string name = target.filename().string();
    if (name.empty())
        return "No file name was given.";
    if (name.size() > NAME_MAX || path.size() >= PATH_MAX)
        return "The name is too long.";
    std::error_code ignored;
    if (fs::is_directory(target, ignored))
        return "It is a folder.";
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::exists(folder, ignored))
        return "The folder " + folder.string() + " does not exist.";
    if (!fs::is_directory(folder, ignored))
        return folder.string() + " is not a folder.";
    if (::access(folder.c_str(), W_OK) != 0)
        return "The folder " + folder.string() + " cannot be written to.";
    // A file without its owner-write bit is read-only: it is never replaced, not even by the
    // superuser, whom access() would let through.
    struct stat entry
    {};
    if (::stat(path.c_str(), &entry) == 0 && S_ISREG(entry.st_mode) &&
        (entry.st_mode & S_IWUSR) == 0)
        return "The file is read-only.";
    switch (error) {
    case 0:
        return "The disk may be full.";
    case ENOSPC:
        return "There is no space left on the disk.";
    case EDQUOT:
        return "The disk quota is used up.";
    case EROFS:
        return "The disk is read-only.";
    default:
        return fileErrorText(error);
    }
}

bool fileHasSettingsSection(const std::string& path, const std::string& section)
{
    std::string bytes;
    if (!readWholeFile(path, bytes).empty())
        return false;
    const auto folded = [](std::string_view text) {
        std::string out(text);
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::string wanted = "[" + folded(section) + "]";
    LineCursor lines(bytes);
    while (const std::optional<std::string_view> line = lines.next())
        if (folded(trimBlanks(*line)) == wanted)
            return true;
    return false;
}

std::string formatTextDataFile(const SpectrumFileHeader& header, bool withHeader,
                               std::span<const double> wavelengths, std::span<const double> values,
                               RowFormat rowFormat)
{
    const std::size_t n = std::min(wavelengths.size(), values.size());
    const int precision = std::clamp(rowFormat.precision, 0, 30);
    const std::chars_format form =
        rowFormat.exponential ? std::chars_format::scientific : std::chars_format::fixed;
    std::string out;
    out.reserve(1024 + n * (32 + static_cast<std::size_t>(precision)));
    if (withHeader)
        appendHeader(out, header, static_cast<int32_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        appendDouble(out, wavelengths[i], std::chars_format::fixed, 2);
        out += '\t';
        appendDouble(out, values[i], form, precision);
        out += "\r\n";
    }
    if (withHeader) {
        out += kEndMarker;
        out += "\r\n";
    }
    return out;
}

uint32_t spcDate(const std::tm& t)
{
    const auto field = [](int value, int limit) {
        return static_cast<uint32_t>(std::clamp(value, 0, limit));
    };
    return field(t.tm_min, 63) + 64 * field(t.tm_hour, 31) + 2048 * field(t.tm_mday, 31) +
           65536 * field(t.tm_mon + 1, 15) + 1048576 * field(t.tm_year + 1900, 4095);
}

std::string formatSpcXyFile(const SpectrumFileHeader& header, std::span<const double> wavelengths,
                            std::span<const double> values, const std::tm& localTime)
{
    const std::size_t n = std::min(wavelengths.size(), values.size());
    const double firstX = n > 0 ? wavelengths[0] : 0.0;
    const double lastX = n > 0 ? wavelengths[n - 1] : 0.0;
    std::string out =
        spcHeader(kSpcFlagXValues, static_cast<uint32_t>(n), firstX, lastX, 3, 4, localTime);
    std::string resolution;
    appendInt(resolution, header.channel);
    resolution += ' ';
    putText(out, kSpcResolutionOffset, kSpcTextFieldSize, resolution);
    putText(out, kSpcSourceOffset, kSpcTextFieldSize, header.serialNumber);
    putText(out, kSpcMemoOffset, kSpcMemoSize, kSpcMemo);
    out.reserve(kSpcHeaderSize + kSpcSubheaderSize + 8 * n);
    appendFloats(out, wavelengths.first(n));
    appendSubheader(out);
    appendFloats(out, values.first(n));
    return out;
}

std::string formatEvenlySpacedSpcFile(double firstX, double lastX, std::span<const double> values,
                                      uint8_t xUnit, uint8_t yUnit, const std::string& comment,
                                      const std::tm& localTime)
{
    std::string out =
        spcHeader(0, static_cast<uint32_t>(values.size()), firstX, lastX, xUnit, yUnit, localTime);
    putText(out, kSpcResolutionOffset, kSpcTextFieldSize, "0 ");
    putText(out, kSpcSourceOffset, kSpcTextFieldSize, kSpcSource);
    putText(out, kSpcMemoOffset, kSpcMemoSize, comment);
    appendSubheader(out);
    appendFloats(out, values);
    return out;
}

bool parseDataRow(std::string_view line, double& wavelength, double& value)
{
    return parseRow(line, wavelength, value);
}

ParsedDataFile parseDataFile(std::string_view bytes)
{
    ParsedDataFile out;
    // A text editor may have put a byte-order mark before the header.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (looksLikeSpc(bytes)) {
        parseSpc(bytes, out);
    } else if (bytes.substr(0, 4096).find('\0') != std::string_view::npos) {
        out.content = DataFileContent::NoSpectralData;
    } else if (bytes.starts_with(kHeaderStart)) {
        parseHeaderFile(bytes, out);
    } else {
        parseTable(bytes, out);
    }
    if (out.content == DataFileContent::NoSpectralData ||
        out.content == DataFileContent::BadChannel || out.content == DataFileContent::ForeignSpc) {
        out.wavelengths.clear();
        out.values.clear();
        out.header.numberOfPoints = 0;
    }
    return out;
}

std::tm currentLocalTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool confirmOverwrite(DataFileContext& context, const std::string& path)
{
    if (context.preferences.FileOverwriteWarning == 0 || context.heldFailure != nullptr)
        return true;
    // Any entry of that name counts, readable or not: the rename would replace it.
    struct stat entry
    {};
    if (::lstat(path.c_str(), &entry) != 0)
        return true;
    // A folder of that name is never replaced: the write fails and says so.
    if (S_ISDIR(entry.st_mode))
        return true;
    return askWarning(context,
                      "You are about to overwrite the file " + path +
                          ".\nAre you sure you wish to overwrite this file?",
                      context.preferences.FileOverwriteWarning);
}

int writeDataFile(DataFileContext& context, const std::string& path,
                  const SpectrumFileHeader& header, int format, const double* wavelengths,
                  const double* values)
{
    const int32_t n = header.numberOfPoints;
    if (format < kTextWithoutHeader || format > kSpcXy || n < 0 || n > kSpectrumPoints ||
        (n > 0 && (wavelengths == nullptr || values == nullptr)))
        return kDataFileBadArgument;
    const std::span<const double> x(wavelengths, static_cast<std::size_t>(n));
    const std::span<const double> y(values, static_cast<std::size_t>(n));
    // SPC data goes to the name with ".spc" added, and only that name is asked about.
    const std::string target = format == kSpcXy ? path + ".spc" : path;
    if (!confirmOverwrite(context, target))
        return kDataFileOverwriteDeclined;
    std::string bytes;
    if (format == kSpcXy) {
        const std::tm now = context.localTime ? context.localTime() : currentLocalTime();
        bytes = formatSpcXyFile(header, x, y, now);
    } else {
        const RowFormat rowFormat{context.preferences.AlwaysExponential == 1,
                                  context.preferences.DefaultSavePrecision};
        bytes = formatTextDataFile(header, format == kTextWithHeader, x, y, rowFormat);
    }
    return writeReported(context, target, bytes);
}

int writeEvenlySpacedSpcFile(DataFileContext& context, const std::string& path, double firstX,
                             double lastX, int numberOfPoints, const double* values, int xUnit,
                             int yUnit, const std::string& comment)
{
    if (numberOfPoints < 1 || numberOfPoints > kSpectrumPoints || values == nullptr || xUnit < 0 ||
        xUnit > 255 || yUnit < 0 || yUnit > 255)
        return kDataFileBadArgument;
    if (!confirmOverwrite(context, path))
        return kDataFileOverwriteDeclined;
    const std::tm now = context.localTime ? context.localTime() : currentLocalTime();
    const std::string bytes = formatEvenlySpacedSpcFile(
        firstX, lastX, std::span<const double>(values, static_cast<std::size_t>(numberOfPoints)),
        static_cast<uint8_t>(xUnit), static_cast<uint8_t>(yUnit), comment, now);
    return writeReported(context, path, bytes);
}

int readDataFile(DataFileContext& context, const std::string& path, SpectrumFileHeader& header,
                 std::span<double, kSpectrumPoints> wavelengths,
                 std::span<double, kSpectrumPoints> values)
{
    header = SpectrumFileHeader{};
    std::string bytes;
    if (const std::string reason = readWholeFile(path, bytes); !reason.empty()) {
        showError(context, "The file " + path + " could not be opened.\n" + reason);
        return kDataFileFailed;
    }
    ParsedDataFile parsed = parseDataFile(bytes);
    switch (parsed.content) {
    case DataFileContent::ForeignSpc:
        showError(context, "This SPC file was not saved by Harlune.\nOnly SPC files saved by "
                           "Harlune can be opened.");
        return kDataFileFailed;
    case DataFileContent::NoSpectralData:
        // A header without data still tells its acquisition parameters.
        header = parsed.header;
        showError(context, "The file " + path + " holds no spectral data.");
        return kDataFileFailed;
    case DataFileContent::BadChannel:
        showError(context, "The file " + path +
                               " names a spectrometer channel other than Master and Slave1 "
                               "to Slave7.");
        return kDataFileFailed;
    case DataFileContent::Table:
        if (context.preferences.NoFileHeaderWarning == 1 &&
            !askWarning(context,
                        "You are about open the " + path +
                            " which has no header.\nAre you sure you wish to open thisfile?",
                        context.preferences.NoFileHeaderWarning))
            return kDataFileHeaderlessDeclined;
        break;
    case DataFileContent::HeaderFile:
    case DataFileContent::OwnSpc:
        break;
    }
    header = parsed.header;
    std::copy(parsed.wavelengths.begin(), parsed.wavelengths.end(), wavelengths.begin());
    std::copy(parsed.values.begin(), parsed.values.end(), values.begin());
    return kDataFileOk;
}

} // namespace app::spectrum
