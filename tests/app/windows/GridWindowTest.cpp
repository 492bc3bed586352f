// The grid window offscreen: its file commands through the UI services, printing and print
// preview of a sheet, and the window that the program's NewGridWindow opens.
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/windows/qt/GridViewWidget.h"
#include "gridctrl/widgets/GridWidget.h"
#include "platform/automation/AutomationObject.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/Printing.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/windows/ScratchFolder.h"

#include <QApplication>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fw = platform::framework;

using app::windows::test::freshFolder;

class GridWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        widget.resize(500, 320);
        widget.show();
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    GridViewWidget widget{[](int) { return 1; }, nullptr};
};

TEST_F(GridWindowTest, TheGridFillsTheView)
{
    ASSERT_TRUE(widget.core().InitGrid(3, 5, 1, nullptr));
    QApplication::processEvents();
    EXPECT_EQ(widget.gridWindow().geometry(), QRect(0, 0, 500, 320));
}

TEST_F(GridWindowTest, OpeningTwoCsvFilesGivesTwoLabelledSheets)
{
    ASSERT_TRUE(widget.core().InitGrid(2, 2, 1, nullptr));
    const std::filesystem::path folder = freshFolder("open");
    for (const char* name : {"first.csv", "second.csv"})
        std::ofstream(folder / name, std::ios::binary) << "\"\",\"1\"\r\n\"1\",2\r\n";
    ui.answerFileDialog(std::vector<std::string>{(folder / "first.csv").string(),
                                                 (folder / "second.csv").string()});
    ASSERT_TRUE(widget.OnCmdMsg(CHarluneGridView::ID_FILE_OPEN_CSV, nullptr));
    ASSERT_EQ(ui.fileDialogs().size(), 1u);
    const auto& request = ui.fileDialogs()[0];
    EXPECT_TRUE(request.open);
    EXPECT_TRUE(request.allowMultiSelect);
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_EQ(request.title, "Open Grid File");
    EXPECT_EQ(request.defaultExtension, "csv");
    auto& grid = widget.core().grid();
    ASSERT_EQ(grid.GetNumberSheets(), 3);
    EXPECT_EQ(grid.GetTabLabel(1), "first.csv");
    EXPECT_EQ(grid.GetTabLabel(2), "second.csv");
}

TEST_F(GridWindowTest, TheSaveDialogTakesANewName)
{
    ASSERT_TRUE(widget.core().InitGrid(2, 2, 1, nullptr));
    const std::string path = (freshFolder("save") / "new.csv").string();
    ui.answerFileDialog(std::vector<std::string>{path});
    ASSERT_TRUE(widget.OnCmdMsg(CHarluneGridView::ID_FILE_SAVE_CURRENT_SHEET, nullptr));
    ASSERT_EQ(ui.fileDialogs().size(), 1u);
    EXPECT_FALSE(ui.fileDialogs()[0].fileMustExist);
    EXPECT_TRUE(ui.fileDialogs()[0].overwritePrompt);
    EXPECT_EQ(ui.fileDialogs()[0].title, "Save Current Grid Sheet");
    EXPECT_TRUE(std::filesystem::exists(path));
}

