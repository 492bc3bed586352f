#include "app/qt/ChildFrameSpectrum.h"

#include "app/qt/FrameProfile.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/SpectrumViewBarAdapter.h"
#include "app/qt/SpinControl.h"
#include "app/res/MenuVerify.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/framework/CmdUI.h"
#include "platform/framework/ControlIds.h"
#include "platform/framework/DialogBar.h"
#include "platform/framework/Menu.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "platform/framework/View.h"
#include "platform/win/Log.h"
#include "toolkit/widgets/COXBitmapButton.h"
#include "toolkit/widgets/COXCoolToolBar.h"
#include "toolkit/widgets/COXTextLabel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>

#include <exception>
#include <source_location>

namespace fw = platform::framework;
using Controls = SpectrumFrameControls;

namespace {

constexpr const char* kSpectrumFrameModule = "childframe";
constexpr unsigned kPopupToolBars = 227;
constexpr const char* kSpectrumFrameBarStateSection = "SpectrumBars";
constexpr const char* kSpectrumFrameBarStateEntry = "State";
constexpr const char* kSpectrumFrameBarStateError =
    "Error loading toolbars.  This error is common the first time you run Harlune after upgrade.";

// A handler is a boundary: a fault is reported to the error log and ends the handler, never
// the program.
template <class F>
void spectrumFrameGuarded(F&& body, std::source_location where = std::source_location::current())
{
    try {
        body();
    } catch (const std::exception& error) {
        platform::win::logError(kSpectrumFrameModule, "bar handler: %s", error.what());
        platform::automation::reportHandlerException("ChildFrameSpectrum",
                                                     static_cast<int>(where.line()));
    } catch (...) {
        platform::automation::reportHandlerException("ChildFrameSpectrum",
                                                     static_cast<int>(where.line()));
    }
}

struct ToolBarSpec
{
    unsigned id;
    const char* title;
    // The bar's state under "BarStates".
    const char* stateName;
};

// In creation order.
constexpr ToolBarSpec kToolBars[] = {
    {CChildFrameSpectrum::IDR_SPECTRUM_CONTROLS, "Spectrum Controls", "SpectrumSpectrum"},
    {CChildFrameSpectrum::IDR_SPECTRAL_VIEW_MODE, "Spectral View Mode", "SpectrumView"},
    {CChildFrameSpectrum::IDR_GRAPH_SCALE, "Graph Scale", "SpectrumScale"},
    {CChildFrameSpectrum::IDR_CURSOR_CONTROLS, "Cursor Controls", "SpectrumCursor"},
    {CChildFrameSpectrum::IDR_TIME_ACQUISITION, "Time Acquisition", "SpectrumTime"},
};

// The Quintar bar's buttons: caption, command, bitmap and horizontal extent (pixels).
struct QuintarButton
{
    const char* caption;
    unsigned command;
    unsigned bitmap;
    int left;
    int right;
};

constexpr QuintarButton kQuintarButtons[] = {
    {"Scan", 33089, 238, 4, 93},
    {"Reference", 32817, 233, 93, 202},
    {"Absorbance", 32796, 235, 202, 321},
    {"Transmission", 32797, 236, 321, 450},
    {"Concentration", 33086, 237, 450, 589},
};
constexpr int kQuintarTop = 5;
constexpr int kQuintarBottom = 45;
constexpr fw::RECT kQuintarLabelRect{589, kQuintarTop, 774, kQuintarBottom};

fw::COLORREF colorRef(const QColor& color)
{
    return fw::RGB(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
                   static_cast<unsigned>(color.blue()));
}

// Builds the controls of a dialog bar in one row.
class BarRow
{
public:
    explicit BarRow(fw::DialogBar& bar) : m_bar(bar), m_layout(new QHBoxLayout(bar.panel()))
    {
        m_layout->setContentsMargins(4, 2, 4, 2);
    }
    ~BarRow() { m_layout->addStretch(1); }

