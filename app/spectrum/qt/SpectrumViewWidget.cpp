#include "app/spectrum/qt/SpectrumViewWidget.h"

#include "app/dialogs/AutoincrementFilenameDialog.h"
#include "app/dialogs/ChartDialogAdapters.h"
#include "app/dialogs/ConfigureAxisTextDialog.h"
#include "app/dialogs/ConfigureCursorDialog.h"
#include "app/dialogs/ConfigureLegendDialog.h"
#include "app/dialogs/ConfigureSpectrumGridDialog.h"
#include "app/dialogs/DataAcquisitionPropertySheet.h"
#include "app/dialogs/DisplayPropertySheet.h"
#include "app/dialogs/EditAnnotationDialog.h"
#include "app/dialogs/LibraryDialogDriver.h"
#include "app/dialogs/MainFrameDialogAdapter.h"
#include "app/dialogs/PropertiesPropertySheet.h"
#include "app/dialogs/ReferenceColorTemperatureDialog.h"
#include "app/dialogs/RenameSpectralWindowDialog.h"
#include "app/dialogs/SelectChannelsToCopyDialog.h"
#include "app/dialogs/SelectSpectrometerChannelsDialog.h"
#include "app/dialogs/SetSpectrumScaleDialog.h"
#include "app/dialogs/SpectrometerPropertySheet.h"
#include "app/dialogs/SpectrumViewDialogAdapter.h"
#include "app/dialogs/SpectrumViewSheetAdapter.h"
#include "app/dialogs/TimeAcquisitionChannelPropertySheet.h"
#include "app/dialogs/TimeAcquisitionConfigurationDialog.h"
#include "app/dialogs/TrevanFeaturesDialog.h"
#include "app/dialogs/WarningDialog.h"
#include "app/qt/ChildFrameSpectrum.h"
#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/ShellSpectrumServices.h"
#include "app/spectrum/qt/SpectrumDocQuestions.h"
#include "app/spectrum/qt/SpectrumPrinting.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtDraw.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/CmdUI.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/Document.h"
#include "platform/framework/MdiFrame.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "platform/framework/WindowPlacement.h"
#include "platform/qt/UiServices.h"
#include "platform/win/Log.h"
#include "platform/win/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <memory>

using platform::chart::CChart2D;
namespace fw = platform::framework;

