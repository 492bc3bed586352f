#include "app/dialogs/SpectrometerPropertyPageInterface.h"

#include "app/dialogs/DataExchange.h"
#include "app/dialogs/SpectrometerPageFields.h"
#include "platform/framework/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

using namespace app::dialogs;
using platform::framework::setControlId;

namespace {

constexpr ValueRange kPixelResolutionRange{kMinPixelResolution, kMaxPixelResolution};

} // namespace

CSpectrometerPropertyPageInterface::CSpectrometerPropertyPageInterface(
    SpectrometerSheetSettings& settings, DialogDriver& driver)
    : PropertyPage(139, "A/D Interface"), m_settings(settings), m_driver(driver)
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto add = [&](const char* label, QWidget* control, unsigned id, std::vector<QWidget*>* group) {
        setControlId(control, id);
        auto* text = new QLabel(QString::fromUtf8(label), this);
        grid->addWidget(text, row, 0);
        grid->addWidget(control, row++, 1);
        if (group != nullptr) {
            group->push_back(text);
            group->push_back(control);
        }
    };
    auto combo = [this](std::span<const char* const> entries) {
        auto* box = new QComboBox(this);
        fillComboBox(box, entries);
        return box;
    };

    m_spectrometerType = combo(spectrometerTypeNames());
    add("Spectrometer Type", m_spectrometerType, 1431, nullptr);
    m_adcType = combo(adcTypeNames());
    add("A/D Converter Type", m_adcType, 1434, nullptr);
    m_irq = new QComboBox(this);
    for (int k = 0; k < 16; ++k)
        m_irq->addItem(QString::number(k));
    add("Interrupt Request (IRQ)", m_irq, 1435, &m_boardControls);
    m_baseAddress = new QComboBox(this);
    for (int k = 0; k < kBaseAddressEntries; ++k)
        m_baseAddress->addItem(QString::fromStdString(baseAddressText(k)));
    add("Base Address (I/O Range)", m_baseAddress, 1436, &m_boardControls);
    m_pciCard = new QComboBox(this);
    for (int k = 0; k < 16; ++k)
        m_pciCard->addItem(QString::number(k));
    add("PCI Card Identifier", m_pciCard, 1439, &m_pciControls);
    m_usbSerial = new QComboBox(this);
    add("USB Serial Number", m_usbSerial, 1535, &m_usbControls);
    m_lemmikOffset = new SpectrometerNumberEdit(this, 1507, "%.2f", [this](double value) {
        SetModified(true);
        m_settings.lemmikOffset = value;
    });
    add("Lemmik Offset", m_lemmikOffset, 1507, &m_lemmikControls);
    m_serialPort = combo(serialPortNames());
    add("Kaldris Serial Port", m_serialPort, 1437, &m_serialControls);
    m_baudRate = combo(baudRateNames());
    add("Kaldris Baud Rate", m_baudRate, 1438, &m_serialControls);
    m_pixelResolution = new QLineEdit(this);
    add("Kaldris Pixel Resolution", m_pixelResolution, 1433, &m_serialControls);
    m_compression = new QCheckBox(QStringLiteral("&Compress Kaldris Data"), this);
    setControlId(m_compression, 1522);
    grid->addWidget(m_compression, row++, 1);
    m_serialControls.push_back(m_compression);
    grid->setRowStretch(row, 1);

    // A choice by the user (activated), not a fill by the page.
    connect(m_spectrometerType, &QComboBox::activated, this, [this](int index) {
        hardwareChoice();
        m_settings.spectrometerType = static_cast<uint16_t>(index * 256);
        refresh();
    });
    connect(m_adcType, &QComboBox::activated, this, [this](int index) {
        hardwareChoice();
        m_settings.adcType = adcTypeOfIndex(index);
        refresh();
    });
    connect(m_irq, &QComboBox::activated, this, [this](int index) {
        hardwareChoice();
        m_settings.irq = static_cast<uint16_t>(index);
    });
    connect(m_baseAddress, &QComboBox::activated, this, [this](int index) {
        hardwareChoice();
        m_settings.baseAddress = static_cast<uint32_t>(index) * 16;
    });
    connect(m_pciCard, &QComboBox::activated, this, [this](int index) {
        hardwareChoice();
        m_settings.pciCardId = static_cast<uint16_t>(index);
    });
    connect(m_serialPort, &QComboBox::activated, this, [this](int index) {
        hardwareChoice();
        m_settings.serialPort = static_cast<uint16_t>(index);
    });
    connect(m_usbSerial, &QComboBox::activated, this, [this](int index) {
        hardwareChoice();
        m_settings.usbSerialNumber = m_usbSerial->itemText(index).toStdString();
    });
    connect(m_baudRate, &QComboBox::activated, this, [this](int index) {
        SetModified(true);
        m_settings.baudRateIndex = static_cast<uint16_t>(index);
    });
    connect(m_compression, &QCheckBox::clicked, this, [this](bool on) {
        SetModified(true);
        m_settings.compression = on ? 1 : 0;
    });
    connect(m_pixelResolution, &QLineEdit::textChanged, this, [this] {
        if (!m_filling)
            SetModified(true);
    });
}

