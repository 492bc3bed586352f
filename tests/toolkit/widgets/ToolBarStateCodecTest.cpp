#include "toolkit/widgets/ToolBarStateCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace toolkit::widgets::barstate;
using Bytes = std::vector<uint8_t>;

TEST(ToolBarStateCodecTest, ArchiveStringLengthForms)
{
    struct Case
    {
        std::size_t length;
        Bytes prefix;
    } cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'q');
        Bytes out;
        putArchiveString(out, text);
        ASSERT_EQ(out.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(c.prefix.size())), c.prefix);
        ByteReader reader(out);
        std::string back;
        ASSERT_TRUE(getArchiveString(reader, back));
        EXPECT_EQ(back, text);
        EXPECT_TRUE(reader.atEnd());
        // Cut one byte short: no string.
        ByteReader shorter(std::span<const uint8_t>(out).first(out.size() - 1));
        EXPECT_FALSE(getArchiveString(shorter, back));
    }
    // A length past the value, and the wide-string marker.
    for (const Bytes& bad : {Bytes{0x05, 'a', 'b'}, Bytes{0xFF, 0xFE, 0xFF, 'a'},
                             Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, Bytes{}}) {
        ByteReader reader(bad);
        std::string text;
        EXPECT_FALSE(getArchiveString(reader, text));
    }
}

TEST(ToolBarStateCodecTest, ButtonsSettingsGoldenBytes)
{
    const std::vector<ButtonSetting> buttons = {
        {16001, 3, 0x00, true, "Dark"},
        {0, 8, 0x01, false, ""},
        {32895, -1, 0x08, false, "kept"},
    };
    const Bytes golden = {
        0x03, 0x00, 0x00, 0x00,                         // count
        0x81, 0x3E, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, // 16001, image 3
        0x00, 0x01, 0x00, 0x00, 0x00,                   // style, shown
        0x04, 'D',  'a',  'r',  'k',                    // text
        0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, // separator, width 8
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00,             // style, not shown, ""
        0x7F, 0x80, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, // 32895, image -1
        0x08, 0x00, 0x00, 0x00, 0x00, 0x04, 'k',  'e',  'p', 't',
    };
    EXPECT_EQ(encodeButtonsSettings(buttons), golden);
    const auto back = decodeButtonsSettings(golden, static_cast<int64_t>(golden.size()));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, buttons);
    const Bytes none = encodeButtonsSettings({});
    EXPECT_EQ(none, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(decodeButtonsSettings(none, 4)->size(), 0u);
}

TEST(ToolBarStateCodecTest, DamagedValuesDecodeToNothing)
{
    const Bytes good = encodeButtonsSettings({{16001, 3, 0, true, "Dark"}});
    Bytes longer = good;
    longer.push_back(0);
    Bytes hugeCount = good;
    hugeCount[0] = hugeCount[1] = hugeCount[2] = hugeCount[3] = 0xFF;
    Bytes badShown = good;
    badShown[13] = 2;
    Bytes textPastEnd = good;
    textPastEnd[17] = 0x40;
    struct Case
    {
        const char* name;
        Bytes value;
        int64_t size;
    } cases[] = {
        {"size not the value's", good, static_cast<int64_t>(good.size()) + 1},
        {"negative size", good, -1},
        {"truncated", Bytes(good.begin(), good.end() - 1), static_cast<int64_t>(good.size()) - 1},
        {"over-long", longer, static_cast<int64_t>(longer.size())},
        {"count 0xFFFFFFFF", hugeCount, static_cast<int64_t>(hugeCount.size())},
        {"text flag of 2", badShown, static_cast<int64_t>(badShown.size())},
        {"text past the end", textPastEnd, static_cast<int64_t>(textPastEnd.size())},
        {"empty", Bytes{}, 0},
        {"foreign", Bytes{'H', 'e', 'l', 'l', 'o'}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(decodeButtonsSettings(c.value, c.size).has_value());
    }
}

TEST(ToolBarStateCodecTest, PositionsRoundTripAndRefuseDamage)
{
    const std::vector<CustomButtonPosition> positions = {{2, 1001}, {-1, 7}};
    const Bytes golden = {0x02, 0, 0,    0,    0x02, 0,    0,    0, 0xE9, 0x03,
                          0,    0, 0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0, 0,    0};
    EXPECT_EQ(encodePositions(positions), golden);
    EXPECT_EQ(*decodePositions(golden, 20), positions);
    EXPECT_FALSE(decodePositions(Bytes(golden.begin(), golden.end() - 1), 19).has_value());
    EXPECT_FALSE(decodePositions(golden, 21).has_value());
    Bytes huge = golden;
    huge[0] = huge[1] = huge[2] = huge[3] = 0xFF;
    EXPECT_FALSE(decodePositions(huge, 20).has_value());
}

TEST(ToolBarStateCodecTest, CustomButtonSettingsGiveControlsOnlyTheBytesLeft)
{
    const std::vector<CustomButtonSetting> entries = {
        {1001, 120, -1, 7, 4, Bytes{0x02, 'o', 'k'}},
        {1002, 80, 22, 2, -1, Bytes{}},
    };
    const Bytes value = encodeCustomButtonsSettings(entries);
    ASSERT_EQ(value.size(), 4u + 20 + 3 + 20);
    // The controls' states here are archive strings for 1001 and nothing for 1002.
    std::vector<std::size_t> offered;
    const StateMeasure measure = [&](uint32_t id,
                                     std::span<const uint8_t> rest) -> std::optional<std::size_t> {
        offered.push_back(rest.size());
        if (id != 1001)
            return 0;
        ByteReader reader(rest);
        std::string text;
        if (!getArchiveString(reader, text))
            return std::nullopt;
        return rest.size() - reader.remaining();
    };
    const auto back =
        decodeCustomButtonsSettings(value, static_cast<int64_t>(value.size()), measure);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, entries);
    EXPECT_EQ(offered, (std::vector<std::size_t>{23, 0}));
    // A control that claims more than is left, or whose state does not parse.
    const StateMeasure greedy = [](uint32_t, std::span<const uint8_t> rest) {
        return std::optional<std::size_t>(rest.size() + 1);
    };
    EXPECT_FALSE(
        decodeCustomButtonsSettings(value, static_cast<int64_t>(value.size()), greedy).has_value());
    Bytes cut(value.begin(), value.begin() + 25);
    EXPECT_FALSE(decodeCustomButtonsSettings(cut, 25, measure).has_value());
}

} // namespace
