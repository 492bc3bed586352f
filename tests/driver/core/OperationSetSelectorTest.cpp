#include "driver/core/OperationSetSelector.h"

#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
#include "driver/core/Multichannel.h"
#include "driver/core/NoHardwareOperationSet.h"
#include "platform/win/c/pwin.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace driver::core::test {
namespace {

using EndOfScanFn = void (*)(RegistrationRecord*);
using DeinterleaveFn = void (*)(RegistrationRecord*);

// Marks the Deinterleave slot before selection, to see whether the selection keeps it.
void keptDeinterleave(RegistrationRecord*) {}
constexpr DeinterleaveFn kKept = keptDeinterleave;

struct SelectCase
{
    int spectrometer;
    int adc;
    const char* setName;
    EndOfScanFn endOfScan;
    int pixels;
    int divisor;
    DeinterleaveFn deinterleave;
};

std::string caseName(const SelectCase& c)
{
    return std::to_string(c.spectrometer) + "_" + std::to_string(c.adc);
}

class SelectOperationSetTest : public ::testing::TestWithParam<SelectCase>
{};

TEST_P(SelectOperationSetTest, FillsTheSlotsByKey)
{
    const SelectCase& c = GetParam();
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    {
        std::lock_guard lock(driverState().mutex);
        DriverState& state = driverState();
        state.spectrometerType = static_cast<std::uint16_t>(c.spectrometer);
        state.adcType = static_cast<std::uint16_t>(c.adc);
        state.ops.Deinterleave = kKept;
        state.multichannelMode = 1;
        state.pixelCount = 4242;
        state.frequencyDivisor = 42;
        state.appliedPeriodMs = 99;
    }
    EXPECT_EQ(SelectOperationSet(), 1);
    EXPECT_STREQ(selectedOperationSetName(), c.setName);
    std::lock_guard lock(driverState().mutex);
    const DriverState& state = driverState();
    EXPECT_EQ(state.ops.EndOfScan, c.endOfScan);
    EXPECT_EQ(state.ops.Deinterleave, c.deinterleave);
    EXPECT_EQ(state.pixelCount, c.pixels);
    EXPECT_EQ(state.frequencyDivisor, c.divisor);
    EXPECT_EQ(state.multichannelMode, 0);
    EXPECT_EQ(state.appliedPeriodMs, 1);
    // Sets whose back-end is not built run the synthetic channel.
    const std::string name = c.setName;
    if (name == "NoHardwareOperationSet" || name == "PellarOperationSet") {
        EXPECT_EQ(state.ops.StartChannel, NoHardwareStartChannel);
    }
    // The USB sets acquire through their own slots.
    if (name == "XandelOperationSet" || name.find("BrontelUSB") != std::string::npos) {
        EXPECT_NE(state.ops.StartChannel, NoHardwareStartChannel);
        EXPECT_NE(state.ops.StartChannel, nullptr);
    }
}

constexpr DeinterleaveFn kSplit = DeinterleaveChannels;
constexpr DeinterleaveFn kNone = DeinterleaveNone;

INSTANTIATE_TEST_SUITE_P(
    Keys, SelectOperationSetTest,
    ::testing::Values(
        SelectCase{0, 0, "GavrelDovrinOperationSet", EndOfScanGavrel, 1100, 10, kKept},
        SelectCase{0, 1, "GavrelDaqOperationSet", EndOfScanGavrel, 1100, 10, kNone},
        SelectCase{0, 2, "GavrelBrontelOperationSet", EndOfScanGavrel, 1100, 10, kSplit},
        SelectCase{256, 0, "IstrelBTDovrinOperationSet", EndOfScanIstrelBT, 1100, 10, kKept},
        SelectCase{256, 1, "IstrelBTDaqOperationSet", EndOfScanIstrelBT, 1100, 10, kNone},
        SelectCase{256, 2, "IstrelBTBrontelOperationSet", EndOfScanIstrelBT, 1100, 10, kSplit},
        SelectCase{512, 0, "IstrelDovrinOperationSet", EndOfScanIstrel, 2048, 10, kKept},
        SelectCase{512, 1, "IstrelDaqOperationSet", EndOfScanIstrel, 2048, 10, kNone},
        SelectCase{512, 2, "IstrelBrontelOperationSet", EndOfScanIstrel, 2048, 10, kSplit},
        SelectCase{512, 10, "IstrelBrontelOperationSet", EndOfScanIstrel, 2048, 10, kSplit},
        SelectCase{512, 4, "PavikSolviOperationSet", EndOfScanIstrel, 2048, 10, kKept},
        SelectCase{512, 9, "PavikSolviOperationSet", EndOfScanIstrel, 2048, 10, kKept},
        SelectCase{512, 6, "IstrelCadrelPCIOperationSet", EndOfScanIstrel, 2048, 10, kSplit},
        SelectCase{512, 7, "IstrelBrontelUSBOperationSet", EndOfScanIstrel, 2048, 10, kSplit},
        SelectCase{512, 8, "IstrelKaldrisOperationSet", EndOfScanIstrel, 2048, 10, kSplit},
        SelectCase{512, 13, "SolviPlusOperationSet", EndOfScanIstrel, 2048, 10, kKept},
        SelectCase{512, 15, "PavikPlusOperationSet", EndOfScanIstrel, 2048, 10, kKept},
        SelectCase{768, 7, "LemmikBrontelUSBOperationSet", EndOfScanLemmik, 1024, 10, kSplit},
        SelectCase{768, 8, "LemmikKaldrisOperationSet", EndOfScanLemmik, 1024, 10, kSplit},
        SelectCase{1024, 11, "XandelOperationSet", EndOfScanNir, 512, 100, kKept},
        SelectCase{1280, 11, "XandelOperationSet", EndOfScanNir, 256, 42, kKept},
        SelectCase{1536, 12, "TrevanOperationSet", EndOfScanJolvar, 3648, 10, kKept},
        SelectCase{1536, 16, "QuarnOperationSet", EndOfScanJolvar, 3648, 10, kKept},
        SelectCase{1792, 14, "UlmarOperationSet", EndOfScanUlmar, 1044, 42, kKept},
        SelectCase{0xFD00, 253, "PellarOperationSet", EndOfScanIstrel, 256, 10, kKept},
        SelectCase{0, 255, "NoHardwareOperationSet", EndOfScanGavrel, 1100, 10, kKept},
        SelectCase{256, 255, "NoHardwareOperationSet", EndOfScanIstrelBT, 1100, 10, kKept},
        SelectCase{512, 255, "NoHardwareOperationSet", EndOfScanIstrel, 2048, 10, kKept},
        SelectCase{1024, 255, "NoHardwareOperationSet", EndOfScanNir, 512, 100, kKept},
        SelectCase{1280, 255, "NoHardwareOperationSet", EndOfScanIstrel, 256, 42, kKept},
        SelectCase{1536, 4, "NoHardwareOperationSet", EndOfScanIstrel, 3648, 10, kKept},
        SelectCase{0x1234, 255, "NoHardwareOperationSet", EndOfScanIstrel, 4242, 42, kKept}),
    [](const auto& info) { return caseName(info.param); });

TEST(SelectOperationSetTest, LemmikOnABoardIsRefused)
{
    for (int adc : {0, 1, 2, 6}) {
        SCOPED_TRACE(adc);
        auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
        {
            std::lock_guard lock(driverState().mutex);
            driverState().spectrometerType = VYK_SPEC_LEMMIK;
            driverState().adcType = static_cast<std::uint16_t>(adc);
        }
        EXPECT_EQ(SelectOperationSet(), 1);
        const auto boxes = fake->boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "The Lemmik is currently supported with Varnholt Kaldris A/D "
                                 "Interface and The Brontel-USB only.");
        EXPECT_EQ(boxes[0].caption, "VYKDrv Error");
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().spectrometerType, VYK_SPEC_ISTREL);
        EXPECT_EQ(driverState().adcType, VYK_ADC_NONE);
        EXPECT_EQ(driverState().pixelCount, 2048);
        EXPECT_EQ(driverState().ops.EndOfScan, EndOfScanIstrel);
    }
}

