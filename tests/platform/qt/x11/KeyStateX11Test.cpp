#include "platform/qt/KeyState.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace platform::qt {
namespace {

// A GUI application on the X server the test runs under, whatever platform the environment
// names.
QGuiApplication& x11Application()
{
    static int argc = 3;
    static char name[] = "KeyStateX11Test";
    static char option[] = "-platform";
    static char platform[] = "xcb";
    static char* argv[] = {name, option, platform, nullptr};
    static auto* application = new QGuiApplication(argc, argv);
    return *application;
}

void xdotool(const std::string& arguments)
{
    const std::string command = std::string(XDOTOOL) + " " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Asks until the answer is `wanted` or the bound went by; the answer last given.
bool askUntil(bool wanted, std::chrono::milliseconds bound = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    bool held = stopKeyHeld();
    while (held != wanted && std::chrono::steady_clock::now() < deadline) {
        // Between two questions the server is asked at most every 30 ms.
        std::this_thread::sleep_for(std::chrono::milliseconds(35));
        held = stopKeyHeld();
    }
    return held;
}

class KeyStateX11Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        x11Application();
    }
    void TearDown() override
    {
        if (std::getenv("DISPLAY"))
            std::system((std::string(XDOTOOL) + " keyup ctrl+Pause Pause ctrl").c_str());
    }
};

TEST_F(KeyStateX11Test, CtrlBreakHeldIsSeenWithoutReadingAnyEvent)
{
    EXPECT_FALSE(askUntil(false));
    xdotool("keydown ctrl+Pause");
    EXPECT_TRUE(askUntil(true));
    xdotool("keyup ctrl+Pause");
    EXPECT_FALSE(askUntil(false));
}

TEST_F(KeyStateX11Test, PauseOrCtrlAloneIsNotTheStopKey)
{
    for (const char* key : {"Pause", "ctrl"}) {
        xdotool(std::string("keydown ") + key);
        // Given time to be seen if it were taken: several questions to the server.
        EXPECT_FALSE(askUntil(true, std::chrono::milliseconds(300))) << key;
        xdotool(std::string("keyup ") + key);
    }
}

} // namespace
} // namespace platform::qt
