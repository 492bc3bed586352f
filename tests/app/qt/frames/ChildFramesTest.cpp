#include "app/qt/ChildFrames.h"

#include "app/qt/FrameProfile.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/SpinControl.h"
#include "app/res/HarluneResources.h"
#include "app/res/MenuVerify.h"
#include "app/shell/INIFileSupport.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/framework/CmdUI.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/ControlIds.h"
#include "platform/framework/DialogBar.h"
#include "platform/framework/Resources.h"
#include "platform/framework/View.h"
#include "platform/framework/WindowMessages.h"
#include "tests/app/shell/ShellFakes.h"
#include "toolkit/widgets/COXBitmapButton.h"
#include "toolkit/widgets/COXCoolToolBar.h"
#include "toolkit/widgets/COXFontListBox.h"
#include "toolkit/widgets/COXTextLabel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPalette>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fw = platform::framework;
using Controls = SpectrumFrameControls;

namespace {

// A spectrum view for the frame's handlers: it keeps what they write.
class TestSpectrumView : public fw::View, public SpectrumFrameView
{
public:
    RegistrationRecord rec{};
    uint16_t adc = 4;
    uint32_t minimum = 1;
    uint32_t maximum = 65500;
    int strobe = 0;
    int led = 0;
    double setPoint = 0.0;
    int setPointPending = 0;
    int refills = 0;
    int scanStarts = 0;
    std::function<void()> onRefill;

    RegistrationRecord& record() override { return rec; }
    uint16_t adcType() override { return adc; }
    uint32_t integrationMinimum() override { return minimum; }
    uint32_t integrationMaximum() override { return maximum; }
    void setIntegrationLimits(uint32_t lo, uint32_t hi) override { minimum = lo, maximum = hi; }
    void setStrobeEnable(int value) override { strobe = value; }
    void setMavrinLampOn(int value) override { led = value; }
    void setMavrinModulation(int) override {}
    void setMavrinTemperatureReadOut(int) override {}
    void setTemperatureInCelsius(int) override {}
    void setCoolerOn(int) override {}
    void setCoolerStateSent(int) override {}
    void setCoolerSetPoint(double value) override { setPoint = value; }
    void setSetPointPending(int value) override { setPointPending = value; }
    void setHighGainMode(int) override {}
    void UpdateAcquisitionBar() override
    {
        ++refills;
        if (onRefill)
            onRefill();
    }
    void StartNextScan() override { ++scanStarts; }
    void SetXandelHighGain(int) override {}
    int32_t CallPavikNorrelLampOn(int32_t) override { return 0; }
    int32_t CallPavikNorrelSetVisLampOn(int32_t) override { return 0; }
    int32_t CallPavikNorrelSetShutterOpened(int32_t) override { return 0; }
    int32_t CallPavikNorrelStoreCurrentPotValues() override { return 0; }
    int32_t CallPavikNorrelSetVisLampIntensity(int32_t) override { return 0; }
    int32_t CallPavikNorrelSetUVLampIntensity(int32_t) override { return 0; }
};

class RecordingErrorLog : public platform::automation::ErrorLogSink
{
public:
    std::vector<std::string> descriptions;
    void logException(const char* description, const char*, int) override
    {
        descriptions.push_back(description != nullptr ? description : "");
    }
};

// A script whose VerifyMenu forbids the listed actions.
class ForbiddingScript : public ScriptHost
{
public:
    std::vector<int32_t> forbidden;
    bool definesVerifyMenu() override { return true; }
    std::optional<int32_t> callVerifyMenu(int32_t id) override
    {
        return std::find(forbidden.begin(), forbidden.end(), id) == forbidden.end() ? 1 : 0;
    }
    void reportError(const std::string&) override {}
    bool isRunning() override { return true; }
    void stop() override {}
};

class ChildFramesTest : public ::testing::Test
{
protected:
    ChildFramesTest()
    {
        fw::Resources& resources = fw::Resources::instance();
        resources.clear();
        resources.addMenus(app::res::menus());
        resources.addToolBars(app::res::toolBars());
        resources.addPrompts(app::res::prompts());
        main.resize(1200, 900);
        main.show();
    }
    ~ChildFramesTest() override { fw::Resources::instance().clear(); }

