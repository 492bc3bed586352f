#include "platform/framework/CommandIds.h"
#include "platform/framework/MenuRenderer.h"
#include "tests/platform/framework/FrameworkFixture.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

using namespace frameworktest;
using namespace platform::qt;

namespace {

std::vector<std::string> titles(const std::vector<ChildFrame*>& frames)
{
    std::vector<std::string> result;
    for (ChildFrame* frame : frames) {
        result.push_back(frame->windowTitle().toStdString());
    }
    return result;
}

} // namespace

class DocViewTest : public FrameworkFixture
{
protected:
    bool isOpen(const Document* document) const
    {
        for (DocTemplate* docTemplate : app->docTemplates()) {
            for (Document* open : docTemplate->documents()) {
                if (open == document) {
                    return true;
                }
            }
        }
        return false;
    }
};

TEST_F(DocViewTest, TemplatesMakeFramesViewsAndTitlesInMdiOrder)
{
    Document* spectrum1 = open(129);
    Document* grid1 = open(131);
    Document* graph1 = open(210);
    Document* spectrum2 = open(129);
    ASSERT_NE(spectrum1, nullptr);
    ASSERT_NE(spectrum2, nullptr);
    EXPECT_EQ(spectrum1->GetTitle(), "Spectrum1");
    EXPECT_EQ(grid1->GetTitle(), "Grid1");
    EXPECT_EQ(graph1->GetTitle(), "Graph1");
    EXPECT_EQ(spectrum2->GetTitle(), "Spectrum2");
    EXPECT_EQ(spectrum2->GetDocTemplate()->resourceId(), 129u);

    // Topmost (last activated) first.
    EXPECT_EQ(titles(main->childFrames()),
              (std::vector<std::string>{"Spectrum2", "Graph1", "Grid1", "Spectrum1"}));
    EXPECT_EQ(main->GetActiveDocument(), spectrum2);
    ASSERT_NE(main->GetActiveView(), nullptr);
    EXPECT_EQ(main->GetActiveView()->GetDocument(), spectrum2);
    EXPECT_EQ(main->MDIGetActive()->GetActiveView(), main->GetActiveView());

    // Activating another frame moves it to the top.
    grid1->frames().front()->MDIActivate();
    EXPECT_EQ(main->GetActiveDocument(), grid1);
    EXPECT_EQ(titles(main->childFrames()).front(), "Grid1");

    // Walking the order with nextChildFrame visits every frame once.
    std::vector<ChildFrame*> walked;
    for (ChildFrame* frame = main->nextChildFrame(nullptr); frame != nullptr;
         frame = main->nextChildFrame(frame)) {
        walked.push_back(frame);
    }
    EXPECT_EQ(walked, main->childFrames());
}

TEST_F(DocViewTest, ClosingAFrameWhileIteratingIsSafe)
{
    for (unsigned id : {129u, 129u, 131u, 129u}) {
        ASSERT_NE(open(id), nullptr);
    }
    std::vector<QPointer<ChildFrame>> visited;
    ChildFrame* frame = main->nextChildFrame(nullptr);
    while (frame != nullptr) {
        visited.emplace_back(frame);
        ChildFrame* next = main->nextChildFrame(frame);
        if (visited.size() == 2 && next != nullptr) {
            // The frame about to be visited closes (its document goes with it).
            QPointer<ChildFrame> closing(next);
            Document* document = next->GetActiveDocument();
            ASSERT_TRUE(next->close());
            EXPECT_FALSE(main->isChildFrame(closing.data()));
            EXPECT_EQ(main->nextChildFrame(closing.data()), nullptr);
            EXPECT_FALSE(isOpen(document));
            next = main->nextChildFrame(frame);
        }
        frame = next;
    }
    EXPECT_EQ(visited.size(), 3u);
    flushDeletes();
    EXPECT_EQ(main->childFrames().size(), 3u);
    for (const QPointer<ChildFrame>& seen : visited) {
        EXPECT_FALSE(seen.isNull());
    }
}

