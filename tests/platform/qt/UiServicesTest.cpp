#include "platform/qt/QtUiServices.h"
#include "platform/qt/fake/ScriptedUiServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace platform::qt;

namespace {

QApplication& uiServicesApplication()
{
    static int argc = 1;
    static char name[] = "UiServicesTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Runs action on the modal widget as soon as it is shown (polled by a zero timer, so the modal
// loop itself drives it); gives up after 2000 polls so a missing dialog fails instead of hangs.
// Each poll schedules the next with a copy of its state, so nothing refers to itself and
// nothing outlives the last poll.
void pollModal(std::function<void(QWidget*)> action, int polls)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
        action(modal);
        return;
    }
    if (polls + 1 < 2000) {
        QTimer::singleShot(1, [action = std::move(action), polls]() mutable {
            pollModal(std::move(action), polls + 1);
        });
    }
}

void onModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0,
                       [action = std::move(action)]() mutable { pollModal(std::move(action), 0); });
}

QString tempDir()
{
    const QString dir = QString::fromLocal8Bit(qgetenv("HARLUNE_TEST_DIR"));
    return dir.isEmpty() ? QDir::tempPath() : dir;
}

} // namespace

TEST(MessageBoxFlags, ButtonsDefaultAndEscapeFollowTheBoxType)
{
    struct Case
    {
        const char* name;
        unsigned flags;
        std::vector<int> buttons;
        int defaultAnswer;
        int escapeAnswer;
    };
    const Case cases[] = {
        {"ok", kMbOk | kMbIconInformation, {kIdOk}, kIdOk, kIdOk},
        {"ok cancel", kMbOkCancel, {kIdOk, kIdCancel}, kIdOk, kIdCancel},
        {"yes no", kMbYesNo | kMbIconQuestion, {kIdYes, kIdNo}, kIdYes, 0},
        {"yes no second default", kMbYesNo | kMbDefButton2, {kIdYes, kIdNo}, kIdNo, 0},
        {"yes no cancel third",
         kMbYesNoCancel | kMbDefButton3,
         {kIdYes, kIdNo, kIdCancel},
         kIdCancel,
         kIdCancel},
        {"ok with third default", kMbOk | kMbDefButton3, {kIdOk}, kIdOk, kIdOk},
        {"retry cancel", kMbRetryCancel | kMbTaskModal, {kIdRetry, kIdCancel}, kIdRetry, kIdCancel},
        {"abort retry ignore", kMbAbortRetryIgnore, {kIdAbort, kIdRetry, kIdIgnore}, kIdAbort, 0},
        {"unknown type is ok", 0xE, {kIdOk}, kIdOk, kIdOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(messageBoxButtons(c.flags), c.buttons);
        EXPECT_EQ(defaultMessageBoxAnswer(c.flags), c.defaultAnswer);
        EXPECT_EQ(escapeMessageBoxAnswer(c.flags), c.escapeAnswer);
    }
}

TEST(FileFilters, BecomeQtNameFiltersWithWindowsMeanings)
{
    struct Case
    {
        const char* name;
        FileFilter filter;
        std::string expected;
    };
    const Case cases[] = {
        {"description names its pattern",
         {"Basic Macros (*.bas)", "*.bas"},
         "Basic Macros (*.bas)"},
        {"no space before group", {"Bitmap Files(*.bmp)", "*.bmp"}, "Bitmap Files(*.bmp)"},
        {"star dot star is every file", {"All Files (*.*)", "*.*"}, "All Files (*)"},
        {"several patterns",
         {"Harlune Data Files", "*.scope;*.dark; *.reference"},
         "Harlune Data Files (*.scope *.dark *.reference)"},
        {"group that differs is replaced",
         {"Time Acquisition Data Files (*.time)", "*.tim"},
         "Time Acquisition Data Files (*.tim)"},
        {"empty pattern", {"Anything", ""}, "Anything (*)"},
        {"empty description", {"", "*.csv"}, "*.csv (*.csv)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> result = qtNameFilters({c.filter});
        ASSERT_EQ(result.size(), 1u);
        EXPECT_EQ(result[0], c.expected);
    }
}

// The program's filter texts ("Text|*.a;*.b|...||") become Qt's name filters in one step.
TEST(FileFilters, FilterTextsBecomeQtNameFilters)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"overlay slot",
         "Harlune Data Files|*.scope;*.absorbance;*.transmission;*.irradiance;*.dark;*.reference;"
         "*.sample;*.reflection|All Files (*.*)|*.*||",
         {"Harlune Data Files (*.scope *.absorbance *.transmission *.irradiance *.dark "
          "*.reference *.sample *.reflection)",
          "All Files (*)"}},
        {"processed with SPC",
         "Processed Spectra|*.scope;*.absorbance;*.transmission;*.irradiance;*.reflection;*.custom|"
         "Grams/32 SPC Files (*.spc)|*.spc|All Files (*.*)|*.*||",
         {"Processed Spectra (*.scope *.absorbance *.transmission *.irradiance *.reflection "
          "*.custom)",
          "Grams/32 SPC Files (*.spc)", "All Files (*)"}},
        {"dark",
         "Dark Spectra (*.dark)|*.dark|Grams/32 SPC Files (*.spc)|*.spc|All Files (*.*)|*.*||",
         {"Dark Spectra (*.dark)", "Grams/32 SPC Files (*.spc)", "All Files (*)"}},
        {"experiment",
         "Experiment Files (*.experiment)|*.experiment|All Files (*.*)|*.*||",
         {"Experiment Files (*.experiment)", "All Files (*)"}},
        {"display settings",
         "Display Settings (*.display)|*.display|All Files (*.*)|*.*||",
         {"Display Settings (*.display)", "All Files (*)"}},
        {"configuration without a blank",
         "Spectrometer Configurations(*.spec)|*.spec|All Files (*.*)|*.*||",
         {"Spectrometer Configurations(*.spec)", "All Files (*)"}},
        {"time parameters",
         "Time Acquisition Parameters|*.TimeParameters|All Files (*.*)|*.*||",
         {"Time Acquisition Parameters (*.TimeParameters)", "All Files (*)"}},
        {"NUL separators", std::string("CSV Files (*.csv)\0*.csv\0\0", 25), {"CSV Files (*.csv)"}},
        {"no closing pair", "Basic Macros (*.bas)|*.bas", {"Basic Macros (*.bas)"}},
        {"description without pattern dropped", "Text|*.txt|Broken||", {"Text (*.txt)"}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(qtNameFilters(fileFiltersFromText(c.text)), c.expected);
    }
}

