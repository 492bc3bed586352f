#include "numerics/TextToInteger.h"

#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

namespace numerics::test {
namespace {

class TextToIntegerTest : public NumericsTest
{};

TEST_F(TextToIntegerTest, Converts)
{
    struct Case
    {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {{"  -42  ", -42},           {"+7", 7}, {"- 5", -5},
                          {"2147483647", 2147483647}, {"0", 0},  {"  0012 ", 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t number = -1;
        E1PSH("dCALLER");
        CVTSI(c.text, number);
        E1POP("dCALLER");
        EXPECT_EQ(number, c.value);
        EXPECT_EQ(N1RTY(1), 0);
    }
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(TextToIntegerTest, Failures)
{
    struct Case
    {
        std::string text;
        std::int32_t code;
        std::string message; // the text after the head " <code> from CVTSI.  "
        std::int32_t number;
    };
    const Case cases[] = {
        {"", 1, "The length of the input string is 0", 0},
        {"   ", 4, "The input string '   ' cannot be\n ***          converted to an integer.", 0},
        {"2147483648", 3,
         "The string '2147483648' is too large to\n"
         " ***          be converted to an integer.",
         0},
        {"12x", 2, "The string '12x' contains a nonnumeric\n ***          character at position 3",
         12},
        {"12 x", 2,
         "The string '12 x' contains a nonnumeric\n ***          character at position 3", 12},
        {"-", 2, "The string '-' contains a nonnumeric\n ***          character at position 1", 0},
        {" -x", 2, "The string ' -x' contains a nonnumeric\n ***          character at position 3",
         0},
        {"+-5", 2, "The string '+-5' contains a nonnumeric\n ***          character at position 1",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        std::int32_t number = -1;
        try {
            CVTSI(c.text, number);
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(takeOutput(), "\n *** TERMINAL ERROR " + std::to_string(c.code) +
                                    " from CVTSI.  " + c.message + "\n");
    }
}

} // namespace
} // namespace numerics::test