    // A new frame around a new view, created as the document template does.
    template <class Frame> Frame* open(fw::View* view)
    {
        auto* frame = new Frame();
        frame->setView(view);
        main.addChildFrame(frame);
        frame->hide();
        EXPECT_EQ(frame->OnCreate(), 0);
        frame->show();
        QApplication::processEvents();
        return frame;
    }
    CChildFrameSpectrum* openSpectrum(TestSpectrumView*& view)
    {
        view = new TestSpectrumView();
        return open<CChildFrameSpectrum>(view);
    }
    void closeFrame(fw::ChildFrame* frame)
    {
        frame->MDIDestroy();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    template <class T> T* control(fw::ChildFrame* frame, unsigned id)
    {
        T* found = dynamic_cast<T*>(fw::GetDlgItem(frame, id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    // Writes the text into a bar's edit and commits it with Return, as the user does.
    void commitText(fw::ChildFrame* frame, unsigned id, const QString& text)
    {
        QLineEdit* edit = control<QLineEdit>(frame, id);
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    bool updateChecked(fw::ChildFrame* frame, unsigned id)
    {
        fw::CmdUI ui(id);
        EXPECT_TRUE(frame->OnCmdMsg(id, &ui)) << id;
        return ui.check().value_or(-1) == 1;
    }

    RecordingDriver driver;
    MainFrameWidget main{driver, 77};
};

TEST_F(ChildFramesTest, SpectrumFrameBuildsItsBars)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    const struct
    {
        unsigned id;
        const char* title;
        bool toolBar;
    } bars[] = {
        {16105, "Acquisition Parameters", false}, {16100, "Spectrum Controls", true},
        {16103, "Spectral View Mode", true},      {16102, "Graph Scale", true},
        {16101, "Cursor Controls", true},         {16104, "Time Acquisition", true},
        {16106, "USB-Mavrin Controls", false},    {16107, "Wessor/Ulmar Controls", false},
        {16108, "USB-Norrel Controls", false},    {16109, "Quintar", false},
    };
    for (const auto& bar : bars) {
        SCOPED_TRACE(bar.title);
        QWidget* widget = frame->controlBar(bar.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->windowTitle(), QString::fromUtf8(bar.title));
        EXPECT_FALSE(widget->isHidden());
        if (bar.toolBar) {
            auto* toolBar = qobject_cast<QToolBar*>(widget);
            ASSERT_NE(toolBar, nullptr);
            EXPECT_EQ(toolBar->allowedAreas(), Qt::AllToolBarAreas);
            // "Time Acquisition" starts a row; the other four share one.
            EXPECT_EQ(frame->barHost()->toolBarBreak(toolBar), bar.id == 16104);
        } else {
            auto* dialogBar = dynamic_cast<fw::DialogBar*>(widget);
            ASSERT_NE(dialogBar, nullptr);
            EXPECT_EQ(dialogBar->allowedAreas(), Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
        }
    }
    ASSERT_NE(frame->frameStatusBar(), nullptr);
    EXPECT_FALSE(frame->frameStatusBar()->isHidden());
    // The view sits inside the frame and keeps the focus when the frame is activated.
    EXPECT_EQ(view->GetParentFrame(), frame);
    EXPECT_EQ(frame->GetActiveView(), view);
    QApplication::setActiveWindow(&main);
    frame->MDIActivate();
    QApplication::processEvents();
    // The first edit of a bar does not take it (its blinking cursor would keep the program
    // awake).
    EXPECT_EQ(dynamic_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);

    // Controls that start hidden.
    for (unsigned id : {1578u, 1579u, 1594u, 1589u, 1593u, 1587u})
        EXPECT_TRUE(control<QWidget>(frame, id)->isHidden()) << id;
    for (unsigned spin : {1583u, 1587u}) {
        EXPECT_EQ(control<SpinControl>(frame, spin)->lower(), 0);
        EXPECT_EQ(control<SpinControl>(frame, spin)->upper(), 63);
    }
}

TEST_F(ChildFramesTest, QuintarBarHoldsFiveButtonsAndTheLabel)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    const struct
    {
        unsigned command;
        const char* caption;
        int left, right;
    } buttons[] = {{33089, "Scan", 4, 93},
                   {32817, "Reference", 93, 202},
                   {32796, "Absorbance", 202, 321},
                   {32797, "Transmission", 321, 450},
                   {33086, "Concentration", 450, 589}};
    QWidget* quintar = frame->controlBar(16109);
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.caption);
        auto* button = dynamic_cast<COXBitmapButton*>(fw::GetDlgItem(quintar, b.command));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(button->geometry(), QRect(b.left, 5, b.right - b.left, 40));
        EXPECT_TRUE(button->GetFlatLook());
        EXPECT_TRUE(button->IsToolTipEnabled());
        EXPECT_FALSE(button->toolTipText().empty());
        // Each button shows its shipped image.
        EXPECT_EQ(button->imageCount(), 3);
        EXPECT_FALSE(button->image(0).isNull());
    }
    COXTextLabel* label = frame->quintarLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(dynamic_cast<COXTextLabel*>(fw::GetDlgItem(quintar, 1650)), label);
    EXPECT_EQ(label->geometry(), QRect(589, 5, 185, 40));
    EXPECT_TRUE(label->text().isEmpty());
    EXPECT_TRUE(label->GetText().empty());
}

TEST_F(ChildFramesTest, ScanButtonShowsItsShippedImageGreyAtRestAndColouredWhileHot)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    QWidget* quintar = frame->controlBar(16109);
    auto* scan = dynamic_cast<COXBitmapButton*>(fw::GetDlgItem(quintar, 33089));
    ASSERT_NE(scan, nullptr);
    const QImage normal = scan->image(0).toImage();
    const QImage grey = scan->image(1).toImage();
    ASSERT_FALSE(normal.isNull());
    ASSERT_FALSE(grey.isNull());
    // The magenta corner is transparent; the grey copy has only grey levels.
    EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0);
    bool coloured = false;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb p = grey.pixel(x, y);
            if (qAlpha(p) == 255) {
                EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
            }
            const QRgb n = normal.pixel(x, y);
            coloured = coloured || (qAlpha(n) == 255 && qBlue(n) != qRed(n));
        }
    EXPECT_TRUE(coloured);
    EXPECT_EQ(scan->imageIndex(scan->itemState()), 1);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(scan, &enter);
    EXPECT_TRUE(scan->isHot());
    EXPECT_EQ(scan->imageIndex(scan->itemState()), 0);
    EXPECT_FALSE(scan->toolTipText().empty());
}