// Dialogs start in the caller's folder, else where that kind of file was last chosen, else
// where any file was.
TEST(FileFilters, DialogsStartWhereTheirKindWasLastUsed)
{
    const auto request = [](const char* pattern, const char* initial) {
        FileDialogRequest r;
        r.filters = {{"Files", pattern}, {"All Files (*.*)", "*.*"}};
        r.initialPath = initial;
        return r;
    };
    FileDialogFolders folders;
    EXPECT_EQ(folders.startPath(request("*.dark", "")), "");
    EXPECT_EQ(folders.startPath(request("*.spec", "S1.spec")), "S1.spec");
    folders.remember(request("*.dark", ""), FileDialogResult{{"/data/darks/run.dark"}, 1});
    folders.remember(request("*.experiment", ""), FileDialogResult{{"/data/exp/a.experiment"}, 1});
    EXPECT_EQ(folders.startPath(request("*.dark", "")), "/data/darks");
    EXPECT_EQ(folders.startPath(request("*.experiment", "")), "/data/exp");
    // A kind not used yet starts where the last file was chosen.
    EXPECT_EQ(folders.startPath(request("*.spec", "S1.spec")), "/data/exp/S1.spec");
    // The caller's own folder wins.
    EXPECT_EQ(folders.startPath(request("*.dark", "/media/x/old.dark")), "/media/x/old.dark");
    folders.remember(request("*.dark", ""), FileDialogResult{{"/other/b.dark"}, 1});
    EXPECT_EQ(folders.startPath(request("*.dark", "")), "/other");
    EXPECT_EQ(folders.startPath(request("*.experiment", "")), "/data/exp");
}

TEST(FileFilters, DefaultExtensionOnlyForNamesWithoutOne)
{
    struct Case
    {
        const char* path;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"/data/run", "bas", "/data/run.bas"},
        {"/data/run.txt", "bas", "/data/run.txt"},
        {"/data.d/run", "spec", "/data.d/run.spec"},
        {"/data/run", "", "/data/run"},
        {"/data/", "bas", "/data/"},
        {"run", "csv", "run.csv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(withDefaultExtension(c.path, c.extension), c.expected);
    }
}

TEST(LogFont, KeepsItsLayoutAndCutsLongFaceNamesOnCharacterBoundaries)
{
    LOGFONT font;
    setFaceName(font, "Arial");
    EXPECT_EQ(faceName(font), "Arial");
    // 30 ASCII bytes and a two-byte character: the character does not fit in 31 bytes.
    const std::string accented = "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\xC3\xA9tail";
    setFaceName(font, accented);
    EXPECT_EQ(faceName(font), std::string(30, 'x'));
    setFaceName(font, std::string(40, 'y'));
    EXPECT_EQ(faceName(font), std::string(31, 'y'));
}

