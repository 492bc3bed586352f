#include "app/spectrum/SpectrumDataFile.h"

#include "app/spectrum/AtomicFile.h"
#include "tests/app/spectrum/SpectrumFakes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace app::spectrum::test {
namespace {

namespace fs = std::filesystem;
using Answer = SpectrumDocWindow::Answer;

const std::array<double, 5> kWavelengths = {200.0, 350.125, 500.5, 799.994, 1100.0};
const std::array<double, 5> kValues = {1.5e-120, -2.75e101, 0.0, 12345.6789, -0.0004567};
const std::array<double, 5> kSpcValues = {1.5, -2.25, 0.0, 12345.6789, 3.0e30};

std::tm fixedTime()
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_hour = 10;
    t.tm_min = 11;
    t.tm_sec = 12;
    return t;
}

SpectrumFileHeader labHeader()
{
    SpectrumFileHeader h;
    h.version = "3.1.0";
    h.date = "12/09/2026 10:11:12";
    h.user = "tester";
    h.serialNumber = "ISB1234567";
    h.spectrometerType = "Istrel";
    h.adcType = "PavikPlus";
    h.channel = 2;
    h.integrationTime = 100;
    h.averages = 3;
    h.boxcar = 1;
    h.flashDelay = 77;
    h.correctDark = 1;
    h.timeNormalized = 0;
    h.referenceType = 2;
    h.referenceChannel = 0;
    h.temperature = 21.5f;
    h.numberOfPoints = 5;
    h.graphTitle = "Lamp check";
    return h;
}

SpectrumFileHeader microsecondHeader()
{
    SpectrumFileHeader h;
    h.version = "3.1.0";
    h.spectrometerType = "Jolvar";
    h.adcType = "Pavik";
    h.channel = 0;
    h.integrationTime = 250;
    h.microsecondFlag = 1;
    h.averages = 1;
    h.correctDark = 0;
    h.timeNormalized = 1;
    h.referenceType = 3;
    h.referenceChannel = 5;
    h.temperature = kTemperatureNotAcquired;
    h.numberOfPoints = 5;
    return h;
}

class DataFileTest : public ::testing::Test
{
protected:
    DataFileTest()
        : folder(freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        context.window = &window;
        context.localTime = fixedTime;
    }

    int write(const fs::path& path, const SpectrumFileHeader& header, int format,
              const double* x = kWavelengths.data(), const double* y = kValues.data())
    {
        return writeDataFile(context, path.string(), header, format, x, y);
    }

    int read(const fs::path& path)
    {
        return readDataFile(context, path.string(), header, wavelengths, values);
    }

    fs::path folder;
    SpectrumPreferences preferences;
    FakeSpectrumWindow window;
    DataFileContext context{preferences, nullptr, nullptr};
    SpectrumFileHeader header;
    std::array<double, kSpectrumPoints> wavelengths{};
    std::array<double, kSpectrumPoints> values{};
};

struct GoldenTextCase
{
    const char* name;
    const char* fixtureName;
    int format;
    SpectrumFileHeader header;
    int alwaysExponential;
    int precision;
};

class GoldenTextTest : public DataFileTest, public ::testing::WithParamInterface<GoldenTextCase>
{};

