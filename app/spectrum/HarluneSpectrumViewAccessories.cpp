// The spectrum view's accessory controls: the refresh of the frame's acquisition and accessory
// bars, Emergency Reset, Single Exposure, the features dialog and the forwarders to the
// accessories' driver exports.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/AcquisitionBar.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"

#include <charconv>
#include <string>

using namespace app::spectrum;
using namespace app::res;

namespace {

// Control ids of the frame's bars that the refresh and the reset write.
enum BarControl : int
{
    kIntegrationEdit = 1006,
    kIntegrationSpin = 1007,
    kAveragesEdit = 1009,
    kAveragesSpin = 1010,
    kBoxcarEdit = 1012,
    kBoxcarSpin = 1013,
    kCorrectForDark = 1014,
    kFlashDelayEdit = 1017,
    kFlashDelaySpin = 1018,
    kStrobeEnable = 1019,
    kMavrinModulate = 1020,
    kMavrinTemperature = 1021,
    kIntegrationLabel = 1304,
    kMavrinDegreeC = 1540,
    kMavrinDegreeF = 1541,
    kMavrinLedOn = 1542,
    kTecOn = 1576,
    kTecSetPoint = 1581,
    kNorrelVisLampOn = 1584,
    kNorrelLampOn = 1585,
    kNorrelShutterOpen = 1586,
    kNorrelVisIntensity = 1588,
    kNorrelUvIntensity = 1589,
    kFirstUnitButton = 1596,
};

// Values Emergency Reset puts back.
constexpr uint16_t kSafeIntegrationMs = 100;
constexpr int16_t kSafeFlashDelay = 100;
// Trigger mode of long integration times: scans are taken one at a time.
constexpr int32_t kLongIntegrationTrigger = 4;

// "%0.1f" without the process locale.
std::string oneDecimal(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0.0");
}

} // namespace

// ---------------------------------------------------------------------------------------
// Bar refresh

void CHarluneSpectrumView::UpdateAcquisitionBar()
{
    if (m_destroyed != 0)
        return;
    if (m_acquisitionBarArmed == 0) {
        m_acquisitionBarArmed = 1;
        return;
    }
    const uint16_t adcType = m_configuration->GetADCType();
    IntegrationLimitInputs inputs;
    inputs.adcType = adcType;
    inputs.spectrometerType = m_configuration->GetSpectrometerType();
    inputs.microseconds = m_record.microsecondFlag == 1;
    inputs.activeConfiguration = m_frame.activeConfigurationFamily();
    inputs.configurationLowerLimit = m_frame.activeConfigurationLowerIntegrationLimit();
    const AcquisitionBarContent bar = refreshAcquisitionRecord(m_record, inputs);
    m_integrationMinimum = bar.limits.minimum;
    m_integrationMaximum = bar.limits.maximum;

    constexpr SpectrumBar acquisition = SpectrumBar::Acquisition;
    m_window.setBarText(acquisition, kFirstUnitButton, bar.firstUnitCaption);
    if (bar.integrationLabel)
        m_window.setBarText(acquisition, kIntegrationLabel, *bar.integrationLabel);
    // The spin's range is a signed 32-bit pair; the limits stay well inside it.
    m_window.setBarSpinRange(acquisition, kIntegrationSpin,
                             static_cast<int32_t>(bar.limits.minimum),
                             static_cast<int32_t>(bar.limits.maximum));
    m_window.setBarSpinRange(acquisition, kAveragesSpin, kAveragesSpinMinimum,
                             kAveragesSpinMaximum);
    m_window.setBarSpinRange(acquisition, kBoxcarSpin, 0, kBoxcarSpinMaximum);
    m_window.setBarSpinRange(acquisition, kFlashDelaySpin, 0, kFlashDelaySpinMaximum);
    m_window.setBarText(acquisition, kIntegrationEdit, bar.integrationText);
    m_window.setBarText(acquisition, kAveragesEdit, bar.averagesText);
    m_window.setBarText(acquisition, kBoxcarEdit, bar.boxcarText);
    m_window.setBarText(acquisition, kFlashDelayEdit, bar.flashDelayText);
    m_window.setBarCheck(acquisition, kCorrectForDark, m_record.correctForDark != 0);
    m_record.strobeFlashSelect = m_strobeEnable == 1 ? 1 : 0;
    m_window.setBarCheck(acquisition, kStrobeEnable, m_record.strobeFlashSelect != 0);

    m_window.setBarCheck(SpectrumBar::Mavrin, kMavrinLedOn, m_mavrinLampOn != 0);
    m_window.setBarCheck(SpectrumBar::Mavrin, kMavrinModulate, m_mavrinModulation != 0);
    m_window.setBarCheck(SpectrumBar::Mavrin, kMavrinTemperature, m_mavrinTemperatureReadOut != 0);
    const bool celsius = m_temperatureInCelsius == 1;
    m_window.setBarCheck(SpectrumBar::Mavrin, kMavrinDegreeC, celsius);
    m_window.setBarCheck(SpectrumBar::Mavrin, kMavrinDegreeF, !celsius);

    m_window.setBarCheck(SpectrumBar::Cooler, kTecOn, m_coolerOn != 0);
    m_window.setBarText(SpectrumBar::Cooler, kTecSetPoint, oneDecimal(m_coolerSetPoint));

    // Only the Pavik carries the Norrel unit: no other type's device is asked.
    if (adcType == VYK_ADC_PAVIK) {
        m_window.setBarText(SpectrumBar::Norrel, kNorrelVisIntensity,
                            std::to_string(m_driver.Pavik_Norrel_GetVisLampIntensity()));
        m_window.setBarText(SpectrumBar::Norrel, kNorrelUvIntensity,
                            std::to_string(m_driver.Pavik_Norrel_GetUVLampIntensity()));
        m_window.setBarCheck(SpectrumBar::Norrel, kNorrelShutterOpen, m_strobeEnable != 0);
        m_window.setBarCheck(SpectrumBar::Norrel, kNorrelVisLampOn,
                             m_driver.Pavik_Norrel_GetVisLampOn() == 1);
        m_window.setBarCheck(SpectrumBar::Norrel, kNorrelLampOn,
                             m_driver.Pavik_Norrel_GetLampOn() == 1);
    }
}

