#include "app/spectrum/HarluneSpectrumDoc.h"

#include "app/shell/INIFileSupport.h"
#include "tests/app/spectrum/SpectrumFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

namespace app::spectrum::test {
namespace {

// A main frame that counts documents and scan starts.
class FakeFrame : public SpectrumDocFrame
{
public:
    SpectrumPreferences& preferences() override { return prefs; }
    int addOpenSpectrumDocuments(int delta) override { return openDocuments += delta; }
    void StartNextScan() override { ++scansStarted; }

    SpectrumPreferences prefs;
    int openDocuments = 0;
    int scansStarted = 0;
};

std::string storedValue(const char* section, const char* key)
{
    CINIFileSupport store(nullptr, 1);
    return store.GetStringDefault(section, key, "<missing>");
}

// The spectrum arrays of every channel and the raw scan buffers.
std::vector<std::span<double>> docSpectrumArrays(CHarluneSpectrumDoc& doc)
{
    ChannelSpectra& s = doc.spectra();
    std::vector<std::span<double>> arrays;
    for (int k = 0; k < kSpectrumChannels; ++k)
        for (ChannelArrays* channels :
             {&s.reference, &s.dark, &s.sampleDark, &s.sample, &s.wavelengths, &s.processed,
              &s.irradianceConversion, &s.referenceMonitoringFactor, &s.driftCorrectedSample})
            arrays.emplace_back((*channels)[k]);
    return arrays;
}

int nonZeroSpectrumValues(CHarluneSpectrumDoc& doc)
{
    int count = 0;
    for (std::span<double> values : docSpectrumArrays(doc))
        for (double v : values)
            count += v != 0.0 ? 1 : 0;
    for (int k = 0; k < kSpectrumChannels; ++k)
        for (float v : doc.rawScanBuffer(k).values)
            count += v != 0.0f ? 1 : 0;
    return count;
}

TEST(HarluneSpectrumDoc, NewDocumentStartsEmpty)
{
    FakeFrame frame;
    FakeSpectrumWindow window;
    auto doc = std::make_unique<CHarluneSpectrumDoc>(frame, window);
    EXPECT_EQ(frame.openDocuments, 1);
    EXPECT_EQ(nonZeroSpectrumValues(*doc), 0);
    const ChannelSpectra& s = doc->spectra();
    for (int k = 0; k < kSpectrumChannels; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(s.referenceStored[k], 0u);
        EXPECT_EQ(s.darkStored[k], 0u);
        EXPECT_EQ(s.sampleDarkStored[k], 0u);
        EXPECT_TRUE(doc->darkFileNames[k].empty());
        EXPECT_TRUE(doc->sampleDarkFileNames[k].empty());
        EXPECT_TRUE(doc->referenceFileNames[k].empty());
        EXPECT_TRUE(doc->sampleFileNames[k].empty());
        EXPECT_TRUE(doc->overlays().fileNames[k].empty());
        EXPECT_EQ(doc->overlays().loaded[k], 0);
    }
    EXPECT_EQ(doc->colorTemperature(), 3100.0);
    EXPECT_EQ(doc->assumeSecondOrder(), 0u);
}

// A window opened where a closed one kept its spectra (the allocator hands the same memory back)
// starts with none of them.
TEST(HarluneSpectrumDoc, NewDocumentAfterAClosedOneStartsEmpty)
{
    FakeFrame frame;
    FakeSpectrumWindow window;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        auto doc = std::make_unique<CHarluneSpectrumDoc>(frame, window);
        ASSERT_EQ(nonZeroSpectrumValues(*doc), 0);
        for (std::span<double> values : docSpectrumArrays(*doc))
            std::fill(values.begin(), values.end(), 1234.5);
        for (int k = 0; k < kSpectrumChannels; ++k)
            std::fill(std::begin(doc->rawScanBuffer(k).values),
                      std::end(doc->rawScanBuffer(k).values), 65535.0f);
        doc->spectra().referenceStored.fill(1);
        ASSERT_GT(nonZeroSpectrumValues(*doc), 0);
    }
    auto doc = std::make_unique<CHarluneSpectrumDoc>(frame, window);
    EXPECT_EQ(nonZeroSpectrumValues(*doc), 0);
    for (uint32_t stored : doc->spectra().referenceStored)
        EXPECT_EQ(stored, 0u);
}

TEST(HarluneSpectrumDoc, RawBuffersLieBackToBack)
{
    FakeFrame frame;
    FakeSpectrumWindow window;
    auto doc = std::make_unique<CHarluneSpectrumDoc>(frame, window);
    const auto* base = reinterpret_cast<const unsigned char*>(doc->rawScanBuffers());
    for (int k = 0; k < kSpectrumChannels; ++k) {
        const auto* buffer = reinterpret_cast<const unsigned char*>(&doc->rawScanBuffer(k));
        EXPECT_EQ(buffer - base, 16384 * k);
    }
}

TEST(HarluneSpectrumDoc, IrradiancePreferencesPersist)
{
    struct Case
    {
        const char* name;
        const char* storedTemperature;
        double temperature;
    };
    const Case cases[] = {
        {"nothing stored", nullptr, 3100.0},
        {"stored value", "2856.5", 2856.5},
        {"not a number", "nan", 3100.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.storedTemperature != nullptr) {
            CINIFileSupport store(nullptr, 1);
            store.WriteString("DefaultAcquisitionParameters", "ColorTemperature",
                              c.storedTemperature);
        }
        FakeFrame frame;
        FakeSpectrumWindow window;
        {
            auto doc = std::make_unique<CHarluneSpectrumDoc>(frame, window);
            EXPECT_EQ(doc->colorTemperature(), c.temperature);
            doc->setAssumeSecondOrder(1);
        }
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.15f", c.temperature);
        EXPECT_EQ(storedValue("DefaultAcquisitionParameters", "ColorTemperature"), expected);
        EXPECT_EQ(storedValue("Preferences", "IrradAssumeSecondOrder"), "1");
    }
}

TEST(HarluneSpectrumDoc, ClosingStartsTheNextScanOnlyWhenDocumentsRemain)
{
    FakeFrame frame;
    FakeSpectrumWindow window;
    auto first = std::make_unique<CHarluneSpectrumDoc>(frame, window);
    auto second = std::make_unique<CHarluneSpectrumDoc>(frame, window);
    EXPECT_EQ(frame.openDocuments, 2);
    EXPECT_EQ(second->OnNewDocument(), 1);
    EXPECT_EQ(frame.scansStarted, 1);
    second.reset();
    EXPECT_EQ(frame.openDocuments, 1);
    EXPECT_EQ(frame.scansStarted, 2);
    first.reset();
    EXPECT_EQ(frame.openDocuments, 0);
    EXPECT_EQ(frame.scansStarted, 2);
}

TEST(HarluneSpectrumDoc, ConfirmOverwriteAsksOnlyForExistingFiles)
{
    const auto folder = freshFolder("confirm");
    writeBytes(folder / "there", "x");
    struct Case
    {
        const char* name;
        const char* file;
        uint32_t warning;
        FakeSpectrumWindow::Answer answer;
        int result;
        std::size_t dialogs;
    };
    using A = FakeSpectrumWindow::Answer;
    const Case cases[] = {
        {"absent file", "absent", 1, A::No, 1, 0},
        {"warning off", "there", 0, A::No, 1, 0},
        {"Yes", "there", 1, A::Yes, 1, 1},
        {"No", "there", 1, A::No, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFrame frame;
        frame.prefs.FileOverwriteWarning = c.warning;
        frame.prefs.SoundEnabled = 1;
        frame.prefs.WarningSound = "w.wav";
        FakeSpectrumWindow window;
        window.replies.push_back({c.answer});
        auto doc = std::make_unique<CHarluneSpectrumDoc>(frame, window);
        EXPECT_EQ(doc->ConfirmOverwrite((folder / c.file).string()), c.result);
        EXPECT_EQ(window.warnings.size(), c.dialogs);
        EXPECT_EQ(window.sounds.size(), c.dialogs);
    }
}

TEST(HarluneSpectrumDoc, FilesRoundTripThroughTheDocument)
{
    const auto folder = freshFolder("roundtrip");
    FakeFrame frame;
    FakeSpectrumWindow window;
    auto doc = std::make_unique<CHarluneSpectrumDoc>(frame, window);
    std::tm when{};
    when.tm_year = 126;
    when.tm_mon = 0;
    when.tm_mday = 2;
    doc->setLocalTimeSource([when] { return when; });
    ChannelSpectra& s = doc->spectra();
    for (int i = 0; i < 3648; ++i) {
        s.wavelengths[3][i] = 200.0 + i * 0.25;
        s.dark[3][i] = 100.0 + i;
    }
    SpectrumFileHeader header;
    header.channel = 3;
    header.numberOfPoints = 3648;
    for (int format : {kTextWithHeader, kSpcXy}) {
        SCOPED_TRACE(format);
        const std::string path = (folder / "x.dark").string();
        ASSERT_EQ(
            doc->WriteDataFile(path, header, format, s.wavelengths[3].data(), s.dark[3].data()), 0);
        SpectrumFileHeader read;
        OverlaySlots& overlays = doc->overlays();
        ASSERT_EQ(doc->ReadDataFile(format == kSpcXy ? path + ".spc" : path, read,
                                    overlays.wavelengths[0], overlays.values[0]),
                  0);
        EXPECT_EQ(read.channel, 3);
        EXPECT_EQ(read.numberOfPoints, 3648);
        EXPECT_EQ(overlays.wavelengths[0][3647], 200.0 + 3647 * 0.25);
        EXPECT_EQ(overlays.values[0][3647], 100.0 + 3647);
        EXPECT_EQ(overlays.values[0][3648], 0.0);
    }
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(window.warnings.empty());
}

} // namespace
} // namespace app::spectrum::test