namespace {

// WM_SPECTRUM_COMMAND, which the main frame and the dialog bars send to every spectrum view.
constexpr unsigned kSpectrumCommandMessage = 0x52C;
// The virtual-key code of a key press; 0 for keys the view does not use.
unsigned virtualKey(const QKeyEvent& event)
{
    const int key = event.key();
    if (event.modifiers() & Qt::KeypadModifier) {
        switch (key) {
        case Qt::Key_9:
            return 0x69;
        case Qt::Key_Asterisk:
            return 0x6A;
        case Qt::Key_Plus:
            return 0x6B;
        case Qt::Key_Minus:
            return 0x6D;
        case Qt::Key_Slash:
            return 0x6F;
        default:
            break;
        }
    }
    switch (key) {
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Comma:
        return 0xBC;
    case Qt::Key_Period:
        return 0xBE;
    case Qt::Key_F6:
        return 0x75;
    default:
        break;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<unsigned>(key); // the letters' codes are their upper-case codes
    return 0;
}

} // namespace

SpectrumViewWidget::SpectrumViewWidget(const SpectrumViewServices& services,
                                       CHarluneSpectrumDoc& document, QWidget* parent)
    : SpectrumViewWidget(services, nullptr, parent)
{
    makeCore(document);
}

SpectrumViewWidget::SpectrumViewWidget(
    const SpectrumViewServices& services,
    std::function<CHarluneSpectrumDoc*(platform::framework::Document*)> findDocument,
    QWidget* parent)
    : View(parent), m_services(services), m_findDocument(std::move(findDocument)),
      m_chartWindow(new CChart2D(this))
{
    setFocusPolicy(Qt::StrongFocus);
    // The core's own command table decides which ids reach it.
    onCommandTable(
        &CHarluneSpectrumView::answersCommand,
        [this](unsigned id) {
            if (m_core)
                m_core->OnCommand(id);
        },
        [this](platform::framework::CmdUI& ui) {
            if (!m_core)
                return;
            const CHarluneSpectrumView::CommandState state = m_core->commandState(ui.id());
            ui.Enable(state.enabled);
            if (state.checked >= 0)
                ui.SetCheck(state.checked);
        });
    // Print, Print Preview and Close run the framework's way once the script allows them.
    onCommand(fw::ID_FILE_PRINT, [this] {
        if (!m_core || m_core->verifyFrameworkCommand(fw::ID_FILE_PRINT))
            OnFilePrint();
    });
    onCommand(fw::ID_FILE_PRINT_PREVIEW, [this] {
        if (!m_core || m_core->verifyFrameworkCommand(fw::ID_FILE_PRINT_PREVIEW))
            OnFilePrintPreview();
    });
    onCommand(fw::ID_FILE_CLOSE, [this] {
        if (m_core && !m_core->verifyFrameworkCommand(fw::ID_FILE_CLOSE))
            return;
        if (fw::Document* document = GetDocument())
            document->OnFileClose();
    });
}

void SpectrumViewWidget::makeCore(CHarluneSpectrumDoc& document)
{
    m_core = std::make_unique<CHarluneSpectrumView>(*this, m_services.frame, m_services.driver,
                                                    document, m_services.configurationHost);
    m_core->OnCreate();
    m_core->Create();
    m_chartWindow->setGeometry(0, 0, width(), height());
    const CHarluneSpectrumView::HardwareCopy& copy = m_core->hardware();
    m_hardware.spectrometerType = copy.spectrometerType;
    m_hardware.adcType = copy.adcType;
    m_hardware.irq = copy.irq;
    m_hardware.baseAddress = copy.baseAddress;
    m_hardware.serialPort = copy.serialPort;
    m_hardware.pciCardId = copy.pciCardId;
    m_hardware.serialPortResolution = copy.serialPortResolution;
}

SpectrumViewWidget::~SpectrumViewWidget()
{
    // A features dialog writes its interval into the core: it goes first, with its timer.
    for (const QPointer<CTrevanFeaturesDialog>& dialog : m_featuresDialogs)
        delete dialog.data();
    if (m_core) {
        m_core->OnDestroy();
        m_core.reset();
    }
}

SpectrumScanView::Hardware& SpectrumViewWidget::hardware()
{
    return m_hardware;
}

void SpectrumViewWidget::OnInitialUpdate()
{
    View::OnInitialUpdate();
    if (!m_core && m_findDocument) {
        if (CHarluneSpectrumDoc* document = m_findDocument(GetDocument())) {
            makeCore(*document);
            // The window registers before its first scan is asked for, shown or not: the
            // frame is shown only after the initial update, and the scan start passes over
            // a view without its window in the record (it would then never scan).
            m_core->OnShowWindow();
        }
    }
    if (m_core)
        m_core->OnInitialUpdate();
}

void SpectrumViewWidget::OnDraw(platform::framework::CDC*)
{
    // The chart window paints the spectra.
    if (m_core)
        m_core->OnDraw();
}

void SpectrumViewWidget::OnTimer(unsigned id)
{
    if (m_core)
        m_core->OnTimer(static_cast<int>(id));
    View::OnTimer(id);
}

intptr_t SpectrumViewWidget::OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                                             bool& handled)
{
    if (!m_core)
        return View::OnWindowMessage(message, wParam, lParam, handled);
    if (message == CHarluneSpectrumView::kScanReadyMessage) {
        handled = true;
        return m_core->OnScanReady(static_cast<uint32_t>(std::min<uintptr_t>(wParam, 0xFFFFFFFF)));
    }
    if (message == kSpectrumCommandMessage) {
        handled = true;
        return m_core->OnSpectrumCommand(wParam, lParam);
    }
    if (message == CHarluneSpectrumView::kDeviceCoefficientsMessage) {
        handled = true;
        return m_core->OnLoadDeviceCoefficients(wParam != 0 ? 1 : 0);
    }
    return View::OnWindowMessage(message, wParam, lParam, handled);
}

void SpectrumViewWidget::OnPrint(fw::CDC* dc, fw::PrintInfo*)
{
    if (!m_core || dc == nullptr)
        return;
    printSpectrumChart(*m_core, *dc, m_chartWindow->width(), m_chartWindow->height());
}

void SpectrumViewWidget::OnActivateView(bool activate, fw::View* activated, fw::View* deactivated)
{
    View::OnActivateView(activate, activated, deactivated);
    if (m_core)
        m_core->OnActivateView(activate);
}