TEST_P(GoldenTextTest, WritesTheGoldenBytes)
{
    const GoldenTextCase& c = GetParam();
    preferences.AlwaysExponential = c.alwaysExponential;
    preferences.DefaultSavePrecision = c.precision;
    const fs::path path = folder / "out.sample";
    ASSERT_EQ(write(path, c.header, c.format), kDataFileOk);
    EXPECT_EQ(readBytes(path), readBytes(fixture(c.fixtureName)));
    EXPECT_TRUE(window.warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, GoldenTextTest,
                         ::testing::Values(GoldenTextCase{"RowsFixed3", "rows-fixed3.txt",
                                                          kTextWithoutHeader, labHeader(), 0, 3},
                                           GoldenTextCase{"HeaderExponent4", "header-exp4.txt",
                                                          kTextWithHeader, labHeader(), 1, 4},
                                           GoldenTextCase{"HeaderMicrosecondsFixed0",
                                                          "header-usec-fixed0.txt", kTextWithHeader,
                                                          microsecondHeader(), 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataFileTest, SpcXyGoesOnlyToTheSpcNameAndMatchesTheGoldenBytes)
{
    // An older text file of the bare name is neither asked about nor emptied.
    writeBytes(folder / "lamp", "keep me");
    ASSERT_EQ(write(folder / "lamp", labHeader(), kSpcXy, kWavelengths.data(), kSpcValues.data()),
              kDataFileOk);
    EXPECT_EQ(readBytes(folder / "lamp"), "keep me");
    EXPECT_EQ(readBytes(folder / "lamp.spc"), readBytes(fixture("spc-xy.spc")));
    EXPECT_TRUE(window.warnings.empty());

    // Saving again asks about the SPC file itself.
    window.replies.push_back({Answer::No});
    EXPECT_EQ(write(folder / "lamp", labHeader(), kSpcXy), kDataFileOverwriteDeclined);
    ASSERT_EQ(window.warnings.size(), 1u);
    EXPECT_NE(window.warnings[0].find((folder / "lamp.spc").string() + "."), std::string::npos);
    EXPECT_EQ(readBytes(folder / "lamp.spc"), readBytes(fixture("spc-xy.spc")));
}

TEST_F(DataFileTest, EvenlySpacedSpcMatchesTheGoldenBytes)
{
    const fs::path path = folder / "even.spc";
    ASSERT_EQ(writeEvenlySpacedSpcFile(context, path.string(), 400.0, 800.0, 5, kSpcValues.data(),
                                       1, 12, "Evenly spaced comment"),
              kDataFileOk);
    EXPECT_EQ(readBytes(path), readBytes(fixture("spc-even.spc")));
}

TEST_F(DataFileTest, SpcHeaderFieldsSitAtTheirOffsets)
{
    SpectrumFileHeader h = labHeader();
    h.channel = 7;
    h.serialNumber = "ABCDEFGHIJKL";
    const std::string bytes = formatSpcXyFile(h, kWavelengths, kSpcValues, fixedTime());
    ASSERT_EQ(bytes.size(), 512u + 4 * 5 + 32 + 4 * 5);
    const auto u32 = [&](std::size_t offset) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data() + offset, 4);
        return v;
    };
    const auto f64 = [&](std::size_t offset) {
        double v = 0;
        std::memcpy(&v, bytes.data() + offset, 8);
        return v;
    };
    struct Field
    {
        const char* name;
        std::size_t offset;
        std::string expected;
    };
    const Field fields[] = {
        {"flags", 0, std::string("\x80", 1)},
        {"version", 1, "K"},
        {"experiment type", 2, std::string(1, '\0')},
        {"exponent", 3, std::string("\x80", 1)},
        {"x unit nm", 28, std::string(1, '\3')},
        {"y unit counts", 29, std::string(1, '\4')},
        {"z unit, posting", 30, std::string(2, '\0')},
        {"resolution", 36, std::string("7 \0\0\0\0\0\0\0", 9)},
        {"source: eight characters", 45, std::string("ABCDEFGH\0", 9)},
        {"peak point and spare", 54, std::string(34, '\0')},
        {"memo", 88, std::string("Harlune Data File\0", 18)},
        {"labels to reserved", 218, std::string(512 - 218, '\0')},
        {"subfile flags and exponent", 532, std::string("\0\x80", 2)},
        {"subfile rest", 534, std::string(30, '\0')},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(bytes.substr(f.offset, f.expected.size()), f.expected);
    }
    EXPECT_EQ(u32(4), 5u);
    EXPECT_EQ(f64(8), 200.0);
    EXPECT_EQ(f64(16), 1100.0);
    EXPECT_EQ(u32(24), 1u);
    EXPECT_EQ(u32(32), 11u + 64 * 10 + 2048 * 9 + 65536 * 12 + 1048576u * 2026);
    float x0 = 0;
    float y4 = 0;
    std::memcpy(&x0, bytes.data() + 512, 4);
    std::memcpy(&y4, bytes.data() + 512 + 20 + 32 + 16, 4);
    EXPECT_EQ(x0, 200.0f);
    EXPECT_EQ(y4, 3.0e30f);
}

TEST_F(DataFileTest, SpcTextFieldsNeverCutACharacter)
{
    SpectrumFileHeader h = labHeader();
    h.serialNumber = "ABCDEFG\xC3\xA9"; // the 8-byte cut would fall inside "é"
    const std::string bytes = formatSpcXyFile(h, kWavelengths, kSpcValues, fixedTime());
    EXPECT_EQ(bytes.substr(45, 9), std::string("ABCDEFG\0\0", 9));
    const std::string comment(200, 'c');
    const std::string even =
        formatEvenlySpacedSpcFile(0, 1, kSpcValues, 0, 0, comment, fixedTime());
    EXPECT_EQ(even.substr(88, 130), std::string(129, 'c') + '\0');
}

struct ReadCase
{
    const char* name;
    const char* fixtureName;
    int result;
    int32_t channel;
    int32_t points;
    double firstWavelength;
    double lastValue;
    // Checks of further header fields.
    void (*check)(const SpectrumFileHeader&);
};

class ReadFixtureTest : public DataFileTest, public ::testing::WithParamInterface<ReadCase>
{};

TEST_P(ReadFixtureTest, GivesItsDataOrAClearError)
{
    const ReadCase& c = GetParam();
    preferences.NoFileHeaderWarning = 0;
    values.fill(-7.0);
    EXPECT_EQ(read(fixture(c.fixtureName)), c.result);
    EXPECT_EQ(header.channel, c.channel);
    EXPECT_EQ(header.numberOfPoints, c.points);
    if (c.result == kDataFileOk) {
        ASSERT_GT(c.points, 0);
        EXPECT_DOUBLE_EQ(wavelengths[0], c.firstWavelength);
        EXPECT_DOUBLE_EQ(values[c.points - 1], c.lastValue);
        EXPECT_EQ(values[c.points], -7.0) << "a point past the file's was written";
        EXPECT_TRUE(window.messages.empty());
    } else {
        EXPECT_EQ(values[0], -7.0) << "a refused file changed the arrays";
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.captions[0], "Harlune Error");
    }
    if (c.check != nullptr)
        c.check(header);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ReadFixtureTest,
    ::testing::Values(
        ReadCase{"Version1Header", "version1.txt", kDataFileOk, 1, 3, 300.0, 12.5,
                 [](const SpectrumFileHeader& h) {
                     EXPECT_EQ(h.version, "1.2.0");
                     EXPECT_EQ(h.date, "Mon Jan 05 1998");
                     EXPECT_EQ(h.user, "old user");
                     EXPECT_EQ(h.serialNumber, "ISA0001");
                     EXPECT_EQ(h.integrationTime, 20);
                     EXPECT_EQ(h.averages, 2);
                     EXPECT_EQ(h.boxcar, 4);
                     EXPECT_EQ(h.correctDark, 0);
                     EXPECT_EQ(h.referenceType, 1);
                     EXPECT_EQ(h.graphTitle, "");
                     EXPECT_EQ(h.marker, 0);
                 }},
        ReadCase{"TableLf", "table-lf.txt", kDataFileOk, 0, 3, 400.5, -3.75,
                 [](const SpectrumFileHeader& h) { EXPECT_EQ(h.marker, 999); }},
        ReadCase{"TableCrLf", "table-crlf.txt", kDataFileOk, 0, 3, 400.5, -3.75, nullptr},
        ReadCase{"ThreeDigitExponents", "exponent3.txt", kDataFileOk, 7, 3, 200.0, 4.0,
                 [](const SpectrumFileHeader& h) {
                     EXPECT_EQ(h.microsecondFlag, 1);
                     EXPECT_EQ(h.integrationTime, 15);
                     EXPECT_EQ(h.timeNormalized, 1);
                     EXPECT_EQ(h.referenceType, 3);
                     EXPECT_EQ(h.referenceChannel, 3);
                     EXPECT_EQ(h.temperature, kTemperatureNotAcquired);
                     EXPECT_EQ(h.adcType, "Quarn");
                     EXPECT_EQ(h.graphTitle, "Three digits");
                 }},
        ReadCase{"MissingEndMarker", "no-end-marker.txt", kDataFileOk, 0, 2, 500.0, 2.0,
                 [](const SpectrumFileHeader& h) { EXPECT_EQ(h.temperature, -5.5f); }},
        ReadCase{"MissingBeginMarker", "no-begin-marker.txt", kDataFileFailed, 0, 0, 0, 0,
                 [](const SpectrumFileHeader& h) { EXPECT_EQ(h.serialNumber, "S2"); }},
        ReadCase{"BadChannel", "bad-channel.txt", kDataFileFailed, 0, 0, 0, 0, nullptr},
        ReadCase{"Empty", "empty.txt", kDataFileFailed, 0, 0, 0, 0, nullptr},
        ReadCase{"Binary", "binary.bin", kDataFileFailed, 0, 0, 0, 0, nullptr},
        ReadCase{"ForeignSpc", "foreign.spc", kDataFileFailed, 0, 0, 0, 0, nullptr},
        ReadCase{"OwnSpcXy", "spc-xy.spc", kDataFileOk, 2, 5, 200.0, 3.0e30f, nullptr},
        ReadCase{"OwnSpcEven", "spc-even.spc", kDataFileOk, 0, 5, 400.0, 3.0e30f, nullptr},
        // Decimal commas are no numbers of this format: no row parses, so the file is
        // refused instead of read as zeros; its header still tells its parameters.
        ReadCase{"DecimalCommas", "decimal-comma.txt", kDataFileFailed, 2, 0, 0, 0,
                 [](const SpectrumFileHeader& h) { EXPECT_EQ(h.serialNumber, "S9"); }},
        ReadCase{"CrOnlyLineEnds", "cr-only.txt", kDataFileOk, 4, 3, 600.0, 3.5,
                 [](const SpectrumFileHeader& h) { EXPECT_EQ(h.graphTitle, "Old Mac"); }},
        ReadCase{"CrOnlyTable", "table-cr.txt", kDataFileOk, 0, 3, 400.5, -3.75, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseDataFile, EveryCutOfEveryFixtureIsSafe)
{
    for (const char* name :
         {"version1.txt", "exponent3.txt", "no-end-marker.txt", "table-crlf.txt", "spc-xy.spc",
          "spc-even.spc", "foreign.spc", "header-exp4.txt", "cr-only.txt", "out-of-range.txt"}) {
        SCOPED_TRACE(name);
        const std::string bytes = readBytes(fixture(name));
        for (std::size_t length = 0; length <= bytes.size(); ++length) {
            std::string cut = bytes.substr(0, length);
            // Also with one byte flipped where the cut ends.
            for (int flip = 0; flip < 2; ++flip) {
                if (flip == 1 && length > 0)
                    cut[length - 1] = static_cast<char>(cut[length - 1] ^ 0x5A);
                const ParsedDataFile parsed = parseDataFile(cut);
                ASSERT_GE(parsed.header.channel, 0);
                ASSERT_LT(parsed.header.channel, kSpectrumChannels);
                ASSERT_GE(parsed.header.referenceChannel, 0);
                ASSERT_LT(parsed.header.referenceChannel, kSpectrumChannels);
                ASSERT_EQ(parsed.values.size(),
                          static_cast<std::size_t>(parsed.header.numberOfPoints));
                ASSERT_EQ(parsed.wavelengths.size(), parsed.values.size());
                ASSERT_LE(parsed.header.numberOfPoints, kSpectrumPoints);
            }
        }
    }
}

// Numbers beyond the range of a double saturate as strtod makes them: infinity or zero, the
// sign kept.
TEST_F(DataFileTest, OutOfRangeNumbersSaturate)
{
    ASSERT_EQ(read(fixture("out-of-range.txt")), kDataFileOk);
    ASSERT_EQ(header.numberOfPoints, 5);
    EXPECT_EQ(values[0], HUGE_VAL);
    EXPECT_EQ(values[1], -HUGE_VAL);
    EXPECT_EQ(values[2], 0.0);
    EXPECT_FALSE(std::signbit(values[2]));
    EXPECT_EQ(values[3], 0.0);
    EXPECT_TRUE(std::signbit(values[3]));
    EXPECT_EQ(wavelengths[4], HUGE_VAL);
    EXPECT_EQ(values[4], 2.5);
}

// A row whose numbers use a decimal comma is not read as its part before the comma.
TEST(ParseDataFile, RowsWithDecimalCommasDoNotParse)
{
    const ParsedDataFile mixed = parseDataFile("400.5\t1.25\n401,5\t2,5\n402.5\t3 ,5\n");
    ASSERT_EQ(mixed.content, DataFileContent::Table);
    EXPECT_EQ(mixed.values, (std::vector<double>{1.25, 3.0}));
    EXPECT_EQ(parseDataFile("1,5\t2,5\r\n3,5\t4,5\r\n").content, DataFileContent::NoSpectralData);
}

TEST(ParseDataFile, ByteOrderMarkBeforeTheHeader)
{
    const ParsedDataFile parsed =
        parseDataFile("\xEF\xBB\xBF" + readBytes(fixture("exponent3.txt")));
    EXPECT_EQ(parsed.content, DataFileContent::HeaderFile);
    EXPECT_EQ(parsed.header.channel, 7);
}

TEST_F(DataFileTest, ForeignSpcGetsItsOwnMessage)
{
    EXPECT_EQ(read(fixture("foreign.spc")), kDataFileFailed);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "This SPC file was not saved by Harlune.\nOnly SPC files saved "
                                  "by Harlune can be opened.");
    EXPECT_EQ(window.buttons[0], SpectrumDocWindow::Buttons::Ok);
}

TEST_F(DataFileTest, EvenlySpacedSpcReadsItsAxisBack)
{
    ASSERT_EQ(read(fixture("spc-even.spc")), kDataFileOk);
    const double expected[] = {400.0, 500.0, 600.0, 700.0, 800.0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(wavelengths[i], expected[i]);
        EXPECT_DOUBLE_EQ(values[i], static_cast<float>(kSpcValues[i]));
    }
}

TEST_F(DataFileTest, RowsBeyondTheArraysAreNotRead)
{
    struct Case
    {
        const char* name;
        bool withHeader;
        int rows;
        int headerCount;
        int32_t expectedPoints;
    };
    const Case cases[] = {
        {"table of 5000 lines", false, 5000, 0, kSpectrumPoints},
        {"header of 5000 points", true, 5000, 5000, kSpectrumPoints},
        {"header count 99999, ten rows", true, 10, 99999, 10},
        {"negative header count", true, 10, -3, 0},
    };
    preferences.NoFileHeaderWarning = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> x(c.rows);
        std::vector<double> y(c.rows);
        for (int i = 0; i < c.rows; ++i) {
            x[i] = 100.0 + i;
            y[i] = i * 0.5;
        }
        std::string text = formatTextDataFile(labHeader(), c.withHeader, x, y, RowFormat{});
        if (c.withHeader) {
            const std::string key = "Number of Pixels in File: ";
            const std::size_t at = text.find(key) + key.size();
            text.replace(at, text.find('\r', at) - at, std::to_string(c.headerCount));
        }
        writeBytes(folder / "big.txt", text);
        window.messages.clear();
        const int result = read(folder / "big.txt");
        EXPECT_EQ(header.numberOfPoints, c.expectedPoints);
        if (c.expectedPoints > 0) {
            EXPECT_EQ(result, kDataFileOk);
            EXPECT_DOUBLE_EQ(wavelengths[c.expectedPoints - 1], 100.0 + c.expectedPoints - 1);
        } else {
            EXPECT_EQ(result, kDataFileFailed);
        }
    }
}

