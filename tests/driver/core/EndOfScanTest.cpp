#include "driver/core/EndOfScan.h"

#include "driver/core/DriverState.h"
#include "driver/core/EndOfScanSteps.h"
#include "driver/core/Multichannel.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace driver::core::test {
namespace {

// Direct reference implementations in double.

std::vector<double> refAverage(std::vector<double> v, int n, int scans)
{
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] /= scans;
    return v;
}

std::vector<double> refNonLinearity(std::vector<double> v, int first, int last,
                                    const std::array<double, 8>& c)
{
    for (int i = first; i <= last; ++i) {
        const double x = v[static_cast<std::size_t>(i)];
        double p = 0.0;
        for (int k = 0; k < 8; ++k)
            p += c[static_cast<std::size_t>(k)] * std::pow(x, k);
        v[static_cast<std::size_t>(i)] = x / p;
    }
    return v;
}

std::vector<double> refEvenOddDark(std::vector<double> v, int n, double& even, double& odd)
{
    v[0] += 2.0;
    std::vector<double> e, o;
    for (int i = 0; i < 14; i += 2) {
        e.push_back(v[static_cast<std::size_t>(i)]);
        o.push_back(v[static_cast<std::size_t>(i + 1)]);
    }
    auto level = [](const std::vector<double>& s, double previous) {
        double sum = 0.0;
        for (double x : s)
            sum += x;
        const double mn = *std::min_element(s.begin(), s.end());
        const double mx = *std::max_element(s.begin(), s.end());
        return (sum - mx - mn) / 5.0 * 0.25 + previous * 0.75;
    };
    even = level(e, even);
    odd = level(o, odd);
    v[0] = v[1] = 0.0;
    for (int k = 0; k < (n - 1) / 2; ++k) {
        v[static_cast<std::size_t>(2 + 2 * k)] -= even;
        v[static_cast<std::size_t>(3 + 2 * k)] -= odd;
    }
    return v;
}

std::vector<double> refStrayLight(std::vector<double> v, int n, double constant, double divisor)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += v[static_cast<std::size_t>(i)];
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] -= sum * constant / divisor;
    return v;
}

std::vector<double> refBoxcar(const std::vector<double>& v, int w, int first, int last)
{
    std::vector<double> out = v;
    for (int j = first; j <= last; ++j) {
        double sum = 0.0;
        for (int i = j - w; i <= j + w; ++i)
            sum += v[static_cast<std::size_t>(i)];
        out[static_cast<std::size_t>(j)] = sum / (2.0 * w + 1.0);
    }
    return out;
}

std::vector<float> spectrum(std::size_t size, unsigned seed, float scale = 4000.0f)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> noise(0.0f, scale);
    std::vector<float> v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = noise(generator) + static_cast<float>(i % 97);
    return v;
}

std::vector<double> toDouble(const std::vector<float>& v)
{
    return {v.begin(), v.end()};
}

// Float results agree with the double reference to float precision.
// `scale` is the magnitude of the operands, for steps whose results cancel.
void expectClose(const std::vector<float>& actual, const std::vector<double>& expected,
                 double ulps = 4.0, double scale = 1.0)
{
    ASSERT_EQ(actual.size(), expected.size());
    int failures = 0;
    for (std::size_t i = 0; i < actual.size() && failures < 5; ++i) {
        const double tolerance =
            ulps * std::numeric_limits<float>::epsilon() * std::max(scale, std::fabs(expected[i]));
        if (std::fabs(actual[i] - expected[i]) > tolerance) {
            ADD_FAILURE() << "index " << i << ": " << actual[i] << " != " << expected[i];
            ++failures;
        }
    }
}

TEST(EndOfScanStepsTest, AveragingDividesByTheScans)
{
    for (int scans : {1, 2, 3, 7, 100}) {
        SCOPED_TRACE(scans);
        auto v = spectrum(2048, 1);
        auto expected = refAverage(toDouble(v), 2048, scans);
        averagePixels(v, scans);
        expectClose(v, expected, 1.0);
    }
}

