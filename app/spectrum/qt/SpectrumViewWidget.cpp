#include "app/spectrum/qt/SpectrumViewWidget.h"

#include "app/qt/ChildFrameSpectrum.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "platform/chart/Xrt.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/CmdUI.h"
#include "platform/win/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include <array>

using platform::chart::CChart2D;

namespace {

// The command ids the core handles, for the routing of commands and their menu states.
constexpr unsigned kViewCommands[] = {32792, 32793, 32794, 32795, 32796, 32797,
                                      32798, 33086, 33094, 32821, 32816, 32817,
                                      32880, 32881, 32879, 32818, 32912, 32882};

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

QString filterList(const std::string& filters)
{
    // "Name|*.ext|Name|*.ext||" becomes "Name (*.ext);;Name (*.ext)".
    const QStringList parts = QString::fromStdString(filters).split('|', Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return out.join(QStringLiteral(";;"));
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
    for (const unsigned id : kViewCommands) {
        onCommand(id, [this, id] {
            if (m_core)
                m_core->OnCommand(id);
        });
        onUpdate(id, [this, id](platform::framework::CmdUI& ui) {
            if (!m_core)
                return;
            const CHarluneSpectrumView::CommandState state = m_core->commandState(id);
            ui.Enable(state.enabled);
            if (state.checked >= 0)
                ui.SetCheck(state.checked);
        });
    }
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
    if (message == CHarluneSpectrumView::kDeviceCoefficientsMessage) {
        handled = true;
        return m_core->OnLoadDeviceCoefficients(wParam != 0 ? 1 : 0);
    }
    return View::OnWindowMessage(message, wParam, lParam, handled);
}

void SpectrumViewWidget::keyPressEvent(QKeyEvent* event)
{
    View::keyPressEvent(event);
    if (const unsigned key = virtualKey(*event); key != 0 && m_core)
        m_core->OnKeyDown(key);
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
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    auto* check =
        new QCheckBox(QStringLiteral("Continue to &warn me about this potential problem"), &box);
    check->setChecked(continueToWarn);
    box.setCheckBox(check);
    const int result = box.exec();
    continueToWarn = check->isChecked();
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

SpectrumDocWindow::Answer SpectrumViewWidget::showMessageBox(const std::string& text,
                                                             const std::string& caption,
                                                             Buttons buttons)
{
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    if (buttons == Buttons::YesNo)
        set = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == Buttons::YesNoCancel)
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), set, this);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

void SpectrumViewWidget::playSoundAsync(const std::string&)
{
    // No sound output yet: silence, as with a missing sound device.
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

void SpectrumViewWidget::setBarText(SpectrumBar, int, const std::string&)
{
    // The child frame's accessory bars come with the accessory controls.
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
    const QString path =
        QFileDialog::getOpenFileName(this, QString::fromStdString(title), {}, filterList(filters));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

std::optional<std::array<std::string, 4>>
SpectrumViewWidget::showSetScaleDialog(const std::array<std::string, 4>& texts)
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Set Scale"));
    auto* form = new QFormLayout(&dialog);
    const char* labels[4] = {"X Minimum", "X Maximum", "Y Minimum", "Y Maximum"};
    std::array<QLineEdit*, 4> edits{};
    for (int i = 0; i < 4; ++i) {
        edits[i] = new QLineEdit(QString::fromStdString(texts[i]), &dialog);
        form->addRow(QString::fromLatin1(labels[i]), edits[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    std::array<std::string, 4> out;
    for (int i = 0; i < 4; ++i)
        out[i] = edits[i]->text().toStdString();
    return out;
}

std::optional<std::string> SpectrumViewWidget::showColorTemperatureDialog(const std::string& text,
                                                                          bool& assumeSecondOrder)
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Reference Color Temperature"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QLineEdit(QString::fromStdString(text), &dialog);
    auto* check =
        new QCheckBox(QStringLiteral("&Assume Second Order Light is Being Detected"), &dialog);
    check->setChecked(assumeSecondOrder);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(edit);
    layout->addWidget(check);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    assumeSecondOrder = check->isChecked();
    return edit->text().toStdString();
}

std::optional<std::array<int, 8>>
SpectrumViewWidget::selectChannels(const std::array<int16_t, 8>& enables,
                                   const std::array<int, 8>& selected)
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Select Spectrometer Channels"));
    auto* layout = new QVBoxLayout(&dialog);
    std::array<QCheckBox*, 8> boxes{};
    for (int k = 0; k < 8; ++k) {
        const QString name = k == 0 ? QStringLiteral("Master") : QStringLiteral("Slave %1").arg(k);
        boxes[k] = new QCheckBox(name, &dialog);
        boxes[k]->setEnabled(enables[k] != 0);
        boxes[k]->setChecked(selected[k] != 0);
        layout->addWidget(boxes[k]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    std::array<int, 8> out{};
    for (int k = 0; k < 8; ++k)
        out[k] = boxes[k]->isChecked() ? 1 : 0;
    return out;
}
