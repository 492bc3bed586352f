#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CHarluneSpectrumView;
class CINIFileSupport;
class CSpectrometerConfiguration;

// The records of a spectrum window's time acquisition (time series of values taken from
// its processed spectra), their parameters file and the pieces of the run that need no
// view: unit conversion, the combinations' arithmetic, the stream file's lines and the
// analog outputs. GUI thread.
namespace app::spectrum {

enum ComboOperation : uint32_t
{
    Add = 0,
    Subtract = 1,
    Multiply = 2,
    Divide = 3,
};

// Unit codes of the three intervals.
constexpr uint16_t kTimeUnitHours = 0;
constexpr uint16_t kTimeUnitMinutes = 1;
constexpr uint16_t kTimeUnitSeconds = 2;
constexpr uint16_t kTimeUnitMilliseconds = 3;

constexpr std::size_t kTimeFilenameBytes = 260;

struct TimeAcquisitionSettings
{
    uint32_t StreamDataToDisk = 0;
    char Filename[kTimeFilenameBytes] = "TestTime";
    uint32_t SaveEveryAcquisition = 0;
    uint32_t ContinueUntilManuallyStopped = 0;
    uint32_t ShowValuesInStatusBar = 1;
    uint32_t InitialDelay = 10;
    uint16_t InitialDelayUnit = kTimeUnitSeconds;
    uint32_t Frequency = 10;
    uint16_t FrequencyUnit = kTimeUnitSeconds;
    uint32_t Duration = 11;
    uint16_t DurationUnit = kTimeUnitSeconds;
    uint32_t LogFrequency = 100;
    uint32_t SaveFullSpectrum = 0;
};

struct TimeChannelRecord
{
    uint32_t Enabled = 0;
    // 0 master, 1 to 7 slaves, 8 the view's last temperature read-out.
    int32_t SpectrometerChannel = 0;
    double Wavelength = 500.0; // nm
    // Centre pixel; -1 derives it from Wavelength.
    int32_t Pixel = -1;
    int32_t Bandwidth = 0; // pixels
    double Factor = 1.0;
    double Offset = 0.0;
    uint32_t RateOnly = 0;
    int32_t RateBandwidth = 0;
    uint32_t Plotted = 0;
    double Value = 0.0;
    uint32_t DACEnabled = 0;
};

struct TimeComboRecord
{
    uint32_t Enabled = 0;
    // Operands: 0 to 5 channels A to F, 6 Combo 1, 7 Combo 2.
    uint32_t FirstChannel = 0;
    uint32_t Operation = Add;
    uint32_t SecondChannel = 0;
    double Factor = 1.0;
    double Offset = 0.0;
    uint32_t RateOnly = 0;
    uint32_t RateBandwidth = 0;
    uint32_t Plotted = 1;
    double Value = 0.0;
    uint32_t DACEnabled = 0;
};

constexpr int kTimeChannels = 6;
constexpr int kTimeCombos = 2;
// The series ring: 2047 samples.
constexpr int kTimeRingSize = 2047;

// Everything a parameters file holds.
struct TimeAcquisitionParameters
{
    TimeAcquisitionSettings settings;
    std::array<TimeChannelRecord, kTimeChannels> channels{};
    std::array<TimeComboRecord, kTimeCombos> combos{};
};

// A value in a unit as milliseconds, in 64 bits so that long durations do not wrap; an
// unknown unit counts as milliseconds.
uint64_t timeUnitToMs(uint32_t value, uint16_t unit);
const char* timeUnitName(uint16_t unit);
// "Hours" ... "Milliseconds"; anything else is seconds.
uint16_t timeUnitOfName(const std::string& name);
// The combination's result before its factor and offset; a division by exactly zero is 0.0.
double comboResult(uint32_t operation, double first, double second);
// Copies text into the settings' Filename, cut at a character boundary to 259 bytes.
void setTimeFilename(TimeAcquisitionSettings& settings, const std::string& text);
std::string timeFilename(const TimeAcquisitionSettings& settings);
// True when the folder of filename holds a spectrum file of a run under that name: one named
// filename, a dot, a sample number of five or more digits and a dot, then anything.
bool timeRunFilesExist(const std::string& filename);

// Reads a parameters file: missing keys give the records' defaults, an unknown operand name
// keeps the field, values outside a field's range are clamped into it. Pixel -1 of a
// spectrometer channel 0 to 7 is derived from the configuration.
void readTimeParameters(CINIFileSupport& store, TimeAcquisitionParameters& parameters,
                        const CSpectrometerConfiguration* configuration);
// Writes all records in one replacement of the file; false when it could not be written.
bool writeTimeParameters(CINIFileSupport& store, const TimeAcquisitionParameters& parameters);
// Pixel of a channel's wavelength, kept to 16 bits, for channels 0 to 7.
void derivePixel(TimeChannelRecord& channel, const CSpectrometerConfiguration& configuration);

// The header line of the stream and data files: "Time (sec)", the enabled channels and
// combinations; no line end.
std::string timeColumnsHeader(const std::array<TimeChannelRecord, kTimeChannels>& channels,
                              const std::array<TimeComboRecord, kTimeCombos>& combos);

// The analog outputs a run drives: outputs 0 to 5 follow channels A to F, 6 and 7 the
// combinations.
class TimeAnalogOutput
{
public:
    virtual ~TimeAnalogOutput() = default;
    virtual void SetRange(int32_t channel, double minimum, double maximum) = 0;
    virtual void SetValue(int32_t channel, double value) = 0;
};
// The maker is given the window that runs the acquisition: its outputs are that window's
// converters.
using TimeAnalogOutputFactory =
    std::function<std::unique_ptr<TimeAnalogOutput>(CHarluneSpectrumView& view)>;
// Installs the program's analog-output maker (empty: runs drive no outputs).
void setTimeAnalogOutputFactory(TimeAnalogOutputFactory factory);
// A new analog-output object on the view's converters, or null when none can be made.
std::unique_ptr<TimeAnalogOutput> makeTimeAnalogOutput(CHarluneSpectrumView& view);

// The stream file of a run: rows of the time and the values of the columns chosen at Start,
// held in memory and written a block at a time, each block flushed. The row buffers grow
// with the rows held and keep their capacity between blocks.
class TimeAcquisitionStreamFile
{
public:
    TimeAcquisitionStreamFile() = default;
    ~TimeAcquisitionStreamFile();
    TimeAcquisitionStreamFile(const TimeAcquisitionStreamFile&) = delete;
    TimeAcquisitionStreamFile& operator=(const TimeAcquisitionStreamFile&) = delete;

