#include "app/spectrum/SpectrumProcessing.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace app::spectrum::test {
namespace {

constexpr double kUntouched = -12345.0;

// Channel 0 enabled and stored: sample, dark, sample dark and reference chosen so that the
// four pixels hit a plain ratio, a zero reference difference, a negative reference
// difference and a negative sample difference.
std::unique_ptr<ChannelSpectra> storedSpectra()
{
    auto spectra = std::make_unique<ChannelSpectra>();
    const double sample[] = {50, 10, 30, 5};
    const double reference[] = {110, 10, 5, 60};
    for (int i = 0; i < 4; ++i) {
        spectra->sample[0][i] = sample[i];
        spectra->dark[0][i] = 10;
        spectra->sampleDark[0][i] = 20;
        spectra->reference[0][i] = reference[i];
        spectra->irradianceConversion[0][i] = 2;
    }
    spectra->darkStored[0] = 1;
    spectra->referenceStored[0] = 1;
    spectra->sampleDarkStored[0] = 1;
    spectra->processed[0].fill(kUntouched);
    spectra->processed[1].fill(kUntouched);
    return spectra;
}

ProcessingSetup fourPixels()
{
    ProcessingSetup setup;
    setup.pixelCount = 4;
    setup.channels[0].enabledInConfiguration = 1;
    return setup;
}

struct ModeCase
{
    const char* name;
    ProcessingMode mode;
    int timeNormalization;
    int verticalLogScale;
    int scopeMinusDark;
    std::array<double, 4> expected;
};

class ProcessSpectraTest : public ::testing::TestWithParam<ModeCase>
{};

TEST_P(ProcessSpectraTest, GivesTheModesValues)
{
    const ModeCase& c = GetParam();
    auto spectra = storedSpectra();
    ProcessingState state;
    state.mode = c.mode;
    state.timeNormalization = c.timeNormalization;
    state.verticalLogScale = c.verticalLogScale;
    state.scopeMinusDark = c.scopeMinusDark;
    state.channelEnables[0] = 1;
    ProcessSpectra(*spectra, fourPixels(), state);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(spectra->processed[0][i], c.expected[i], 1e-12);
    }
    EXPECT_EQ(spectra->processed[0][4], kUntouched) << "a pixel past the pixel count";
    EXPECT_EQ(spectra->processed[1][0], kUntouched) << "a disabled channel";
}

const double kLog25 = std::log10(100.0 / 40.0);
const double kLog33 = std::log10(100.0 / 30.0);