void CSpectrometerPropertyPageInterface::refresh()
{
    const InterfaceGroup group = interfaceGroup(m_settings.adcType);
    auto show = [](std::vector<QWidget*>& controls, bool on) {
        for (QWidget* control : controls)
            control->setVisible(on);
    };
    show(m_boardControls, group == InterfaceGroup::Boards);
    show(m_pciControls, group == InterfaceGroup::PciCard);
    show(m_serialControls, group == InterfaceGroup::SerialPort);
    show(m_usbControls, group == InterfaceGroup::Usb);
    show(m_lemmikControls, lemmikOffsetShown(m_settings.spectrometerType));
    if (group != InterfaceGroup::Usb)
        return;
    m_usbSerial->clear();
    UsbSerialList list = listUsbSerials(m_settings.adcType, m_settings.spectrometerType, m_driver);
    // The list is a sorted one.
    std::sort(list.serials.begin(), list.serials.end());
    for (const std::string& serial : list.serials)
        m_usbSerial->addItem(QString::fromStdString(serial));
    m_usbSerial->setCurrentIndex(m_usbSerial->findText(QString::fromStdString(list.current)));
}

bool CSpectrometerPropertyPageInterface::OnInitDialog()
{
    m_filling = true;
    // Codes the list does not name are shown as "None" and stored as 255.
    m_settings.adcType = knownAdcType(m_settings.adcType);
    m_spectrometerType->setCurrentIndex(indexOfSpectrometerType(m_settings.spectrometerType));
    m_adcType->setCurrentIndex(indexOfAdcType(m_settings.adcType));
    m_irq->setCurrentIndex(m_settings.irq < 16 ? m_settings.irq : -1);
    const uint32_t baseIndex = m_settings.baseAddress / 16;
    m_baseAddress->setCurrentIndex(m_settings.baseAddress % 16 == 0 &&
                                           baseIndex < kBaseAddressEntries
                                       ? static_cast<int>(baseIndex)
                                       : -1);
    m_pciCard->setCurrentIndex(m_settings.pciCardId < 16 ? m_settings.pciCardId : -1);
    m_serialPort->setCurrentIndex(m_settings.serialPort <= 16 ? m_settings.serialPort : -1);
    m_baudRate->setCurrentIndex(m_settings.baudRateIndex < 7 ? m_settings.baudRateIndex : -1);
    m_pixelResolution->setText(QString::number(m_settings.pixelResolution));
    m_compression->setChecked(m_settings.compression != 0);
    m_lemmikOffset->display(m_settings.lemmikOffset);
    m_filling = false;
    m_settings.interfaceChanged = false;
    refresh();
    return true;
}

bool CSpectrometerPropertyPageInterface::takePixelResolution()
{
    if (!initialised())
        return true;
    DataExchange exchange(this, true);
    long long value = m_settings.pixelResolution;
    exchange.integer(1433, value, kPixelResolutionRange);
    if (exchange.failed())
        return false;
    m_settings.pixelResolution = static_cast<uint16_t>(value);
    return true;
}

bool CSpectrometerPropertyPageInterface::pixelResolutionAcceptable() const
{
    if (!initialised())
        return true;
    const std::optional<long long> value = parseInteger(m_pixelResolution->text().toStdString());
    return value && kPixelResolutionRange.contains(*value);
}