// ---------------------------------------------------------------------------------------
// Commands

void CHarluneSpectrumView::OnEmergencyReset()
{
    // Every road (menu, Global Emergency Reset, automation) asks the script first.
    if (m_destroyed != 0 || !verify(mvSpecSpectrumEmergencyReset))
        return;
    m_record.boxcarHalfWidth = 0;
    m_record.triggerMode = 0;
    m_snapshotState = 0;
    m_record.integration = kSafeIntegrationMs;
    m_record.scansToAverage = 1;
    m_record.flashDelay = kSafeFlashDelay;
    m_window.setBarText(SpectrumBar::Acquisition, kIntegrationEdit, "100");
    m_window.setBarText(SpectrumBar::Acquisition, kAveragesEdit, "1");
    m_window.setBarText(SpectrumBar::Acquisition, kBoxcarEdit, "0");
    m_window.setBarText(SpectrumBar::Acquisition, kFlashDelayEdit, "100");
    OnScopeMode();
    m_frame.StartNextScan();
}

void CHarluneSpectrumView::StartNextScan()
{
    if (m_destroyed == 0)
        m_frame.StartNextScan();
}

void CHarluneSpectrumView::OnSingleExposure()
{
    if (!verify(mvSpecSpectrumSingleExposure))
        return;
    m_snapshotState = 99;
    if (m_record.triggerMode == kLongIntegrationTrigger)
        m_frame.SuspendAndStartNextScan();
}

void CHarluneSpectrumView::OnFeaturesDialog()
{
    m_window.showFeaturesDialog(m_trevanDialogTimerInterval);
}

