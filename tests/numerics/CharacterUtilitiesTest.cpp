#include "numerics/CharacterUtilities.h"

#include <gtest/gtest.h>

#include <string>

namespace numerics {
namespace {

TEST(CharacterUtilitiesTest, ReadInteger)
{
    struct Case
    {
        const char* text;
        std::int32_t width, value, status;
    };
    const Case cases[] = {
        {"  42", 4, 42, 0},
        {"  -42 ", 6, -42, 6},
        {"+7", 2, 7, 0},
        {"12x", 3, 12, 3},
        {"    ", 4, 0, 1},
        {"5", 0, 0, -1},
        {"2147483647", 10, 2147483647, 0},
        {"2147483648", 10, 0, -2},
        {"-2147483648", 11, -2147483647 - 1, 0},
        {"123456", 3, 123, 0},
        {"7", 20, 7, 0}, // width beyond the text: only the text is read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t value = -99;
        std::int32_t status = -99;
        S1RDIN(c.text, c.width, value, status);
        EXPECT_EQ(status, c.status);
        if (c.status >= 0) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(CharacterUtilitiesTest, WriteInteger)
{
    struct Case
    {
        std::int32_t value;
        std::size_t width;
        const char* text;
        std::int32_t status;
    };
    const Case cases[] = {
        {42, 5, "   42", 0}, {-42, 3, "-42", 0}, {-42, 2, "..", 1}, {0, 1, "0", 0}, {7, 0, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        std::string text(c.width, '.');
        std::int32_t status = -99;
        S1WRIN(c.value, text, status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(text, c.text);
    }
}

TEST(CharacterUtilitiesTest, SearchAndCompare)
{
    EXPECT_EQ(S1INDX("Error from dSPLEZ", "splez"), 13);
    EXPECT_EQ(S1INDC("Error from dSPLEZ", "splez"), 0);
    EXPECT_EQ(S1INDC("Error from dSPLEZ", "SPLEZ"), 13);
    EXPECT_EQ(S1INDX("ab", "abc"), 0);
    EXPECT_EQ(S1VRFY("123a5", "0123456789"), 4);
    EXPECT_EQ(S1VRFY("12345", "0123456789"), 0);
    EXPECT_EQ(S1VRFY("", "0"), 1);
    EXPECT_EQ(S1CMPI("math", "MATH  "), 0);
    EXPECT_EQ(S1CMPI("MATH", "STAT"), -1);
    EXPECT_EQ(S1CMPI("MATHS", "MATH"), 1);
    EXPECT_EQ(S1UPCH('q'), 'Q');
    EXPECT_EQ(S1UPCH('%'), '%');
    EXPECT_EQ(S1CODE('a'), 97);
    EXPECT_EQ(S1CHAR(65), 'A');
    EXPECT_EQ(S1CHAR(-5), '\0');
}

TEST(CharacterUtilitiesTest, CopyAndSubstring)
{
    std::string dest(6, 'x');
    S1COPY("abc", dest);
    EXPECT_EQ(dest, "abc   ");
    S1COPY("abcdefgh", dest);
    EXPECT_EQ(dest, "abcdef");

    struct Case
    {
        const char* name;
        std::int32_t first, last, destFirst, destLast;
        const char* result;
        std::int32_t status;
    };
    const Case cases[] = {
        {"Fits", 2, 4, 1, 5, "bcd  ....", 0},
        {"Cut", 1, 6, 3, 5, "..abc....", 3},
        {"EmptySource", 4, 3, 1, 2, ".........", -2},
        {"SourcePastEnd", 5, 7, 1, 2, ".........", -2},
        {"DestinationPastEnd", 1, 2, 8, 10, ".........", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string target(9, '.');
        std::int32_t status = -99;
        S1SUBC("abcdef", c.first, c.last, target, c.destFirst, c.destLast, status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(target, c.result);
    }
}

} // namespace
} // namespace numerics