ChannelStart registeredStart(RegistrationRecord*)
{
    return ChannelStart::Pending;
}

TEST(SelectOperationSetTest, ARegisteredSetReplacesTheFallBack)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    OperationSet set;
    set.name = "QuarnOperationSet";
    set.StartChannel = registeredStart;
    registerOperationSet("QuarnOperationSet", set);
    {
        std::lock_guard lock(driverState().mutex);
        driverState().spectrometerType = VYK_SPEC_JOLVAR;
        driverState().adcType = VYK_ADC_QUARN;
    }
    SelectOperationSet();
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().ops.StartChannel, registeredStart);
        EXPECT_EQ(driverState().ops.EndOfScan, EndOfScanJolvar);
    }
    registerOperationSet("QuarnOperationSet", NoHardwareOperationSet()); // as before
}

TEST(IsValidHandleTest, ZeroAndMinusOneAreInvalid)
{
    EXPECT_FALSE(IsValidHandle(0));
    EXPECT_FALSE(IsValidHandle(-1));
    EXPECT_TRUE(IsValidHandle(1));
    EXPECT_TRUE(IsValidHandle(-2));
}

// Port writes recorded by a fake board.
class RecordingPortIo final : public platform::portio::PortIo
{
public:
    std::vector<std::tuple<int, std::uint32_t, int, std::uint32_t>> writes;
    std::mutex mutex;