// A sheet that cannot be written says why in the program's error box, for the current sheet
// and for Save All; a read-only file is left as it was.
TEST_F(GridWindowTest, ASaveThatFailsSaysWhy)
{
    namespace fs = std::filesystem;
    ASSERT_TRUE(widget.core().InitGrid(2, 2, 1, nullptr));
    const std::string label = widget.core().grid().GetTabLabel(0);
    enum class Place
    {
        ReadOnlyFile,
        MissingFolder,
        FolderOfThatName
    };
    struct Case
    {
        const char* name;
        unsigned command;
        Place place;
    };
    const Case cases[] = {
        {"current sheet, read-only file", CHarluneGridView::ID_FILE_SAVE_CURRENT_SHEET,
         Place::ReadOnlyFile},
        {"current sheet, missing folder", CHarluneGridView::ID_FILE_SAVE_CURRENT_SHEET,
         Place::MissingFolder},
        {"current sheet, folder of that name", CHarluneGridView::ID_FILE_SAVE_CURRENT_SHEET,
         Place::FolderOfThatName},
        {"all sheets, read-only file", CHarluneGridView::ID_FILE_SAVE_ALL_SHEETS,
         Place::ReadOnlyFile},
        {"all sheets, missing folder", CHarluneGridView::ID_FILE_SAVE_ALL_SHEETS,
         Place::MissingFolder},
        {"all sheets, folder of that name", CHarluneGridView::ID_FILE_SAVE_ALL_SHEETS,
         Place::FolderOfThatName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path folder = freshFolder("failed-save");
        if (c.place == Place::MissingFolder)
            folder /= "missing";
        const fs::path chosen = folder / "out.csv";
        const bool all = c.command == CHarluneGridView::ID_FILE_SAVE_ALL_SHEETS;
        const fs::path written = all ? folder / ("out." + label + ".csv") : chosen;
        std::string reason;
        if (c.place == Place::ReadOnlyFile) {
            std::ofstream(written, std::ios::binary) << "old";
            fs::permissions(written, fs::perms::owner_read | fs::perms::group_read);
            reason = "The file is read-only.";
        } else if (c.place == Place::MissingFolder) {
            reason = "The folder " + folder.string() + " does not exist.";
        } else {
            fs::create_directories(written);
            reason = "It is a folder.";
        }
        const std::size_t mark = ui.messageBoxes().size();
        ui.answerFileDialog(std::vector<std::string>{chosen.string()});
        ASSERT_TRUE(widget.OnCmdMsg(c.command, nullptr));
        ASSERT_EQ(ui.messageBoxes().size(), mark + 1);
        EXPECT_EQ(ui.messageBoxes().back().caption, "Harlune Error");
        EXPECT_EQ(ui.messageBoxes().back().text,
                  "The file " + written.string() + " could not be written.\n" + reason);
        if (c.place == Place::ReadOnlyFile) {
            std::ifstream in(written, std::ios::binary);
            const std::string content((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
            EXPECT_EQ(content, "old");
        }
    }
}

int pdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = file.readAll();
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                            pdf.count("/Type /Page "));
}

// A sheet of rows that need two pages of the printer's height.
void fillTwoPages(GridViewWidget& widget, const QPrinter& printer)
{
    long rows = 10;
    for (;; rows += 10) {
        ASSERT_TRUE(widget.core().InitGrid(2, static_cast<int>(rows), 1, nullptr));
        const double rowHeightInches =
            widget.core().grid().GetRowHeight(0) / static_cast<double>(widget.logicalDpiY());
        const double pageInches = printer.pageLayout().paintRect(QPageLayout::Inch).height();
        if (rows * rowHeightInches > pageInches * 1.3)
            break;
    }
}

TEST_F(GridWindowTest, ATwoPageSheetPrintsAndPreviewsTwoPages)
{
    const QString path = QString::fromStdString((freshFolder("print") / "grid.pdf").string());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    fillTwoPages(widget, printer);
    EXPECT_EQ(fw::printView(&widget, printer, true), 2);
    EXPECT_EQ(pdfPages(path), 2);

    QPrinter previewPrinter(QPrinter::HighResolution);
    int pages = -1;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(top);
            if (dialog == nullptr || !dialog->isVisible())
                continue;
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>())
                pages = preview->pageCount();
            dialog->reject();
        }
    });
    fw::printPreview(&widget, previewPrinter);
    EXPECT_EQ(pages, 2);
}

TEST(NewGridWindowTest, OpensAGridOfTheGivenSizeAndGivesItsLockBack)
{
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    CHarluneApp::useScanCountViews(true);
    RecordingDriver driver;
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
        const int locksBefore = platform::automation::applicationLockCount();
        app.NewGridWindow(4, 7, 2, "T");
        GridViewWidget* grid = nullptr;
        for (fw::ChildFrame* frame : app.mainFrameWidget()->childFrames())
            if (frame->GetActiveView())
                if (auto* view = dynamic_cast<GridViewWidget*>(frame->GetActiveView()))
                    grid = view;
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(platform::automation::applicationLockCount(), locksBefore + 1);
        auto& control = grid->core().grid();
        EXPECT_EQ(control.GetNumberCols(), 4);
        EXPECT_EQ(control.GetNumberRows(), 7);
        EXPECT_EQ(control.GetNumberSheets(), 2);
        ASSERT_NE(grid->GetDocument(), nullptr);
        EXPECT_EQ(grid->GetDocument()->GetTitle(), "T");
        grid->GetDocument()->OnCloseDocument();
        QApplication::processEvents();
        EXPECT_EQ(platform::automation::applicationLockCount(), locksBefore);
    }
    CHarluneApp::useScanCountViews(false);
}

} // namespace
