// The entry point of the toolkit's widget tests: one QApplication (offscreen) for the run, with
// the message pump that delivers window timers.
#include "platform/qt/MessagePump.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    platform::qt::MessagePump pump;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
