#include "app/spectrum/qt/ShellSpectrumServices.h"

#include "app/shell/DriverApi.h"
#include "app/shell/MainFrame.h"
#include "app/spectrum/HarluneSpectrumDoc.h"

int16_t DriverApiViewDriver::VYK_Register(RegistrationRecord* record)
{
    return m_driver.VYK_Register(record);
}

int16_t DriverApiViewDriver::VYK_ParamSet(RegistrationRecord* record)
{
    return m_driver.VYK_ParamSet(record);
}

int16_t DriverApiViewDriver::VYK_BufferEmpty(uint32_t instanceKey, int16_t channel)
{
    return m_driver.VYK_BufferEmpty(instanceKey, channel);
}

uint16_t DriverApiViewDriver::VYK_GetSpectrometerType()
{
    return m_driver.VYK_GetSpectrometerType();
}

int16_t DriverApiViewDriver::VYK_StrobeEnable(int16_t enable)
{
    return m_driver.VYK_StrobeEnable(enable);
}

void DriverApiViewDriver::VYK_DisableMultichannelSpectra()
{
    m_driver.VYK_DisableMultichannelSpectra();
}

int16_t DriverApiViewDriver::Xandel_EnableFan(int16_t enable)
{
    return m_driver.Xandel_EnableFan(enable);
}

int16_t DriverApiViewDriver::Xandel_EnableCooler(int16_t enable)
{
    return m_driver.Xandel_EnableCooler(enable);
}

int16_t DriverApiViewDriver::Ulmar_SetTECEnable(int16_t enable)
{
    return m_driver.Ulmar_SetTECEnable(enable);
}

int16_t DriverApiViewDriver::Pavik_SetMavrinModulation(int32_t modulation)
{
    return m_driver.Pavik_SetMavrinModulation(modulation);
}

SpectrumPreferences& MainFrameViewFrame::preferences()
{
    return m_documentFrame.preferences();
}

int MainFrameViewFrame::VerifyCommand(int menuVerify)
{
    return m_mainFrame.VerifyCommand(menuVerify);
}

void MainFrameViewFrame::StartNextScan()
{
    m_mainFrame.StartNextScan();
}

void MainFrameViewFrame::clearScanPending()
{
    m_mainFrame.scanMessageHandled();
}

void MainFrameViewFrame::setAcquisitionHalted(int value)
{
    m_mainFrame.SetAcquisitionSuspended(value);
}

uint32_t MainFrameViewFrame::instanceKey()
{
    return m_mainFrame.instanceKey();
}

uint32_t MainFrameViewFrame::tickCountMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