TEST(ShippedBitmapsTest, FontTypeImagesComeFromTheProgramsResources)
{
    COXFontListBox box;
    ASSERT_EQ(box.GetImageList().size(), 2u);
    for (const QPixmap& image : box.GetImageList()) {
        EXPECT_EQ(image.width(), 16);
        // The light grey background is transparent.
        EXPECT_EQ(qAlpha(image.toImage().pixel(0, 0)), 0);
    }
}

TEST_F(ChildFramesTest, QuintarLabelTakesTheAutomationSetters)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    COXTextLabel* label = frame->quintarLabel();
    ASSERT_NE(label, nullptr);
    const QColor face = frame->controlBar(16109)->palette().color(QPalette::Button);
    EXPECT_EQ(label->GetBkColor(),
              fw::RGB(static_cast<unsigned>(face.red()), static_cast<unsigned>(face.green()),
                      static_cast<unsigned>(face.blue())));
    EXPECT_TRUE(label->SetBkColor(fw::RGB(0, 128, 0), false));
    EXPECT_TRUE(label->SetTextColor(fw::RGB(255, 255, 0), false));
    EXPECT_TRUE(label->SetFontHeight(-20, false));
    EXPECT_TRUE(label->SetFontName("DejaVu Sans", false));
    EXPECT_TRUE(label->SetText("Scanning", true));
    EXPECT_EQ(label->GetDisplayText(), "Scanning");
    EXPECT_EQ(label->GetFontName(), "DejaVu Sans");
    EXPECT_EQ(label->labelFont().pixelSize(), 20);
    const QImage shown = label->renderToImage();
    EXPECT_EQ(shown.pixel(2, 2), qRgb(0, 128, 0));
    bool yellow = false;
    for (int y = 0; y < shown.height() && !yellow; ++y)
        for (int x = 0; x < shown.width() && !yellow; ++x)
            yellow = shown.pixel(x, y) == qRgb(255, 255, 0);
    EXPECT_TRUE(yellow);
}

