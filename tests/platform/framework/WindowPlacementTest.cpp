#include "platform/framework/WindowPlacement.h"

#include "tests/platform/framework/FrameworkFixture.h"

#include <QMainWindow>

using namespace platform::framework;

TEST(WindowPlacementText, ParsesOnlyTenWellFormedNumbers)
{
    struct Case
    {
        const char* text;
        bool parses;
    };
    const Case cases[] = {
        {"0,1,-1,-1,-8,-8,10,20,610,420", true},
        {"2,3,-1,-1,-4,-4,0,0,800,600", true},
        {" 0, 1, -1, -1, -8, -8, 10, 20, 610, 420", true},
        {"0,1,-1,-1,-8,-8,10,20,610,420,extra", true},
        {"0,1,-1,-1,-8,-8,10,20,610", false},
        {"0,1,-1,-1,-8,-8,10,20,,420", false},
        {"-1,1,-1,-1,-8,-8,10,20,610,420", false},
        {"0,1,-1,-1,-8,-8,10,20,610,99999999999", false},
        {"a,1,-1,-1,-8,-8,10,20,610,420", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseWindowPlacement(c.text).has_value(), c.parses);
    }
    const auto parsed = parseWindowPlacement("2,3,-1,-1,-4,-4,5,6,805,606");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->flags, WPF_RESTORETOMAXIMIZED);
    EXPECT_EQ(parsed->showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(parsed->ptMaxPosition.x, -4);
    EXPECT_EQ(parsed->rcNormalPosition.right, 805);
    EXPECT_EQ(formatWindowPlacement(*parsed), "2,3,-1,-1,-4,-4,5,6,805,606");
}

class WindowPlacementTest : public frameworktest::FrameworkFixture
{};

TEST_F(WindowPlacementTest, RoundTripsNormalAndMaximisedChildFramesAndMainWindows)
{
    struct Case
    {
        const char* name;
        bool maximised;
    };
    for (const Case& c : {Case{"normal", false}, Case{"maximised", true}}) {
        SCOPED_TRACE(c.name);
        Document* document = open(210);
        ChildFrame* frame = document->frames().front();
        WINDOWPLACEMENT placement;
        placement.showCmd = c.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        placement.flags = c.maximised ? WPF_RESTORETOMAXIMIZED : 0;
        placement.rcNormalPosition = {30, 40, 330, 240};
        SetWindowPlacement(frame, placement);
        EXPECT_EQ(frame->isMaximized(), c.maximised);

        WINDOWPLACEMENT read = GetWindowPlacement(frame);
        read.flags = read.showCmd == SW_SHOWMAXIMIZED ? WPF_RESTORETOMAXIMIZED : 0;
        const std::string text = formatWindowPlacement(read);
        EXPECT_EQ(text,
                  c.maximised ? "2,3,-1,-1,-1,-1,30,40,330,240" : "0,1,-1,-1,-1,-1,30,40,330,240");

        // Reopened from the text, the frame comes back the same way.
        Document* again = open(210);
        ChildFrame* second = again->frames().front();
        SetWindowPlacement(second, *parseWindowPlacement(text));
        EXPECT_EQ(second->isMaximized(), c.maximised);
        EXPECT_EQ(formatWindowPlacement(GetWindowPlacement(second)).substr(2), text.substr(2));
        app->CloseAllDocuments();
        flushDeletes();
    }

    QMainWindow window;
    WINDOWPLACEMENT top;
    top.showCmd = SW_SHOWMAXIMIZED;
    top.rcNormalPosition = {10, 10, 410, 310};
    SetWindowPlacement(&window, top);
    window.show();
    EXPECT_TRUE(window.isMaximized());
    const WINDOWPLACEMENT back = GetWindowPlacement(&window);
    EXPECT_EQ(back.showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(back.rcNormalPosition.right - back.rcNormalPosition.left, 400);
}

TEST_F(WindowPlacementTest, TopLevelWindowOffEveryScreenComesBack)
{
    QMainWindow window;
    WINDOWPLACEMENT far;
    far.rcNormalPosition = {50000, 50000, 50400, 50300};
    SetWindowPlacement(&window, far);
    EXPECT_LT(window.geometry().left(), 50000);
    EXPECT_EQ(window.geometry().width(), 400);
}