TEST_F(DataFileTest, WrittenHeaderReadsBackWhole)
{
    struct Case
    {
        const char* name;
        SpectrumFileHeader header;
    };
    SpectrumFileHeader lineBreaks = labHeader();
    lineBreaks.user = "two\r\nlines";
    lineBreaks.graphTitle = "title\nbreak";
    const Case cases[] = {{"lab", labHeader()},
                          {"microseconds, not acquired", microsecondHeader()},
                          {"line breaks in texts", lineBreaks}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = folder / "round.sample";
        std::filesystem::remove(path);
        ASSERT_EQ(write(path, c.header, kTextWithHeader), kDataFileOk);
        ASSERT_EQ(read(path), kDataFileOk);
        SpectrumFileHeader expected = c.header;
        expected.flashDelay = 0; // not written
        for (std::string* text : {&expected.user, &expected.graphTitle})
            for (char& ch : *text)
                ch = (ch == '\r' || ch == '\n') ? ' ' : ch;
        EXPECT_EQ(header.version, expected.version);
        EXPECT_EQ(header.date, expected.date);
        EXPECT_EQ(header.user, expected.user);
        EXPECT_EQ(header.serialNumber, expected.serialNumber);
        EXPECT_EQ(header.spectrometerType, expected.spectrometerType);
        EXPECT_EQ(header.adcType, expected.adcType);
        EXPECT_EQ(header.channel, expected.channel);
        EXPECT_EQ(header.integrationTime, expected.integrationTime);
        EXPECT_EQ(header.microsecondFlag, expected.microsecondFlag);
        EXPECT_EQ(header.averages, expected.averages);
        EXPECT_EQ(header.boxcar, expected.boxcar);
        EXPECT_EQ(header.flashDelay, 0);
        EXPECT_EQ(header.correctDark, expected.correctDark);
        EXPECT_EQ(header.timeNormalized, expected.timeNormalized);
        EXPECT_EQ(header.referenceType, expected.referenceType);
        EXPECT_EQ(header.referenceChannel, expected.referenceChannel);
        EXPECT_EQ(header.temperature, expected.temperature);
        EXPECT_EQ(header.numberOfPoints, 5);
        EXPECT_EQ(header.graphTitle, expected.graphTitle);
        EXPECT_DOUBLE_EQ(values[3], 12345.679);
    }
}

