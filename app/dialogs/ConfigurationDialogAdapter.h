#pragma once

#include "app/dialogs/DialogNeighbours.h"

class CSpectrometerConfiguration;

namespace app::dialogs {

// A spectrometer configuration as the dialogs see it. GUI thread.
class ConfigurationDialogAdapter : public DialogConfiguration
{
public:
    explicit ConfigurationDialogAdapter(CSpectrometerConfiguration& configuration)
        : m_configuration(configuration)
    {}

    uint16_t GetSpectrometerType() override;
    uint16_t GetADCType() override;
    std::string GetSpectrometerSubType() override;
    uint16_t GetChannelRotation() override;
    void SetChannelRotation(uint16_t value) override;
    uint16_t GetChannelEnabled(int channel) override;
    void ApplyToDriver() override;

private:
    CSpectrometerConfiguration& m_configuration;
};

} // namespace app::dialogs