struct NlCase
{
    const char* name;
    std::array<double, 8> coefficients;
};

TEST(EndOfScanStepsTest, NonLinearityMatchesThePolynomial)
{
    const NlCase cases[] = {
        {"Identity", {1, 0, 0, 0, 0, 0, 0, 0}},
        {"Linear", {0.9, 2.5e-5, 0, 0, 0, 0, 0, 0}},
        {"SeventhOrder", {0.95, 3e-5, -2e-9, 1e-13, -4e-18, 2e-22, -1e-26, 3e-31}},
    };
    for (const NlCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto v = spectrum(2048, 2, 60000.0f);
        auto expected = refNonLinearity(toDouble(v), 0, 2047, c.coefficients);
        correctNonLinearity(v, c.coefficients);
        expectClose(v, expected, 2.0);
    }
}

TEST(EndOfScanStepsTest, EvenOddDarkMovesAQuarterOfTheWayEachScan)
{
    for (int pixels : {256, 1100, 2048, 3648}) {
        SCOPED_TRACE(pixels);
        float even = 0.0f;
        float odd = 0.0f;
        double refEven = 0.0;
        double refOdd = 0.0;
        for (unsigned scan = 0; scan < 4; ++scan) {
            auto v = spectrum(static_cast<std::size_t>(std::max(pixels, 2048)), 10 + scan, 300.0f);
            auto expected = refEvenOddDark(toDouble(v), pixels, refEven, refOdd);
            correctEvenOddDark(v, pixels, even, odd);
            EXPECT_NEAR(even, refEven, 1e-4 * std::max(1.0, std::fabs(refEven)));
            EXPECT_NEAR(odd, refOdd, 1e-4 * std::max(1.0, std::fabs(refOdd)));
            EXPECT_EQ(v[0], 0.0f);
            EXPECT_EQ(v[1], 0.0f);
            expectClose(v, expected, 2.0, 400.0);
        }
    }
}

TEST(EndOfScanStepsTest, StrayLightSubtractsTheScaledSum)
{
    for (double divisor : {8388608.0, 59778292.0, 67107840.0}) {
        SCOPED_TRACE(divisor);
        auto v = spectrum(2048, 3);
        auto expected = refStrayLight(toDouble(v), 2048, 0.5f, divisor);
        correctStrayLight(v, 0.5f, divisor);
        expectClose(v, expected, 4.0);
    }
}

struct BoxcarCase
{
    const char* name;
    int size;
    int halfWidth;
    int first;
    int last;
};

TEST(EndOfScanStepsTest, SlidingBoxcarAgreesWithTheDirectSum)
{
    const BoxcarCase cases[] = {
        {"IstrelW1", 2048, 1, 17, 2046},
        {"IstrelW5", 2048, 5, 21, 2042},
        {"IstrelW50", 2048, 50, 66, 1997},
        {"IstrelW500", 2048, 500, 516, 1547},
        {"NirW3", 512, 3, 3, 508},
        {"JolvarW25", 3648, 25, 40, 3622},
        {"WholeRangeW1023", 2048, 1023, 1023, 1024},
        {"EmptyRange", 2048, 1024, 1040, 1023},
    };
    std::vector<float> scratch(4096);
    for (const BoxcarCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto v = spectrum(static_cast<std::size_t>(c.size), 4, 65535.0f);
        auto expected =
            c.first <= c.last ? refBoxcar(toDouble(v), c.halfWidth, c.first, c.last) : toDouble(v);
        boxcarSmooth(v, scratch, c.halfWidth, c.first, c.last);
        expectClose(v, expected, 1.0);
    }
}

TEST(EndOfScanStepsTest, BoxcarRunningSumStaysExactOverLargeDynamicRange)
{
    // A huge spike early must not leave a residue in the running sum later on.
    std::vector<float> v(2048, 1.0f);
    v[100] = 3.0e7f;
    std::vector<float> scratch(4096);
    const auto expected = refBoxcar(toDouble(v), 10, 26, 2037);
    boxcarSmooth(v, scratch, 10, 26, 2037);
    expectClose(v, expected, 1.0);
    EXPECT_EQ(v[2000], 1.0f);
}