TEST_F(DataFileTest, HeaderlessQuestionFollowsItsPreference)
{
    struct Case
    {
        const char* name;
        uint32_t preference;
        FakeSpectrumWindow::Reply reply;
        int result;
        std::size_t dialogs;
        uint32_t preferenceAfter;
    };
    const Case cases[] = {
        {"asked, Yes", 1, {Answer::Yes, -1}, kDataFileOk, 1, 1},
        {"asked, No", 1, {Answer::No, -1}, kDataFileHeaderlessDeclined, 1, 1},
        {"unticked, No still stores the box",
         1,
         {Answer::No, 0},
         kDataFileHeaderlessDeclined,
         1,
         0},
        {"switched off", 0, {Answer::No, -1}, kDataFileOk, 0, 0},
    };
    preferences.SoundEnabled = 1;
    preferences.WarningSound = "warn.wav";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window = FakeSpectrumWindow{};
        window.replies.push_back(c.reply);
        preferences.NoFileHeaderWarning = c.preference;
        values.fill(-7.0);
        EXPECT_EQ(read(fixture("table-crlf.txt")), c.result);
        EXPECT_EQ(window.warnings.size(), c.dialogs);
        EXPECT_EQ(window.sounds.size(), c.dialogs);
        EXPECT_EQ(preferences.NoFileHeaderWarning, c.preferenceAfter);
        EXPECT_EQ(values[0], c.result == kDataFileOk ? 1.25 : -7.0);
        if (c.dialogs == 1) {
            EXPECT_EQ(window.warnings[0], "You are about open the " +
                                              fixture("table-crlf.txt").string() +
                                              " which has no header.\nAre you sure you wish "
                                              "to open thisfile?");
            EXPECT_TRUE(window.warningBoxStates[0]);
        }
    }
}