TEST_F(ChildFramesTest, BarAndStatusBarCommandsShowAndHide)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    for (unsigned id = 16100; id <= 16109; ++id) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(updateChecked(frame, id));
        EXPECT_TRUE(frame->executeCommand(id));
        EXPECT_TRUE(frame->controlBar(id)->isHidden());
        EXPECT_FALSE(updateChecked(frame, id));
        EXPECT_TRUE(frame->executeCommand(id));
        EXPECT_FALSE(frame->controlBar(id)->isHidden());
    }
    EXPECT_TRUE(updateChecked(frame, 32814));
    EXPECT_TRUE(frame->executeCommand(32814));
    EXPECT_TRUE(frame->frameStatusBar()->isHidden());
    EXPECT_FALSE(updateChecked(frame, 32814));
}

TEST_F(ChildFramesTest, AcquisitionBarControlsReachTheView)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);

    // A value reaches the view when it is committed, and then starts its next scan.
    control<QLineEdit>(frame, 1006)->setText("250");
    EXPECT_EQ(view->rec.integration, 0);
    EXPECT_EQ(view->scanStarts, 0);
    QTest::keyClick(control<QLineEdit>(frame, 1006), Qt::Key_Return);
    EXPECT_EQ(view->rec.integration, 250);
    EXPECT_EQ(view->scanStarts, 1);
    // Committed again unchanged: nothing more starts.
    QTest::keyClick(control<QLineEdit>(frame, 1006), Qt::Key_Return);
    EXPECT_EQ(view->scanStarts, 1);
    control<SpinControl>(frame, 1007)->step(1);
    EXPECT_EQ(view->rec.integration, 251);
    EXPECT_EQ(view->refills, 1);
    EXPECT_EQ(view->scanStarts, 2);

    commitText(frame, 1009, "3");
    control<SpinControl>(frame, 1010)->step(1);
    EXPECT_EQ(control<QLineEdit>(frame, 1009)->text(), QStringLiteral("4"));
    EXPECT_EQ(view->rec.scansToAverage, 4);
    EXPECT_EQ(view->scanStarts, 4);

    // A BrontelUSB strobe frequency stops at 255, in the record and in the edit.
    view->adc = 7;
    commitText(frame, 1017, "300");
    EXPECT_EQ(view->rec.flashDelay, 255);
    EXPECT_EQ(control<QLineEdit>(frame, 1017)->text(), QStringLiteral("255"));

    // Strobe/Lamp Enable ticks LED On and the other way round.
    control<QCheckBox>(frame, 1019)->click();
    EXPECT_EQ(view->strobe, 1);
    EXPECT_EQ(view->rec.strobeFlashSelect, 1);
    EXPECT_TRUE(control<QCheckBox>(frame, 1542)->isChecked());
    control<QCheckBox>(frame, 1542)->click();
    EXPECT_EQ(view->led, 0);
    EXPECT_EQ(view->strobe, 0);
    EXPECT_FALSE(control<QCheckBox>(frame, 1019)->isChecked());

    // The unit choices, and their update handlers at idle.
    control<QRadioButton>(frame, 1596)->click();
    EXPECT_EQ(view->rec.microsecondFlag, 1);
    EXPECT_EQ(control<SpinControl>(frame, 1007)->upper(), 655000);
    frame->controls().setMicrosecondsEnabled(0);
    fw::SendMessageToDescendants(frame, fw::WM_IDLEUPDATECMDUI, 1, 0);
    EXPECT_TRUE(control<QRadioButton>(frame, 1596)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(frame, 1596)->isEnabled());
    frame->ResetIntegrationTimeRange();
    EXPECT_EQ(view->rec.microsecondFlag, 0);
    fw::SendMessageToDescendants(frame, fw::WM_IDLEUPDATECMDUI, 1, 0);
    EXPECT_TRUE(control<QRadioButton>(frame, 1597)->isChecked());
    EXPECT_TRUE(control<QRadioButton>(frame, 1597)->isEnabled());

    // The set point is read when its edit loses focus.
    QLineEdit* setPoint = control<QLineEdit>(frame, 1581);
    setPoint->setText("-5.5");
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(setPoint, &focusOut);
    EXPECT_EQ(view->setPoint, -5.5);
    EXPECT_EQ(view->setPointPending, 1);
}