TEST_F(DocViewTest, ModifiedDocumentVetoesCloseThroughTheUiServices)
{
    struct Case
    {
        const char* name;
        int answer;
        std::vector<std::string> saveDialog; // empty: the dialog is cancelled
        bool closes;
    };
    const Case cases[] = {
        {"cancel keeps the window", kIdCancel, {}, false},
        {"no discards the changes", kIdNo, {}, true},
        {"yes saves, then closes", kIdYes, {"/tmp/spectrum-one"}, true},
        {"yes with the save dialog cancelled keeps the window", kIdYes, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        auto* document = static_cast<TestDocument*>(open(129));
        ASSERT_NE(document, nullptr);
        document->SetModifiedFlag();
        auto* frame = static_cast<TestFrame*>(document->frames().front());
        QPointer<ChildFrame> guard(frame);
        ui.answerMessageBox(c.answer);
        if (!c.saveDialog.empty()) {
            ui.answerFileDialog(c.saveDialog);
        }
        const size_t before = app->docTemplate(129)->documents().size();
        const std::string title = document->GetTitle();
        EXPECT_EQ(frame->close(), c.closes);
        ASSERT_EQ(ui.messageBoxes().size(), 1u);
        EXPECT_EQ(ui.messageBoxes()[0].text, "Save changes to " + title + "?");
        EXPECT_EQ(ui.messageBoxes()[0].flags & kMbTypeMask, kMbYesNoCancel);
        if (c.closes) {
            EXPECT_FALSE(isOpen(document));
            EXPECT_EQ(app->docTemplate(129)->documents().size(), before - 1);
            flushDeletes();
            EXPECT_TRUE(guard.isNull());
        } else {
            EXPECT_EQ(app->docTemplate(129)->documents().size(), before);
            EXPECT_TRUE(document->IsModified());
            EXPECT_EQ(frame->destroyed, 0);
            EXPECT_TRUE(main->isChildFrame(frame));
            document->SetModifiedFlag(false);
        }
    }
}

TEST_F(DocViewTest, SavedPathBecomesTheTitle)
{
    auto* document = static_cast<TestDocument*>(open(129));
    document->SetModifiedFlag();
    ui.answerMessageBox(kIdYes);
    ui.answerFileDialog({"/data/run7.spec"});
    EXPECT_TRUE(document->SaveModified());
    EXPECT_EQ(document->saved, std::vector<std::string>{"/data/run7.spec"});
    EXPECT_EQ(document->GetTitle(), "run7.spec");
    EXPECT_EQ(document->frames().front()->windowTitle().toStdString(), "run7.spec");
    EXPECT_FALSE(document->IsModified());
}

TEST_F(DocViewTest, SecondWindowOntoADocumentAndUpdateAllViews)
{
    Document* document = open(129);
    DocTemplate* spectrum = app->docTemplate(129);
    ChildFrame* second = spectrum->CreateNewFrame(document);
    ASSERT_NE(second, nullptr);
    spectrum->InitialUpdateFrame(second, document);
    ASSERT_EQ(document->views().size(), 2u);
    auto* first = static_cast<TestView*>(document->views()[0]);
    auto* other = static_cast<TestView*>(document->views()[1]);
    const int firstBefore = first->updates;
    const int otherBefore = other->updates;
    document->UpdateAllViews(first);
    EXPECT_EQ(first->updates, firstBefore);
    EXPECT_EQ(other->updates, otherBefore + 1);

    // Closing one of two windows does not ask, even when modified; the document stays.
    document->SetModifiedFlag();
    EXPECT_TRUE(second->close());
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_EQ(document->views().size(), 1u);
    document->SetModifiedFlag(false);
}

TEST_F(DocViewTest, ActiveTemplateMenuReplacesTheFramesMenu)
{
    constexpr MenuEntry mainMenu[] = {menuPopup("&File"), menuItem(57601, "&Open"), menuEnd()};
    constexpr MenuEntry spectrumMenu[] = {menuPopup("&Spectrum"), menuItem(32830, "&Kick Start"),
                                          menuEnd()};
    const MenuResource menus[] = {{128, mainMenu}, {129, spectrumMenu}};
    Resources::instance().addMenus(menus);
    main->setDefaultMenu(Resources::instance().LoadMenu(128));
    // Templates made before the tables were registered get their menu now.
    app->docTemplate(129)->setSharedMenu(Resources::instance().LoadMenu(129));
    EXPECT_EQ(main->currentMenu(), main->defaultMenu());

    Document* first = open(129);
    const HMENU shared = app->docTemplate(129)->sharedMenu();
    EXPECT_EQ(main->currentMenu(), shared);
    open(131); // no menu of its own: the frame's menu
    EXPECT_EQ(main->currentMenu(), main->defaultMenu());
    open(129);
    EXPECT_EQ(main->currentMenu(), shared); // one menu serves every spectrum frame
    first->frames().front()->MDIActivate();
    EXPECT_EQ(main->currentMenu(), shared);
    // A change to the shared menu shows in every spectrum frame, since they share it.
    AppendMenu(GetSubMenu(shared, 0), MF_STRING, 32790, "Global &Snapshot");
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(main->currentMenu(), 0)), 2);
    Resources::instance().clear();
}