TEST_F(DataFileTest, OverwriteQuestionFollowsItsPreference)
{
    struct Case
    {
        const char* name;
        bool exists;
        uint32_t preference;
        FakeSpectrumWindow::Reply reply;
        int result;
        std::size_t dialogs;
        uint32_t preferenceAfter;
    };
    const Case cases[] = {
        {"new file", false, 1, {Answer::No, -1}, kDataFileOk, 0, 1},
        {"existing, Yes", true, 1, {Answer::Yes, -1}, kDataFileOk, 1, 1},
        {"existing, No", true, 1, {Answer::No, -1}, kDataFileOverwriteDeclined, 1, 1},
        {"existing, unticked and Yes", true, 1, {Answer::Yes, 0}, kDataFileOk, 1, 0},
        {"existing, unticked and No", true, 1, {Answer::No, 0}, kDataFileOverwriteDeclined, 1, 0},
        {"switched off", true, 0, {Answer::No, -1}, kDataFileOk, 0, 0},
    };
    const fs::path path = folder / "x.dark";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window = FakeSpectrumWindow{};
        window.replies.push_back(c.reply);
        preferences.FileOverwriteWarning = c.preference;
        fs::remove(path);
        if (c.exists)
            writeBytes(path, "old");
        EXPECT_EQ(write(path, labHeader(), kTextWithoutHeader), c.result);
        EXPECT_EQ(window.warnings.size(), c.dialogs);
        EXPECT_EQ(preferences.FileOverwriteWarning, c.preferenceAfter);
        EXPECT_EQ(readBytes(path) == "old", c.result != kDataFileOk);
        if (c.dialogs == 1) {
            EXPECT_EQ(window.warnings[0], "You are about to overwrite the file " + path.string() +
                                              ".\nAre you sure you wish to overwrite this file?");
        }
    }
}

