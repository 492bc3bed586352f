#include "numerics/IntegerOptions.h"

#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace numerics::test {
namespace {

class IntegerOptionsTest : public NumericsTest
{
protected:
    std::vector<std::int32_t> get(const char* product, std::int32_t chapter,
                                  std::vector<std::int32_t> options, std::size_t count)
    {
        std::vector<std::int32_t> values(count, -7);
        IUMAG(product, chapter, 1, static_cast<std::int32_t>(options.size()), options.data(),
              values.data());
        return values;
    }
};

TEST_F(IntegerOptionsTest, DefaultsOfTheBandSolverOptions)
{
    EXPECT_EQ(get("MATH", 1, {16}, 4), (std::vector<std::int32_t>{1, 16, 0, 1}));
    EXPECT_EQ(get("math", 1, {17, 5}, 4), (std::vector<std::int32_t>{1, 2, 1, 2147483647}));
    EXPECT_EQ(get("MATH", 2, {1}, 8), (std::vector<std::int32_t>{1, 16, 0, 1, 1, 16, 0, 1}));
    EXPECT_EQ(get("MATH", 10, {1, 2, 3}, 3), (std::vector<std::int32_t>{0, 2, 3}));
    EXPECT_EQ(get("STAT", 19, {3}, 1), (std::vector<std::int32_t>{0}));
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(IntegerOptionsTest, PutThenResetToDefault)
{
    std::vector<std::int32_t> options = {17};
    std::vector<std::int32_t> values = {1, 1};
    IUMAG("MATH", 1, 2, 1, options.data(), values.data());
    EXPECT_EQ(get("MATH", 1, {17}, 2), (std::vector<std::int32_t>{1, 1}));
    EXPECT_EQ(get("MATH", 1, {-17}, 2), (std::vector<std::int32_t>{1, 2}));
    options = {-17};
    IUMAG("MATH", 1, 2, 1, options.data(), values.data());
    EXPECT_EQ(get("MATH", 1, {17}, 2), (std::vector<std::int32_t>{1, 2}));
}

TEST_F(IntegerOptionsTest, FailuresAndTheirCodes)
{
    struct Case
    {
        const char* name;
        const char* product;
        std::int32_t chapter, action, count;
        std::vector<std::int32_t> options;
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {"Action", "MATH", 1, 3, 1, {16}, 1, "IACT = 3 is invalid."},
        {"Product", "BOTH", 1, 1, 1, {16}, 2, "PRODNM = BOTH is invalid."},
        {"Chapter", "MATH", 11, 1, 1, {16}, 3, "ICHP = 11 is an invalid MATH chapter"},
        {"StatChapter", "STAT", 0, 1, 1, {1}, 3, "ICHP = 0 is an invalid STAT chapter"},
        {"NoOptions", "MATH", 3, 1, 1, {1}, 6, "No options exist for MATH chapter 3."},
        {"Count", "MATH", 1, 1, 0, {16}, 5, "NUMOPT = 0 is an invalid number"},
        {"OptionWithoutValues", "MATH", 1, 1, 2, {16, 7}, 6, "IOPTS(2) = 7 is an invalid MATH"},
        {"OptionAboveCount", "MATH", 1, 1, 1, {-22}, 6, "IOPTS(1) = -22"},
        {"OptionZero", "STAT", 19, 1, 1, {0}, 6, "IOPTS(1) = 0 is an invalid STAT chapter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::int32_t> values(8, -7);
        try {
            IUMAG(c.product, c.chapter, c.action, c.count, c.options.data(), values.data());
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        const std::string out = takeOutput();
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        EXPECT_EQ(values, std::vector<std::int32_t>(8, -7));
    }
}

TEST_F(IntegerOptionsTest, ChecksCanBeSwitchedOffWithoutUnsafeAccess)
{
    std::vector<std::int32_t> options = {2};
    std::vector<std::int32_t> values = {1};
    IUMAG("MATH", 10, 2, 1, options.data(), values.data());
    // Unchecked: an invalid request is ignored, without a message or a stop.
    options = {99};
    values = {-7};
    IUMAG("MATH", 1, 1, 1, options.data(), values.data());
    EXPECT_EQ(values[0], -7);
    EXPECT_EQ(takeOutput(), "");
    options = {-2};
    IUMAG("MATH", 10, 2, 1, options.data(), values.data());
    EXPECT_EQ(get("MATH", 10, {2}, 1), (std::vector<std::int32_t>{2}));
}

} // namespace
} // namespace numerics::test