TEST(LogFont, RoundTripsThroughQFont)
{
    LOGFONT font;
    font.lfHeight = -16;
    font.lfWeight = FW_BOLD;
    font.lfItalic = 1;
    setFaceName(font, "DejaVu Sans");
    const LOGFONT back = logFontFromFont(fontFromLogFont(font));
    EXPECT_EQ(back.lfHeight, -16);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_EQ(faceName(back), "DejaVu Sans");
    EXPECT_EQ(pointSizeTenths(font), 120); // 16 px at 96 dpi = 12 pt
}

TEST(QtUiServicesTest, AnyFontHeightGivesAUsableSize)
{
    uiServicesApplication();
    const struct
    {
        int32_t height;
        int pixels;
    } cases[] = {{0, 13}, {-1, 1}, {10, 8}, {INT32_MIN, 2048}, {INT32_MAX, 2048}, {-5000, 2048}};
    for (const auto& c : cases) {
        LOGFONT font;
        font.lfHeight = c.height;
        EXPECT_EQ(fontFromLogFont(font).pixelSize(), c.pixels) << c.height;
    }
}

TEST(QtUiServicesTest, MessageBoxAnswersTheButtonPressed)
{
    uiServicesApplication();
    struct Case
    {
        const char* name;
        unsigned flags;
        const char* press; // button text, or "escape" / "enter"
        int expected;
    };
    const Case cases[] = {
        {"ok", kMbOk, "OK", kIdOk},
        {"yes", kMbYesNo, "&Yes", kIdYes},
        {"no", kMbYesNoCancel, "&No", kIdNo},
        {"escape cancels", kMbYesNoCancel, "escape", kIdCancel},
        {"escape on ok box", kMbOk | kMbIconError, "escape", kIdOk},
        {"enter takes second default", kMbYesNo | kMbDefButton2, "enter", kIdNo},
        {"enter takes first default", kMbOkCancel, "enter", kIdOk},
    };
    QtUiServices services;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string seenTitle;
        onModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            seenTitle = box->windowTitle().toStdString();
            const QString press = QString::fromLatin1(c.press);
            if (press == "escape") {
                box->reject();
                if (box->isVisible() && box->escapeButton() != nullptr) {
                    box->escapeButton()->click();
                }
            } else if (press == "enter") {
                box->defaultButton()->click();
            } else {
                for (QAbstractButton* button : box->buttons()) {
                    if (button->text() == press) {
                        button->click();
                    }
                }
            }
        });
        EXPECT_EQ(services.messageBox("Text", "Caption", c.flags), c.expected);
        EXPECT_EQ(seenTitle, "Caption");
    }
}