TEST_F(DataFileTest, BadArgumentsTouchNoFile)
{
    const fs::path path = folder / "keep.sample";
    writeBytes(path, "old");
    SpectrumFileHeader tooMany = labHeader();
    tooMany.numberOfPoints = kSpectrumPoints + 1;
    SpectrumFileHeader negative = labHeader();
    negative.numberOfPoints = -1;
    EXPECT_EQ(write(path, labHeader(), 3), kDataFileBadArgument);
    EXPECT_EQ(write(path, labHeader(), -1), kDataFileBadArgument);
    EXPECT_EQ(write(path, tooMany, kTextWithHeader), kDataFileBadArgument);
    EXPECT_EQ(write(path, negative, kTextWithHeader), kDataFileBadArgument);
    EXPECT_EQ(write(path, labHeader(), kTextWithHeader, nullptr, nullptr), kDataFileBadArgument);
    const std::vector<double> many(kSpectrumPoints + 1, 1.0);
    for (int n : {0, -5, kSpectrumPoints + 1})
        EXPECT_EQ(writeEvenlySpacedSpcFile(context, path.string(), 0, 1, n, many.data(), 1, 1, ""),
                  kDataFileBadArgument);
    EXPECT_EQ(writeEvenlySpacedSpcFile(context, path.string(), 0, 1, 5, many.data(), 256, 1, ""),
              kDataFileBadArgument);
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_TRUE(window.warnings.empty());
}

