#pragma once

#include <string>

namespace driver::core {

// The lists of the "Configure Hardware" dialog.
enum class SetupList
{
    Spectrometer, // control 4000
    Adc,          // 4001
    BaseAddress,  // 4002
    Irq,          // 4003
    SerialPort,   // 4007
    Baud,         // 4008
    UsbSerial,    // 4010
    PciCard,      // 4021
};

// Which controls (and their labels) the dialog shows for the chosen A/D type; the two
// type lists are always shown.
struct SetupControls
{
    bool baseAddress = false;
    bool irq = false;
    bool firstPixel = false;
    bool usbSerial = false;
    bool pciCard = false;
    bool serialPort = false;
    bool baud = false;
    bool pixelResolution = false;
    bool compress = false;
};

// What the "Configure Hardware" dialog shows and edits. The driver hands one to the
// set-up hook as the dialog's parameter; the dialog edits the model's copy of the
// configuration and answers IDOK or IDCANCEL. The driver stores the copy only when the
// answer is IDOK, so Cancel changes nothing. Only virtual
// members: a dialog built outside the library reaches it through the table alone.
// Used on the thread that runs the dialog, during the hook's call only.
class SetupDialogModel
{
public:
    virtual ~SetupDialogModel() = default;

    virtual int count(SetupList list) const = 0;
    virtual std::string item(SetupList list, int index) const = 0;
    // The selected row, -1 for none.
    virtual int selection(SetupList list) const = 0;
    // Selects a row; choosing a type changes the visible controls at once.
    virtual void select(SetupList list, int index) = 0;

    virtual int firstPixel() const = 0; // control 4004
    virtual void setFirstPixel(int pixel) = 0;
    virtual int pixelResolution() const = 0; // control 4005
    virtual void setPixelResolution(int resolution) = 0;
    virtual bool compress() const = 0; // check box 4009 "Compress Data"
    virtual void setCompress(bool on) = 0;

    virtual SetupControls visibleControls() const = 0;
    // The library's description and version (static texts 115 and 116).
    virtual std::string description() const = 0;
    virtual std::string version() const = 0;
};

} // namespace driver::core
