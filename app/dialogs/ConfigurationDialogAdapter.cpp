#include "app/dialogs/ConfigurationDialogAdapter.h"

#include "app/shell/SpectrometerConfiguration.h"

namespace app::dialogs {

uint16_t ConfigurationDialogAdapter::GetSpectrometerType()
{
    return m_configuration.GetSpectrometerType();
}

uint16_t ConfigurationDialogAdapter::GetADCType()
{
    return m_configuration.GetADCType();
}

std::string ConfigurationDialogAdapter::GetSpectrometerSubType()
{
    return m_configuration.GetSpectrometerSubType();
}

uint16_t ConfigurationDialogAdapter::GetChannelRotation()
{
    return m_configuration.GetChannelRotation();
}

void ConfigurationDialogAdapter::SetChannelRotation(uint16_t value)
{
    m_configuration.SetChannelRotation(value);
}

uint16_t ConfigurationDialogAdapter::GetChannelEnabled(int channel)
{
    return m_configuration.GetChannelEnabled(channel);
}

void ConfigurationDialogAdapter::ApplyToDriver()
{
    m_configuration.ApplyToDriver();
}

} // namespace app::dialogs