// Typing into the acquisition edits: a number is clamped to the window's limits as the spin
// clamps its steps, a slip keeps the value, and on Return the edit shows what the window keeps.
TEST_F(ChildFramesTest, AcquisitionEditsClampTypedValuesAndShowWhatTheyKeep)
{
    struct Field
    {
        const char* name;
        unsigned edit;
        int microseconds;
        std::function<long long(const RegistrationRecord&)> read;
        long long lower;
        long long upper;
    };
    const Field fields[] = {
        {"integration ms", 1006, 0, [](const RegistrationRecord& r) { return r.integration; }, 3,
         65500},
        {"integration us", 1006, 1,
         [](const RegistrationRecord& r) { return r.microsecondIntegrationTime; }, 10, 655000},
        {"averages", 1009, 0, [](const RegistrationRecord& r) { return r.scansToAverage; }, 1,
         9999},
        {"boxcar", 1012, 0, [](const RegistrationRecord& r) { return r.boxcarHalfWidth; }, 0, 500},
        {"flash delay", 1017, 0, [](const RegistrationRecord& r) { return r.flashDelay; }, 0,
         32767},
    };
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    for (const Field& f : fields) {
        view->rec.microsecondFlag = f.microseconds;
        view->minimum = f.microseconds ? 10 : 3;
        view->maximum = f.microseconds ? 655000 : 65500;
        QLineEdit* edit = control<QLineEdit>(frame, f.edit);
        // Each case starts from 42 in the edit and the record.
        const auto type = [&](const QString& text) {
            commitText(frame, f.edit, "42");
            ASSERT_EQ(f.read(view->rec), 42);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        const struct
        {
            QString typed;
            long long kept;
        } cases[] = {
            {"0", std::max(0LL, f.lower)},
            {"-5", f.lower},
            {"abc", 42},
            {"", 42},
            // A slip typed after a number is no number: the window keeps its value.
            {"12x", 42},
            {"999999", f.upper},
            {QString::number(f.lower), f.lower},
            {QString::number(f.lower - 1), f.lower},
            {QString::number(f.upper), f.upper},
            {QString::number(f.upper + 1), f.upper},
            {" 77 ", 77},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(f.name) + " \"" + c.typed.toStdString() + "\"");
            type(c.typed);
            EXPECT_EQ(f.read(view->rec), c.kept);
            EXPECT_EQ(edit->text(), QString::number(c.kept));
        }
    }
}

// A dialog open over the view may use the ids of the bars' controls ("Use usec Integration
// Time" is 1596, as the bar's "usec" is): the bar refresh writes the bar's controls only.
TEST_F(ChildFramesTest, BarRefreshLeavesADialogsControlOfTheSameIdAlone)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    QDialog dialog(view);
    auto* check = new QCheckBox(QStringLiteral("Use usec Integration Time"), &dialog);
    fw::setControlId(check, 1596);
    auto* edit = new QLineEdit(QStringLiteral("5"), &dialog);
    fw::setControlId(edit, 1006);
    dialog.show();
    frame->barWindow().setText(1596, "usec");
    frame->barWindow().setText(1006, "250");
    frame->barWindow().setCheck(1596, true);
    EXPECT_EQ(check->text(), QStringLiteral("Use usec Integration Time"));
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(edit->text(), QStringLiteral("5"));
    EXPECT_EQ(control<QLineEdit>(frame, 1006)->text(), QStringLiteral("250"));
    auto* radio = dynamic_cast<QRadioButton*>(
        fw::GetDlgItem(frame->controlBar(CChildFrameSpectrum::IDD_ACQUISITION_PARAMETERS), 1596));
    ASSERT_NE(radio, nullptr);
    EXPECT_TRUE(radio->isChecked());
}

TEST_F(ChildFramesTest, SpinInOneWindowDoesNotSwallowAnEditInAnother)
{
    TestSpectrumView* viewA = nullptr;
    TestSpectrumView* viewB = nullptr;
    CChildFrameSpectrum* a = openSpectrum(viewA);
    CChildFrameSpectrum* b = openSpectrum(viewB);
    viewA->rec.integration = 100;
    // The refill writes the value back into the edit, as the view's bar refresh does.
    viewA->onRefill = [&] {
        control<QLineEdit>(a, 1006)->setText(QString::number(viewA->rec.integration));
    };
    control<SpinControl>(a, 1007)->step(1);
    EXPECT_EQ(viewA->rec.integration, 101);
    commitText(b, 1006, "42");
    EXPECT_EQ(viewB->rec.integration, 42);
    commitText(a, 1006, "77");
    EXPECT_EQ(viewA->rec.integration, 77);
}

