#pragma once

#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/PropertySheet.h"

#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class SpectrometerNumberEdit;

// "A/D Interface" (dialog 139): spectrometer and A/D type, and what the A/D type needs (IRQ
// and base address, PCI card, serial port, or the USB device by serial number); the Lemmik
// offset. Edits the sheet's working copy. GUI thread only.
class CSpectrometerPropertyPageInterface : public platform::framework::PropertyPage
{
public:
    CSpectrometerPropertyPageInterface(app::dialogs::SpectrometerSheetSettings& settings,
                                       app::dialogs::DialogDriver& driver);

    bool OnInitDialog() override;
    // Takes the typed pixel resolution (1 to 500) into the working copy; false after a refusal,
    // which was shown with the range message and left the focus on the box.
    bool takePixelResolution();
    // Whether the typed pixel resolution would be taken (no message).
    bool pixelResolutionAcceptable() const;

private:
    // Shows the controls the spectrometer and A/D types need, and refills the USB list.
    void refresh();
    void hardwareChoice() { SetModified(true), m_settings.interfaceChanged = true; }

    app::dialogs::SpectrometerSheetSettings& m_settings;
    app::dialogs::DialogDriver& m_driver;
    bool m_filling = false;
    QComboBox* m_spectrometerType;
    QComboBox* m_adcType;
    QComboBox* m_irq;
    QComboBox* m_baseAddress;
    QComboBox* m_pciCard;
    QComboBox* m_usbSerial;
    SpectrometerNumberEdit* m_lemmikOffset;
    QComboBox* m_serialPort;
    QComboBox* m_baudRate;
    QLineEdit* m_pixelResolution;
    QCheckBox* m_compression;
    // Each group with its labels, shown and hidden together.
    std::vector<QWidget*> m_boardControls;
    std::vector<QWidget*> m_pciControls;
    std::vector<QWidget*> m_serialControls;
    std::vector<QWidget*> m_usbControls;
    std::vector<QWidget*> m_lemmikControls;
};