void SpectrumViewWidget::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (!m_core)
        return;
    if (event->reason() == QContextMenuEvent::Keyboard)
        m_core->OnContextMenu(-1, -1);
    else
        m_core->OnContextMenu(event->globalPos().x(), event->globalPos().y());
}

void SpectrumViewWidget::keyPressEvent(QKeyEvent* event)
{
    View::keyPressEvent(event);
    if (const unsigned key = virtualKey(*event); key != 0 && m_core) {
        // The key message's flags: the scan code in bits 0 to 7, bit 14 for a repeated key.
        const unsigned flags =
            (event->nativeScanCode() & 0xFFu) | (event->isAutoRepeat() ? 0x4000u : 0u);
        m_core->OnKeyDown(key, flags);
    }
}

void SpectrumViewWidget::resizeEvent(QResizeEvent* event)
{
    View::resizeEvent(event);
    m_chartWindow->setGeometry(0, 0, width(), height());
    m_chartWindow->raise();
    if (m_core)
        m_core->OnSize(width(), height());
}

void SpectrumViewWidget::showEvent(QShowEvent* event)
{
    View::showEvent(event);
    if (m_core)
        m_core->OnShowWindow();
}

// SpectrumViewWindow ------------------------------------------------------------------------

SpectrumDocWindow::Answer SpectrumViewWidget::showWarningDialog(const std::string& text,
                                                                bool& continueToWarn)
{
    return SpectrumDocQuestions::warningDialog(this, text, continueToWarn);
}

SpectrumDocWindow::Answer SpectrumViewWidget::showMessageBox(const std::string& text,
                                                             const std::string& caption,
                                                             Buttons buttons)
{
    return SpectrumDocQuestions::messageBox(this, text, caption, buttons);
}

void SpectrumViewWidget::playSoundAsync(const std::string& file)
{
    platform::qt::uiServices().playSound(file);
}

uint32_t SpectrumViewWidget::windowHandle()
{
    return GetSafeHwnd();
}

platform::chart::XrtHandle SpectrumViewWidget::chartHandle()
{
    if (m_chartWindow->chartHandle() == 0)
        m_chartWindow->Create(nullptr, CChart2D::kStyleVisible, QRect(0, 0, 300, 300), this, 0);
    return m_chartWindow->chartHandle();
}

bool SpectrumViewWidget::inSpectrumFrame()
{
    return GetParentFrame() != nullptr;
}

std::string SpectrumViewWidget::frameTitle()
{
    const platform::framework::ChildFrame* frame = GetParentFrame();
    return frame != nullptr ? frame->windowTitle().toStdString() : std::string();
}

void SpectrumViewWidget::setFrameTitle(const std::string& title)
{
    // The document keeps the window's name, the caption may add the next save name: the
    // framework's later title updates then keep the name.
    if (fw::Document* document = GetDocument())
        document->SetTitle(CHarluneSpectrumView::windowNameOf(title));
    if (platform::framework::ChildFrame* frame = GetParentFrame())
        frame->setWindowTitle(QString::fromStdString(title));
}

void SpectrumViewWidget::showBar(SpectrumBar bar, bool show)
{
    auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame());
    if (!frame)
        return;
    unsigned id = CChildFrameSpectrum::IDD_USB_NORREL;
    if (bar == SpectrumBar::Cooler)
        id = CChildFrameSpectrum::IDD_WESSOR_ULMAR;
    else if (bar == SpectrumBar::Mavrin)
        id = CChildFrameSpectrum::IDD_USB_MAVRIN;
    else if (bar == SpectrumBar::Acquisition)
        id = CChildFrameSpectrum::IDD_ACQUISITION_PARAMETERS;
    if (QWidget* controlBar = frame->controlBar(id))
        controlBar->setVisible(show);
}

void SpectrumViewWidget::resetIntegrationTimeRange(bool microsecondsEnabled)
{
    if (auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame())) {
        frame->ResetIntegrationTimeRange();
        frame->setMicrosecondsEnabled(microsecondsEnabled ? 1 : 0);
    }
}

// The frame's control ids are unique across its bars, so the bar itself is not needed to
// find a control.
void SpectrumViewWidget::setBarText(SpectrumBar, int control, const std::string& text)
{
    if (auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame()))
        frame->barWindow().setText(static_cast<unsigned>(control), text);
}

