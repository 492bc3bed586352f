#include "app/shell/NumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <string>

namespace {

// Switches the process to a locale whose decimal separator is a comma for one test.
class CommaLocale
{
public:
    CommaLocale() : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        m_active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~CommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

TEST(NumberText, FormatsAndParsesInTheCLocaleWhateverTheProcessLocale)
{
    CommaLocale comma;
    ASSERT_TRUE(comma.active()) << "scripts/setup-deps generates de_DE.UTF-8";
    EXPECT_EQ(app::text::formatC("%f|%e|%.15f", 0.5, -2.0e-5, 0.05),
              "0.500000|-2.000000e-05|0.050000000000000");
    EXPECT_DOUBLE_EQ(app::text::atofC("12.75"), 12.75);
    EXPECT_DOUBLE_EQ(app::text::atofC("1.000000e-005"), 1e-5);
    EXPECT_DOUBLE_EQ(app::text::atofC("2,5"), 2.0);
}

TEST(NumberText, AtoiTable)
{
    struct Case
    {
        const char* text;
        int value;
    };
    const Case cases[] = {{"42", 42},
                          {"  -17xyz", -17},
                          {"+8", 8},
                          {"12.7", 12},
                          {"abc", 0},
                          {"", 0},
                          {"2147483647", INT_MAX},
                          {"99999999999999999999", INT_MAX},
                          {"-99999999999", INT_MIN},
                          {"\t 5", 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(app::text::atoiC(c.text), c.value);
    }
    EXPECT_EQ(app::text::atoiC(nullptr), 0);
    EXPECT_EQ(app::text::atollC("4000000000"), 4000000000LL);
    EXPECT_EQ(app::text::atollC("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(app::text::atollC("9223372036854775808"), LLONG_MAX);
}

} // namespace
