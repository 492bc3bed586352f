#include "driver/ui/SetupDialogWindow.h"

#include "platform/win/c/pwin_system.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace driver::ui {
namespace {

using core::SetupList;

int slot(SetupList which)
{
    return static_cast<int>(which);
}

// Scoped flag: while set, the window's own updates do not go back to the model.
class RefreshGuard
{
public:
    explicit RefreshGuard(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~RefreshGuard() { m_flag = m_old; }
    RefreshGuard(const RefreshGuard&) = delete;
    RefreshGuard& operator=(const RefreshGuard&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

intptr_t runSetupDialog(void*, const char*, void* param)
{
    if (!param)
        return PWIN_IDCANCEL;
    try {
        SetupDialogWindow window(*static_cast<core::SetupDialogModel*>(param));
        return window.exec() == QDialog::Accepted ? PWIN_IDOK : PWIN_IDCANCEL;
    } catch (...) {
        return PWIN_IDCANCEL;
    }
}

} // namespace

SetupDialogWindow::SetupDialogWindow(core::SetupDialogModel& model, QWidget* parent)
    : QDialog(parent), m_model(model)
{
    setWindowTitle(QStringLiteral("Configure Hardware"));
    setObjectName(QStringLiteral("Setup"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    setLayout(layout);

    addList(SetupList::Spectrometer, "4000", QStringLiteral("Spectrometer"));
    addList(SetupList::Adc, "4001", QStringLiteral("A/D Converter"));
    addList(SetupList::BaseAddress, "4002", QStringLiteral("Base Address"));
    addList(SetupList::Irq, "4003", QStringLiteral("IRQ"));
    addList(SetupList::UsbSerial, "4010", QStringLiteral("USB Serial Number"));
    addList(SetupList::PciCard, "4021", QStringLiteral("PCI Card"));
    addList(SetupList::SerialPort, "4007", QStringLiteral("Serial Port"));
    addList(SetupList::Baud, "4008", QStringLiteral("Baud Rate"));
    for (int i = 0; i < 8; ++i) {
        if (m_lists[i])
            form->addRow(m_labels[i], m_lists[i]);
    }

    m_firstPixelLabel = new QLabel(QStringLiteral("First Pixel"), this);
    m_firstPixel = new QSpinBox(this);
    m_firstPixel->setObjectName(QStringLiteral("4004"));
    m_firstPixel->setRange(0, 65535);
    m_firstPixel->setValue(m_model.firstPixel());
    form->addRow(m_firstPixelLabel, m_firstPixel);
    connect(m_firstPixel, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_refreshing)
            m_model.setFirstPixel(value);
    });

    m_pixelResolutionLabel = new QLabel(QStringLiteral("Pixel Resolution"), this);
    m_pixelResolution = new QSpinBox(this);
    m_pixelResolution->setObjectName(QStringLiteral("4005"));
    m_pixelResolution->setRange(0, 65535);
    m_pixelResolution->setValue(m_model.pixelResolution());
    form->addRow(m_pixelResolutionLabel, m_pixelResolution);
    connect(m_pixelResolution, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_refreshing)
            m_model.setPixelResolution(value);
    });

    m_compress = new QCheckBox(QStringLiteral("Compress Data"), this);
    m_compress->setObjectName(QStringLiteral("4009"));
    m_compress->setChecked(m_model.compress());
    form->addRow(QString(), m_compress);
    connect(m_compress, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_model.setCompress(on);
    });

    auto* description = new QLabel(QString::fromStdString(m_model.description()), this);
    description->setObjectName(QStringLiteral("115"));
    auto* version = new QLabel(QString::fromStdString(m_model.version()), this);
    version->setObjectName(QStringLiteral("116"));
    layout->addWidget(description);
    layout->addWidget(version);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    showControlsOfType();
}

QComboBox* SetupDialogWindow::list(SetupList which) const
{
    return m_lists[slot(which)];
}

QComboBox* SetupDialogWindow::addList(SetupList which, const char* objectName, const QString& label)
{
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(objectName));
    m_lists[slot(which)] = box;
    m_labels[slot(which)] = new QLabel(label, this);
    fillList(which);
    connect(box, &QComboBox::currentIndexChanged, this, [this, which](int index) {
        if (m_refreshing || index < 0)
            return;
        m_model.select(which, index);
        // A type chosen takes effect for the layout at once.
        if (which == SetupList::Spectrometer || which == SetupList::Adc)
            showControlsOfType();
    });
    return box;
}

void SetupDialogWindow::fillList(SetupList which)
{
    QComboBox* box = m_lists[slot(which)];
    RefreshGuard guard(m_refreshing);
    box->clear();
    const int count = m_model.count(which);
    for (int i = 0; i < count; ++i)
        box->addItem(QString::fromStdString(m_model.item(which, i)));
    box->setCurrentIndex(m_model.selection(which));
}

void SetupDialogWindow::showControlsOfType()
{
    fillList(SetupList::UsbSerial);
    const core::SetupControls shown = m_model.visibleControls();
    const auto show = [this](SetupList which, bool on) {
        m_lists[slot(which)]->setVisible(on);
        m_labels[slot(which)]->setVisible(on);
    };
    show(SetupList::BaseAddress, shown.baseAddress);
    show(SetupList::Irq, shown.irq);
    show(SetupList::UsbSerial, shown.usbSerial);
    show(SetupList::PciCard, shown.pciCard);
    show(SetupList::SerialPort, shown.serialPort);
    show(SetupList::Baud, shown.baud);
    m_firstPixel->setVisible(shown.firstPixel);
    m_firstPixelLabel->setVisible(shown.firstPixel);
    m_pixelResolution->setVisible(shown.pixelResolution);
    m_pixelResolutionLabel->setVisible(shown.pixelResolution);
    m_compress->setVisible(shown.compress);
}

void installSetupDialogHook()
{
    pwin_SetDialogHook("Setup", runSetupDialog, nullptr);
}

} // namespace driver::ui