void SpectrumViewWidget::setBarCheck(SpectrumBar, int control, bool checked)
{
    if (auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame()))
        frame->barWindow().setCheck(static_cast<unsigned>(control), checked);
}

void SpectrumViewWidget::setBarSpinRange(SpectrumBar, int spin, int32_t lower, int32_t upper)
{
    if (auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame()))
        frame->barWindow().setSpinRange(static_cast<unsigned>(spin), lower, upper);
}

void SpectrumViewWidget::flashAndActivate()
{
    QApplication::alert(window());
    if (platform::framework::ChildFrame* frame = GetParentFrame())
        frame->setFocus();
    activateWindow();
}

void SpectrumViewWidget::startTimer(int id, int periodMs)
{
    SetTimer(static_cast<unsigned>(id), static_cast<unsigned>(periodMs));
}

void SpectrumViewWidget::killTimer(int id)
{
    KillTimer(static_cast<unsigned>(id));
}

bool SpectrumViewWidget::isWindow(uint32_t handle)
{
    return platform::win::IsWindow(static_cast<platform::win::HWND>(handle)) != 0;
}

void SpectrumViewWidget::sendScanNotice(uint32_t handle, uint32_t tickMs)
{
    platform::win::SendMessage(static_cast<platform::win::HWND>(handle),
                               CHarluneSpectrumView::kTemplateNotice, tickMs,
                               static_cast<platform::win::LPARAM>(GetSafeHwnd()));
}

std::optional<std::string> SpectrumViewWidget::chooseExistingFile(const std::string& title,
                                                                  const std::string& filters)
{
    platform::qt::FileDialogRequest request;
    request.open = true;
    request.title = title;
    request.filters = platform::qt::fileFiltersFromText(filters);
    request.fileMustExist = true;
    request.hideReadOnly = true;
    request.owner = this;
    const auto answer = platform::qt::uiServices().fileDialog(request);
    if (!answer || answer->paths.empty())
        return std::nullopt;
    return answer->paths.front();
}

std::optional<std::array<std::string, 4>>
SpectrumViewWidget::showSetScaleDialog(const std::array<std::string, 4>& texts)
{
    CSetSpectrumScaleDialog dialog(this);
    dialog.m_xMin = texts[0];
    dialog.m_xMax = texts[1];
    dialog.m_yMin = texts[2];
    dialog.m_yMax = texts[3];
    if (dialog.DoModal() != CSetSpectrumScaleDialog::IDOK)
        return std::nullopt;
    return std::array<std::string, 4>{dialog.m_xMin, dialog.m_xMax, dialog.m_yMin, dialog.m_yMax};
}

std::optional<std::string> SpectrumViewWidget::showColorTemperatureDialog(const std::string& text,
                                                                          bool& assumeSecondOrder)
{
    CReferenceColorTemperatureDialog dialog(this);
    dialog.m_temperature = text;
    dialog.m_assumeSecondOrder = assumeSecondOrder ? 1 : 0;
    // Second-order light can reach the detector of any spectrometer, whether or not its
    // configuration names a sub-type, so the option is always offered (and a flag that is on
    // can always be switched off).
    dialog.m_showSecondOrder = 1;
    if (dialog.DoModal() != CReferenceColorTemperatureDialog::IDOK)
        return std::nullopt;
    assumeSecondOrder = dialog.m_assumeSecondOrder != 0;
    return dialog.m_temperature;
}

std::optional<std::array<int, 8>>
SpectrumViewWidget::selectChannels(const std::array<int16_t, 8>& enables,
                                   const std::array<int, 8>& selected)
{
    CSelectSpectrometerChannelsDialog dialog(this);
    for (int k = 0; k < 8; ++k) {
        dialog.m_available[k] = enables[k] != 0 ? 1 : 0;
        dialog.m_selected[k] = selected[k] != 0 ? 1 : 0;
    }
    if (dialog.DoModal() != CSelectSpectrometerChannelsDialog::IDOK)
        return std::nullopt;
    std::array<int, 8> out{};
    for (int k = 0; k < 8; ++k)
        out[k] = dialog.m_selected[k];
    return out;
}