INSTANTIATE_TEST_SUITE_P(
    Modes, ProcessSpectraTest,
    ::testing::Values(
        ModeCase{"Scope", Scope, 0, 0, 0, {50, 10, 30, 5}},
        ModeCase{"ScopeMinusDark", Scope, 0, 0, 1, {40, 0, 20, -5}},
        ModeCase{
            "ScopeLog", Scope, 0, 1, 0, {std::log10(50.0), 1, std::log10(30.0), std::log10(5.0)}},
        ModeCase{"Absorbance", Absorbance, 0, 0, 0, {kLog25, 0, 0, 0}},
        ModeCase{"AbsorbanceTimeNormalized", Absorbance, 1, 0, 0, {kLog33, 0, 0, 0}},
        ModeCase{"Transmission", Transmission, 0, 0, 0, {40, 0, -400, -10}},
        ModeCase{"TransmissionTimeNormalized", Transmission, 1, 0, 0, {30, 0, -200, -30}},
        ModeCase{"TransmissionLog", Transmission, 0, 1, 0, {std::log10(40.0), 0, 0, 0}},
        ModeCase{"Irradiance", RelativeIrradiance, 0, 0, 0, {0.8, 0, -8, -0.2}},
        ModeCase{"IrradianceTimeNormalized", RelativeIrradiance, 1, 0, 0, {0.6, 0, -4, -0.6}},
        ModeCase{"Reflection", SpecularReflection, 0, 0, 0, {40, 0, -400, -10}},
        ModeCase{"ReflectionTimeNormalized", SpecularReflection, 1, 0, 0, {30, 0, -200, -30}},
        ModeCase{"CustomLeavesTheScriptsValues",
                 Custom,
                 0,
                 0,
                 0,
                 {kUntouched, kUntouched, kUntouched, kUntouched}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProcessSpectra, CustomLogScaleStillApplies)
{
    auto spectra = storedSpectra();
    spectra->processed[0][0] = 100.0;
    ProcessingState state;
    state.mode = Custom;
    state.verticalLogScale = 1;
    state.channelEnables[0] = 1;
    ProcessSpectra(*spectra, fourPixels(), state);
    EXPECT_DOUBLE_EQ(spectra->processed[0][0], 2.0);
    EXPECT_EQ(spectra->processed[0][1], 0.0);
}

struct MonitoringCase
{
    const char* name;
    uint16_t referenceType;
    uint32_t referenceChannel;
    uint16_t wavelengthPixel;
    uint16_t bandStart;
    uint16_t bandEnd;
    std::array<double, 4> factor;
};

class ReferenceMonitoringTest : public ::testing::TestWithParam<MonitoringCase>
{};

// Channel 1 is monitored through channel 0's sample, dark and reference.
TEST_P(ReferenceMonitoringTest, FactorAndCorrectedSample)
{
    const MonitoringCase& c = GetParam();
    auto spectra = storedSpectra();
    for (int i = 0; i < 4; ++i) {
        spectra->sample[1][i] = 100 + i;
        spectra->dark[1][i] = 4;
    }
    spectra->darkStored[1] = 1;
    spectra->referenceStored[1] = 1;
    ProcessingSetup setup = fourPixels();
    ChannelMonitoring& monitoring = setup.channels[1];
    monitoring.enabledInConfiguration = 1;
    monitoring.referenceType = c.referenceType;
    monitoring.referenceChannel = c.referenceChannel;
    monitoring.wavelengthPixel = c.wavelengthPixel;
    monitoring.bandStartPixel = c.bandStart;
    monitoring.bandEndPixel = c.bandEnd;
    for (int i = 0; i < 4; ++i)
        monitoring.pixelMap[i] = static_cast<uint16_t>(i);
    monitoring.pixelMap[3] = c.referenceType == 2 && c.wavelengthPixel == 9999 ? 9999 : 3;

    PrepareChannelSpectra(*spectra, setup);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(spectra->referenceMonitoringFactor[1][i], c.factor[i], 1e-12);
        const double a = 100 + i;
        const double expected = c.referenceType == 0 ? a : (a - 4) / c.factor[i] + 4;
        EXPECT_NEAR(spectra->driftCorrectedSample[1][i], expected, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Types, ReferenceMonitoringTest,
    ::testing::Values(
        MonitoringCase{"None", 0, 0, 0, 0, 0, {1, 1, 1, 1}},
        MonitoringCase{"SinglePoint", 1, 0, 0, 0, 0, {0.4, 0.4, 0.4, 0.4}},
        MonitoringCase{"SinglePointZeroDifference", 1, 0, 1, 0, 0, {1, 1, 1, 1}},
        MonitoringCase{"SinglePointOutsideTheArrays", 1, 0, 60000, 0, 0, {1, 1, 1, 1}},
        MonitoringCase{"ByWavelength", 2, 0, 0, 0, 0, {0.4, 1, -4, -0.1}},
        MonitoringCase{"ByWavelengthMapOutsideTheArrays", 2, 0, 9999, 0, 0, {0.4, 1, -4, 1}},
        MonitoringCase{
            "Integrated", 3, 0, 0, 0, 3, {55.0 / 145, 55.0 / 145, 55.0 / 145, 55.0 / 145}},
        MonitoringCase{"IntegratedEmptyBand", 3, 0, 0, 3, 2, {1, 1, 1, 1}},
        MonitoringCase{"IntegratedBandPastTheArrays", 3, 0, 0, 4000, 65535, {1, 1, 1, 1}},
        MonitoringCase{"ReferenceChannelOutOfRange", 1, 9, 0, 0, 0, {1, 1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReferenceMonitoring, ChannelWithoutStoredSpectraKeepsItsFactor)
{
    struct Case
    {
        const char* name;
        uint16_t enabledInConfiguration;
        uint32_t darkStored;
        double factor;
    };
    const Case cases[] = {
        {"enabled, no dark: previous factor kept", 1, 0, 7.0},
        {"disabled in the configuration: computed", 0, 0, 0.4},
        {"enabled and stored: computed", 1, 1, 0.4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto spectra = storedSpectra();
        spectra->referenceMonitoringFactor[1].fill(7.0);
        spectra->darkStored[1] = c.darkStored;
        spectra->referenceStored[1] = 1;
        spectra->sample[1][0] = 33;
        ProcessingSetup setup = fourPixels();
        setup.channels[1].enabledInConfiguration = c.enabledInConfiguration;
        setup.channels[1].referenceType = 1;
        PrepareChannelSpectra(*spectra, setup);
        EXPECT_DOUBLE_EQ(spectra->referenceMonitoringFactor[1][0], c.factor);
        if (c.darkStored == 0) {
            EXPECT_DOUBLE_EQ(spectra->driftCorrectedSample[1][0], 33.0);
        }
    }
}

TEST(ProcessSpectra, NanAndHugeInputsNeverFault)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (ProcessingMode mode :
         {Scope, Absorbance, Transmission, RelativeIrradiance, Custom, SpecularReflection}) {
        SCOPED_TRACE(mode);
        auto spectra = std::make_unique<ChannelSpectra>();
        ProcessingSetup setup;
        setup.pixelCount = 100000; // more than the arrays hold
        ProcessingState state;
        state.mode = mode;
        state.verticalLogScale = 1;
        for (int k = 0; k < kSpectrumChannels; ++k) {
            spectra->sample[k].fill(nan);
            spectra->reference[k].fill(nan);
            spectra->darkStored[k] = spectra->referenceStored[k] = 1;
            setup.channels[k].enabledInConfiguration = 1;
            setup.channels[k].referenceType = static_cast<uint16_t>(k % 4);
            setup.channels[k].referenceChannel = static_cast<uint32_t>(7 - k);
            setup.channels[k].pixelMap.fill(65535);
            setup.channels[k].bandEndPixel = 65535;
            state.channelEnables[k] = 1;
        }
        ProcessSpectra(*spectra, setup, state);
        // The log step maps NaN to 0.0 (NaN > 0 is false), so no NaN reaches the chart.
        EXPECT_EQ(spectra->processed[3][4095], 0.0);
    }
}

TEST(Blackbody, ValueAtTemperatureAndWavelength)
{
    const double expected = 37405.0 / ((std::exp(14388.0 / 1550.0) - 1.0) * std::pow(0.5, 5)) /
                            (1.288e-15 * std::pow(3100.0, 5));
    struct Case
    {
        const char* name;
        double wavelengthNm;
        double temperatureK;
        bool secondOrder;
        double expected;
    };
    const Case cases[] = {
        {"3100 K at 500 nm", 500.0, 3100.0, false, expected},
        {"second order halves the wavelength", 1000.0, 3100.0, true, expected},
        {"zero temperature", 500.0, 0.0, false, 0.0},
        {"negative temperature", 500.0, -10.0, false, 0.0},
        {"zero wavelength", 0.0, 3100.0, false, 0.0},
        {"negative wavelength", -500.0, 3100.0, false, 0.0},
        {"NaN wavelength", std::numeric_limits<double>::quiet_NaN(), 3100.0, false, 0.0},
        {"far infrared underflows to 0", 1.0, 1.0, false, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(blackbodyValue(c.wavelengthNm, c.temperatureK, c.secondOrder), c.expected,
                    std::fabs(c.expected) * 1e-12);
    }
}

TEST(Blackbody, CurvesOnlyForEnabledChannels)
{
    auto spectra = std::make_unique<ChannelSpectra>();
    spectra->wavelengths[0][0] = 500.0;
    spectra->wavelengths[2][0] = 500.0;
    spectra->irradianceConversion[2][0] = kUntouched;
    std::array<uint16_t, kSpectrumChannels> enables{};
    enables[0] = 1;
    computeBlackbodyCurves(*spectra, enables, 1, 3100.0, false);
    EXPECT_DOUBLE_EQ(spectra->irradianceConversion[0][0], blackbodyValue(500.0, 3100.0, false));
    EXPECT_EQ(spectra->irradianceConversion[2][0], kUntouched);
}

struct CopyCase
{
    const char* name;
    uint16_t type;
    int timeNormalization;
    int integrationMs;
    std::vector<float> raw;
    bool saturated;
    std::vector<double> scan;
};

class CopyRawScanTest : public ::testing::TestWithParam<CopyCase>
{};

TEST_P(CopyRawScanTest, CopiesAndTestsSaturationByType)
{
    const CopyCase& c = GetParam();
    auto raw = std::make_unique<RawScanBuffer>();
    std::copy(c.raw.begin(), c.raw.end(), raw->values);
    auto scan = std::make_unique<SpectrumArray>();
    scan->fill(kUntouched);
    ScanCopySettings settings;
    settings.spectrometerType = c.type;
    settings.pixelCount = static_cast<unsigned>(c.raw.size());
    settings.lemmikOffset = 5.0;
    settings.saturationThreshold = 100.0;
    settings.timeNormalization = c.timeNormalization;
    settings.integrationMs = c.integrationMs;
    EXPECT_EQ(copyRawScan(*raw, *scan, settings), c.saturated);
    for (std::size_t i = 0; i < c.scan.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ((*scan)[i], c.scan[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Types, CopyRawScanTest,
    ::testing::Values(
        CopyCase{"IstrelBelow", kIstrel, 0, 10, {50, 100}, false, {50, 100, kUntouched}},
        CopyCase{"IstrelAbove", kIstrel, 0, 10, {50, 100.5f}, true, {50, 100.5}},
        CopyCase{"IstrelTimeNormalized", kIstrel, 1, 10, {50, 99}, false, {5, 9.9}},
        CopyCase{"IstrelTimeNormalizedAbove", kIstrel, 1, 10, {101}, true, {10.1}},
        CopyCase{"JolvarTimeNormalized", kJolvar, 1, 4, {8}, false, {2}},
        CopyCase{"UlmarAbove", kUlmar, 0, 4, {1000}, true, {1000}},
        CopyCase{"WessorNeverDivides", kWessor, 1, 10, {50}, false, {50}},
        CopyCase{"WessorAboveTheUndividedThreshold", kWessor, 1, 10, {150}, true, {150}},
        CopyCase{"VelkoNeverDivides", kVelko, 1, 10, {99}, false, {99}},
        CopyCase{"ZeroIntegrationTimeDoesNotDivide", kIstrel, 1, 0, {99}, false, {99}},
        CopyCase{"GavrelInterpolates", kGavrel, 0, 10, {2, 4, 6}, false, {2, 3, 4, 5, 6, 3, 0}},
        CopyCase{"IstrelBTAbove", kIstrelBT, 0, 10, {2, 400}, true, {2, 201, 400}},
        CopyCase{
            "LemmikAddsItsOffsetAndDivides", kLemmik, 1, 5, {5, 15, 95}, false, {2, 3, 4, 12, 20}},
        CopyCase{"LemmikAbove", kLemmik, 0, 5, {96}, true, {101}},
        CopyCase{"PellarCopiesNothing", kPellar, 0, 10, {500}, false, {kUntouched}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CopyRawScan, GavrelLastPixelRepeatsItsNeighbour)
{
    auto raw = std::make_unique<RawScanBuffer>();
    for (int i = 0; i < 1024; ++i)
        raw->values[i] = static_cast<float>(i);
    auto scan = std::make_unique<SpectrumArray>();
    scan->fill(kUntouched);
    ScanCopySettings settings;
    settings.spectrometerType = kGavrel;
    settings.saturationThreshold = 5000.0;
    copyRawScan(*raw, *scan, settings);
    EXPECT_EQ((*scan)[2045], 1022.5);
    EXPECT_EQ((*scan)[2046], 1023.0);
    EXPECT_EQ((*scan)[2047], 1023.0);
    EXPECT_EQ((*scan)[2048], kUntouched);
}

TEST(FullScale, ByTypeAndAdc)
{
    struct Case
    {
        const char* name;
        uint16_t type;
        uint16_t adc;
        double scope;
        double unscale;
    };
    const Case cases[] = {
        {"Istrel SolviPlus", kIstrel, kAdcSolviPlus, 16400, 16400},
        {"Istrel PavikPlus", kIstrel, kAdcPavikPlus, 65600, 65600},
        {"Istrel other", kIstrel, 4, 4100, 4100},
        {"Wessor", kWessor, 11, 65600, 65600},
        {"Velko", kVelko, 0, 65600, 65600},
        {"Ulmar", kUlmar, kAdcUlmarADC, 65600, 65600},
        {"Jolvar Quarn", kJolvar, kAdcQuarn, 65600, 65600},
        {"Jolvar other", kJolvar, 4, 16400, 16500},
        {"Gavrel", kGavrel, 0, 4100, 4100},
        {"Pellar", kPellar, 253, 4100, 4100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scopeModeFullScale(c.type, c.adc), c.scope);
        EXPECT_EQ(unscaleFullScale(c.type, c.adc), c.unscale);
    }
}

TEST(ModeAxis, RangeAndTitlePerMode)
{
    struct Case
    {
        const char* name;
        ModeAxisInputs in;
        double yMin;
        double yMax;
        const char* title;
    };
    const auto inputs = [](ProcessingMode mode, int tn, int log, int label) {
        ModeAxisInputs in;
        in.mode = mode;
        in.timeNormalization = tn;
        in.verticalLogScale = log;
        in.fullScale = 16400;
        in.integrationMs = 100;
        in.transmissionModeLabel = label;
        in.customYMin = -1;
        in.customYMax = 9;
        in.customTitle = "Mine";
        return in;
    };
    const Case cases[] = {
        {"scope", inputs(Scope, 0, 0, 0), 0, 16400, "Intensity (counts)"},
        {"scope log", inputs(Scope, 0, 1, 0), 0, std::log10(16400.0), "log[Intensity (counts)]"},
        {"scope time normalised", inputs(Scope, 1, 0, 0), 0, 164,
         "Time Normalized Intensity (counts)"},
        {"absorbance", inputs(Absorbance, 0, 0, 0), 0, 4, "Absorbance"},
        {"absorbance log", inputs(Absorbance, 0, 1, 0), 0, std::log10(4.0), "log(Absorbance)"},
        {"transmission", inputs(Transmission, 0, 0, 0), 0, 120, "Percent Transmission"},
        {"transmission labelled reflection", inputs(Transmission, 0, 0, 1), 0, 120,
         "Percent Reflection"},
        {"irradiance log", inputs(RelativeIrradiance, 0, 1, 0), 0, std::log10(2.0),
         "log(Relative Irradiance)"},
        {"reflection", inputs(SpecularReflection, 0, 0, 0), 0, 120, "Percent Reflection"},
        {"custom has no log form", inputs(Custom, 0, 1, 0), -1, 9, "Mine"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ModeAxis axis = modeAxis(c.in);
        EXPECT_DOUBLE_EQ(axis.yMin, c.yMin);
        EXPECT_DOUBLE_EQ(axis.yMax, c.yMax);
        EXPECT_EQ(axis.title, c.title);
    }
}

TEST(StoredSpectra, StoreAndModeAvailability)
{
    auto spectra = std::make_unique<ChannelSpectra>();
    std::array<uint16_t, kSpectrumChannels> enables{};
    enables[0] = enables[3] = 1;
    spectra->sample[0][0] = 11;
    spectra->sample[3][0] = 33;
    spectra->sample[5][0] = 55;
    EXPECT_FALSE(processedModesAvailable(*spectra, enables, 0));

    storeScans(spectra->sample, spectra->dark, spectra->darkStored, enables);
    EXPECT_EQ(spectra->dark[0][0], 11);
    EXPECT_EQ(spectra->dark[3][0], 33);
    EXPECT_EQ(spectra->dark[5][0], 0);
    EXPECT_EQ(spectra->darkStored[5], 0u);

    const std::array<int, kSpectrumChannels> selected = {0, 0, 0, 1, 0, 1, 0, 0};
    storeScans(spectra->sample, spectra->reference, spectra->referenceStored, enables, &selected);
    EXPECT_EQ(spectra->referenceStored[0], 0u);
    EXPECT_EQ(spectra->referenceStored[3], 1u);
    EXPECT_EQ(spectra->referenceStored[5], 0u) << "selected but not enabled";
    EXPECT_FALSE(processedModesAvailable(*spectra, enables, 0));

    storeScans(spectra->sample, spectra->reference, spectra->referenceStored, enables);
    EXPECT_TRUE(processedModesAvailable(*spectra, enables, 0));
    EXPECT_FALSE(processedModesAvailable(*spectra, enables, 1)) << "time normalisation needs "
                                                                   "the sample dark";
    storeScans(spectra->sample, spectra->sampleDark, spectra->sampleDarkStored, enables);
    EXPECT_TRUE(processedModesAvailable(*spectra, enables, 1));
}

} // namespace
} // namespace app::spectrum::test