TEST_F(DataFileTest, EvenlySpacedSpcTakes4096Points)
{
    std::vector<double> y(kSpectrumPoints);
    for (int i = 0; i < kSpectrumPoints; ++i)
        y[i] = i;
    const fs::path path = folder / "long.spc";
    ASSERT_EQ(writeEvenlySpacedSpcFile(context, path.string(), 1.0, 4096.0, kSpectrumPoints,
                                       y.data(), 1, 4, "long"),
              kDataFileOk);
    ASSERT_EQ(read(path), kDataFileOk);
    EXPECT_EQ(header.numberOfPoints, kSpectrumPoints);
    EXPECT_DOUBLE_EQ(wavelengths[4095], 4096.0);
    EXPECT_DOUBLE_EQ(values[4095], 4095.0);
}

TEST_F(DataFileTest, PrecisionOutOfRangeIsBounded)
{
    const std::array<double, 1> x = {1.0};
    const std::array<double, 1> y = {-1.0e308};
    // Negative precision prints no decimals: all 309 digits of the value, no point.
    const std::string fixed = formatTextDataFile({}, false, x, y, RowFormat{false, -4});
    EXPECT_EQ(fixed.substr(0, 7), "1.00\t-1");
    EXPECT_EQ(fixed.size(), 5u + 1 + 309 + 2);
    EXPECT_EQ(fixed.find('.', 5), std::string::npos);
    const std::string wide = formatTextDataFile({}, false, x, y, RowFormat{true, 500});
    EXPECT_EQ(wide.substr(0, 9), "1.00\t-1.0");
    EXPECT_LT(wide.size(), 60u);
}

