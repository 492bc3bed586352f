// Template windows in the program, offscreen: the stored placement, the list of spectrum
// windows, the binding to one of them and the scan notice it sends.
#include "app/qt/FrameProfile.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/VYKTemplateChildFrame.h"
#include "app/res/ResourceIds.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "app/windows/qt/TemplateViewWidget.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/Menu.h"
#include "platform/framework/WindowPlacement.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/shell/ShellFakes.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace fw = platform::framework;

constexpr const char* kSection = "TemplateWindowSize";
constexpr const char* kEntry = "WindowPos";

// A default spectrometer without A/D (the driver's synthetic channel) and the threaded scan.
void seedNoHardwareSpectrometer()
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/Default.spec";
    std::FILE* file = std::fopen(spec.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n", file);
    std::fclose(file);
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    store.WriteString("Preferences", "SingleThread", "0");
    store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 4);
}

std::vector<SpectrumViewWidget*> spectrumViews(MainFrameWidget& frame)
{
    std::vector<SpectrumViewWidget*> views;
    for (fw::ChildFrame* child : frame.childFrames())
        if (auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView()))
            views.push_back(view);
    return views;
}

bool allReady(MainFrameWidget& frame, size_t count)
{
    const std::vector<SpectrumViewWidget*> views = spectrumViews(frame);
    if (views.size() != count)
        return false;
    for (SpectrumViewWidget* view : views)
        if (!view->isReady())
            return false;
    return true;
}

TemplateViewWidget* openTemplate(CHarluneApp& app)
{
    fw::Document* document = app.docTemplate(app::res::IDR_TEMPLATETYPE)->OpenDocumentFile("");
    if (document == nullptr)
        return nullptr;
    for (fw::View* view : document->views())
        if (auto* form = dynamic_cast<TemplateViewWidget*>(view))
            return form;
    return nullptr;
}

std::vector<std::string> comboItems(TemplateViewWidget* form)
{
    std::vector<std::string> items;
    for (int i = 0; i < form->comboBox()->count(); ++i)
        items.push_back(form->comboBox()->itemText(i).toStdString());
    return items;
}

void focusCombo(TemplateViewWidget* form)
{
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(form->comboBox(), &focus);
}

void closeFrame(fw::ChildFrame* frame)
{
    frame->MDIDestroy();
    QCoreApplication::processEvents();
}

class TemplateWindowTest : public ::testing::Test
{
protected:
    TemplateWindowTest()
    {
        CHarluneApp::useScanCountViews(false);
        seedNoHardwareSpectrometer();
    }
    ~TemplateWindowTest() override { CHarluneApp::useScanCountViews(true); }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
};

TEST_F(TemplateWindowTest, TemplateHasItsFrameMenuAndStatusBar)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    TemplateViewWidget* form = openTemplate(app);
    ASSERT_NE(form, nullptr);
    auto* frame = dynamic_cast<CVYKTemplateChildFrame*>(form->GetParentFrame());
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->frameStatusBar(), nullptr);
    EXPECT_TRUE(frame->frameStatusBar()->isVisible());
    EXPECT_EQ(form->GetDocument()->GetTitle(), "Template1");

    const fw::HMENU menu = app.docTemplate(app::res::IDR_TEMPLATETYPE)->sharedMenu();
    ASSERT_EQ(fw::GetMenuItemCount(menu), 1);
    EXPECT_EQ(fw::GetMenuString(menu, 0, fw::MF_BYPOSITION), "Test Menu for Template");
    const fw::HMENU popup = fw::GetSubMenu(menu, 0);
    ASSERT_EQ(fw::GetMenuItemCount(popup), 1);
    EXPECT_EQ(fw::GetMenuItemID(popup, 0), app::res::ID_TEMPLATE_TEST);
    EXPECT_EQ(fw::GetMenuString(popup, 0, fw::MF_BYPOSITION), "Test");
    // Nothing handles "Test".
    EXPECT_FALSE(frame->executeCommand(app::res::ID_TEMPLATE_TEST));
}