    // Creates the file; false when it cannot be opened.
    bool open(const std::string& path);
    bool isOpen() const { return m_file != nullptr; }
    // Sets the columns (values per row after the time), the block size and the value format
    // (precision digits, fixed or exponent); writes the header line.
    void start(const std::string& header, int valueColumns, uint32_t logFrequency, int precision,
               bool exponential);
    // Holds one row; writes and flushes the block when it is full or when last is set.
    void addRow(double time, const double* values, bool last);
    // Writes what is held and closes the file.
    void close();
    uint64_t rowsHeld() const { return m_rows; }

private:
    void writeHeld();

    std::FILE* m_file = nullptr;
    int m_columns = 0;
    uint32_t m_logFrequency = 0;
    char m_format[16] = {};
    std::vector<double> m_times;
    std::vector<double> m_values;
    uint64_t m_rows = 0;
    std::string m_text;
};

// The state of one run of a view's time acquisition, from Start to Stop (the series and
// sample times stay until the next Start).
struct TimeAcquisitionRun
{
    int sampleIndex = 0;
    int wrapped = 0;
    std::array<double, 4096> sampleTimes{};
    // Each enabled channel's and combination's series (the plotted ones also fill their
    // overlay slot), so a saved table never shows a slot's other contents.
    std::array<std::array<double, kTimeRingSize>, kTimeChannels + kTimeCombos> series{};
    double elapsed = 0.0;     // seconds since Start
    double currentTime = 0.0; // elapsed at the last sample
    double endTime = 0.0;     // seconds
    // Times on the monotonic process clock, in nanoseconds.
    int64_t lastTickNs = 0;
    int64_t nextSampleNs = 0;
    int64_t intervalNs = 0;
    // The stream as Start set it up: the file and the columns (0 to 5 channels, 6 and 7 the
    // combinations) that have buffers.
    bool streaming = false;
    TimeAcquisitionStreamFile stream;
    std::vector<int> streamColumns;
    std::vector<double> streamRow;
    int spectrumSaveCounter = 0;
    int analogOutputCount = 0;
    std::unique_ptr<TimeAnalogOutput> analogOutput;
    std::string statusText;
    // The first spectrum file of this run that could not be written, told when it stops.
    std::string fileFailure;
};

} // namespace app::spectrum