TEST_F(DataFileTest, InterruptedWriteLeavesTheOldFile)
{
    const fs::path path = folder / "old.reference";
    writeBytes(path, "previous contents");
    std::vector<double> x(kSpectrumPoints, 512.25);
    std::vector<double> y(kSpectrumPoints, 1234.5);
    SpectrumFileHeader big = labHeader();
    big.numberOfPoints = kSpectrumPoints;
    preferences.FileOverwriteWarning = 0;

    // The disk fills up half-way: files may not grow beyond 4 KB for this process.
    struct rlimit saved
    {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result =
        writeDataFile(context, path.string(), big, kTextWithHeader, x.data(), y.data());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, kDataFileFailed);
    EXPECT_EQ(readBytes(path), "previous contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "a temporary file was left behind";
}

TEST_F(DataFileTest, AtomicFileWithoutCommitChangesNothing)
{
    const fs::path path = folder / "target";
    writeBytes(path, "before");
    {
        AtomicFile file(path.string());
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("half of the new"));
    }
    EXPECT_EQ(readBytes(path), "before");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_TRUE(writeFileAtomically(path.string(), "after"));
    EXPECT_EQ(readBytes(path), "after");
    EXPECT_FALSE(writeFileAtomically((folder / "missing" / "x").string(), "y"));
    // A name as long as the file system takes still gets its temporary file.
    const fs::path longest = folder / std::string(255, 'n');
    EXPECT_TRUE(writeFileAtomically(longest.string(), "long"));
    EXPECT_EQ(readBytes(longest), "long");
}

// A read-only file is not replaced (the writer's "cannot create" result), whoever runs the
// program; a linked file is written through its link and keeps its mode.
TEST_F(DataFileTest, ReadOnlyTargetsAreRefusedAndLinksWrittenThrough)
{
    preferences.FileOverwriteWarning = 0;
    const fs::path locked = folder / "locked.sample";
    writeBytes(locked, "previous contents");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(write(locked, labHeader(), kTextWithHeader), kDataFileFailed);
    EXPECT_EQ(readBytes(locked), "previous contents");
    EXPECT_EQ(fs::status(locked).permissions(),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(writeEvenlySpacedSpcFile(context, locked.string(), 400.0, 800.0, 5, kSpcValues.data(),
                                       1, 0, ""),
              kDataFileFailed);
    EXPECT_EQ(readBytes(locked), "previous contents");

    fs::create_directory(folder / "real");
    const fs::path real = folder / "real" / "lamp.sample";
    writeBytes(real, "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = folder / "lamp.sample";
    fs::create_symlink("real/lamp.sample", link);
    ASSERT_EQ(write(link, labHeader(), kTextWithHeader), kDataFileOk);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(real).rfind("Harlune Version", 0), 0u);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(DataFileTest, UnwritableFolderFails)
{
    EXPECT_EQ(write(folder / "no-such-folder" / "x.sample", labHeader(), kTextWithHeader),
              kDataFileFailed);
    EXPECT_EQ(read(folder / "no-such-file"), kDataFileFailed);
    // Neither a folder nor a pipe without writer is read (the pipe would never end).
    EXPECT_EQ(read(folder), kDataFileFailed);
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(read(folder / "pipe"), kDataFileFailed);
}

} // namespace
} // namespace app::spectrum::test