    QLabel* label(const char* text, unsigned id = 0)
    {
        auto* control = new QLabel(QString::fromUtf8(text), m_bar.panel());
        if (id != 0)
            fw::setControlId(control, id);
        m_layout->addWidget(control);
        return control;
    }
    QLineEdit* edit(unsigned id, int widthChars = 7)
    {
        auto* control = new QLineEdit(m_bar.panel());
        control->setFixedWidth(
            control->fontMetrics().horizontalAdvance(QLatin1Char('0')) * widthChars + 12);
        m_bar.addControl(control, id);
        m_layout->addWidget(control);
        return control;
    }
    SpinControl* spin(unsigned id, QLineEdit* buddy, bool setBuddyInt)
    {
        auto* control = new SpinControl(m_bar.panel());
        control->setBuddy(buddy, setBuddyInt);
        m_bar.addControl(control, id);
        m_layout->addWidget(control);
        return control;
    }
    QCheckBox* check(unsigned id, const char* text)
    {
        auto* control = new QCheckBox(QString::fromUtf8(text), m_bar.panel());
        m_bar.addControl(control, id);
        m_layout->addWidget(control);
        return control;
    }
    QRadioButton* radio(unsigned id, const char* text)
    {
        auto* control = new QRadioButton(QString::fromUtf8(text), m_bar.panel());
        m_bar.addControl(control, id);
        m_layout->addWidget(control);
        return control;
    }
    QAbstractButton* button(unsigned id, const char* text)
    {
        auto* control = new QPushButton(QString::fromUtf8(text), m_bar.panel());
        m_bar.addControl(control, id);
        m_layout->addWidget(control);
        return control;
    }

private:
    fw::DialogBar& m_bar;
    QHBoxLayout* m_layout;
};

} // namespace

CChildFrameSpectrum::CChildFrameSpectrum(QWidget* parent) : ChildFrame(parent)
{
    m_controls = std::make_unique<SpectrumFrameControls>(
        static_cast<SpectrumFrameBarWindow&>(*this), [this] { return activeFrameView(); },
        [this](int32_t action) { return verify(action); });
    installCommands();
}

CChildFrameSpectrum::~CChildFrameSpectrum()
{
    // The base class takes the focus away from an edit of the bars after the handlers are
    // gone: the edits' "finished" reports end here.
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        QObject::disconnect(edit, &QLineEdit::editingFinished, this, nullptr);
}

SpectrumFrameView* CChildFrameSpectrum::activeFrameView()
{
    fw::View* view = GetActiveView();
    if (auto* direct = dynamic_cast<SpectrumFrameView*>(view))
        return direct;
    auto* spectrum = dynamic_cast<SpectrumViewWidget*>(view);
    if (spectrum == nullptr || !spectrum->isReady())
        return nullptr;
    if (!m_viewAdapter || &m_viewAdapter->view() != &spectrum->core())
        m_viewAdapter = std::make_unique<SpectrumViewBarAdapter>(spectrum->core());
    return m_viewAdapter.get();
}

int32_t CChildFrameSpectrum::verify(int32_t action)
{
    if (auto* main = dynamic_cast<MainFrameWidget*>(GetMDIFrame()))
        return main->core().VerifyCommand(action);
    return 1;
}

bool CChildFrameSpectrum::manufacturingExtensionsEnabled()
{
    auto* main = dynamic_cast<MainFrameWidget*>(GetMDIFrame());
    return main != nullptr && main->allPreferences().ManufacturingExtensionsEnabled != 0;
}

int CChildFrameSpectrum::OnCreate()
{
    // The view moves into a window of its own that docks the bars around it.
    QWidget* view = widget();
    m_barHost = new QMainWindow(nullptr, Qt::Widget);
    // The frame takes the size the MDI area gives it (maximised, tiled) even when its bars
    // would want more: the bars are clipped then (fitBars), instead of the frame running on
    // under the main window's docked bars.
    m_barHost->setMinimumSize(1, 1);
    m_barHost->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_barHost->installEventFilter(this);
    if (view != nullptr) {
        m_barHost->setCentralWidget(view);
        // An activated frame gives the focus to its view, not to the first edit of a bar.
        m_barHost->setFocusPolicy(Qt::StrongFocus);
        m_barHost->setFocusProxy(view);
    }
    setWidget(m_barHost);

    m_barHost->statusBar()->setVisible(true);
    createDialogBars();
    createToolBars();

    // The Norrel intensities go from 0 to 63.
    setSpinRange(Controls::IDC_NORREL_VIS_SPIN, 0, 63);
    setSpinRange(Controls::IDC_NORREL_UV_SPIN, 0, 63);

    loadBarStates();

    if (manufacturingExtensionsEnabled()) {
        for (unsigned id : {Controls::IDC_NORREL_UV_INTENSITY, Controls::IDC_NORREL_UV_TEXT,
                            Controls::IDC_NORREL_UV_SPIN})
            if (QWidget* control = barControl(id))
                control->setHidden(false);
    }
    return 0;
}

