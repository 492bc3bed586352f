// Runs the test program's cases with the process locale set to de_DE.UTF-8, whose decimal
// separator is a comma: files must still be written and read in the "C" form.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        std::fputs("de_DE.UTF-8 is not installed (scripts/setup-deps generates it)\n", stderr);
        return 1;
    }
    // The run proves nothing unless the locale really prints a decimal comma.
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    if (std::string(probe) != "1,5") {
        std::fprintf(stderr, "de_DE.UTF-8 prints 1.5 as %s, not 1,5\n", probe);
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