TEST(EndOfScanStepsTest, CorrelatedDoubleSamplingInBothModes)
{
    std::vector<float> scratch(2048);
    auto halves = spectrum(2048, 5);
    auto interleaved = halves;
    const auto original = halves;
    correlatedDoubleSampling(halves, scratch, true);
    correlatedDoubleSampling(interleaved, scratch, false);
    EXPECT_EQ(halves[0], original[0]);
    EXPECT_EQ(interleaved[0], 0.0f);
    EXPECT_EQ(interleaved[1], 0.0f);
    for (std::size_t k = 1; k < 1024; ++k)
        EXPECT_EQ(halves[k], original[k] - original[k + 1024]);
    for (std::size_t k = 2; k < 1024; ++k)
        EXPECT_EQ(interleaved[k], original[2 * k - 2] - original[2 * k - 1]);
    for (std::size_t k = 1024; k < 2048; ++k) {
        EXPECT_EQ(halves[k], 0.0f);
        EXPECT_EQ(interleaved[k], 0.0f);
    }
}

// Interleaving m channels, with the stream starting at the last channel.
TEST(DeinterleaveTest, EveryChannelCountSplitsAndInterpolates)
{
    for (int m = 2; m <= 8; ++m) {
        SCOPED_TRACE(m);
        const int pixels = 2048;
        std::vector<std::vector<float>> buffers(static_cast<std::size_t>(m),
                                                std::vector<float>(pixels, -1.0f));
        for (int p = 0; p < pixels; ++p)
            buffers[0][static_cast<std::size_t>(p)] = static_cast<float>(p * p % 1000);
        const auto stream = buffers[0];
        std::vector<float*> pointers;
        for (auto& b : buffers)
            pointers.push_back(b.data());
        std::vector<float> scratch(pixels);
        deinterleaveStream(pointers, pixels, scratch);

        for (int c = 0; c < m; ++c) {
            const auto& b = buffers[static_cast<std::size_t>(c)];
            const int firstOwn = (c + 1) % m;
            int lastOwn = firstOwn;
            while (lastOwn + m < pixels)
                lastOwn += m;
            for (int p = firstOwn; p <= lastOwn; p += m)
                ASSERT_EQ(b[static_cast<std::size_t>(p)], stream[static_cast<std::size_t>(p)]);
            for (int q = firstOwn; q + m < pixels; q += m) {
                const double a = stream[static_cast<std::size_t>(q)];
                const double z = stream[static_cast<std::size_t>(q + m)];
                for (int j = 1; j < m; ++j) {
                    const double expected = a + (z - a) * j / m;
                    // The fractions are 6-decimal constants.
                    ASSERT_NEAR(b[static_cast<std::size_t>(q + j)], expected,
                                1e-5 * std::max(1.0, std::fabs(z - a)) + 1e-3);
                }
            }
            // Before the first own sample: channel 0 was cleared, the others untouched.
            for (int p = 0; p < firstOwn; ++p)
                EXPECT_EQ(b[static_cast<std::size_t>(p)], c == 0 ? 0.0f : -1.0f);
        }
    }
}

TEST(DeinterleaveTest, TwoChannelsTakeEvenAndOddSamples)
{
    std::vector<float> c0(2048), c1(2048, -1.0f), scratch(2048);
    for (int p = 0; p < 2048; ++p)
        c0[static_cast<std::size_t>(p)] = static_cast<float>(p * 3);
    float* channels[] = {c0.data(), c1.data()};
    deinterleaveStream(channels, 2048, scratch);
    for (int p = 0; p < 2047; ++p)
        EXPECT_EQ(p % 2 == 0 ? c1[static_cast<std::size_t>(p)] : c0[static_cast<std::size_t>(p)],
                  static_cast<float>(p * 3));
    EXPECT_EQ(c1[1], 3.0f); // mean of samples 0 and 2
    EXPECT_EQ(c0[2], 6.0f); // mean of samples 1 and 3
    EXPECT_EQ(c0[0], 0.0f);
}