TEST_F(TemplateWindowTest, PlacementIsStoredAndApplied)
{
    struct Case
    {
        const char* name;
        const char* stored;
        uint32_t showCmd;
        int left;
        int top;
    };
    const Case cases[] = {
        {"normal", "0,1,-1,-1,-1,-1,24,36,224,186", fw::SW_SHOWNORMAL, 24, 36},
        {"maximised", "2,3,-1,-1,-1,-1,40,50,240,200", fw::SW_SHOWMAXIMIZED, 40, 50},
    };
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(frame_profile::writeText(kSection, kEntry, c.stored));
        TemplateViewWidget* form = openTemplate(app);
        ASSERT_NE(form, nullptr);
        fw::ChildFrame* frame = form->GetParentFrame();
        EXPECT_EQ(frame->isMaximized(), c.showCmd == fw::SW_SHOWMAXIMIZED);
        const fw::WINDOWPLACEMENT opened = fw::GetWindowPlacement(frame);
        EXPECT_EQ(opened.rcNormalPosition.left, c.left);
        EXPECT_EQ(opened.rcNormalPosition.top, c.top);
        closeFrame(frame);

        const auto written = frame_profile::readText(kSection, kEntry);
        ASSERT_TRUE(written.has_value());
        const auto placement = fw::parseWindowPlacement(*written);
        ASSERT_TRUE(placement.has_value()) << *written;
        EXPECT_EQ(placement->flags,
                  c.showCmd == fw::SW_SHOWMAXIMIZED ? fw::WPF_RESTORETOMAXIMIZED : 0u);
        EXPECT_EQ(placement->showCmd, c.showCmd);
        EXPECT_EQ(placement->rcNormalPosition.left, c.left);
        EXPECT_EQ(placement->rcNormalPosition.top, c.top);
    }
}

TEST_F(TemplateWindowTest, MalformedPlacementIsIgnored)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    for (const char* stored : {"0,1,-1,-1,-1,-1,77,88,377", "x", "0,1,-1,-1,-1,-1,77,88,a,288",
                               "0,1,-1,-1,-1,-1,77,88,,288", ""}) {
        SCOPED_TRACE(stored);
        ASSERT_TRUE(frame_profile::writeText(kSection, kEntry, stored));
        TemplateViewWidget* form = openTemplate(app);
        ASSERT_NE(form, nullptr);
        fw::ChildFrame* frame = form->GetParentFrame();
        EXPECT_FALSE(frame->isMaximized());
        const fw::WINDOWPLACEMENT opened = fw::GetWindowPlacement(frame);
        EXPECT_FALSE(opened.rcNormalPosition.left == 77 && opened.rcNormalPosition.top == 88);
        closeFrame(frame);
    }
}

