#pragma once

#include "app/spectrum/SpectrumDocWindow.h"
#include "app/spectrum/SpectrumTypes.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The header record every spectrum-file save fills and the reader returns.
struct SpectrumFileHeader
{
    std::string version;
    std::string date;
    std::string user;
    std::string serialNumber;
    // ".spec" spellings of the spectrometer and A/D types.
    std::string spectrometerType;
    std::string adcType;
    // 0 master, 1 to 7 slaves.
    int32_t channel = 0;
    int32_t integrationTime = 0;
    // 1 when the integration time is not in milliseconds.
    int32_t microsecondFlag = 0;
    int32_t averages = 0;
    int32_t boxcar = 0;
    // Not written to files.
    int32_t flashDelay = 0;
    int32_t correctDark = 0;
    int32_t timeNormalized = 0;
    // Reference monitoring type 0 to 3.
    int32_t referenceType = 0;
    int32_t referenceChannel = 0;
    // 999 for a file without header.
    int32_t marker = 0;
    // Detector temperature in degrees; kTemperatureNotAcquired when none was read.
    float temperature = 0.0f;
    int32_t numberOfPoints = 0;
    std::string graphTitle;
    // False when the file's format carries no acquisition parameters (SPC files and tables
    // without header): the fields from serial number to temperature are then not the file's
    // and are neither compared with a window nor copied into one.
    bool carriesAcquisitionParameters = true;
};

inline constexpr float kTemperatureNotAcquired = -99999.0f;

namespace app::spectrum {

// Results of the writers and the reader.
enum DataFileResult : int
{
    kDataFileOk = 0,
    // Could not be created or written (writers), opened or used (reader).
    kDataFileFailed = 1,
    // A format, point count or array the writers cannot take.
    kDataFileBadArgument = 2,
    kDataFileOverwriteDeclined = 4,
    kDataFileHeaderlessDeclined = 6,
};

// Formats of WriteDataFile.
enum DataFileFormat : int
{
    kTextWithoutHeader = 0,
    kTextWithHeader = 1,
    kSpcXy = 2,
};

// How data rows print their value: exponent or fixed form, precision decimals.
struct RowFormat
{
    bool exponential = false;
    int precision = 3;
};

// The formatters and the parser below are pure functions (any thread); the file operations
// after them ask the window's questions and run on the GUI thread.

// The bytes of a text data file: the header lines (when withHeader) and one row per point,
// "\r\n" line ends, numbers in the "C" form whatever the process locale.
std::string formatTextDataFile(const SpectrumFileHeader& header, bool withHeader,
                               std::span<const double> wavelengths, std::span<const double> values,
                               RowFormat rowFormat);

// The SPC date word of a local time.
uint32_t spcDate(const std::tm& localTime);

// The bytes of an SPC file with X values (header, X floats, subfile header, Y floats).
std::string formatSpcXyFile(const SpectrumFileHeader& header, std::span<const double> wavelengths,
                            std::span<const double> values, const std::tm& localTime);

// The bytes of an evenly spaced SPC file.
std::string formatEvenlySpacedSpcFile(double firstX, double lastX, std::span<const double> values,
                                      uint8_t xUnit, uint8_t yUnit, const std::string& comment,
                                      const std::tm& localTime);

// What a file's bytes hold, as the reader sees them.
enum class DataFileContent
{
    // A text file with the "Harlune Version" header and its data rows.
    HeaderFile,
    // Rows of numbers without header.
    Table,
    // An SPC file this program wrote.
    OwnSpc,
    // An SPC file written by another program.
    ForeignSpc,
    // Empty, binary, or a header without spectral data.
    NoSpectralData,
    // A header naming a channel outside Master and Slave1 to Slave7.
    BadChannel,
};

struct ParsedDataFile
{
    DataFileContent content = DataFileContent::NoSpectralData;
    SpectrumFileHeader header;
    // At most kSpectrumPoints each; header.numberOfPoints is their size.
    std::vector<double> wavelengths;
    std::vector<double> values;
};

// Parses a data file's bytes: never reads past them, never yields more than kSpectrumPoints
// points, and leaves a header with a channel in 0..7 and the point count it yields.
ParsedDataFile parseDataFile(std::string_view bytes);

// One data row as parseDataFile reads it: two numbers in the "C" form (wavelength, then
// value) with blanks or a tab between them; false when the line does not start with two.
bool parseDataRow(std::string_view line, double& wavelength, double& value);

// What the document's file operations use of the program.
struct DataFileContext
{
    SpectrumPreferences& preferences;
    // Asks the questions and shows the errors. Null (a caller without any window) answers
    // every question No, so nothing is overwritten or opened unasked.
    SpectrumDocWindow* window = nullptr;
    // The local time stamped into SPC files.
    std::function<std::tm()> localTime;
    // Set while files are written with nobody to answer (a running time acquisition, whose
    // overwrite question was asked when it started): existing files are replaced without a
    // question and the first failure's text is kept here instead of shown.
    std::string* heldFailure = nullptr;
};

// Why a file could not be written (a sentence for the user): a missing or read-only folder, a
// name that is a folder or too long, a read-only file, else error (the errno of the failed
// step: no space, a read-only disk, or the system's text).
std::string fileWriteFailure(const std::string& path, int error);

// True when path is a regular settings (INI) file with the section (case ignored).
bool fileHasSettingsSection(const std::string& path, const std::string& section);

// The local time of the clock.
std::tm currentLocalTime();

// Asks before path is overwritten (when "FileOverwriteWarning" is on, the file exists and the
// context holds no questions); true when it may be written. The dialog's check box is stored
// back into the preference.
bool confirmOverwrite(DataFileContext& context, const std::string& path);

// Writes one spectrum of numberOfPoints points (the header's count) in a format; SPC goes to
// path + ".spc". Returns a DataFileResult; a file that could not be written is reported to
// the user.
int writeDataFile(DataFileContext& context, const std::string& path,
                  const SpectrumFileHeader& header, int format, const double* wavelengths,
                  const double* values);

// Writes an evenly spaced SPC file of 1 to kSpectrumPoints values.
int writeEvenlySpacedSpcFile(DataFileContext& context, const std::string& path, double firstX,
                             double lastX, int numberOfPoints, const double* values, int xUnit,
                             int yUnit, const std::string& comment);

// Reads a text or own SPC data file. The arrays change only when the file was read; the
// header is always left usable (channel 0..7, at most kSpectrumPoints points). A file
// that cannot be used is reported to the user and gives kDataFileFailed.
int readDataFile(DataFileContext& context, const std::string& path, SpectrumFileHeader& header,
                 std::span<double, kSpectrumPoints> wavelengths,
                 std::span<double, kSpectrumPoints> values);

} // namespace app::spectrum