TEST_F(ChildFramesTest, ScriptForbidsBarsAndSpins)
{
    ForbiddingScript script;
    script.forbidden = {app::res::mvSpecViewToggleToolbars, app::res::mvSpecViewMainStatusBar,
                        app::res::mvAcquisitionParametersAverage,
                        app::res::mvAcquisitionParametersIntegrationTime,
                        app::res::mvAcquisitionParametersStrobeEnable};
    main.core().setScriptHost(&script);
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);

    frame->executeCommand(16107);
    EXPECT_FALSE(frame->controlBar(16107)->isHidden());
    frame->executeCommand(32814);
    EXPECT_FALSE(frame->frameStatusBar()->isHidden());

    commitText(frame, 1009, "3");
    control<SpinControl>(frame, 1010)->step(1);
    EXPECT_EQ(control<QLineEdit>(frame, 1009)->text(), QStringLiteral("3"));
    view->rec.integration = 100;
    control<SpinControl>(frame, 1007)->step(1);
    EXPECT_EQ(view->rec.integration, 100);
    EXPECT_EQ(view->refills, 0);
    control<QCheckBox>(frame, 1019)->click();
    EXPECT_EQ(view->strobe, 0);
    // What the script allows still runs.
    control<SpinControl>(frame, 1013)->step(1);
    EXPECT_EQ(control<QLineEdit>(frame, 1012)->text(), QStringLiteral("1"));
    main.core().setScriptHost(nullptr);
}

TEST_F(ChildFramesTest, FaultInAHandlerIsReportedAndEndsOnlyTheHandler)
{
    RecordingErrorLog log;
    platform::automation::setErrorLogSink(&log);
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    view->rec.integration = 100;
    view->onRefill = [] { throw std::runtime_error("refill"); };
    control<SpinControl>(frame, 1007)->step(1);
    platform::automation::setErrorLogSink(nullptr);
    EXPECT_EQ(log.descriptions.size(), 1u);
    EXPECT_EQ(view->rec.integration, 101);
    commitText(frame, 1006, "60");
    EXPECT_EQ(view->rec.integration, 60);
}

TEST_F(ChildFramesTest, NorrelUvControlsFollowManufacturingExtensions)
{
    for (int enabled : {0, 1}) {
        SCOPED_TRACE(enabled);
        CINIFileSupport(nullptr, 1)
            .WriteUInt("Preferences", "ManufacturingExtensionsEnabled",
                       static_cast<unsigned>(enabled));
        main.readSettings();
        TestSpectrumView* view = nullptr;
        CChildFrameSpectrum* frame = openSpectrum(view);
        for (unsigned id : {1589u, 1593u, 1587u})
            EXPECT_EQ(control<QWidget>(frame, id)->isHidden(), enabled == 0) << id;
        closeFrame(frame);
    }
}

TEST_F(ChildFramesTest, BarStateIsKeptAcrossWindows)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* first = openSpectrum(view);
    first->executeCommand(16107);
    first->executeCommand(16102);
    closeFrame(first);
    ASSERT_TRUE(frame_profile::readBinary("SpectrumBars", "State"));
    for (const char* name :
         {"SpectrumSpectrum", "SpectrumView", "SpectrumScale", "SpectrumCursor", "SpectrumTime"})
        EXPECT_TRUE(frame_profile::readText(std::string("BarStates\\") + name, "Buttons")) << name;

    CChildFrameSpectrum* second = openSpectrum(view);
    EXPECT_TRUE(second->controlBar(16107)->isHidden());
    EXPECT_TRUE(second->controlBar(16102)->isHidden());
    EXPECT_FALSE(second->controlBar(16105)->isHidden());
}

TEST_F(ChildFramesTest, SpectrumToolBarsShowImagesAndKeepTheirProperties)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* first = openSpectrum(view);
    for (unsigned id = 16100; id <= 16104; ++id) {
        SCOPED_TRACE(id);
        auto* bar = dynamic_cast<COXCoolToolBar*>(first->controlBar(id));
        ASSERT_NE(bar, nullptr);
        for (QAction* action : bar->actions())
            if (!action->isSeparator()) {
                EXPECT_FALSE(action->icon().isNull()) << action->data().toUInt();
            }
        bar->SetIndent(static_cast<int>(id - 16100 + 1));
        bar->SetSeparator(false);
    }
    closeFrame(first);

    CChildFrameSpectrum* second = openSpectrum(view);
    for (unsigned id = 16100; id <= 16104; ++id) {
        SCOPED_TRACE(id);
        auto* bar = dynamic_cast<COXCoolToolBar*>(second->controlBar(id));
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->GetIndent(), static_cast<int>(id - 16100 + 1));
        EXPECT_FALSE(bar->IsSeparator());
    }
}

