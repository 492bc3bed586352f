// The program's keys as a user presses them: the active child frame's accelerators run their
// commands through the same route and VerifyMenu question as the menu items.
#include "app/dialogs/ValueDialog.h"
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/qt/frames/MainFrameFixture.h"
#include "tests/app/shell/ShellFakes.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fw = platform::framework;
namespace res = app::res;

namespace {

// A script whose VerifyMenu records every question and forbids the actions it is told to.
class RecordingScript : public ScriptHost
{
public:
    bool definesVerifyMenu() override { return true; }
    std::optional<int32_t> callVerifyMenu(int32_t id) override
    {
        asked.push_back(id);
        return forbidden.count(id) != 0 ? 0 : 1;
    }
    void reportError(const std::string&) override {}
    bool isRunning() override { return false; }
    void stop() override {}

    bool wasAsked(int32_t id) const
    {
        return std::find(asked.begin(), asked.end(), id) != asked.end();
    }

    std::vector<int32_t> asked;
    std::set<int32_t> forbidden;
};

using frames_test::menuAction;

class SpectrumWindowKeysTest : public frames_test::MainFrameFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startProgram());
        frame->core().setScriptHost(&script);
    }
    void TearDown() override
    {
        if (frame != nullptr)
            frame->core().setScriptHost(nullptr);
    }

    // Presses a key where the user's key goes: the focus widget of the active window.
    void press(const QKeySequence& key)
    {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr)
            target = frame;
        const QKeyCombination combination = key[0];
        QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
    }

    RecordingScript script;
};

TEST_F(SpectrumWindowKeysTest, EachSpectrumKeyRunsItsCommand)
{
    CHarluneSpectrumView& core = view->core();
    struct Case
    {
        const char* key;
        unsigned command;
        int32_t asked;
        std::function<bool()> after;
    };
    const Case cases[] = {
        {"Ctrl+D", res::ID_STORE_DARK, res::mvSpecSpectrumStoreDark,
         [&] { return core.darkStored() == 1; }},
        {"Ctrl+R", res::ID_STORE_REFERENCE, res::mvSpecSpectrumStoreReference,
         [&] { return core.processingMode() == Scope; }},
        {"Ctrl+Shift+A", res::ID_MODE_ABSORBANCE, res::mvSpecSpectrumAbsorbanceMode,
         [&] { return core.processingMode() == Absorbance; }},
        {"Ctrl+Shift+T", res::ID_MODE_TRANSMISSION, res::mvSpecSpectrumTransmissionMode,
         [&] { return core.processingMode() == Transmission; }},
        {"Ctrl+Shift+I", res::ID_MODE_IRRADIANCE, res::mvSpecSpectrumRelativeIrradianceMode,
         [&] { return core.processingMode() == RelativeIrradiance; }},
        {"Ctrl+Shift+R", res::ID_MODE_SPECULAR_REFLECTION,
         res::mvSpecSpectrumSpecularReflectionMode,
         [&] { return core.processingMode() == SpecularReflection; }},
        {"Ctrl+Shift+S", res::ID_MODE_SCOPE, res::mvSpecSpectrumScopeMode,
         [&] { return core.processingMode() == Scope; }},
        {"Ctrl+Shift+M", res::ID_MODE_SCOPE_MINUS_DARK, res::mvSpecSpectrumScopeModeMinusDark,
         [&] { return core.commandState(res::ID_MODE_SCOPE_MINUS_DARK).checked == 1; }},
        {"Ctrl+Alt+D", res::ID_GLOBAL_STORE_DARK, res::mvSpecSpectrumGlobalStoreGlobalDark,
         [&] { return core.darkStored() == 1; }},
        {"Ctrl+Alt+R", res::ID_GLOBAL_STORE_REFERENCE,
         res::mvSpecSpectrumGlobalStoreGlobalReference, [&] { return true; }},
    };
    const std::vector<fw::Accelerator> installed = frame->activeAccelerators();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const bool listed =
            std::any_of(installed.begin(), installed.end(), [&](const fw::Accelerator& a) {
                return a.id == c.command && std::string(a.key) == c.key;
            });
        EXPECT_TRUE(listed);
        script.asked.clear();
        press(QKeySequence(QString::fromLatin1(c.key)));
        EXPECT_TRUE(script.wasAsked(c.asked));
        EXPECT_TRUE(c.after());
    }
}