struct DeinterleaveModeCase
{
    const char* name;
    int mode;
    int count;
    bool splits;
    int enabledChannels;
};

TEST(DeinterleaveTest, ModesAndCounts)
{
    const DeinterleaveModeCase cases[] = {
        {"InterleavedThree", 1, 2, true, 3},
        {"WholeChannels", 2, 3, false, 4},
        {"CountZero", 1, 0, false, 1},
        {"CountAboveSeven", 1, 9, false, 8},
    };
    auto fake = startFakeDriver();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestClient client(5, 5, {0, 1, 2, 3, 4, 5, 6, 7});
        client.record.channelEnables[6] = 0;
        for (int p = 0; p < 2048; ++p)
            client.buffers[0][static_cast<std::size_t>(p)] = static_cast<float>(p);
        {
            std::lock_guard lock(driverState().mutex);
            driverState().multichannelMode = c.mode;
            driverState().multichannelCount = c.count;
            driverState().pixelCount = 2048;
            DeinterleaveChannels(&client.record);
        }
        int enabled = 0;
        for (int e : client.record.channelEnables)
            enabled += e;
        EXPECT_EQ(enabled, c.enabledChannels);
        EXPECT_EQ(client.buffers[0][5] != 5.0f, c.splits);
    }
}

// Whole routines on the current record, against the reference pipeline.
struct RoutineCase
{
    const char* name;
    void (*routine)(RegistrationRecord*);
    int spectrometerType;
    int adcType;
    int pixels;
    const char* steps; // A average, N non-linearity (range in nlFirst..nlLast), E dark,
                       // S stray light, B boxcar
    int nlFirst;
    int nlLast; // -1: pixel count - 1
    double divisor;
    int boxcarFirstOffset;
    bool boxcarTo2047;
};

class EndOfScanRoutineTest : public ::testing::TestWithParam<RoutineCase>
{};

TEST_P(EndOfScanRoutineTest, EveryCorrectionOnMatchesTheReference)
{
    const RoutineCase& c = GetParam();
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    const int scans = 3;
    const int w = 4;
    const std::array<double, 8> nl{0.97, 1.1e-5, -3e-10, 0, 0, 0, 0, 0};
    TestClient client(42, 7, {0, 3});
    client.record.scansToAverage = scans;
    client.record.boxcarHalfWidth = w;
    client.record.correctForDark = 1;
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    RegistrationRecord* record = nullptr;
    const std::size_t length = std::max<std::size_t>(2048, static_cast<std::size_t>(c.pixels));
    {
        std::lock_guard lock(driverState().mutex);
        DriverState& state = driverState();
        state.spectrometerType = static_cast<std::uint16_t>(c.spectrometerType);
        state.adcType = static_cast<std::uint16_t>(c.adcType);
        state.pixelCount = c.pixels;
        for (auto& corrections : state.corrections) {
            corrections = ChannelCorrections{};
            corrections.nlCoefficients = nl;
            corrections.nlEnable = 1;
            corrections.slEnable = 1;
            corrections.slConstant = 0.01f;
        }
        record = state.table.find(42);
        state.current = record;
    }
    std::vector<std::vector<double>> expected;
    for (int channel : {0, 3}) {
        auto input = spectrum(length, 20 + static_cast<unsigned>(channel), 12000.0f);
        std::copy(input.begin(), input.end(),
                  client.buffers[static_cast<std::size_t>(channel)].begin());
        auto v = toDouble(input);
        double even = 0.0, odd = 0.0;
        for (const char* step = c.steps; *step; ++step) {
            switch (*step) {
            case 'A':
                v = refAverage(v, c.pixels, scans);
                break;
            case 'N':
                v = refNonLinearity(v, c.nlFirst, c.nlLast < 0 ? c.pixels - 1 : c.nlLast, nl);
                break;
            case 'E':
                v = refEvenOddDark(v, c.pixels, even, odd);
                break;
            case 'S':
                v = refStrayLight(v, c.pixels, 0.01f, c.divisor);
                break;
            case 'B':
                v = refBoxcar(v, w, w + c.boxcarFirstOffset,
                              (c.boxcarTo2047 ? 2047 : c.pixels - 1) - w);
                break;
            }
        }
        expected.push_back(v);
    }

    c.routine(record);

    for (std::size_t i = 0; i < 2; ++i) {
        const int channel = i == 0 ? 0 : 3;
        SCOPED_TRACE(channel);
        std::vector<float> actual(client.buffers[static_cast<std::size_t>(channel)].begin(),
                                  client.buffers[static_cast<std::size_t>(channel)].begin() +
                                      static_cast<std::ptrdiff_t>(length));
        std::vector<double> relative = expected[i];
        // The chain runs in float: allow a small error relative to the operands (the dark
        // step cancels most of a pixel's value).
        int failures = 0;
        for (std::size_t p = 0; p < length && failures < 5; ++p) {
            if (std::fabs(actual[p] - relative[p]) >
                2e-5 * std::max(100.0, std::fabs(relative[p]))) {
                ADD_FAILURE() << "pixel " << p << ": " << actual[p] << " != " << relative[p];
                ++failures;
            }
        }
    }
    const auto full = fake->postedOf(VYK_MSG_BUFFER_FULL);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(full[0].wParam, 0u);
    EXPECT_EQ(full[1].wParam, 3u);
    EXPECT_EQ(full[0].lParam, reinterpret_cast<std::intptr_t>(record));
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(record->bufferStates[0], VYK_BUFFER_FULL);
    EXPECT_EQ(record->bufferStates[3], VYK_BUFFER_FULL);
    EXPECT_EQ(record->bufferStates[1], VYK_BUFFER_NOT_IN_USE);
}

