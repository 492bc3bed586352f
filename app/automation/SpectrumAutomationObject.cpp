#include "app/automation/SpectrumAutomationObject.h"

bool SpectrumAutomationObject::SetWindowByUSBSerialNumber(const std::string& serial)
{
    return m_selection.SetByUSBSerialNumber(serial) != 0;
}

bool SpectrumAutomationObject::SetWindowActive()
{
    return m_selection.GetTargetView() != 0;
}

bool SpectrumAutomationObject::SetWindowBySerialPort(int32_t port)
{
    return m_selection.SetBySerialPort(port) != 0;
}

bool SpectrumAutomationObject::SetWindowByWindowName(const std::string& title)
{
    return m_selection.SetByWindowName(title) != 0;
}

bool SpectrumAutomationObject::SetWindowByIRQ(int32_t irq)
{
    return m_selection.SetByIRQ(irq) != 0;
}

bool SpectrumAutomationObject::SetWindowByBaseAddress(int32_t address)
{
    return m_selection.SetByBaseAddress(address) != 0;
}
