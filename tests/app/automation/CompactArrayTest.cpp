// The automation protocol's compact arrays: doubles to base64 and back bit for bit, and every
// kind of text that is not base64 of whole doubles refused.
#include "app/automation/CompactArray.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using app::automation::appendCompactDoubles;
using app::automation::parseCompactDoubles;

std::string compactText(const std::vector<double>& values)
{
    std::string text;
    appendCompactDoubles(text, values);
    return text;
}

TEST(CompactArrayTest, DoublesComeBackBitForBitAtEveryLength)
{
    const std::vector<double> pool = {0.0,
                                      -0.0,
                                      1000.0,
                                      0.1,
                                      -123456.789e-7,
                                      std::numeric_limits<double>::denorm_min(),
                                      std::numeric_limits<double>::max(),
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::quiet_NaN()};
    // Lengths of every remainder of 8 bytes against base64's groups of 3.
    for (size_t count = 1; count <= 7; ++count) {
        SCOPED_TRACE(count);
        std::vector<double> values;
        for (size_t i = 0; i < count; ++i)
            values.push_back(pool[(i * 3 + count) % pool.size()]);
        const std::string text = compactText(values);
        EXPECT_EQ(text.size(), (count * 8 + 2) / 3 * 4);
        const auto back = parseCompactDoubles(text);
        ASSERT_TRUE(back.has_value()) << text;
        ASSERT_EQ(back->size(), count);
        for (size_t i = 0; i < count; ++i)
            EXPECT_EQ(std::bit_cast<uint64_t>((*back)[i]), std::bit_cast<uint64_t>(values[i]));
    }
    // The bytes are little-endian: 1000.0 is 00 00 00 00 00 40 8F 40.
    EXPECT_EQ(compactText({1000.0}), "AAAAAABAj0A=");
    EXPECT_EQ(compactText({}), "");
    EXPECT_EQ(parseCompactDoubles("")->size(), 0u);
}

TEST(CompactArrayTest, TextsThatAreNotWholeDoublesAreRefused)
{
    const std::string good = compactText({1000.0, 2.5});
    struct Case
    {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"seven bytes", "AAAAAAAAAA=="},
        {"nine bytes", "AAAAAAAAAAAA"},
        {"length not a multiple of four", good.substr(0, good.size() - 1)},
        {"no padding", "AAAAAABAj0A"},
        {"a character outside the alphabet", "AAAAAA-Aj0A="},
        {"padding inside", "AAAA=ABAj0A="},
        {"bits left beside the padding", "AAAAAABAj0B="},
        {"a space", "AAAAAABA j0A="},
        {"a NUL byte", std::string("AAAAAABA\0j0A", 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(parseCompactDoubles(c.text).has_value());
    }
    EXPECT_TRUE(parseCompactDoubles(good).has_value());
}

} // namespace
