// The dialogs' rules without widgets: numbers read as atoi and atof read them, whole-integer
// checks, ranges, the data-acquisition sheet's loading, display rules and apply steps.
#include "app/dialogs/DataAcquisitionSettings.h"
#include "app/dialogs/DataExchangeRules.h"
#include "app/dialogs/StyleLists.h"
#include "tests/app/dialogs/DialogFakes.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

using namespace app::dialogs;
using app::dialogs::test::FakeDialogView;

namespace {

constexpr long long kMax64 = std::numeric_limits<long long>::max();
constexpr long long kMin64 = std::numeric_limits<long long>::min();

TEST(DataExchangeRules, ReadIntegerReadsTheLeadingNumberLikeAtoi)
{
    const struct
    {
        const char* text;
        long long value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12", 12},
        {"  7x", 7},
        {"+12", 12},
        {"-1", -1},
        {"- 1", 0},
        {"3.9", 3},
        {"70000", 70000},
        {"99999999999999999999", kMax64},
        {"-99999999999999999999", kMin64},
        {"9223372036854775807", kMax64},
        {"-9223372036854775808", kMin64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readInteger(c.text), c.value);
    }
}

TEST(DataExchangeRules, ParseIntegerTakesOnlyAWholeInteger)
{
    EXPECT_EQ(parseInteger(" 42 "), 42);
    EXPECT_EQ(parseInteger("-3"), -3);
    EXPECT_EQ(parseInteger("99999999999999999999"), kMax64);
    for (const char* text : {"", " ", "abc", "12abc", "1.5", "+", "1 2"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseInteger(text).has_value());
    }
}

TEST(DataExchangeRules, ReadDoubleIgnoresTheProcessLocale)
{
    // A locale with a decimal comma, where one is installed.
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_DOUBLE_EQ(readDouble("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(readDouble(" 3100.0 K"), 3100.0);
    EXPECT_DOUBLE_EQ(readDouble("abc"), 0.0);
    EXPECT_DOUBLE_EQ(readDouble(""), 0.0);
    EXPECT_DOUBLE_EQ(readDouble("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(readDouble("-0.5x"), -0.5);
    for (const char* text : {"nan", "inf", "-inf", "1e999"}) {
        SCOPED_TRACE(text);
        EXPECT_DOUBLE_EQ(readDouble(text), 0.0);
    }
    std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(DataExchangeRules, MessagesNameTheRange)
{
    EXPECT_EQ(rangeMessage(kRecordShortRange), "Enter a whole number from 0 to 32767.");
    EXPECT_EQ(integerMessage(), "Enter a whole number.");
}

TEST(StyleLists, FixedListsHaveTheirEntries)
{
    EXPECT_EQ(lineStyleNames().size(), 8u);
    EXPECT_STREQ(lineStyleNames()[6], "Long-Short-Long Dash");
    EXPECT_EQ(pointStyleNames().size(), 17u);
    EXPECT_STREQ(pointStyleNames()[16], "Open Diamond");
    EXPECT_EQ(fillPatternNames().size(), 12u);
    EXPECT_STREQ(fillPatternNames()[11], "Cross Hatch");
    EXPECT_EQ(widthAndSizeNames().size(), 11u);
    EXPECT_STREQ(widthAndSizeNames()[10], "10");
    EXPECT_EQ(fontSizeNames().size(), 11u);
    EXPECT_STREQ(fontSizeNames()[10], "46");
}

TEST(DataAcquisitionSettings, LoadsFromTheViewConfigurationAndMainFrame)
{
    FakeDialogView view;
    view.rec.triggerMode = 2;
    view.rec.correctForDark = 1;
    view.rec.microsecondFlag = 1;
    view.config.rotation = 259;
    view.config.adcType = VYK_ADC_CADRELPCI;
    view.main.prefs.SingleThread = 1;
    view.autosave = 1;
    view.strobe = 1;
    view.modulation = 1;
    const DataAcquisitionSettings s = DataAcquisitionSettings::load(view);
    EXPECT_EQ(s.integrationMs, 100);
    EXPECT_EQ(s.integrationUs, 5000);
    EXPECT_EQ(s.microsecondFlag, 1);
    EXPECT_EQ(s.scansToAverage, 3);
    EXPECT_EQ(s.boxcarWidth, 2);
    EXPECT_EQ(s.correctForDark, 1);
    EXPECT_EQ(s.rotationIndex, 3);
    EXPECT_EQ(s.plusMode, 1);
    EXPECT_EQ(s.singleThread, 1);
    EXPECT_EQ(s.adcType, VYK_ADC_CADRELPCI);
    EXPECT_EQ(s.triggerMode, 2);
    EXPECT_EQ(s.autosaveOnTrigger, 1);
    EXPECT_EQ(s.strobeEnable, 1);
    EXPECT_EQ(s.flashDelay, 20);
    EXPECT_EQ(s.modulation, 1);
    EXPECT_TRUE(view.log.empty());
}

TEST(DataAcquisitionSettings, DisplayRulesBySpectrometerAndAdcType)
{
    EXPECT_EQ(integrationLabel(VYK_SPEC_GAVREL, false), "A/D Conversion Frequency (kHz)");
    EXPECT_EQ(integrationLabel(VYK_SPEC_ISTRELBT, true), "A/D Conversion Frequency (kHz)");
    EXPECT_EQ(integrationLabel(VYK_SPEC_ISTREL, true), "Integration Time (usec)");
    EXPECT_EQ(integrationLabel(VYK_SPEC_ISTREL, false), "Integration Time (msec)");
    EXPECT_FALSE(microsecondsAvailable(VYK_SPEC_GAVREL, VYK_ADC_SOLVIPLUS));
    EXPECT_TRUE(microsecondsAvailable(VYK_SPEC_JOLVAR, VYK_ADC_PAVIK));
    EXPECT_TRUE(microsecondsAvailable(VYK_SPEC_ULMAR, VYK_ADC_ULMARADC));
    EXPECT_TRUE(microsecondsAvailable(VYK_SPEC_ISTREL, VYK_ADC_SOLVIPLUS));
    EXPECT_FALSE(microsecondsAvailable(VYK_SPEC_ISTREL, VYK_ADC_PAVIK));
    for (uint16_t adc = 0; adc <= 16; ++adc) {
        SCOPED_TRACE(adc);
        const bool rotation = adc == 2 || adc == 6 || adc == 7 || adc == 8 || adc == 10;
        EXPECT_EQ(rotationShown(adc), rotation);
        EXPECT_EQ(plusModeShown(adc), adc == 6);
        EXPECT_EQ(modulationShown(adc), adc == 4);
        EXPECT_EQ(triggerModeNames(adc).size(), adc == 14 ? 5u : 4u);
    }
}

TEST(DataAcquisitionSettings, ApplyStepsRunInTheirOrder)
{
    FakeDialogView view;
    view.config.enabled = {1, 1, 1, 0, 0, 0, 0, 0};
    DataAcquisitionSettings s = DataAcquisitionSettings::load(view);
    s.triggerMode = 4;
    s.scansToAverage = 9;
    s.flashDelay = 40;
    s.strobeEnable = 1;
    s.singleThread = 1;
    s.rotationIndex = 2;
    bool longIntMode = false;
    applyDataAcquisitionSettings(s, view, longIntMode, [](const std::string&, const std::string&) {
        FAIL() << "no warning expected";
    });
    const std::vector<std::string> expected = {
        "setAutosaveOnExternalTrigger(0)",
        "SetAcquisitionSuspended(2)",
        "setSnapshotState(1)",
        "setStrobeEnable(1)",
        "setMavrinModulation(0)",
        "setSingleThread(1)",
        "UpdateAcquisitionBar",
        "SetChannelRotation(2)",
    };
    EXPECT_EQ(view.log, expected);
    // Step 1 is done when acquisition is suspended, step 4 is not yet.
    EXPECT_EQ(view.main.recordAtSuspend.scansToAverage, 9);
    EXPECT_EQ(view.main.recordAtSuspend.triggerMode, 4);
    EXPECT_EQ(view.main.recordAtSuspend.flashDelay, 20);
    EXPECT_EQ(view.recordAtBar.flashDelay, 40);
    EXPECT_TRUE(longIntMode);
}

} // namespace
