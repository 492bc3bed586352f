// Where the program finds its help: the compiled help file in an installed viewer, else the
// folder of HTML pages in the browser, else a message that says where it looked.
#include "app/shell/qt/HtmlHelpLauncher.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(HelpLauncher, CompiledHelpInItsViewerElseThePagesElseAMessage)
{
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const fs::path dir = temporary.path().toStdString();
    // The stored help path uses the program's own separator.
    const std::string helpPath = dir.string() + "\\Harlune.chm";
    const fs::path chm = dir / "Harlune.chm";
    const fs::path folder = dir / "Harlune.help";

    enum class Viewer
    {
        None,
        Starts,
        Fails
    };
    struct Case
    {
        const char* name;
        bool chmThere;
        bool pagesThere;
        Viewer viewer;
        bool shown;
        bool viewerAsked;
        const char* pageOpened; // in the browser; null: none
        const char* boxSays;    // null: no box
    };
    const Case cases[] = {
        {"compiled help and a viewer", true, true, Viewer::Starts, true, true, nullptr, nullptr},
        {"compiled help without a viewer: the pages", true, true, Viewer::None, true, true,
         "index.html", nullptr},
        {"a viewer that does not start: the pages", true, true, Viewer::Fails, true, true,
         "index.html", nullptr},
        {"only the pages", false, true, Viewer::Starts, true, false, "index.html", nullptr},
        {"compiled help, no viewer, no pages", true, false, Viewer::None, false, true, nullptr,
         "needs a viewer for compiled HTML help"},
        {"a viewer that does not start, no pages", true, false, Viewer::Fails, false, true, nullptr,
         "could not be opened in its viewer"},
        {"nothing", false, false, Viewer::Starts, false, false, nullptr, "was not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::remove(chm);
        if (c.chmThere)
            std::ofstream(chm) << "ITSF";
        if (c.pagesThere) {
            fs::create_directories(folder);
            std::ofstream(folder / "index.html") << "<html></html>";
        }
        std::vector<std::string> viewed;
        std::vector<QUrl> browsed;
        CHtmlHelpLauncher launcher(
            0, helpPath, std::string(),
            [&](const QUrl& url) {
                browsed.push_back(url);
                return true;
            },
            [&](const std::string& file) -> std::optional<bool> {
                viewed.push_back(file);
                if (c.viewer == Viewer::None)
                    return std::nullopt;
                return c.viewer == Viewer::Starts;
            });
        EXPECT_EQ(launcher.helpFile(), chm.string());
        EXPECT_EQ(launcher.helpFolder(), folder.string());
        const size_t boxesBefore = ui.messageBoxes().size();

        EXPECT_EQ(launcher.ShowContents(), c.shown);

        EXPECT_EQ(viewed.size(), c.viewerAsked ? 1u : 0u);
        if (!viewed.empty()) {
            EXPECT_EQ(viewed[0], chm.string());
        }
        if (c.pageOpened != nullptr) {
            ASSERT_EQ(browsed.size(), 1u);
            EXPECT_EQ(browsed[0].toLocalFile().toStdString(), (folder / c.pageOpened).string());
        } else {
            EXPECT_TRUE(browsed.empty());
        }
        if (c.boxSays != nullptr) {
            ASSERT_EQ(ui.messageBoxes().size(), boxesBefore + 1);
            const std::string& text = ui.messageBoxes().back().text;
            EXPECT_NE(text.find(c.boxSays), std::string::npos) << text;
            EXPECT_NE(text.find(chm.string()), std::string::npos) << text;
        } else {
            EXPECT_EQ(ui.messageBoxes().size(), boxesBefore);
        }
    }
    // Without compiled help the box names both places it looked.
    EXPECT_NE(ui.messageBoxes().back().text.find(folder.string()), std::string::npos);
}

TEST(HelpLauncher, PagesBesideTheProgramWhenTheApplicationPathHasNone)
{
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const fs::path application = fs::path(temporary.path().toStdString()) / "work";
    const fs::path program = fs::path(temporary.path().toStdString()) / "bin";
    const std::string helpPath = application.string() + "\\Harlune.chm";
    auto addPages = [](const fs::path& folder) {
        fs::create_directories(folder / "Harlune.help");
        std::ofstream(folder / "Harlune.help" / "index.html") << "<html></html>";
        std::ofstream(folder / "Harlune.help" / "keywords.html") << "<html></html>";
    };
    auto noViewer = [](const std::string&) -> std::optional<bool> { return std::nullopt; };

    struct Case
    {
        const char* name;
        bool applicationPages;
        bool programPages;
        const fs::path* shownFrom; // null: a box names both folders
    };
    const Case cases[] = {
        {"only beside the program", false, true, &program},
        {"the application path's first", true, true, &application},
        {"only in the application path", true, false, &application},
        {"nowhere", false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(application);
        fs::remove_all(program);
        fs::create_directories(application);
        fs::create_directories(program);
        if (c.applicationPages)
            addPages(application);
        if (c.programPages)
            addPages(program);
        // The default opener: the UI services' browser.
        CHtmlHelpLauncher launcher(0, helpPath, program.string(), {}, noViewer);
        const size_t urlsBefore = ui.openedUrls().size();
        const size_t boxesBefore = ui.messageBoxes().size();
        const bool shown = launcher.ShowIndex();
        EXPECT_EQ(shown, c.shownFrom != nullptr);
        if (c.shownFrom != nullptr) {
            ASSERT_EQ(ui.openedUrls().size(), urlsBefore + 1);
            EXPECT_EQ(fs::path(ui.openedUrls().back().toLocalFile().toStdString()),
                      *c.shownFrom / "Harlune.help" / "keywords.html");
            EXPECT_EQ(ui.messageBoxes().size(), boxesBefore);
        } else {
            EXPECT_EQ(ui.openedUrls().size(), urlsBefore);
            ASSERT_EQ(ui.messageBoxes().size(), boxesBefore + 1);
            const std::string& text = ui.messageBoxes().back().text;
            EXPECT_NE(text.find((application / "Harlune.help").string()), std::string::npos)
                << text;
            EXPECT_NE(text.find((program / "Harlune.help").string()), std::string::npos) << text;
        }
    }

    // A browser that cannot be started is said, not hidden.
    addPages(program);
    ui.failUrls();
    CHtmlHelpLauncher launcher(0, helpPath, program.string(), {}, noViewer);
    EXPECT_FALSE(launcher.ShowContents());
    EXPECT_NE(ui.messageBoxes().back().text.find("could not be opened"), std::string::npos);
}

} // namespace
