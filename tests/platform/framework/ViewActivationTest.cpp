// The MDI frame tells views when their frames become and stop being the active one.
#include "tests/platform/framework/FrameworkFixture.h"

using namespace frameworktest;

namespace {

TestView* viewOf(Document* document)
{
    return dynamic_cast<TestView*>(document->frames().front()->GetActiveView());
}

} // namespace

class ViewActivationTest : public FrameworkFixture
{};

TEST_F(ViewActivationTest, FramesTellTheirViewsAboutActivation)
{
    // The notice follows the change from the event loop.
    Document* first = open(129);
    ASSERT_NE(first, nullptr);
    TestView* firstView = viewOf(first);
    ASSERT_NE(firstView, nullptr);
    EXPECT_TRUE(waitFor([&] { return firstView->activations.size() == 1; }));
    EXPECT_EQ(firstView->activations, std::vector<bool>{true});

    Document* second = open(131);
    TestView* secondView = viewOf(second);
    EXPECT_TRUE(waitFor([&] { return secondView->activations.size() == 1; }));
    EXPECT_EQ(firstView->activations, (std::vector<bool>{true, false}));
    EXPECT_EQ(secondView->activations, std::vector<bool>{true});

    first->frames().front()->MDIActivate();
    EXPECT_TRUE(waitFor([&] { return firstView->activations.size() == 3; }));
    EXPECT_EQ(firstView->activations, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(secondView->activations, (std::vector<bool>{true, false}));

    // Activating the active frame again tells nobody.
    first->frames().front()->MDIActivate();
    QCoreApplication::processEvents();
    EXPECT_EQ(firstView->activations.size(), 3u);
    // A view that goes with its frame is not told anything afterwards.
    first->OnCloseDocument();
    flushDeletes();
    second->frames().front()->MDIActivate();
    QCoreApplication::processEvents();
}