TEST_F(ChildFramesTest, UnreadableBarStateIsLoggedAndDefaultsKept)
{
    RecordingErrorLog log;
    platform::automation::setErrorLogSink(&log);
    ASSERT_TRUE(frame_profile::writeBinary("SpectrumBars", "State", {1, 2, 3, 4, 5}));
    ASSERT_TRUE(frame_profile::writeBinary("GraphBars", "State", {9, 9}));
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    open<CChildGraphFrame>(new fw::View());
    platform::automation::setErrorLogSink(nullptr);
    const std::string text = "Error loading toolbars.  This error is common the first time you "
                             "run Harlune after upgrade.";
    EXPECT_EQ(log.descriptions, (std::vector<std::string>{text, text}));
    EXPECT_FALSE(frame->controlBar(16107)->isHidden());
}

TEST_F(ChildFramesTest, GraphFrameHasItsToolBar)
{
    auto* frame = open<CChildGraphFrame>(new fw::View());
    ASSERT_NE(frame->toolBar(), nullptr);
    EXPECT_EQ(frame->toolBar()->windowTitle(), QStringLiteral("Graph Functions"));
    EXPECT_EQ(frame->toolBar()->objectName(), QStringLiteral("id16200"));
    EXPECT_FALSE(frame->toolBar()->isHidden());
    frame->toolBar()->hide();
    closeFrame(frame);
    EXPECT_TRUE(frame_profile::readText("BarStates\\GraphMain", "Buttons"));
    EXPECT_TRUE(frame_profile::readBinary("GraphBars", "State"));

    auto* again = open<CChildGraphFrame>(new fw::View());
    ASSERT_NE(again->toolBar(), nullptr);
    EXPECT_TRUE(again->toolBar()->isHidden());
}

TEST_F(ChildFramesTest, ContextMenuTogglesABar)
{
    TestSpectrumView* view = nullptr;
    CChildFrameSpectrum* frame = openSpectrum(view);
    std::vector<std::string> items;
    // Choose "&Wessor/Ulmar" by its mnemonic once the pop-up is up.
    QTimer::singleShot(0, [&items] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        for (QAction* action : menu->actions())
            items.push_back(action->text().toStdString());
        QKeyEvent key(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, QStringLiteral("w"));
        QApplication::sendEvent(menu, &key);
    });
    frame->showBarMenu(frame->mapToGlobal(QPoint(10, 10)));
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items.front(), "&Acquisition Parameters");
    EXPECT_EQ(items.back(), "&Quintar");
    EXPECT_TRUE(frame->controlBar(16107)->isHidden());
}

TEST_F(ChildFramesTest, GraphAndGridFramesKeepTheirPlacement)
{
    const struct
    {
        const char* entry;
        std::function<fw::ChildFrame*()> open;
    } cases[] = {
        {"GraphWindowPos", [this] { return open<CChildGraphFrame>(new fw::View()); }},
        {"GridWindowPos", [this] { return open<CChildGridFrame>(new fw::View()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        fw::ChildFrame* frame = c.open();
        frame->setGeometry(30, 40, 400, 300);
        QApplication::processEvents();
        closeFrame(frame);
        const auto text = frame_profile::readText("MainWindowSize", c.entry);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->rfind("0,1,", 0), 0u) << *text;

        fw::ChildFrame* again = c.open();
        EXPECT_EQ(again->geometry(), QRect(30, 40, 400, 300));
        again->showMaximized();
        QApplication::processEvents();
        closeFrame(again);
        EXPECT_EQ(frame_profile::readText("MainWindowSize", c.entry)->rfind("2,3,", 0), 0u);
    }
}

TEST_F(ChildFramesTest, MalformedPlacementLeavesTheDefault)
{
    ASSERT_TRUE(frame_profile::writeText("MainWindowSize", "GridWindowPos", "1,2,3"));
    auto* frame = open<CChildGridFrame>(new fw::View());
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_GT(frame->width(), 0);
}

} // namespace
