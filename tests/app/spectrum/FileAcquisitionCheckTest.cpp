#include "app/spectrum/FileAcquisitionCheck.h"

#include "tests/app/spectrum/SpectrumFakes.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace app::spectrum::test {
namespace {

using Answer = SpectrumDocWindow::Answer;

const std::array<double, 3> kWindowWavelengths = {400.0, 401.0, 402.0};

SpectrumFileHeader matchingHeader()
{
    SpectrumFileHeader h;
    h.serialNumber = "S100";
    h.integrationTime = 100;
    h.averages = 2;
    h.boxcar = 1;
    h.correctDark = 1;
    h.timeNormalized = 0;
    h.referenceType = 1;
    h.referenceChannel = 3;
    h.numberOfPoints = 3;
    return h;
}

WindowAcquisition window()
{
    WindowAcquisition w;
    w.serialNumber = "S100";
    w.integrationTime = 100;
    w.averages = 2;
    w.boxcar = 1;
    w.correctDark = 1;
    w.timeNormalized = 0;
    w.referenceType = 1;
    w.referenceChannel = 3;
    w.wavelengths = kWindowWavelengths;
    return w;
}

TEST(AcquisitionMismatch, EachFieldIsFound)
{
    struct Case
    {
        const char* name;
        std::function<void(SpectrumFileHeader&, std::array<double, 3>&)> change;
        uint32_t serialWarning;
        unsigned expected;
    };
    const Case cases[] = {
        {"nothing differs", [](auto&, auto&) {}, 1, 0},
        {"serial", [](auto& h, auto&) { h.serialNumber = "S2"; }, 1, kSerialNumberMismatch},
        {"serial without its warning", [](auto& h, auto&) { h.serialNumber = "S2"; }, 0, 0},
        {"integration", [](auto& h, auto&) { h.integrationTime = 5; }, 1, kIntegrationTimeMismatch},
        {"averages", [](auto& h, auto&) { h.averages = 5; }, 1, kAveragingMismatch},
        {"boxcar", [](auto& h, auto&) { h.boxcar = 5; }, 1, kBoxcarMismatch},
        {"dark correction", [](auto& h, auto&) { h.correctDark = 0; }, 1, kCorrectDarkMismatch},
        {"time normalisation", [](auto& h, auto&) { h.timeNormalized = 1; }, 1,
         kTimeNormalizationMismatch},
        {"reference type and channel",
         [](auto& h, auto&) {
             h.referenceType = 2;
             h.referenceChannel = 0;
         },
         1, kReferenceTypeMismatch | kReferenceChannelMismatch},
        {"reference channel ignored without monitoring",
         [](auto& h, auto&) {
             h.referenceType = 0;
             h.referenceChannel = 0;
         },
         1, kReferenceTypeMismatch},
        {"wavelength within tolerance", [](auto&, auto& x) { x[2] += 0.049; }, 1, 0},
        {"wavelength beyond tolerance", [](auto&, auto& x) { x[2] += 0.051; }, 1,
         kWavelengthMismatch},
        {"wavelength past the file's points",
         [](auto& h, auto& x) {
             h.numberOfPoints = 2;
             x[2] = 0.0;
         },
         1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrumFileHeader header = matchingHeader();
        std::array<double, 3> fileWavelengths = kWindowWavelengths;
        c.change(header, fileWavelengths);
        SpectrumPreferences preferences;
        preferences.AcquisitionParameterMismatchWarning = c.serialWarning;
        EXPECT_EQ(findAcquisitionMismatches(header, fileWavelengths, window(), preferences),
                  c.expected);
    }
}

TEST(AcquisitionMismatch, MessageListsTheMismatchesInOrder)
{
    SpectrumFileHeader header = matchingHeader();
    header.serialNumber = "S9";
    header.integrationTime = -1;
    header.boxcar = 4;
    header.timeNormalized = 1;
    const unsigned all = kSerialNumberMismatch | kIntegrationTimeMismatch | kBoxcarMismatch |
                         kWavelengthMismatch | kTimeNormalizationMismatch;
    EXPECT_EQ(acquisitionMismatchMessage("/data/a.dark", header, window(), all, 0.05),
              "The acquisition parameters of the file /data/a.dark do not match the current "
              "acquisition parameters\n\n"
              "Serial Number Mismatch:  File S9, Current S100\n"
              "Integration Time Mismatch:  File 4294967295, Current 100\n"
              "Boxcar Width Mismatch:  File 4, Current 1\n"
              "The wavelength of at least on pixel deviated by more than 0.050 nm\n"
              "Time Normalization Mismatch:  File 1, Current 0\n"
              "\nWould you like to use the acquisition parameters from the file?  Answering "
              "'Yes' will open the file and change the acquisition parameters.  'No' will open "
              "the file but not change the acquisition parameters.  'Cancel' will abort the "
              "opening of the file.");
}

TEST(AcquisitionMismatch, TheUsersAnswerDecides)
{
    struct Case
    {
        const char* name;
        uint32_t checkConformity;
        bool differs;
        Answer answer;
        int result;
        bool useFile;
        std::size_t boxes;
    };
    const Case cases[] = {
        {"check switched off", 0, true, Answer::Cancel, 0, false, 0},
        {"nothing differs", 1, false, Answer::Cancel, 0, false, 0},
        {"Yes takes the file's parameters", 1, true, Answer::Yes, 0, true, 1},
        {"No opens unchanged", 1, true, Answer::No, 0, false, 1},
        {"Cancel aborts", 1, true, Answer::Cancel, static_cast<int>(kAveragingMismatch), false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrumPreferences preferences;
        preferences.CheckFileConformity = c.checkConformity;
        FakeSpectrumWindow ui;
        ui.replies.push_back({c.answer});
        SpectrumFileHeader header = matchingHeader();
        if (c.differs)
            header.averages = 9;
        const AcquisitionCheckOutcome outcome = CheckFileAcquisitionParameters(
            header, kWindowWavelengths, window(), preferences, &ui, "f.sample");
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.useFileParameters, c.useFile);
        ASSERT_EQ(ui.messages.size(), c.boxes);
        if (c.boxes == 1) {
            EXPECT_EQ(ui.captions[0], "File Open Mismatch Warning");
            EXPECT_EQ(ui.buttons[0], SpectrumDocWindow::Buttons::YesNoCancel);
        }
    }
}

TEST(AcquisitionMismatch, ApplyTakesTheFilesParameters)
{
    SpectrumFileHeader header = matchingHeader();
    header.integrationTime = 7;
    header.averages = 8;
    header.boxcar = 9;
    header.correctDark = 0;
    header.timeNormalized = 1;
    header.referenceType = 3;
    header.referenceChannel = 6;
    WindowAcquisition w = window();
    applyFileAcquisition(header, w);
    EXPECT_EQ(w.integrationTime, 7);
    EXPECT_EQ(w.averages, 8);
    EXPECT_EQ(w.boxcar, 9);
    EXPECT_EQ(w.correctDark, 0);
    EXPECT_EQ(w.timeNormalized, 1);
    EXPECT_EQ(w.referenceType, 3);
    EXPECT_EQ(w.referenceChannel, 6);
    EXPECT_EQ(w.serialNumber, "S100");
}

// SPC files and tables without header carry no acquisition parameters: only their
// wavelengths are compared, and Yes takes nothing from them.
TEST(AcquisitionMismatch, FormatsWithoutParametersCompareWavelengthsOnly)
{
    const std::array<double, 3> shifted = {400.0, 401.5, 402.0};
    struct Case
    {
        const char* name;
        const std::array<double, 3>* wavelengths;
        unsigned expected;
    };
    const Case cases[] = {
        {"same wavelengths", &kWindowWavelengths, 0},
        {"shifted wavelengths", &shifted, kWavelengthMismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // What the reader leaves for an SPC file: its channel and points, zeros elsewhere.
        SpectrumFileHeader header;
        header.numberOfPoints = 3;
        header.carriesAcquisitionParameters = false;
        WindowAcquisition w = window();
        SpectrumPreferences prefs;
        EXPECT_EQ(findAcquisitionMismatches(header, *c.wavelengths, w, prefs), c.expected);
        applyFileAcquisition(header, w);
        EXPECT_EQ(w.integrationTime, 100);
        EXPECT_EQ(w.averages, 2);
        EXPECT_EQ(w.boxcar, 1);
        EXPECT_EQ(w.correctDark, 1);
        EXPECT_EQ(w.referenceType, 1);
        EXPECT_EQ(w.referenceChannel, 3);
    }
}

// A header's values outside the window's ranges are brought into them, never copied as they are.
TEST(AcquisitionMismatch, ApplyKeepsEveryValueInItsRange)
{
    struct Case
    {
        const char* name;
        std::function<void(SpectrumFileHeader&)> edit;
        std::function<void(const WindowAcquisition&)> check;
    };
    const Case cases[] = {
        {"no averages", [](auto& h) { h.averages = 0; },
         [](const auto& w) { EXPECT_EQ(w.averages, 1); }},
        {"negative averages", [](auto& h) { h.averages = -4; },
         [](const auto& w) { EXPECT_EQ(w.averages, 1); }},
        {"too many averages", [](auto& h) { h.averages = 100000; },
         [](const auto& w) { EXPECT_EQ(w.averages, 9999); }},
        {"negative boxcar", [](auto& h) { h.boxcar = -1; },
         [](const auto& w) { EXPECT_EQ(w.boxcar, 0); }},
        {"huge boxcar", [](auto& h) { h.boxcar = 70000; },
         [](const auto& w) { EXPECT_EQ(w.boxcar, 500); }},
        {"no integration time", [](auto& h) { h.integrationTime = 0; },
         [](const auto& w) { EXPECT_EQ(w.integrationTime, 1); }},
        {"dark flag 7", [](auto& h) { h.correctDark = 7; },
         [](const auto& w) { EXPECT_EQ(w.correctDark, 1); }},
        {"reference type 9",
         [](auto& h) {
             h.referenceType = 9;
             h.referenceChannel = 5;
         },
         [](const auto& w) {
             EXPECT_EQ(w.referenceType, 1);
             EXPECT_EQ(w.referenceChannel, 3);
         }},
        {"reference channel 12",
         [](auto& h) {
             h.referenceType = 2;
             h.referenceChannel = 12;
         },
         [](const auto& w) {
             EXPECT_EQ(w.referenceType, 2);
             EXPECT_EQ(w.referenceChannel, 7);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrumFileHeader header = matchingHeader();
        c.edit(header);
        WindowAcquisition w = window();
        applyFileAcquisition(header, w);
        c.check(w);
    }
}

TEST(AcquisitionMismatch, IntegrationTimesCompareInOneUnit)
{
    struct Case
    {
        const char* name;
        int32_t fileTime;
        int32_t fileMicroseconds;
        int32_t windowTime;
        int32_t windowMicroseconds;
        bool mismatch;
        // The window's time after Yes.
        int32_t applied;
    };
    const Case cases[] = {
        {"us file, ms window, same time", 20000, 1, 20, 0, false, 20},
        {"ms file, us window, same time", 20, 0, 20000, 1, false, 20000},
        {"us file, ms window, rounded", 20400, 1, 21, 0, true, 20},
        {"ms file beyond the us field", 3000000, 0, 10, 1, true, 2147483647},
        {"us file beyond the ms field", 70000000, 1, 10, 0, true, 65535},
        {"us file below one ms", 100, 1, 10, 0, true, 1},
        {"same unit", 30, 0, 20, 0, true, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrumFileHeader header = matchingHeader();
        header.integrationTime = c.fileTime;
        header.microsecondFlag = c.fileMicroseconds;
        WindowAcquisition w = window();
        w.integrationTime = c.windowTime;
        w.microsecondFlag = c.windowMicroseconds;
        SpectrumPreferences prefs;
        EXPECT_EQ(findAcquisitionMismatches(header, kWindowWavelengths, w, prefs) != 0, c.mismatch);
        applyFileAcquisition(header, w);
        EXPECT_EQ(w.integrationTime, c.applied);
        EXPECT_EQ(w.microsecondFlag, c.windowMicroseconds);
    }
}

TEST(AcquisitionMismatch, MessageShowsBothTimesInOneUnit)
{
    SpectrumFileHeader header = matchingHeader();
    header.integrationTime = 1500;
    header.microsecondFlag = 1;
    WindowAcquisition w = window();
    w.integrationTime = 2;
    const std::string text =
        acquisitionMismatchMessage("/a", header, w, kIntegrationTimeMismatch, 0.05);
    EXPECT_NE(text.find("Integration Time Mismatch:  File 1500, Current 2000\n"),
              std::string::npos);
}

} // namespace
} // namespace app::spectrum::test