TEST_F(SpectrumWindowKeysTest, SpectrumKeysDoNotReachASpectrumViewFromAGridOrGraphWindow)
{
    CHarluneSpectrumView& core = view->core();
    for (unsigned command : {res::ID_NEW_GRID_WINDOW, res::ID_NEW_GRAPH_WINDOW}) {
        SCOPED_TRACE(command);
        // The window's size is asked first; its defaults are taken.
        answerNextModal<app::dialogs::ValueDialog>(
            [](app::dialogs::ValueDialog& dialog) { dialog.pressOk(); });
        ASSERT_TRUE(frame->executeCommand(command));
        // The main window is active again once the dialog has gone, as a window manager makes
        // it.
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
        ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() != spectrum; }, 5000));
        for (const fw::Accelerator& key : frame->activeAccelerators())
            EXPECT_NE(key.id, res::ID_STORE_DARK) << key.key;
        script.asked.clear();
        for (const char* key : {"Ctrl+D", "Ctrl+Shift+S", "Ctrl+Shift+M", "Ctrl+Z", "F2"})
            press(QKeySequence(QString::fromLatin1(key)));
        EXPECT_EQ(core.darkStored(), 0);
        EXPECT_FALSE(script.wasAsked(res::mvSpecSpectrumStoreDark));
        EXPECT_FALSE(script.wasAsked(res::mvSpecSpectrumScopeMode));
        spectrum->MDIActivate();
    }
    // Back in the spectrum window the keys work again.
    press(QKeySequence(QStringLiteral("Ctrl+D")));
    EXPECT_EQ(core.darkStored(), 1);
}

TEST_F(SpectrumWindowKeysTest, ARefusedVerifyMenuBlocksTheKeyAsItBlocksTheMenuItem)
{
    CHarluneSpectrumView& core = view->core();
    script.forbidden = {res::mvSpecSpectrumStoreDark};
    press(QKeySequence(QStringLiteral("Ctrl+D")));
    EXPECT_TRUE(script.wasAsked(res::mvSpecSpectrumStoreDark));
    EXPECT_EQ(core.darkStored(), 0);
    QAction* item = menuAction(frame->menuBar(), res::ID_STORE_DARK);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    script.asked.clear();
    item->trigger();
    EXPECT_TRUE(script.wasAsked(res::mvSpecSpectrumStoreDark));
    EXPECT_EQ(core.darkStored(), 0);

    script.forbidden.clear();
    press(QKeySequence(QStringLiteral("Ctrl+D")));
    EXPECT_EQ(core.darkStored(), 1);
}

TEST_F(SpectrumWindowKeysTest, KeysDoNothingUnderAModalDialogOrWithoutAChildFrame)
{
    CHarluneSpectrumView& core = view->core();
    // A modal box is up: the key goes to the box, never to the frame's commands.
    bool pressed = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr) {
            QTest::keyClick(modal, Qt::Key_D, Qt::ControlModifier);
            pressed = true;
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                box->done(QMessageBox::Ok);
        }
    });
    QMessageBox::information(frame, QStringLiteral("Harlune"), QStringLiteral("modal"));
    EXPECT_TRUE(pressed);
    EXPECT_EQ(core.darkStored(), 0);
    EXPECT_FALSE(script.wasAsked(res::mvSpecSpectrumStoreDark));

    // Without a child frame only the main frame's own keys are in force.
    spectrum->MDIDestroy();
    ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() == nullptr; }, 5000));
    for (const fw::Accelerator& key : frame->activeAccelerators())
        EXPECT_EQ(key.id, res::ID_FILE_NEW_SPECTRUM) << key.key;
    script.asked.clear();
    for (const char* key : {"Ctrl+D", "Ctrl+Shift+A", "Ctrl+Alt+D", "F2"})
        press(QKeySequence(QString::fromLatin1(key)));
    EXPECT_TRUE(script.asked.empty());
}

} // namespace