INSTANTIATE_TEST_SUITE_P(
    Routines, EndOfScanRoutineTest,
    ::testing::Values(RoutineCase{"Gavrel", EndOfScanGavrel, VYK_SPEC_GAVREL, VYK_ADC_NONE, 1100,
                                  "ANBE", 0, -1, 0, 16, true},
                      RoutineCase{"IstrelBT", EndOfScanIstrelBT, VYK_SPEC_ISTRELBT, VYK_ADC_NONE,
                                  1100, "ABE", 0, -1, 0, 16, true},
                      RoutineCase{"Istrel", EndOfScanIstrel, VYK_SPEC_ISTREL, VYK_ADC_NONE, 2048,
                                  "ANESB", 25, 2047, 8388608.0, 16, true},
                      RoutineCase{"IstrelOnVelkoPixels", EndOfScanIstrel, VYK_SPEC_VELKO,
                                  VYK_ADC_NONE, 256, "ANESB", 25, 2047, 8388608.0, 16, true},
                      RoutineCase{"IstrelOnTrevanSkipsAveraging", EndOfScanIstrel, VYK_SPEC_ISTREL,
                                  VYK_ADC_TREVAN, 2048, "NESB", 25, 2047, 8388608.0, 16, true},
                      RoutineCase{"Nir", EndOfScanNir, VYK_SPEC_WESSOR, VYK_ADC_NONE, 512, "ANSB",
                                  0, -1, 8388608.0, 0, false},
                      RoutineCase{"Jolvar", EndOfScanJolvar, VYK_SPEC_JOLVAR, VYK_ADC_TREVAN, 3648,
                                  "NESB", 0, -1, 59778292.0, 15, false},
                      // The UlmarADC acquisition sums the scans; elsewhere nothing is divided.
                      RoutineCase{"Ulmar", EndOfScanUlmar, VYK_SPEC_ULMAR, VYK_ADC_ULMARADC, 1044,
                                  "ANSB", 0, -1, 67107840.0, 0, false},
                      RoutineCase{"UlmarOffItsAdcDividesNothing", EndOfScanUlmar, VYK_SPEC_ULMAR,
                                  VYK_ADC_NONE, 1044, "NSB", 0, -1, 67107840.0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EndOfScanRoutineTest, LemmikSamplesDoublyThenCorrects)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    TestClient client(42, 7, {1});
    client.record.scansToAverage = 2;
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    auto input = spectrum(2048, 30);
    std::copy(input.begin(), input.end(), client.buffers[1].begin());
    RegistrationRecord* record = nullptr;
    {
        std::lock_guard lock(driverState().mutex);
        driverState().spectrometerType = VYK_SPEC_LEMMIK;
        driverState().adcType = VYK_ADC_SERIAL;
        driverState().pixelCount = 1024;
        driverState().scanAborted = true;
        record = driverState().table.find(42);
        driverState().current = record;
    }
    EndOfScanLemmik(record);
    for (std::size_t k = 1; k < 1024; ++k)
        ASSERT_EQ(client.buffers[1][k], (input[k] - input[k + 1024]) / 2.0f);
    EXPECT_EQ(client.buffers[1][1500], 0.0f);
    // An abort flagged by the serial A/D gives state 6 and 0x468.
    EXPECT_EQ(fake->postedOf(VYK_MSG_ABORTED).size(), 1u);
    EXPECT_TRUE(fake->postedOf(VYK_MSG_BUFFER_FULL).empty());
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(record->bufferStates[1], VYK_BUFFER_ABORTED);
}

struct PostCase
{
    const char* name;
    std::uint32_t key;
    bool overrun;
    bool withoutBuffer;
    int multichannelMode;
    std::size_t fullPosts;
    std::size_t timeoutPosts;
};

TEST(EndOfScanRoutineTest, PostStepCases)
{
    const PostCase cases[] = {
        {"Normal", 42, false, false, 0, 2, 0},
        {"OverrunSuppressesTheMessages", 42, true, false, 0, 0, 0},
        {"ReleasedRecordEndsQuietly", 0, false, false, 0, 0, 0},
        {"DoScanRecordGetsItsResultSlot", 1, false, false, 0, 0, 0},
        {"ChannelWithoutBufferFailsTheScan", 42, false, true, 0, 0, 1},
        {"MultichannelResetsToChannelZero", 42, false, false, 2, 2, 0},
    };
    for (const PostCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
        TestClient client(42, 7, {0, 1});
        ASSERT_EQ(VYK_Register(&client.record), 0);
        ASSERT_EQ(VYK_ParamSet(&client.record), 0);
        RegistrationRecord* record = nullptr;
        {
            std::lock_guard lock(driverState().mutex);
            DriverState& state = driverState();
            record = state.table.find(42);
            record->instanceKey = c.key;
            record->continuous = 1;
            if (c.key == kDoScanKey)
                record->window = 0;
            if (c.withoutBuffer)
                record->channelBuffers[1] = nullptr;
            state.overrun = c.overrun;
            state.multichannelMode = c.multichannelMode;
            state.multichannelCount = 1;
            state.doScanBusy = true;
            state.workerScanBusy = true;
            state.current = record;
        }
        EndOfScanIstrel(record);
        EXPECT_EQ(fake->postedOf(VYK_MSG_BUFFER_FULL).size(), c.fullPosts);
        EXPECT_EQ(fake->postedOf(VYK_MSG_TIMEOUT).size(), c.timeoutPosts);
        EXPECT_TRUE(fake->postedOf(0x12 /* WM_QUIT */).empty());
        std::lock_guard lock(driverState().mutex);
        DriverState& state = driverState();
        EXPECT_FALSE(state.doScanBusy);
        EXPECT_FALSE(state.workerScanBusy);
        EXPECT_FALSE(state.overrun);
        if (c.key == kDoScanKey) {
            EXPECT_EQ(record->window, static_cast<std::uint32_t>(VYK_MSG_BUFFER_FULL));
        }
        if (c.withoutBuffer) {
            EXPECT_EQ(record->continuous, 0);
        }
        if (c.multichannelMode != 0) {
            EXPECT_EQ(record->channelEnables[1], 0);
        }
    }
}

} // namespace
} // namespace driver::core::test