TEST_F(DocViewTest, WindowCommandsArrangeTheFrames)
{
    open(129);
    open(131);
    open(210);
    const QRect area = main->mdiArea()->viewport()->rect();
    struct Case
    {
        const char* name;
        unsigned command;
        bool horizontal;
    };
    const Case cases[] = {
        {"tile horizontally: one above the other", ID_WINDOW_TILE_HORZ, true},
        {"tile vertically: side by side", ID_WINDOW_TILE_VERT, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(main->executeCommand(c.command));
        const std::vector<ChildFrame*> frames = main->childFrames();
        ASSERT_EQ(frames.size(), 3u);
        int covered = 0;
        for (size_t i = 0; i < frames.size(); ++i) {
            const QRect r = frames[i]->geometry();
            EXPECT_EQ(c.horizontal ? r.width() : r.height(),
                      c.horizontal ? area.width() : area.height());
            covered += c.horizontal ? r.height() : r.width();
            for (size_t j = i + 1; j < frames.size(); ++j) {
                EXPECT_FALSE(r.intersects(frames[j]->geometry()));
            }
        }
        EXPECT_EQ(covered, c.horizontal ? area.height() : area.width());
    }
    EXPECT_TRUE(main->executeCommand(ID_WINDOW_CASCADE));
    const std::vector<ChildFrame*> frames = main->childFrames();
    EXPECT_NE(frames[0]->geometry().topLeft(), frames[1]->geometry().topLeft());
}

TEST_F(DocViewTest, CascadeKeepsEveryFrameInsideTheAreaWithTheActiveOneOnTop)
{
    for (int count : {1, 3, 12, 40}) {
        SCOPED_TRACE(count);
        while (static_cast<int>(main->childFrames().size()) < count) {
            open(129);
        }
        EXPECT_TRUE(main->executeCommand(ID_WINDOW_CASCADE));
        const QRect area = main->mdiArea()->viewport()->rect();
        const std::vector<ChildFrame*> frames = main->childFrames();
        EXPECT_EQ(frames.front(), main->MDIGetActive());
        for (ChildFrame* frame : frames) {
            EXPECT_TRUE(area.contains(frame->geometry()));
            // Never smaller than half the area.
            EXPECT_GE(frame->width(), area.width() / 2);
            EXPECT_GE(frame->height(), area.height() / 2);
        }
        if (count == 3) {
            // The topmost window lies furthest from the corner, one step past the one below.
            EXPECT_GT(frames[0]->geometry().top(), frames[1]->geometry().top());
        }
    }
}

TEST_F(DocViewTest, AcceleratorsFollowTheActiveTemplate)
{
    constexpr Accelerator mainKeys[] = {{"Ctrl+N", 100}, {"Ctrl+P", 101}};
    constexpr Accelerator spectrumKeys[] = {{"Ctrl+D", 200}, {"Ctrl+P", 201}};
    constexpr Accelerator gridKeys[] = {{"Ctrl+X", 300}};
    const AcceleratorResource tables[] = {{128, mainKeys}, {129, spectrumKeys}, {131, gridKeys}};
    Resources::instance().addAccelerators(tables);
    main->installAccelerators(Resources::instance().accelerators(128));
    const auto installed = [&] {
        std::vector<std::pair<std::string, unsigned>> keys;
        for (const Accelerator& key : main->activeAccelerators()) {
            keys.emplace_back(key.key, key.id);
        }
        return keys;
    };
    using Keys = std::vector<std::pair<std::string, unsigned>>;
    EXPECT_EQ(installed(), (Keys{{"Ctrl+N", 100}, {"Ctrl+P", 101}}));
    open(129);
    // The template's key wins over the frame's own for the same key.
    EXPECT_EQ(installed(), (Keys{{"Ctrl+D", 200}, {"Ctrl+P", 201}, {"Ctrl+N", 100}}));
    open(131);
    EXPECT_EQ(installed(), (Keys{{"Ctrl+X", 300}, {"Ctrl+N", 100}, {"Ctrl+P", 101}}));
    open(210); // no table of its own
    EXPECT_EQ(installed(), (Keys{{"Ctrl+N", 100}, {"Ctrl+P", 101}}));
    app->CloseAllDocuments();
    flushDeletes();
    EXPECT_EQ(installed(), (Keys{{"Ctrl+N", 100}, {"Ctrl+P", 101}}));
    Resources::instance().clear();
}

TEST_F(DocViewTest, WindowMenuListsTheFramesInOpeningOrder)
{
    constexpr MenuEntry mainMenu[] = {
        menuPopup("&Window"), menuItem(ID_WINDOW_CASCADE, "&Cascade"), menuEnd(),
        menuPopup("&Help"),   menuItem(ID_APP_ABOUT, "&About"),        menuEnd()};
    const MenuResource menus[] = {{128, mainMenu}};
    Resources::instance().addMenus(menus);
    main->setDefaultMenu(Resources::instance().LoadMenu(128));
    for (int i = 0; i < 11; ++i) {
        open(131);
    }
    main->menuRenderer()->rebuild();
    QMenu* window = main->menuBar()->actions().at(0)->menu();
    QMenu* help = main->menuBar()->actions().at(1)->menu();
    ASSERT_NE(window, nullptr);
    emit window->aboutToShow();
    emit help->aboutToShow();
    EXPECT_EQ(help->actions().size(), 1); // only the Window menu gets the list
    QStringList texts;
    for (QAction* action : window->actions()) {
        if (action->data().toUInt() >= MdiFrame::kFirstMdiChildId) {
            texts << action->text();
        }
    }
    ASSERT_EQ(texts.size(), 11);
    EXPECT_EQ(texts.front(), QStringLiteral("&1 Grid1"));
    EXPECT_EQ(texts.at(8), QStringLiteral("&9 Grid9"));
    EXPECT_EQ(texts.back(), QStringLiteral("11 Grid11"));
    Resources::instance().clear();
}

TEST_F(DocViewTest, FrameworkFileCommandsCloseSaveAndExit)
{
    struct Case
    {
        const char* name;
        int answer;
        bool closes;
    };
    const Case cases[] = {{"cancel keeps it", kIdCancel, false}, {"no closes it", kIdNo, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document* document = open(131);
        document->SetModifiedFlag();
        ui.answerMessageBox(c.answer);
        EXPECT_TRUE(main->executeCommand(ID_FILE_CLOSE));
        EXPECT_EQ(isOpen(document), !c.closes);
        if (!c.closes) {
            document->SetModifiedFlag(false);
        }
    }
    auto* document = static_cast<TestDocument*>(open(129));
    ui.answerFileDialog({"/data/saved-as.spec"});
    EXPECT_TRUE(main->executeCommand(ID_FILE_SAVE_AS));
    EXPECT_EQ(document->saved, std::vector<std::string>{"/data/saved-as.spec"});
    EXPECT_EQ(document->GetPathName(), "/data/saved-as.spec");
    EXPECT_TRUE(main->executeCommand(ID_FILE_SAVE)); // has a path now: no dialog
    EXPECT_EQ(document->saved.size(), 2u);
    EXPECT_EQ(ui.fileDialogs().size(), 1u);

    // Exit asks the modified documents; Cancel keeps the program open.
    document->SetModifiedFlag();
    ui.answerMessageBox(kIdCancel);
    EXPECT_TRUE(main->executeCommand(ID_APP_EXIT));
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(isOpen(document));
    document->SetModifiedFlag(false);
    EXPECT_TRUE(main->executeCommand(ID_APP_EXIT));
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(main->childFrames().empty());
}

TEST_F(DocViewTest, MainFrameGoesWhileItsFramesAreOpen)
{
    constexpr MenuEntry mainMenu[] = {menuPopup("&Window"), menuItem(ID_WINDOW_CASCADE, "&Cascade"),
                                      menuEnd()};
    constexpr MenuEntry spectrumMenu[] = {menuPopup("&Spectrum"), menuItem(32830, "&Kick Start"),
                                          menuEnd()};
    const MenuResource menus[] = {{128, mainMenu}, {129, spectrumMenu}};
    Resources::instance().addMenus(menus);
    main->setDefaultMenu(Resources::instance().LoadMenu(128));
    app->docTemplate(129)->setSharedMenu(Resources::instance().LoadMenu(129));
    open(131);
    open(129);
    open(129);
    ASSERT_EQ(main->childFrames().size(), 3u);
    // The frames go with the main frame's window; nothing they signal on the way reaches the
    // main frame's handlers or its menu, which went first.
    main.reset();
    flushDeletes();
    EXPECT_TRUE(app->docTemplate(129)->documents().empty());
    Resources::instance().clear();
}