TEST(QtUiServicesTest, SaveDialogAppendsDefaultExtensionAndReportsFilter)
{
    uiServicesApplication();
    QtUiServices services;
    FileDialogRequest request;
    request.open = false;
    request.title = "Save Experiment File";
    request.filters = {{"Experiment Files (*.experiment)", "*.experiment"},
                       {"All Files (*.*)", "*.*"}};
    request.filterIndex = 2;
    request.defaultExtension = "exp";
    request.initialPath = tempDir().toStdString();
    std::string title;
    onModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle().toStdString();
        dialog->selectFile(QStringLiteral("run1"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::optional<FileDialogResult> result = services.fileDialog(request);
    ASSERT_TRUE(result);
    EXPECT_EQ(title, "Save Experiment File");
    ASSERT_EQ(result->paths.size(), 1u);
    EXPECT_EQ(result->paths[0], QDir(tempDir()).absoluteFilePath("run1.exp").toStdString());
    EXPECT_EQ(result->filterIndex, 2);
}

TEST(QtUiServicesTest, OpenDialogWithMultiSelectReturnsEveryFileAndCancelReturnsNothing)
{
    uiServicesApplication();
    const QDir dir(tempDir());
    for (const char* name : {"a.csv", "b.csv"}) {
        QFile file(dir.absoluteFilePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QtUiServices services;
    FileDialogRequest request;
    request.title = "Open Grid File";
    request.filters = {{"CSV Files (*.csv)", "*.csv"}, {"All Files (*.*)", "*.*"}};
    request.allowMultiSelect = true;
    request.fileMustExist = true;
    request.initialPath = dir.absolutePath().toStdString();
    onModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(QStringLiteral("\"a.csv\" \"b.csv\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    std::optional<FileDialogResult> result = services.fileDialog(request);
    ASSERT_TRUE(result);
    std::vector<std::string> expected = {dir.absoluteFilePath("a.csv").toStdString(),
                                         dir.absoluteFilePath("b.csv").toStdString()};
    std::sort(result->paths.begin(), result->paths.end());
    EXPECT_EQ(result->paths, expected);

    onModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(services.fileDialog(request));
}

TEST(QtUiServicesTest, WaitCursorNests)
{
    uiServicesApplication();
    QtUiServices services;
    services.endWaitCursor(); // an unmatched end changes nothing
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    services.beginWaitCursor();
    services.beginWaitCursor();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    services.endWaitCursor();
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    services.endWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Sounds go to the ALSA player, found on the path: a stand-in player here notes its arguments.
// A missing file, a folder and an empty name start nothing; each new sound ends the one before.
TEST(QtUiServicesTest, PlaySoundRunsThePlayerOnExistingFilesOnly)
{
    uiServicesApplication();
    const QString dir = QString::fromLocal8Bit(qgetenv("HARLUNE_TEST_DIR"));
    ASSERT_FALSE(dir.isEmpty());
    const QString bin = dir + "/player-bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString log = dir + "/played.txt";
    {
        QFile player(bin + "/aplay");
        ASSERT_TRUE(player.open(QIODevice::WriteOnly));
        // The line appears whole: written beside the log, then renamed over it.
        player.write(QStringLiteral("#!/bin/sh\necho \"$*\" > '%1.$$' && mv '%1.$$' '%1'\n")
                         .arg(log)
                         .toUtf8());
        player.close();
        player.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString wave = dir + "/cue.wav";
    {
        QFile file(wave);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("RIFF");
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toLocal8Bit() + ":" + oldPath);
    {
        QtUiServices services;
        for (const QString& name : {QString(), dir + "/missing.wav", dir, wave})
            services.playSound(name.toStdString());
        // Waits for the player's line (bounded), while the services object still runs it.
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(log) && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    qputenv("PATH", oldPath);
    QFile played(log);
    ASSERT_TRUE(played.open(QIODevice::ReadOnly)) << "the player never wrote its line";
    EXPECT_EQ(played.readAll(), ("-q -- " + wave + "\n").toUtf8());
}

TEST(ScriptedUiServicesTest, AnswersFromQueuesAndRecordsEveryCall)
{
    ScriptedUiServices fake;
    ScopedUiServices installed(fake);
    fake.answerMessageBox(kIdNo);
    EXPECT_EQ(uiServices().messageBox("Save?", "Harlune", kMbYesNoCancel), kIdNo);
    // Nothing queued: the default button, counted as unscripted.
    EXPECT_EQ(uiServices().messageBox("Sure?", "Harlune", kMbYesNo | kMbDefButton2), kIdNo);
    EXPECT_EQ(fake.unscriptedCalls(), 1);
    ASSERT_EQ(fake.messageBoxes().size(), 2u);
    EXPECT_EQ(fake.messageBoxes()[0].text, "Save?");
    EXPECT_EQ(fake.messageBoxes()[1].answer, kIdNo);

    FileDialogRequest single;
    single.defaultExtension = "bas";
    fake.answerFileDialog({"/s/one", "/s/two.bas"});
    const auto chosen = uiServices().fileDialog(single);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->paths, std::vector<std::string>{"/s/one.bas"});
    FileDialogRequest multi = single;
    multi.allowMultiSelect = true;
    fake.answerFileDialog({"/s/one", "/s/two.txt"}, 2);
    const auto several = uiServices().fileDialog(multi);
    ASSERT_TRUE(several);
    EXPECT_EQ(several->paths, (std::vector<std::string>{"/s/one.bas", "/s/two.txt"}));
    EXPECT_EQ(several->filterIndex, 2);
    EXPECT_FALSE(uiServices().fileDialog(multi)); // nothing queued: cancelled
    EXPECT_EQ(fake.fileDialogs().size(), 3u);

    fake.answerColorDialog(0x0000FF);
    EXPECT_EQ(uiServices().colorDialog(0xFFFFFF), std::optional<uint32_t>(0x0000FF));
    EXPECT_EQ(fake.colorDialogs(), std::vector<uint32_t>{0xFFFFFF});

    PrintDialogRequest print;
    fake.answerPrintDialog(true, 2, 3);
    EXPECT_TRUE(uiServices().printDialog(print));
    EXPECT_EQ(print.fromPage, 2);
    EXPECT_EQ(print.toPage, 3);

    {
        WaitCursor outer;
        WaitCursor inner;
        EXPECT_EQ(fake.waitCursorDepth(), 2);
    }
    EXPECT_EQ(fake.waitCursorDepth(), 0);
    EXPECT_EQ(fake.waitCursorShows(), 1);
}

TEST(ScriptedUiServicesTest, HandlerAnswersBoxesWithoutQueuedAnswers)
{
    ScriptedUiServices fake;
    ScopedUiServices installed(fake);
    fake.setMessageBoxHandler([](const ScriptedUiServices::MessageBoxCall& call) {
        return call.caption == "Rotation Warning" ? kIdOk : kIdCancel;
    });
    EXPECT_EQ(uiServices().messageBox("x", "Rotation Warning", kMbOk), kIdOk);
    EXPECT_EQ(uiServices().messageBox("x", "Other", kMbOkCancel), kIdCancel);
    EXPECT_EQ(fake.unscriptedCalls(), 0);
}