// The legend, axis-text and title dialogs change the view's fonts and the chart while they
// are open; the view restores them itself after Cancel.
bool SpectrumViewWidget::runLegendDialog(platform::chart::XrtHandle, ChartFontSetting&, int&)
{
    if (!m_core)
        return false;
    app::dialogs::SpectrumChartOwnerAdapter owner(*m_core, [this] { return chartClientSize(); });
    CConfigureLegendDialog dialog({&owner, nullptr}, this);
    return dialog.DoModal() == CConfigureLegendDialog::IDOK;
}

bool SpectrumViewWidget::runAxisTextDialog(platform::chart::XrtHandle, ChartFontSetting&)
{
    if (!m_core)
        return false;
    app::dialogs::SpectrumChartOwnerAdapter owner(*m_core, [this] { return chartClientSize(); });
    CConfigureAxisTextDialog dialog({&owner, nullptr}, this);
    return dialog.DoModal() == CConfigureAxisTextDialog::IDOK;
}

bool SpectrumViewWidget::runGraphTitleDialog(platform::chart::XrtHandle, ChartFontSetting&,
                                             const std::string& title)
{
    if (!m_core)
        return false;
    app::dialogs::SpectrumChartOwnerAdapter owner(*m_core, [this] { return chartClientSize(); });
    CConfigureAxisTextDialog dialog({&owner, nullptr}, this);
    dialog.m_mode = 0;
    dialog.m_text = title;
    return dialog.DoModal() == CConfigureAxisTextDialog::IDOK;
}

void SpectrumViewWidget::runDisplayPropertySheet()
{
    if (!m_core)
        return;
    app::dialogs::SpectrumDisplayAdapter view(*m_core);
    auto sheet = std::make_unique<CDisplayPropertySheet>(view, this);
    sheet->DoModal();
}

SpectrometerSheetResult SpectrumViewWidget::runSpectrometerSheet()
{
    if (!m_core)
        return {};
    app::dialogs::SpectrumViewSheetAdapter view(*m_core);
    app::dialogs::LibraryDialogDriver driver(m_services.configurationHost.driver(),
                                             m_services.driver);
    const std::unique_ptr<CSpectrometerPropertySheet> sheet =
        CSpectrometerPropertySheet::InitFromConfiguration(view, driver, this);
    SpectrometerSheetResult result;
    result.ok = sheet->DoModal() == CSpectrometerPropertySheet::IDOK;
    result.strobeOff = sheet->hardwareChanged();
    return result;
}

std::optional<GridDialogValues> SpectrumViewWidget::showGridDialog(const GridDialogValues& values)
{
    CConfigureSpectrumGridDialog dialog(this);
    dialog.m_color = values.color;
    dialog.m_lineStyle = values.pattern;
    dialog.m_lineWidth = values.width;
    if (dialog.DoModal() != CConfigureSpectrumGridDialog::IDOK)
        return std::nullopt;
    GridDialogValues out = values;
    out.color = dialog.m_color;
    // A style left without a selection keeps the one the grid had.
    if (dialog.m_lineStyle >= 0)
        out.pattern = dialog.m_lineStyle;
    if (dialog.m_lineWidth >= 0)
        out.width = dialog.m_lineWidth;
    return out;
}

std::optional<platform::chart::XrtColor>
SpectrumViewWidget::chooseColor(platform::chart::XrtColor c)
{
    return platform::qt::uiServices().colorDialog(c, this);
}

std::optional<std::string> SpectrumViewWidget::showRenameDialog(const std::string& name)
{
    CRenameSpectralWindowDialog dialog(this);
    dialog.m_title = name;
    if (dialog.DoModal() != CRenameSpectralWindowDialog::IDOK)
        return std::nullopt;
    return dialog.m_title;
}

std::optional<std::array<int, 16>>
SpectrumViewWidget::selectChannelsToCopy(const std::array<int, 16>& offered,
                                         const std::array<int, 16>& selected)
{
    CSelectChannelsToCopyDialog dialog(this);
    for (int t = 0; t < 16; ++t) {
        dialog.m_available[t] = offered[t] != 0 ? 1 : 0;
        dialog.m_selected[t] = selected[t] != 0 ? 1 : 0;
    }
    if (dialog.DoModal() != CSelectChannelsToCopyDialog::IDOK)
        return std::nullopt;
    std::array<int, 16> out{};
    for (int t = 0; t < 16; ++t)
        out[t] = dialog.m_selected[t];
    return out;
}