bool CHarluneSpectrumView::accessoryCommand(unsigned id)
{
    switch (id) {
    case ID_EMERGENCY_RESET:
        OnEmergencyReset();
        return true;
    case ID_SINGLE_EXPOSURE:
        if (accessoryCommandState(id).enabled)
            OnSingleExposure();
        return true;
    case ID_FEATURES_DIALOG:
        // F2 may arrive while the item is disabled (any type but Trevan to Quarn).
        if (accessoryCommandState(id).enabled)
            OnFeaturesDialog();
        return true;
    case ID_CONFIGURE_STANDARD_CORRECTION:
    case ID_CONFIGURE_STANDARD_CORRECTION_2:
        return true;
    default:
        return false;
    }
}

CHarluneSpectrumView::CommandState CHarluneSpectrumView::accessoryCommandState(unsigned id) const
{
    switch (id) {
    case ID_SINGLE_EXPOSURE:
        return {true, m_snapshotState != 0, -1};
    case ID_FEATURES_DIALOG: {
        const uint16_t adcType = m_configuration->GetADCType();
        return {true, adcType >= VYK_ADC_TREVAN && adcType <= VYK_ADC_QUARN, -1};
    }
    case ID_EMERGENCY_RESET:
    case ID_CONFIGURE_STANDARD_CORRECTION:
    case ID_CONFIGURE_STANDARD_CORRECTION_2:
        return {true, true, -1};
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------
// Forwarders

int32_t CHarluneSpectrumView::CallPavikSetMavrinDA(int32_t value)
{
    return m_driver.Pavik_SetMavrinDA(value);
}

int32_t CHarluneSpectrumView::CallBrontelUSBDACWriteValue(int32_t channel, int32_t value)
{
    return m_driver.BrontelUSB_DAC_WriteValue(channel, value);
}

int32_t CHarluneSpectrumView::CallPavikNorrelLampOn(int32_t on)
{
    return m_driver.Pavik_Norrel_LampOn(on);
}

int32_t CHarluneSpectrumView::CallPavikNorrelSetVisLampOn(int32_t on)
{
    return m_driver.Pavik_Norrel_SetVisLampOn(on);
}

int32_t CHarluneSpectrumView::CallPavikNorrelSetShutterOpened(int32_t open)
{
    return m_driver.Pavik_Norrel_SetShutterOpened(open);
}

int32_t CHarluneSpectrumView::CallPavikNorrelStoreCurrentPotValues()
{
    return m_driver.Pavik_Norrel_StoreCurrentPotValues();
}

int32_t CHarluneSpectrumView::CallPavikNorrelSetVisLampIntensity(int32_t value)
{
    return m_driver.Pavik_Norrel_SetVisLampIntensity(value);
}

int32_t CHarluneSpectrumView::CallPavikNorrelGetVisLampIntensity()
{
    return m_driver.Pavik_Norrel_GetVisLampIntensity();
}

int32_t CHarluneSpectrumView::CallPavikNorrelSetUVLampIntensity(int32_t value)
{
    return m_driver.Pavik_Norrel_SetUVLampIntensity(value);
}

int32_t CHarluneSpectrumView::CallPavikNorrelGetUVLampIntensity()
{
    return m_driver.Pavik_Norrel_GetUVLampIntensity();
}

int32_t CHarluneSpectrumView::SetXandelHighGain(int highGain)
{
    m_highGainMode = highGain;
    return m_driver.Xandel_EnableHighGain(highGain);
}

void CHarluneSpectrumView::SetXandelFanAndCooler(int on)
{
    m_coolerOn = on;
    m_driver.Xandel_EnableFan(static_cast<int16_t>(on));
    m_driver.Xandel_EnableCooler(static_cast<int16_t>(on));
}

int CHarluneSpectrumView::AreStoredSpectraComplete() const
{
    const ChannelSpectra& spectra = m_document.spectra();
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (m_record.channelEnables[k] == 0)
            continue;
        if (spectra.darkStored[k] == 0 || spectra.referenceStored[k] == 0)
            return 0;
        if (m_timeNormalization == 1 && spectra.sampleDarkStored[k] == 0)
            return 0;
    }
    return 1;
}

// ---------------------------------------------------------------------------------------
// Script events

void CHarluneSpectrumView::fireKeystroke(unsigned key, unsigned flags)
{
    m_frame.fireKeystroke(static_cast<int32_t>(key), static_cast<int32_t>(flags), windowName());
}