void CChildFrameSpectrum::OnDestroy()
{
    saveBarStates();
}

void CChildFrameSpectrum::createToolBars()
{
    for (const ToolBarSpec& spec : kToolBars) {
        COXCoolToolBar* bar = COXCoolToolBar::Create(
            m_barHost, COXCoolToolBar::WS_VISIBLE | COXCoolToolBar::TBSTYLE_FLAT, spec.id,
            [this]() -> fw::CommandTarget* { return this; });
        if (bar == nullptr)
            continue;
        bar->setWindowTitle(QString::fromUtf8(spec.title));
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        m_bars[spec.id] = bar;
    }
    // "Time Acquisition" keeps a row of its own; the other four share one.
    if (auto* time = toolBar(IDR_TIME_ACQUISITION))
        m_barHost->insertToolBarBreak(time);
    if (auto* view = toolBar(IDR_SPECTRAL_VIEW_MODE))
        view->DockBeside(toolBar(IDR_SPECTRUM_CONTROLS));
    if (auto* scale = toolBar(IDR_GRAPH_SCALE))
        scale->DockBeside(toolBar(IDR_SPECTRAL_VIEW_MODE));
    if (auto* cursor = toolBar(IDR_CURSOR_CONTROLS))
        cursor->DockBeside(toolBar(IDR_GRAPH_SCALE));
}

COXCoolToolBar* CChildFrameSpectrum::toolBar(unsigned id) const
{
    return dynamic_cast<COXCoolToolBar*>(controlBar(id));
}