std::optional<std::string> SpectrumViewWidget::chooseSaveFile(const std::string& title,
                                                              const std::string& filters,
                                                              const std::string& defaultExtension)
{
    platform::qt::FileDialogRequest request;
    request.open = false;
    request.title = title;
    request.filters = platform::qt::fileFiltersFromText(filters);
    request.defaultExtension = defaultExtension;
    request.overwritePrompt = true;
    request.hideReadOnly = true;
    request.owner = this;
    const auto answer = platform::qt::uiServices().fileDialog(request);
    if (!answer || answer->paths.empty())
        return std::nullopt;
    return answer->paths.front();
}

std::optional<SpectrumFileDialogResult>
SpectrumViewWidget::runFileDialog(const SpectrumFileDialogRequest& request)
{
    platform::qt::FileDialogRequest dialog;
    dialog.open = request.open;
    dialog.title = request.title;
    dialog.filters = platform::qt::fileFiltersFromText(request.filters);
    dialog.filterIndex = request.filterIndex;
    dialog.defaultExtension = request.defaultExtension;
    dialog.initialPath = request.initialName;
    dialog.allowMultiSelect = request.open && request.multiSelect;
    dialog.fileMustExist = request.open;
    dialog.overwritePrompt = !request.open;
    dialog.hideReadOnly = true;
    dialog.owner = this;
    const auto answer = platform::qt::uiServices().fileDialog(dialog);
    if (!answer || answer->paths.empty())
        return std::nullopt;
    return SpectrumFileDialogResult{answer->paths, answer->filterIndex};
}

std::optional<AutoincrementDialogValues>
SpectrumViewWidget::runAutoincrementDialog(const AutoincrementDialogValues& values)
{
    CAutoincrementFilenameDialog dialog(this);
    dialog.m_baseName = values.baseFileName;
    dialog.m_startingIndex = values.startingIndex;
    if (dialog.DoModal() != CAutoincrementFilenameDialog::IDOK)
        return std::nullopt;
    return AutoincrementDialogValues{dialog.m_baseName, dialog.m_startingIndex};
}

std::optional<CursorDialogValues>
SpectrumViewWidget::runCursorDialog(const CursorDialogValues& values)
{
    CConfigureCursorDialog dialog(this);
    dialog.m_lineStyle = values.linePattern;
    dialog.m_lineWidth = values.lineWidth;
    dialog.m_color = values.color;
    dialog.m_channel = values.channel;
    dialog.m_precision = values.precision;
    dialog.m_limitRange = values.limitToDisplay;
    dialog.m_showIntensity = values.valuesInLegend;
    dialog.m_displayOption = values.statusBar;
    if (dialog.DoModal() != CConfigureCursorDialog::IDOK)
        return std::nullopt;
    CursorDialogValues out = values;
    // A list left without a selection keeps what the cursor had.
    if (dialog.m_lineStyle >= 0)
        out.linePattern = dialog.m_lineStyle;
    if (dialog.m_lineWidth >= 0)
        out.lineWidth = dialog.m_lineWidth;
    if (dialog.m_channel >= 0)
        out.channel = dialog.m_channel;
    if (dialog.m_precision >= 0)
        out.precision = dialog.m_precision;
    out.color = dialog.m_color;
    out.limitToDisplay = dialog.m_limitRange;
    out.valuesInLegend = dialog.m_showIntensity;
    out.statusBar = dialog.m_displayOption;
    return out;
}

void SpectrumViewWidget::copyChartToClipboard(platform::chart::XrtHandle chart)
{
    platform::chart::XrtDrawToClipboard(chart, platform::chart::kXrtDrawPicture);
}

void SpectrumViewWidget::setClipboardText(const std::string& text)
{
    platform::qt::uiServices().setClipboardText(text);
}

void SpectrumViewWidget::emptyClipboard()
{
    platform::qt::uiServices().emptyClipboard();
}

std::array<int, 2> SpectrumViewWidget::viewScreenOrigin()
{
    const QPoint corner = mapToGlobal(QPoint(0, 0));
    return {corner.x(), corner.y()};
}

std::array<int, 2> SpectrumViewWidget::screenToView(int x, int y)
{
    const QPoint local = mapFromGlobal(QPoint(x, y));
    return {local.x(), local.y()};
}

