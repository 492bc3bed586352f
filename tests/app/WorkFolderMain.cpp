// The entry point of the program's offscreen tests that write files: they run in the test's
// own work folder ($HARLUNE_TEST_DIR, made by the test launcher), where the program looks for
// its error log and help, with one QApplication for the whole run.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (const char* dir = std::getenv("HARLUNE_TEST_DIR"))
        if (chdir(dir) != 0)
            return 2;
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
