#pragma once

#include "driver/core/SetupDialogModel.h"
#include "driver/java/JavaConnection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace driver::core {

// The driver's "Configure Hardware" dialog model: a copy of the configuration taken when
// the dialog opens, edited by the dialog, written back by apply(). Client thread.
class SetupDialog final : public SetupDialogModel
{
public:
    // Takes the current configuration; lists the attached devices of the A/D type's
    // family (their identification opens each device index in turn).
    SetupDialog();

    int count(SetupList list) const override;
    std::string item(SetupList list, int index) const override;
    int selection(SetupList list) const override;
    void select(SetupList list, int index) override;

    int firstPixel() const override { return m_firstPixel; }
    void setFirstPixel(int pixel) override { m_firstPixel = pixel; }
    int pixelResolution() const override { return m_pixelResolution; }
    void setPixelResolution(int resolution) override { m_pixelResolution = resolution; }
    bool compress() const override { return m_compress; }
    void setCompress(bool on) override { m_compress = on; }

    SetupControls visibleControls() const override;
    std::string description() const override;
    std::string version() const override;
    // OK: stores the edited configuration, reconnecting when the A/D type, the IRQ or the
    // serial port changed, and switches to the USB device chosen.
    void apply();
    // Cancel: the configuration stays as it was, and so does the device in use, which a
    // listing of another Java-driven type (loading that type's driver) may have replaced.
    void cancel();

    std::uint16_t spectrometerType() const { return m_spectrometerType; }
    std::uint16_t adcType() const { return m_adcType; }

private:
    void refillUsbSerials();
    // Puts the configured Java-driven device back in use when a listing disturbed it, and
    // marks it for re-initialisation; true when it did.
    bool restoreConfiguredJavaDevice();

    std::uint16_t m_spectrometerType = 0;
    std::uint16_t m_adcType = 0;
    int m_baseAddress = 0;
    int m_irq = 7;
    int m_serialPort = 1;
    int m_pciCardId = 0;
    int m_baudIndex = 5;
    int m_firstPixel = 950;
    int m_pixelResolution = 1;
    bool m_compress = false;
    std::string m_usbSerial; // the configured serial when the dialog opened, and its type
    std::uint16_t m_configuredAdcType = 0;
    std::vector<std::string> m_usbSerials; // the entries after "First Available ..."
    int m_usbSelection = 0;
    std::string m_usbModelWord;
    java::JavaDeviceInUse m_javaDevice; // the configured Java-driven device when it opened
};

} // namespace driver::core