void SpectrumViewWidget::trackContextMenu(int popup, int x, int y)
{
    if (m_popupTracker) {
        m_popupTracker(popup, QPoint(x, y));
        return;
    }
    const fw::HMENU menu = fw::Resources::instance().LoadMenu(app::res::IDR_SPECTRUM_POPUP);
    if (menu == 0)
        return;
    if (const fw::HMENU sub = fw::GetSubMenu(menu, popup); sub != 0) {
        fw::CommandTarget* target = GetParentFrame() != nullptr
                                        ? static_cast<fw::CommandTarget*>(GetParentFrame())
                                        : static_cast<fw::CommandTarget*>(this);
        fw::MenuRenderer::trackPopupMenu(
            sub, QPoint(x, y), [target]() { return target; }, window());
    }
    fw::DestroyMenu(menu);
}

void SpectrumViewWidget::beginWaitCursor()
{
    platform::qt::uiServices().beginWaitCursor();
}

void SpectrumViewWidget::endWaitCursor()
{
    platform::qt::uiServices().endWaitCursor();
}

void SpectrumViewWidget::showCursorReadOutBar(bool show)
{
    if (auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame()))
        if (QStatusBar* bar = frame->frameStatusBar())
            bar->setVisible(show);
}

std::optional<FramePlacement> SpectrumViewWidget::framePlacement()
{
    const fw::ChildFrame* frame = GetParentFrame();
    if (frame == nullptr)
        return std::nullopt;
    const fw::WINDOWPLACEMENT p = fw::GetWindowPlacement(frame);
    return FramePlacement{static_cast<int32_t>(p.flags),
                          static_cast<int32_t>(p.showCmd),
                          p.ptMinPosition.x,
                          p.ptMinPosition.y,
                          p.ptMaxPosition.x,
                          p.ptMaxPosition.y,
                          p.rcNormalPosition.left,
                          p.rcNormalPosition.top,
                          p.rcNormalPosition.right,
                          p.rcNormalPosition.bottom};
}

void SpectrumViewWidget::setFramePlacement(const FramePlacement& v)
{
    fw::ChildFrame* frame = GetParentFrame();
    if (frame == nullptr)
        return;
    fw::WINDOWPLACEMENT p;
    p.flags = static_cast<uint32_t>(v[0]);
    p.showCmd = static_cast<uint32_t>(v[1]);
    p.ptMinPosition = {v[2], v[3]};
    p.ptMaxPosition = {v[4], v[5]};
    p.rcNormalPosition = {v[6], v[7], v[8], v[9]};
    fw::SetWindowPlacement(frame, p);
}

void SpectrumViewWidget::setMicrosecondIntegration(bool enabled)
{
    if (auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame()))
        frame->setMicrosecondsEnabled(enabled ? 1 : 0);
}

std::array<int, 2> SpectrumViewWidget::chartClientSize()
{
    return {m_chartWindow->width(), m_chartWindow->height()};
}

void SpectrumViewWidget::runTimeChannelSheet()
{
    if (!m_core)
        return;
    CHarluneSpectrumView& core = *m_core;
    const auto& p = core.timeParameters();
    CTimeAcquisitionChannelPropertySheet sheet(
        p.channels, p.combos,
        [&core](const CTimeAcquisitionChannelPropertySheet::Channels& channels,
                const CTimeAcquisitionChannelPropertySheet::Combos& combos) {
            core.ApplyTimeChannels(channels, combos);
        },
        this);
    sheet.DoModal();
}

bool SpectrumViewWidget::runTimeConfigurationDialog(
    app::spectrum::TimeAcquisitionSettings& settings)
{
    CTimeAcquisitionConfigurationDialog dialog(this);
    dialog.fill(settings);
    if (dialog.DoModal() != CTimeAcquisitionConfigurationDialog::IDOK)
        return false;
    dialog.storeInto(settings);
    return true;
}

void SpectrumViewWidget::runDataAcquisitionSheet()
{
    if (!m_core)
        return;
    // The main frame as the dialogs see it: the frame itself when it is one (tests), else
    // the program's main frame and its preferences behind the view's frame.
    std::optional<app::dialogs::MainFrameDialogAdapter> adapter;
    auto* mainFrame = dynamic_cast<app::dialogs::DialogMainFrame*>(&m_services.frame);
    if (!mainFrame) {
        auto* shell = dynamic_cast<MainFrameViewFrame*>(&m_services.frame);
        if (!shell || !shell->mainFramePreferences()) {
            platform::win::logError("spectrumview", "data acquisition: no main frame");
            return;
        }
        mainFrame = &adapter.emplace(shell->mainFrame(), *shell->mainFramePreferences());
    }
    app::dialogs::SpectrumViewDialogAdapter view(*m_core, *mainFrame);
    CDataAcquisitionPropertySheet sheet(view, this);
    sheet.DoModal();
}