void CChildFrameSpectrum::createDialogBars()
{
    const struct
    {
        unsigned id;
        const char* title;
        void (CChildFrameSpectrum::*fill)(fw::DialogBar&);
    } bars[] = {
        {IDD_ACQUISITION_PARAMETERS, "Acquisition Parameters",
         &CChildFrameSpectrum::createAcquisitionControls},
        {IDD_USB_MAVRIN, "USB-Mavrin Controls", &CChildFrameSpectrum::createMavrinControls},
        {IDD_WESSOR_ULMAR, "Wessor/Ulmar Controls", &CChildFrameSpectrum::createWessorControls},
        {IDD_USB_NORREL, "USB-Norrel Controls", &CChildFrameSpectrum::createNorrelControls},
        {IDD_QUINTAR, "Quintar", &CChildFrameSpectrum::createQuintarControls},
    };
    for (const auto& spec : bars) {
        auto* bar = new fw::DialogBar(
            spec.id, spec.title, [this]() -> fw::CommandTarget* { return this; }, m_barHost);
        // Bars are shown and hidden through the frame's commands, not closed.
        bar->setFeatures((bar->features() & QDockWidget::DockWidgetVerticalTitleBar) |
                         QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        (this->*spec.fill)(*bar);
        m_barHost->addDockWidget(Qt::TopDockWidgetArea, bar, Qt::Vertical);
        m_bars[spec.id] = bar;
    }
}

void CChildFrameSpectrum::createAcquisitionControls(fw::DialogBar& bar)
{
    BarRow row(bar);
    row.label("Integ. Time", 1304);
    QLineEdit* integration = row.edit(Controls::IDC_INTEGRATION_TIME);
    SpinControl* integrationSpin = row.spin(Controls::IDC_INTEGRATION_SPIN, integration, false);
    row.radio(Controls::IDC_USEC, "usec");
    row.radio(Controls::IDC_MSEC, "msec");
    row.label("Average");
    QLineEdit* average = row.edit(Controls::IDC_AVERAGE);
    SpinControl* averageSpin = row.spin(Controls::IDC_AVERAGE_SPIN, average, true);
    row.label("Boxcar");
    QLineEdit* boxcar = row.edit(Controls::IDC_BOXCAR);
    SpinControl* boxcarSpin = row.spin(Controls::IDC_BOXCAR_SPIN, boxcar, true);
    row.label("Strobe Freq. (msec)");
    QLineEdit* strobe = row.edit(Controls::IDC_STROBE_FREQUENCY);
    SpinControl* strobeSpin = row.spin(Controls::IDC_STROBE_FREQUENCY_SPIN, strobe, true);
    row.check(Controls::IDC_STROBE_ENABLE, "Strobe/Lamp Enable");
    row.check(Controls::IDC_CORRECT_DARK, "Correct for Elect. Dark");

    integrationSpin->SetRange32(1, 65500);
    averageSpin->SetRange32(1, 9999);
    boxcarSpin->SetRange32(0, 500);
    strobeSpin->SetRange32(0, 655000);

    SpectrumFrameControls& controls = *m_controls;
    integrationSpin->setDeltaHandler([&controls](int delta) {
        bool allowed = false;
        spectrumFrameGuarded([&] { allowed = controls.OnIntegrationSpin(delta); });
        return allowed;
    });
    // A value counts when it is committed: Enter, the edit left, or a step of its spin. The
    // keys on the way to a number change nothing.
    const auto commit = [&controls](QLineEdit* edit) {
        spectrumFrameGuarded(
            [&] { controls.OnEditCommitted(fw::controlId(edit), edit->text().toStdString()); });
    };
    const struct
    {
        SpinControl* spin;
        QLineEdit* edit;
    } spins[] = {{averageSpin, average}, {boxcarSpin, boxcar}, {strobeSpin, strobe}};
    for (const auto& pair : spins) {
        pair.spin->setDeltaHandler(
            [&controls, id = fw::controlId(pair.spin)](int) { return controls.allowSpin(id); });
        pair.spin->setSteppedHandler([commit, edit = pair.edit] { commit(edit); });
    }
    for (QLineEdit* edit : {integration, average, boxcar, strobe})
        connect(edit, &QLineEdit::editingFinished, this, [commit, edit] { commit(edit); });
}

void CChildFrameSpectrum::createMavrinControls(fw::DialogBar& bar)
{
    BarRow row(bar);
    row.check(Controls::IDC_MAVRIN_LED_ON, "LED On");
    row.check(Controls::IDC_MAVRIN_MODULATE, "Modulate LED");
    row.check(Controls::IDC_MAVRIN_GET_TEMPERATURE, "Get Temp.");
    QLabel* temperature = row.label("", Controls::IDC_MAVRIN_TEMPERATURE);
    temperature->setMinimumWidth(60);
    row.radio(Controls::IDC_MAVRIN_DEGREE_C, "C");
    row.radio(Controls::IDC_MAVRIN_DEGREE_F, "F");
}

void CChildFrameSpectrum::createWessorControls(fw::DialogBar& bar)
{
    BarRow row(bar);
    row.check(Controls::IDC_TEC_ON, "TEC On");
    row.radio(Controls::IDC_HIGH_GAIN, "High Gain")->setHidden(true);
    row.radio(Controls::IDC_LOW_GAIN, "Low Gain")->setHidden(true);
    QLineEdit* setPoint = row.edit(Controls::IDC_TEC_SET_POINT);
    setPoint->installEventFilter(this);
    row.button(Controls::IDC_NORREL_SAVE, "Set");
    QLabel* temperature = row.label("", Controls::IDC_DETECTOR_TEMPERATURE);
    temperature->setMinimumWidth(60);
    row.check(Controls::IDC_INTEGRATION_IN_USEC, "Integ. Time in usec")->setHidden(true);
}

void CChildFrameSpectrum::createNorrelControls(fw::DialogBar& bar)
{
    BarRow row(bar);
    row.label("Vis. Intensity");
    QLineEdit* visible = row.edit(Controls::IDC_NORREL_VIS_INTENSITY, 4);
    SpinControl* visibleSpin = row.spin(Controls::IDC_NORREL_VIS_SPIN, visible, true);
    row.check(Controls::IDC_NORREL_LAMP_ON, "Lamp On");
    row.check(Controls::IDC_NORREL_VIS_LAMP_ON, "Vis. Lamp On");
    row.check(Controls::IDC_NORREL_SHUTTER_OPEN, "Shutter Open");
    row.button(Controls::IDC_NORREL_SAVE, "Save");
    // The UV lamp's controls are for manufacturing only.
    row.label("UV", Controls::IDC_NORREL_UV_TEXT)->setHidden(true);
    QLineEdit* uv = row.edit(Controls::IDC_NORREL_UV_INTENSITY, 4);
    uv->setHidden(true);
    SpinControl* uvSpin = row.spin(Controls::IDC_NORREL_UV_SPIN, uv, true);
    uvSpin->setHidden(true);

    SpectrumFrameControls& controls = *m_controls;
    for (SpinControl* spin : {visibleSpin, uvSpin})
        spin->setDeltaHandler(
            [&controls, id = fw::controlId(spin)](int) { return controls.allowSpin(id); });
    connect(visible, &QLineEdit::textChanged, this, [&controls](const QString& text) {
        spectrumFrameGuarded([&] { controls.OnNorrelVisIntensityChanged(text.toStdString()); });
    });
    connect(uv, &QLineEdit::textChanged, this, [&controls](const QString& text) {
        spectrumFrameGuarded([&] { controls.OnNorrelUvIntensityChanged(text.toStdString()); });
    });
}

void CChildFrameSpectrum::createQuintarControls(fw::DialogBar& bar)
{
    QWidget* panel = bar.panel();
    panel->setMinimumSize(kQuintarLabelRect.right + 4, kQuintarBottom + kQuintarTop);
    const fw::Resources& resources = fw::Resources::instance();
    for (const QuintarButton& spec : kQuintarButtons) {
        auto* button = new COXBitmapButton(panel);
        std::string tip = resources.toolTip(spec.command);
        if (tip.empty())
            tip = spec.caption;
        button->SetWindowText(std::string(spec.caption) + "\n" + tip);
        button->setGeometry(spec.left, kQuintarTop, spec.right - spec.left,
                            kQuintarBottom - kQuintarTop);
        button->LoadBitmap(spec.bitmap, false, 0xFF00FF);
        button->EnableToolTip(true);
        button->SetFlatLook(true);
        // The commands go to the spectrum view through the frame's routing.
        bar.addControl(button, spec.command);
        m_buttons.push_back(button);
    }
    m_label = new COXTextLabel();
    m_label->Create("", COXTextLabel::WS_VISIBLE, kQuintarLabelRect, panel,
                    Controls::IDC_QUINTAR_LABEL);
    m_label->SetBkColor(colorRef(panel->palette().color(QPalette::Button)), false);
}

void CChildFrameSpectrum::installCommands()
{
    using namespace app::res;
    SpectrumFrameControls& controls = *m_controls;
    const auto checked = [this](unsigned id) {
        auto* button = qobject_cast<QAbstractButton*>(barControl(id));
        return button != nullptr && button->isChecked();
    };
    const struct
    {
        unsigned id;
        void (SpectrumFrameControls::*handler)(bool);
    } checks[] = {
        {Controls::IDC_CORRECT_DARK, &SpectrumFrameControls::OnCorrectForDark},
        {Controls::IDC_STROBE_ENABLE, &SpectrumFrameControls::OnStrobeEnable},
        {Controls::IDC_MAVRIN_LED_ON, &SpectrumFrameControls::OnMavrinLedOn},
        {Controls::IDC_MAVRIN_MODULATE, &SpectrumFrameControls::OnMavrinModulate},
        {Controls::IDC_MAVRIN_GET_TEMPERATURE, &SpectrumFrameControls::OnMavrinGetTemperature},
        {Controls::IDC_TEC_ON, &SpectrumFrameControls::OnTecOn},
        {Controls::IDC_NORREL_VIS_LAMP_ON, &SpectrumFrameControls::OnNorrelVisLampOn},
        {Controls::IDC_NORREL_LAMP_ON, &SpectrumFrameControls::OnNorrelLampOn},
        {Controls::IDC_NORREL_SHUTTER_OPEN, &SpectrumFrameControls::OnNorrelShutterOpen},
    };
    for (const auto& check : checks)
        onCommand(check.id, [&controls, checked, id = check.id, handler = check.handler] {
            spectrumFrameGuarded([&] { (controls.*handler)(checked(id)); });
        });
    const struct
    {
        unsigned id;
        std::function<void()> handler;
    } commands[] = {
        {Controls::IDC_USEC, [&controls] { controls.OnMicroseconds(); }},
        {Controls::IDC_MSEC, [&controls] { controls.ResetIntegrationTimeRange(); }},
        {Controls::IDC_MAVRIN_DEGREE_C, [&controls] { controls.OnMavrinDegree(true); }},
        {Controls::IDC_MAVRIN_DEGREE_F, [&controls] { controls.OnMavrinDegree(false); }},
        {Controls::IDC_HIGH_GAIN, [&controls] { controls.OnGain(true); }},
        {Controls::IDC_LOW_GAIN, [&controls] { controls.OnGain(false); }},
        {Controls::IDC_NORREL_SAVE, [&controls] { controls.OnNorrelSave(); }},
    };
    for (const auto& command : commands)
        onCommand(command.id, [handler = command.handler] { spectrumFrameGuarded(handler); });

    onUpdate(Controls::IDC_USEC, [&controls](fw::CmdUI& ui) {
        ui.Enable(controls.microsecondsEnabled());
        if (const int check = controls.microsecondsChecked(); check >= 0)
            ui.SetCheck(check);
    });
    onUpdate(Controls::IDC_MSEC, [&controls](fw::CmdUI& ui) {
        ui.Enable(controls.millisecondsEnabled());
        if (const int check = controls.millisecondsChecked(); check >= 0)
            ui.SetCheck(check);
    });

    // Show or hide a bar; the menu item is checked while the bar is visible.
    onCommandRange(IDR_SPECTRUM_CONTROLS, 16199, [this](unsigned id) {
        spectrumFrameGuarded([&] {
            QWidget* bar = controlBar(id);
            if (bar != nullptr && verify(mvSpecViewToggleToolbars))
                showBar(id, !barVisible(id).value_or(false));
        });
    });
    onUpdateRange(IDR_SPECTRUM_CONTROLS, 16199, [this](fw::CmdUI& ui) {
        if (const auto visible = barVisible(ui.id()))
            ui.SetCheck(*visible ? 1 : 0);
    });
    onCommand(ID_VIEW_SPECTRUM_STATUS_BAR, [this] {
        spectrumFrameGuarded([&] {
            QStatusBar* status = frameStatusBar();
            if (status != nullptr && verify(mvSpecViewMainStatusBar))
                status->setHidden(!status->isHidden());
        });
    });
    onUpdate(ID_VIEW_SPECTRUM_STATUS_BAR, [this](fw::CmdUI& ui) {
        if (QStatusBar* status = frameStatusBar())
            ui.SetCheck(status->isHidden() ? 0 : 1);
    });
}

QWidget* CChildFrameSpectrum::controlBar(unsigned id) const
{
    const auto found = m_bars.find(id);
    return found != m_bars.end() ? found->second.data() : nullptr;
}

// The automation objects' bar ids are the frame's own.
static_assert(unsigned{SpectrumFrameBars::kSpectrumControls} ==
              unsigned{CChildFrameSpectrum::IDR_SPECTRUM_CONTROLS});
static_assert(unsigned{SpectrumFrameBars::kTimeAcquisition} ==
              unsigned{CChildFrameSpectrum::IDR_TIME_ACQUISITION});
static_assert(unsigned{SpectrumFrameBars::kAcquisitionParameters} ==
              unsigned{CChildFrameSpectrum::IDD_ACQUISITION_PARAMETERS});
static_assert(unsigned{SpectrumFrameBars::kWessorUlmar} ==
              unsigned{CChildFrameSpectrum::IDD_WESSOR_ULMAR});
static_assert(unsigned{SpectrumFrameBars::kQuintar} == unsigned{CChildFrameSpectrum::IDD_QUINTAR});

std::optional<bool> CChildFrameSpectrum::barVisible(unsigned id)
{
    QWidget* bar = controlBar(id);
    if (bar == nullptr)
        return std::nullopt;
    return !bar->isHidden();
}

void CChildFrameSpectrum::showBar(unsigned id, bool show)
{
    if (QWidget* bar = controlBar(id)) {
        m_clipped.erase(id);
        if (show)
            m_chosen = id;
        else if (m_chosen == id)
            m_chosen = 0;
        bar->setVisible(show);
        if (show)
            fitBars();
    }
}

std::string CChildFrameSpectrum::labelFontName()
{
    return m_label != nullptr ? m_label->GetFontName() : std::string();
}

bool CChildFrameSpectrum::setLabelFontName(const std::string& face, bool redraw)
{
    return m_label != nullptr && m_label->SetFontName(face, redraw);
}

int32_t CChildFrameSpectrum::labelFontHeight()
{
    platform::qt::LOGFONT font{};
    return m_label != nullptr && m_label->GetLogFont(&font) ? font.lfHeight : 0;
}

bool CChildFrameSpectrum::setLabelFontHeight(int32_t height, bool redraw)
{
    return m_label != nullptr && m_label->SetFontHeight(height, redraw);
}

uint32_t CChildFrameSpectrum::labelTextColor()
{
    return m_label != nullptr ? m_label->GetTextColor() : 0;
}

bool CChildFrameSpectrum::setLabelTextColor(uint32_t color, bool redraw)
{
    return m_label != nullptr && m_label->SetTextColor(color, redraw);
}

uint32_t CChildFrameSpectrum::labelBackgroundColor()
{
    return m_label != nullptr ? m_label->GetBkColor() : 0;
}

bool CChildFrameSpectrum::setLabelBackgroundColor(uint32_t color, bool redraw)
{
    return m_label != nullptr && m_label->SetBkColor(color, redraw);
}

std::string CChildFrameSpectrum::labelText()
{
    return m_label != nullptr ? m_label->GetText() : std::string();
}

bool CChildFrameSpectrum::setLabelText(const std::string& text, bool redraw)
{
    return m_label != nullptr && m_label->SetText(text, redraw);
}

QStatusBar* CChildFrameSpectrum::frameStatusBar() const
{
    return m_barHost != nullptr ? m_barHost->statusBar() : nullptr;
}

void CChildFrameSpectrum::setStatusText(const std::string& text)
{
    m_statusText = QString::fromStdString(text);
    if (QStatusBar* status = frameStatusBar(); status != nullptr && !m_prompting)
        status->showMessage(m_statusText);
}

void CChildFrameSpectrum::ResetIntegrationTimeRange()
{
    spectrumFrameGuarded([&] { m_controls->ResetIntegrationTimeRange(); });
}

void CChildFrameSpectrum::setMicrosecondsEnabled(int enabled)
{
    m_controls->setMicrosecondsEnabled(enabled);
}

QWidget* CChildFrameSpectrum::barControl(unsigned id) const
{
    // Only the bars are searched: a dialog open over the view may carry a control of the same
    // id (the data-acquisition sheet's "Use usec Integration Time" is 1596, as "usec" is).
    for (const auto& [barId, bar] : m_bars)
        if (bar != nullptr)
            if (QWidget* control = fw::GetDlgItem(bar, id))
                return control;
    return nullptr;
}

void CChildFrameSpectrum::setCheck(unsigned control, bool checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(barControl(control)))
        button->setChecked(checked);
}

