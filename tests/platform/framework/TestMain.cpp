// The entry point of the framework's test programs: one QApplication (offscreen) for the whole
// run, made before and destroyed after every test.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