TEST_F(TemplateWindowTest, ListsSpectrumWindowsAndStaysBoundToTheFirst)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& main = *app.mainFrameWidget();
    app.NewSpectrumWindow();
    ASSERT_TRUE(runUntil([&] { return allReady(main, 2); }));
    const std::vector<SpectrumViewWidget*> two = spectrumViews(main);

    TemplateViewWidget* form = openTemplate(app);
    ASSERT_NE(form, nullptr);
    const std::vector<std::string> expected = {two[0]->GetDocument()->GetTitle(),
                                               two[1]->GetDocument()->GetTitle()};
    EXPECT_EQ(comboItems(form), expected);
    EXPECT_EQ(form->comboBox()->currentText().toStdString(), expected[0]);
    EXPECT_EQ(form->core().boundSpectrumView(), two[0]->GetSafeHwnd());
    EXPECT_EQ(two[0]->core().templateViewCount(), 1);
    EXPECT_EQ(two[1]->core().templateViewCount(), 0);

    app.NewSpectrumWindow();
    ASSERT_TRUE(runUntil([&] { return allReady(main, 3); }));
    std::vector<std::string> three;
    for (SpectrumViewWidget* view : spectrumViews(main))
        three.push_back(view->GetDocument()->GetTitle());

    // The listing walks the children on its own: the round-robin goes on where it was.
    CMainFrame& core = main.core();
    const auto toPassEnd = [&core] {
        while (core.GetNextMDIChild() != 0) {
        }
    };
    toPassEnd();
    const uint32_t first = core.GetNextMDIChild();
    const uint32_t second = core.GetNextMDIChild();
    ASSERT_NE(second, 0u);
    toPassEnd();
    ASSERT_EQ(core.GetNextMDIChild(), first);
    focusCombo(form);
    EXPECT_EQ(core.GetNextMDIChild(), second);

    EXPECT_EQ(comboItems(form), three);
    EXPECT_EQ(form->core().boundSpectrumView(), two[0]->GetSafeHwnd());
    // Choosing another title binds nothing new.
    form->comboBox()->setCurrentIndex(2);
    focusCombo(form);
    EXPECT_EQ(form->core().boundSpectrumView(), two[0]->GetSafeHwnd());
    for (SpectrumViewWidget* view : spectrumViews(main))
        EXPECT_EQ(view->core().templateViewCount(), view == two[0] ? 1 : 0);
}

TEST_F(TemplateWindowTest, WithoutSpectrumWindowBindsNothing)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& main = *app.mainFrameWidget();
    for (SpectrumViewWidget* view : spectrumViews(main))
        closeFrame(view->GetParentFrame());
    ASSERT_TRUE(spectrumViews(main).empty());

    TemplateViewWidget* form = openTemplate(app);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->comboBox()->count(), 0);
    EXPECT_EQ(form->core().boundSpectrumView(), 0u);

    app.NewSpectrumWindow();
    ASSERT_TRUE(runUntil([&] { return allReady(main, 1); }));
    focusCombo(form);
    EXPECT_EQ(form->comboBox()->count(), 1);
    EXPECT_EQ(form->core().boundSpectrumView(), 0u);
    EXPECT_EQ(spectrumViews(main)[0]->core().templateViewCount(), 0);
}

TEST_F(TemplateWindowTest, ClosingTheBoundSpectrumWindowThenTheForm)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& main = *app.mainFrameWidget();
    ASSERT_TRUE(runUntil([&] { return allReady(main, 1); }));
    TemplateViewWidget* form = openTemplate(app);
    ASSERT_NE(form, nullptr);
    SpectrumViewWidget* bound = spectrumViews(main)[0];
    ASSERT_EQ(form->core().boundSpectrumView(), bound->GetSafeHwnd());

    closeFrame(bound->GetParentFrame());
    EXPECT_TRUE(runUntil([&] { return form->core().boundSpectrumView() == 0; }));
    focusCombo(form);
    EXPECT_EQ(form->comboBox()->count(), 0);
    closeFrame(form->GetParentFrame());
    EXPECT_EQ(app.docTemplate(app::res::IDR_TEMPLATETYPE)->documents().size(), 0u);
}

// The spectrum window tells the bound form of each processed scan (real driver, no hardware).
TEST_F(TemplateWindowTest, ScansReachTheBoundForm)
{
    DriverLibrary library("libVYKDRV32.so", [](const std::string&) {});
    CHarluneApp app(library);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    MainFrameWidget& main = *app.mainFrameWidget();
    ASSERT_TRUE(runUntil([&] { return allReady(main, 1); }));
    TemplateViewWidget* form = openTemplate(app);
    ASSERT_NE(form, nullptr);
    ASSERT_NE(form->core().boundSpectrumView(), 0u);
    EXPECT_TRUE(runUntil([&] { return form->scanNotices() >= 3; }, 10000))
        << form->scanNotices() << " notices";
    closeFrame(form->GetParentFrame());
}

} // namespace