void CChildFrameSpectrum::setText(unsigned control, const std::string& text)
{
    QWidget* widget = barControl(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(QString::fromStdString(text));
    else if (auto* textLabel = dynamic_cast<COXTextLabel*>(widget))
        textLabel->SetText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(QString::fromStdString(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(QString::fromStdString(text));
}

void CChildFrameSpectrum::setSpinRange(unsigned spin, int32_t lower, int32_t upper)
{
    if (auto* control = dynamic_cast<SpinControl*>(barControl(spin)))
        control->SetRange32(lower, upper);
}

void CChildFrameSpectrum::showBarMenu(const QPoint& globalPos)
{
    const fw::HMENU menu = fw::Resources::instance().LoadMenu(kPopupToolBars);
    if (menu == 0)
        return;
    // The second sub-menu holds the spectrum window's bars.
    if (const fw::HMENU bars = fw::GetSubMenu(menu, 1); bars != 0)
        fw::MenuRenderer::trackPopupMenu(
            bars, globalPos, [this]() -> fw::CommandTarget* { return this; }, this);
    fw::DestroyMenu(menu);
}

void CChildFrameSpectrum::fitBars()
{
    if (m_barHost == nullptr || m_fitting)
        return;
    QWidget* view = m_barHost->centralWidget();
    if (view == nullptr)
        return;
    m_fitting = true;
    // Bars clipped for room come back first; then, from the least needed, bars are clipped
    // until the view has half of the frame's height. A clipped bar is hidden (its menu item is
    // not checked, and choosing it shows it), is saved as shown, and returns once there is
    // room.
    for (unsigned id : m_clipped)
        if (QWidget* bar = controlBar(id))
            bar->setVisible(true);
    m_clipped.clear();
    shrinkDockedBars();
    const int wanted = height() / 2;
    for (unsigned id : {IDD_QUINTAR, IDD_USB_MAVRIN, IDD_WESSOR_ULMAR, IDD_USB_NORREL,
                        IDR_TIME_ACQUISITION, IDR_CURSOR_CONTROLS, IDR_GRAPH_SCALE}) {
        if (view->height() >= wanted)
            break;
        QWidget* bar = controlBar(id);
        if (bar == nullptr || bar->isHidden() || bar->isWindow() || id == m_chosen)
            continue;
        bar->setVisible(false);
        m_clipped.insert(id);
        shrinkDockedBars();
    }
    m_fitting = false;
}

void CChildFrameSpectrum::shrinkDockedBars()
{
    // A dock area keeps its height when a bar in it goes: the bars left are given back their
    // own heights, so the room goes to the view.
    QList<QDockWidget*> docks;
    QList<int> heights;
    for (const auto& [id, bar] : m_bars)
        if (auto* dock = qobject_cast<QDockWidget*>(bar.data());
            dock != nullptr && !dock->isHidden() && !dock->isFloating()) {
            docks.push_back(dock);
            heights.push_back(dock->sizeHint().height());
        }
    if (!docks.isEmpty())
        m_barHost->resizeDocks(docks, heights, Qt::Vertical);
    m_barHost->layout()->activate();
}

bool CChildFrameSpectrum::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_barHost && event->type() == QEvent::StatusTip) {
        // A bar's button under the pointer shows its prompt; when the pointer leaves (an empty
        // prompt) the frame's own text comes back instead of an empty bar.
        const QString prompt = static_cast<QStatusTipEvent*>(event)->tip();
        m_prompting = !prompt.isEmpty();
        if (QStatusBar* status = frameStatusBar())
            status->showMessage(m_prompting ? prompt : m_statusText);
        return true;
    }
    if (watched == m_barHost && event->type() == QEvent::Resize && !m_fitting) {
        // After this resize is done: the bar host lays its bars out first.
        QMetaObject::invokeMethod(
            this, [this] { spectrumFrameGuarded([&] { fitBars(); }); }, Qt::QueuedConnection);
    }
    if (watched == m_barHost && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        // From the keyboard the menu opens 5 pixels into the frame.
        const QPoint at = menuEvent->reason() == QContextMenuEvent::Keyboard
                              ? m_barHost->mapToGlobal(QPoint(5, 5))
                              : menuEvent->globalPos();
        spectrumFrameGuarded([&] { showBarMenu(at); });
        return true;
    }
    if (event->type() == QEvent::FocusOut && watched == barControl(Controls::IDC_TEC_SET_POINT)) {
        const std::string text = static_cast<QLineEdit*>(watched)->text().toStdString();
        spectrumFrameGuarded([&] { m_controls->OnTecSetPointKillFocus(text); });
    }
    return ChildFrame::eventFilter(watched, event);
}

void CChildFrameSpectrum::loadBarStates()
{
    if (const auto state =
            frame_profile::readBinary(kSpectrumFrameBarStateSection, kSpectrumFrameBarStateEntry)) {
        const QByteArray bytes(reinterpret_cast<const char*>(state->data()),
                               static_cast<qsizetype>(state->size()));
        if (!m_barHost->restoreState(bytes)) {
            // The bars keep their default places.
            if (auto* sink = platform::automation::errorLogSink())
                sink->logException(kSpectrumFrameBarStateError, "ChildFrameSpectrum", __LINE__);
            platform::win::logWarn(kSpectrumFrameModule, "%s", kSpectrumFrameBarStateError);
        }
    }
    for (const ToolBarSpec& spec : kToolBars)
        if (COXCoolToolBar* bar = toolBar(spec.id))
            bar->LoadBarState("BarStates", spec.stateName, true);
}

void CChildFrameSpectrum::saveBarStates()
{
    if (m_barHost == nullptr)
        return;
    // Bars clipped for room are saved as the user left them: shown.
    m_fitting = true;
    for (unsigned id : m_clipped)
        if (QWidget* bar = controlBar(id))
            bar->setVisible(true);
    m_clipped.clear();
    for (const ToolBarSpec& spec : kToolBars)
        if (COXCoolToolBar* bar = toolBar(spec.id))
            bar->SaveBarState("BarStates", spec.stateName, true);
    const QByteArray bytes = m_barHost->saveState();
    frame_profile::writeBinary(kSpectrumFrameBarStateSection, kSpectrumFrameBarStateEntry,
                               std::vector<uint8_t>(bytes.begin(), bytes.end()));
}
