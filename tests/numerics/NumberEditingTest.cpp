#include "numerics/NumberEditing.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <fstream>
#include <string>

namespace numerics {
namespace {

// Every line of edit-texts.txt: a format, the value (bits in hexadecimal for reals, decimal
// for integers) and the 40-character record gfortran wrote for it; see make-edit-texts.sh.
TEST(NumberEditingTest, FieldsMatchTheFortranRunTime)
{
    std::ifstream in(NUMERICS_FIXTURE_DIR "/edit-texts.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        SCOPED_TRACE(line);
        const std::size_t bar1 = line.find('|');
        const std::size_t bar2 = line.find('|', bar1 + 1);
        ASSERT_NE(bar2, std::string::npos);
        const std::string format = line.substr(0, bar1);
        const std::string value = line.substr(bar1 + 1, bar2 - bar1 - 1);
        const std::string record = line.substr(bar2 + 2, 40);
        const auto descriptor = parseEditDescriptor(format);
        ASSERT_TRUE(descriptor.has_value());
        std::string field;
        if (descriptor->letter == 'I') {
            field = editInteger(std::stoll(value), *descriptor);
        } else {
            field = editReal(std::bit_cast<double>(std::stoull(value, nullptr, 16)), *descriptor);
        }
        ASSERT_EQ(field.size(), static_cast<std::size_t>(descriptor->width));
        field.resize(40, ' ');
        EXPECT_EQ(field, record);
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

// A host program may run under a locale whose decimal separator is a comma.
TEST(NumberEditingTest, FieldsDoNotFollowTheLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    }
    const auto f = parseEditDescriptor("(F8.3)");
    const auto e = parseEditDescriptor("(1PE12.4)");
    const auto g = parseEditDescriptor("(G10.3)");
    const std::string texts[] = {editReal(1.5, *f), editReal(-1234.5, *e), editReal(2.5, *g)};
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(texts[0], "   1.500");
    EXPECT_EQ(texts[1], " -1.2345E+03");
    EXPECT_EQ(texts[2], "  2.50    ");
}

TEST(NumberEditingTest, ParsesTheDescriptorsOfTheChooserAndRefusesOthers)
{
    struct Case
    {
        const char* text;
        bool valid;
        char letter;
        std::int32_t scale, width, digits, exponent;
    };
    const Case cases[] = {
        {"(I10)", true, 'I', 0, 10, -1, -1},     {"(I 9)", true, 'I', 0, 9, -1, -1},
        {"(0PF10. 1)", true, 'F', 0, 10, 1, -1}, {"(1PD10. 3)", true, 'D', 1, 10, 3, -1},
        {"(0PF 5. 0)", true, 'F', 0, 5, 0, -1},  {"(-2pg12.4e3)", true, 'G', -2, 12, 4, 3},
        {"i5.3", true, 'I', 0, 5, 3, -1},        {"(F10)", false, 'F', 0, 0, 0, 0},
        {"(2F10.3)", false, 'F', 0, 0, 0, 0},    {"(D10.3E2)", false, 'D', 0, 0, 0, 0},
        {"(A10)", false, 'A', 0, 0, 0, 0},       {"()", false, 'F', 0, 0, 0, 0},
        {"(PF10.3)", false, 'F', 0, 0, 0, 0},    {"(F0.0)", false, 'F', 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto d = parseEditDescriptor(c.text);
        ASSERT_EQ(d.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(d->letter, c.letter);
            EXPECT_EQ(d->scale, c.scale);
            EXPECT_EQ(d->width, c.width);
            EXPECT_EQ(d->digits, c.digits);
            EXPECT_EQ(d->exponent, c.exponent);
        }
    }
}

} // namespace
} // namespace numerics