void SpectrumViewWidget::showFeaturesDialog(int refreshIntervalMs)
{
    if (!m_core)
        return;
    // The dialog keeps its adapters; it lives until its window goes, or this view does.
    auto owner = std::make_shared<app::dialogs::SpectrumViewSheetAdapter>(*m_core);
    auto driver = std::make_shared<app::dialogs::LibraryDialogDriver>(
        m_services.configurationHost.driver(), m_services.driver);
    auto* dialog = new CTrevanFeaturesDialog(*owner, *driver, this);
    dialog->keepAlive(owner);
    dialog->keepAlive(driver);
    dialog->setRefreshIntervalMs(refreshIntervalMs);
    std::erase_if(m_featuresDialogs, [](const auto& open) { return open.isNull(); });
    m_featuresDialogs.emplace_back(dialog);
    dialog->Create();
}

int SpectrumViewWidget::openFeaturesDialogCount() const
{
    return static_cast<int>(std::count_if(m_featuresDialogs.begin(), m_featuresDialogs.end(),
                                          [](const auto& open) { return !open.isNull(); }));
}

void SpectrumViewWidget::runPropertiesSheet()
{
    if (!m_core)
        return;
    std::optional<app::dialogs::MainFrameDialogAdapter> adapter;
    auto* mainFrame = dynamic_cast<app::dialogs::DialogMainFrame*>(&m_services.frame);
    if (!mainFrame) {
        auto* shell = dynamic_cast<MainFrameViewFrame*>(&m_services.frame);
        if (!shell || !shell->mainFramePreferences()) {
            platform::win::logError("spectrumview", "settings: no main frame");
            return;
        }
        mainFrame = &adapter.emplace(shell->mainFrame(), *shell->mainFramePreferences());
    }
    app::dialogs::SpectrumPropertiesAdapter view(*m_core, *mainFrame, *this);
    CPropertiesPropertySheet sheet(view, this);
    sheet.DoModal();
}

// Cursor, overlays and annotations
// -------------------------------------------------------------

void SpectrumViewWidget::mousePressEvent(QMouseEvent* event)
{
    View::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    if (m_core) {
        const QPoint p = mapFromGlobal(event->globalPosition().toPoint());
        m_core->OnLButtonDown(p.x(), p.y());
    }
}

void SpectrumViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    View::mouseMoveEvent(event);
    if (m_core) {
        const QPoint p = mapFromGlobal(event->globalPosition().toPoint());
        m_core->OnMouseMove(p.x(), p.y());
    }
}

void SpectrumViewWidget::setCursorReadOut(const std::string& text)
{
    if (auto* frame = dynamic_cast<CChildFrameSpectrum*>(GetParentFrame()))
        frame->setStatusText(text);
}

std::optional<AnnotationDialogValues>
SpectrumViewWidget::runAnnotationDialog(int record, const AnnotationDialogValues& values)
{
    if (!m_core)
        return std::nullopt;
    app::dialogs::SpectrumChartOwnerAdapter owner(*m_core, [this] { return chartClientSize(); });
    CEditAnnotationDialog dialog(owner, this);
    dialog.m_annotationIndex = record;
    if (dialog.DoModal() != CEditAnnotationDialog::IDOK)
        return std::nullopt;
    AnnotationDialogValues answer = values;
    answer.text = dialog.m_text;
    answer.face = dialog.m_faceName;
    answer.height = dialog.m_size;
    answer.color = dialog.m_color;
    return answer;
}

// Moves without a pressed button reach the view only while it tracks the mouse.
void SpectrumViewWidget::captureMouse(bool capture)
{
    setMouseTracking(capture);
    m_chartWindow->setMouseTracking(capture);
    if (capture)
        grabMouse();
    else
        releaseMouse();
}

uint32_t SpectrumViewWidget::mainMenu()
{
    const fw::ChildFrame* frame = GetParentFrame();
    const fw::MdiFrame* mdi = frame != nullptr ? frame->GetMDIFrame() : nullptr;
    return mdi != nullptr ? mdi->currentMenu() : 0;
}