    std::uint32_t readPort(int, std::uint32_t, int) override { return 0; }
    bool writePort(int range, std::uint32_t offset, int width, std::uint32_t value) override
    {
        std::lock_guard lock(mutex);
        writes.emplace_back(range, offset, width, value);
        return true;
    }
};

struct MultiplexerCase
{
    const char* name;
    int adc;
    bool plus;
    std::vector<std::uint16_t> values; // VYK_EnableMultichannelSpectra calls in order
    std::vector<std::tuple<int, std::uint32_t, int, std::uint32_t>> writes;
    int mode;
    std::size_t rotatorBytes;
    std::size_t boxes;
};

TEST(MultichannelTest, MultiplexerProgramming)
{
    using W = std::tuple<int, std::uint32_t, int, std::uint32_t>;
    const MultiplexerCase cases[] = {
        {"BrontelThreeChannels", 2, false, {2}, {W{0, 7, 1, 10}}, 1, 0, 0},
        {"BrontelEightOrMore", 10, false, {9}, {W{0, 7, 1, 15}}, 1, 0, 0},
        {"BrontelDisable", 2, false, {3, 0}, {W{0, 7, 1, 11}, W{0, 7, 1, 0}}, 0, 0, 0},
        {"CadrelNormal", 6, false, {3}, {W{1, 0, 2, 8}, W{1, 14, 2, 11}}, 1, 0, 0},
        {"CadrelSpecialRefusedOnPlainCard",
         6,
         false,
         {259},
         {W{1, 0, 2, 8}, W{1, 14, 2, 11}},
         1,
         0,
         1},
        {"CadrelSpecialOnPlus",
         6,
         true,
         {259},
         {W{1, 0, 2, 32}, W{1, 14, 2, 4096 | 3 | 0x10}},
         2,
         4 * 4096,
         0},
        {"CadrelSpecialTwiceProgramsOnce",
         6,
         true,
         {259, 259},
         {W{1, 0, 2, 32}, W{1, 14, 2, 4096 | 3 | 0x10}},
         2,
         4 * 4096,
         0},
        {"CadrelDisable",
         6,
         true,
         {259, 0},
         {W{1, 0, 2, 32}, W{1, 14, 2, 4096 | 3 | 0x10}, W{1, 0, 2, 4}, W{1, 14, 2, 0}},
         0,
         0,
         0},
        {"Daq700OnlySetsTheMode", 1, false, {4}, {}, 1, 0, 0},
    };
    for (const MultiplexerCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
        auto io = std::make_shared<RecordingPortIo>();
        {
            std::lock_guard lock(driverState().mutex);
            driverState().adcType = static_cast<std::uint16_t>(c.adc);
            driverState().cadrelPciPlus = c.plus;
            driverState().portIo = io;
        }
        for (std::uint16_t v : c.values)
            VYK_EnableMultichannelSpectra(v);
        EXPECT_EQ(io->writes, c.writes);
        EXPECT_EQ(fake->boxes().size(), c.boxes);
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().multichannelMode, c.mode);
        EXPECT_EQ(driverState().rotatorBuffer.size(), c.rotatorBytes);
    }
}

} // namespace
} // namespace driver::core::test

namespace driver::core::test {
namespace {

struct CapturedBox
{
    std::string text;
    std::string caption;
    PWIN_UINT type = 0;
    int count = 0;
};

int captureBox(void* context, PWIN_HWND, const char* text, const char* caption, PWIN_UINT type)
{
    auto* box = static_cast<CapturedBox*>(context);
    box->text = text ? text : "";
    box->caption = caption ? caption : "";
    box->type = type;
    ++box->count;
    return PWIN_IDOK;
}

TEST(SelectOperationSetTest, TheRefusalGoesThroughThePlatformsBoxHook)
{
    detachDriver();
    setDriverPlatform(nullptr);
    attachDriver();
    CapturedBox box;
    const PWIN_MESSAGEBOX_HOOK hook{captureBox, nullptr, &box};
    pwin_SetMessageBoxHook(&hook);
    {
        std::lock_guard lock(driverState().mutex);
        driverState().spectrometerType = VYK_SPEC_LEMMIK;
        driverState().adcType = VYK_ADC_DAQ700;
    }
    SelectOperationSet();
    pwin_SetMessageBoxHook(nullptr);
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.text, "The Lemmik is currently supported with Varnholt Kaldris A/D Interface "
                        "and The Brontel-USB only.");
    EXPECT_EQ(box.caption, "VYKDrv Error");
    EXPECT_EQ(box.type & PWIN_MB_TYPEMASK, PWIN_MB_OK);
    detachDriver();
}

} // namespace
} // namespace driver::core::test
