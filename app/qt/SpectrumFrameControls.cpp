#include "app/qt/SpectrumFrameControls.h"

#include "app/res/MenuVerify.h"
#include "app/shell/NumberText.h"
#include "app/spectrum/AcquisitionBar.h"

#include <algorithm>
#include <optional>

using namespace app::res;
using app::spectrum::saturateIntegration;
using app::spectrum::saturateMicroseconds;
using app::spectrum::saturateRecordShort;

namespace {

// The text as the original controls hand it over: at most `limit` characters.
int leadingInt(const std::string& text, size_t limit)
{
    return app::text::atoiC(text.substr(0, limit).c_str());
}

// A whole number typed into an acquisition edit (at most `limit` characters, blanks around it
// allowed), saturated at the 64-bit range; nothing when the text is not a number, so that a
// slip ("abc", an emptied edit, "12x") keeps the value the window has.
std::optional<long long> typedInteger(const std::string& text, size_t limit)
{
    const std::string cut = text.substr(0, limit);
    const size_t first = cut.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const size_t last = cut.find_last_not_of(" \t");
    const std::string number = cut.substr(first, last - first + 1);
    size_t digits = number[0] == '-' || number[0] == '+' ? 1 : 0;
    if (digits == number.size())
        return std::nullopt;
    for (size_t i = digits; i < number.size(); ++i)
        if (number[i] < '0' || number[i] > '9')
            return std::nullopt;
    return app::text::atollC(number.c_str());
}

// Ranges of the bar's other edits, the same as their spins'; the flash delay also stops at
// what the record's 16-bit field holds.
constexpr long long kAveragesMinimum = app::spectrum::kAveragesSpinMinimum;
constexpr long long kAveragesMaximum = app::spectrum::kAveragesSpinMaximum;
constexpr long long kBoxcarMaximum = app::spectrum::kBoxcarSpinMaximum;
constexpr long long kFlashDelayMaximum =
    std::min<long long>(app::spectrum::kFlashDelaySpinMaximum, 0x7FFF);

// Whether a bar's edit or spin changed what the next scan asks of the driver.
bool acquisitionValuesDiffer(const RegistrationRecord& a, const RegistrationRecord& b)
{
    return a.integration != b.integration ||
           a.microsecondIntegrationTime != b.microsecondIntegrationTime ||
           a.scansToAverage != b.scansToAverage || a.boxcarHalfWidth != b.boxcarHalfWidth ||
           a.flashDelay != b.flashDelay;
}

} // namespace

SpectrumFrameControls::SpectrumFrameControls(SpectrumFrameBarWindow& bars,
                                             std::function<SpectrumFrameView*()> activeView,
                                             std::function<int32_t(int32_t)> verify)
    : m_bars(bars), m_activeView(std::move(activeView)), m_verify(std::move(verify))
{}

SpectrumFrameView* SpectrumFrameControls::view()
{
    return m_activeView ? m_activeView() : nullptr;
}

bool SpectrumFrameControls::allowed(int32_t action)
{
    return !m_verify || m_verify(action) != 0;
}

bool SpectrumFrameControls::OnIntegrationSpin(int delta)
{
    if (!allowed(mvAcquisitionParametersIntegrationTime))
        return false;
    SpectrumFrameView* v = view();
    if (v == nullptr)
        return true;
    RegistrationRecord& record = v->record();
    const bool microseconds = record.microsecondFlag == 1;
    long long value = 0;
    if (microseconds && v->adcType() == kAdcUlmar) {
        value = static_cast<long long>(record.microsecondIntegrationTime) + delta * 1000LL;
    } else if (microseconds) {
        value = static_cast<long long>(record.microsecondIntegrationTime) + delta * 10LL;
        // Down to a multiple of 10 (toward minus infinity; the clamp below takes care of
        // anything under the lower limit).
        value -= ((value % 10) + 10) % 10;
    } else {
        value = static_cast<long long>(record.integration) + delta;
    }
    // The limits are unsigned: a step below zero stays at the lower limit instead of
    // wrapping round to the upper one.
    const long long lower = v->integrationMinimum();
    const long long upper = std::max<long long>(lower, v->integrationMaximum());
    value = std::clamp(value, lower, upper);
    const RegistrationRecord before = record;
    if (microseconds)
        record.microsecondIntegrationTime = saturateMicroseconds(value);
    else
        record.integration = saturateIntegration(value);

    // The skip lasts for the refill only, even when the refill fails.
    struct SkipDuringRefill
    {
        bool& skip;
        explicit SkipDuringRefill(bool& flag) : skip(flag) { skip = true; }
        ~SkipDuringRefill() { skip = false; }
    } skipping(m_skipIntegrationEdit);
    v->UpdateAcquisitionBar();
    if (acquisitionValuesDiffer(before, record))
        v->StartNextScan();
    return true;
}

bool SpectrumFrameControls::allowSpin(unsigned spin)
{
    switch (spin) {
    case IDC_AVERAGE_SPIN:
        return allowed(mvAcquisitionParametersAverage);
    case IDC_BOXCAR_SPIN:
        return allowed(mvAcquisitionParametersBoxcar);
    case IDC_STROBE_FREQUENCY_SPIN:
        return allowed(mvAcquisitionParametersFlashDelay);
    case IDC_NORREL_VIS_SPIN:
        return allowed(mvUSBNorrelVisIntensity);
    case IDC_NORREL_UV_SPIN:
        return allowed(mvUSBNorrelUVIntensity);
    default:
        return true;
    }
}

void SpectrumFrameControls::OnIntegrationTimeChanged(const std::string& text)
{
    if (m_skipIntegrationEdit) {
        // The spin has already stored this value.
        m_skipIntegrationEdit = false;
        return;
    }
    SpectrumFrameView* v = view();
    if (v == nullptr)
        return;
    const std::optional<long long> n = typedInteger(text, 30);
    if (!n)
        return;
    // Clamped to the window's limits as the spin clamps its steps; the edit then shows the
    // value kept (OnEditFinished).
    const long long lower = v->integrationMinimum();
    const long long upper = std::max<long long>(lower, v->integrationMaximum());
    RegistrationRecord& record = v->record();
    if (record.microsecondFlag == 1) {
        // The UlmarADC's edit counts in ms over a microsecond record.
        const long long us = v->adcType() == kAdcUlmar
                                 ? std::clamp<long long>(*n, -(1LL << 40), 1LL << 40) * 1000
                                 : *n;
        record.microsecondIntegrationTime = saturateMicroseconds(std::clamp(us, lower, upper));
    } else {
        record.integration = saturateIntegration(std::clamp(*n, lower, upper));
    }
}

void SpectrumFrameControls::OnAverageChanged(const std::string& text)
{
    SpectrumFrameView* v = view();
    const std::optional<long long> n = typedInteger(text, 10);
    if (v != nullptr && n)
        v->record().scansToAverage =
            saturateRecordShort(std::clamp(*n, kAveragesMinimum, kAveragesMaximum));
}

void SpectrumFrameControls::OnBoxcarChanged(const std::string& text)
{
    SpectrumFrameView* v = view();
    const std::optional<long long> n = typedInteger(text, 10);
    if (v != nullptr && n)
        v->record().boxcarHalfWidth = saturateRecordShort(std::clamp(*n, 0LL, kBoxcarMaximum));
}

void SpectrumFrameControls::OnStrobeFrequencyChanged(const std::string& text)
{
    SpectrumFrameView* v = view();
    const std::optional<long long> n = typedInteger(text, 10);
    if (v == nullptr || !n)
        return;
    // The BrontelUSB takes at most 255.
    if (v->adcType() == kAdcBrontelUsb && *n > 255) {
        v->record().flashDelay = 255;
        m_bars.setText(IDC_STROBE_FREQUENCY, "255");
        return;
    }
    v->record().flashDelay = saturateRecordShort(std::clamp(*n, 0LL, kFlashDelayMaximum));
}

void SpectrumFrameControls::OnEditCommitted(unsigned edit, const std::string& text)
{
    SpectrumFrameView* v = view();
    if (v == nullptr)
        return;
    const RegistrationRecord before = v->record();
    switch (edit) {
    case IDC_INTEGRATION_TIME:
        OnIntegrationTimeChanged(text);
        break;
    case IDC_AVERAGE:
        OnAverageChanged(text);
        break;
    case IDC_BOXCAR:
        OnBoxcarChanged(text);
        break;
    case IDC_STROBE_FREQUENCY:
        OnStrobeFrequencyChanged(text);
        break;
    default:
        return;
    }
    OnEditFinished(edit);
    if (acquisitionValuesDiffer(before, v->record()))
        v->StartNextScan();
}

void SpectrumFrameControls::OnEditFinished(unsigned edit)
{
    SpectrumFrameView* v = view();
    if (v == nullptr)
        return;
    const RegistrationRecord& record = v->record();
    std::string shown;
    switch (edit) {
    case IDC_INTEGRATION_TIME:
        if (record.microsecondFlag == 1)
            shown =
                std::to_string(v->adcType() == kAdcUlmar ? record.microsecondIntegrationTime / 1000
                                                         : record.microsecondIntegrationTime);
        else
            shown = std::to_string(record.integration);
        break;
    case IDC_AVERAGE:
        shown = std::to_string(record.scansToAverage);
        break;
    case IDC_BOXCAR:
        shown = std::to_string(record.boxcarHalfWidth);
        break;
    case IDC_STROBE_FREQUENCY:
        shown = std::to_string(record.flashDelay);
        break;
    default:
        return;
    }
    m_bars.setText(edit, shown);
}

void SpectrumFrameControls::OnTecSetPointKillFocus(const std::string& text)
{
    if (SpectrumFrameView* v = view()) {
        v->setCoolerSetPoint(app::text::atofC(text.substr(0, 10).c_str()));
        v->setSetPointPending(1);
    }
}

void SpectrumFrameControls::OnNorrelVisIntensityChanged(const std::string& text)
{
    if (!allowed(mvUSBNorrelVisIntensity))
        return;
    if (SpectrumFrameView* v = view())
        v->CallPavikNorrelSetVisLampIntensity(leadingInt(text, 10));
}

void SpectrumFrameControls::OnNorrelUvIntensityChanged(const std::string& text)
{
    if (!allowed(mvUSBNorrelUVIntensity))
        return;
    if (SpectrumFrameView* v = view())
        v->CallPavikNorrelSetUVLampIntensity(leadingInt(text, 10));
}

void SpectrumFrameControls::OnCorrectForDark(bool checked)
{
    if (!allowed(mvAcquisitionParametersCorrectForElectricalDark))
        return;
    if (SpectrumFrameView* v = view())
        v->record().correctForDark = checked ? 1 : 0;
}

void SpectrumFrameControls::setStrobe(SpectrumFrameView& v, bool on)
{
    v.setStrobeEnable(on ? 1 : 0);
    v.record().strobeFlashSelect = on ? 1 : 0;
}

void SpectrumFrameControls::OnStrobeEnable(bool checked)
{
    if (!allowed(mvAcquisitionParametersStrobeEnable))
        return;
    if (SpectrumFrameView* v = view()) {
        setStrobe(*v, checked);
        m_bars.setCheck(IDC_MAVRIN_LED_ON, checked);
    }
}

void SpectrumFrameControls::OnMicroseconds()
{
    SpectrumFrameView* v = view();
    if (v == nullptr)
        return;
    v->setIntegrationLimits(10, 655000);
    m_bars.setSpinRange(IDC_INTEGRATION_SPIN, 10, 655000);
    v->record().microsecondFlag = 1;
    v->UpdateAcquisitionBar();
}

void SpectrumFrameControls::ResetIntegrationTimeRange()
{
    SpectrumFrameView* v = view();
    if (v == nullptr)
        return;
    v->setIntegrationLimits(1, 65500);
    m_bars.setSpinRange(IDC_INTEGRATION_SPIN, 1, 65500);
    v->record().microsecondFlag = 0;
    v->UpdateAcquisitionBar();
}

int SpectrumFrameControls::microsecondsChecked()
{
    SpectrumFrameView* v = view();
    return v == nullptr ? -1 : (v->record().microsecondFlag == 1 ? 1 : 0);
}

int SpectrumFrameControls::millisecondsChecked()
{
    SpectrumFrameView* v = view();
    return v == nullptr ? -1 : (v->record().microsecondFlag == 1 ? 0 : 1);
}

void SpectrumFrameControls::OnMavrinLedOn(bool checked)
{
    if (!allowed(mvUSBMavrinLEDOn))
        return;
    if (SpectrumFrameView* v = view()) {
        v->setMavrinLampOn(checked ? 1 : 0);
        m_bars.setCheck(IDC_STROBE_ENABLE, checked);
        setStrobe(*v, checked);
    }
}

void SpectrumFrameControls::OnMavrinModulate(bool checked)
{
    if (!allowed(mvUSBMavrinModulateLED))
        return;
    if (SpectrumFrameView* v = view())
        v->setMavrinModulation(checked ? 1 : 0);
}

void SpectrumFrameControls::OnMavrinGetTemperature(bool checked)
{
    if (!allowed(mvUSBMavrinGetTemperature))
        return;
    if (SpectrumFrameView* v = view())
        v->setMavrinTemperatureReadOut(checked ? 1 : 0);
}

void SpectrumFrameControls::OnMavrinDegree(bool celsius)
{
    if (!allowed(celsius ? mvUSBMavrinDegreeC : mvUSBMavrinDegreeF))
        return;
    if (SpectrumFrameView* v = view()) {
        v->setTemperatureInCelsius(celsius ? 1 : 0);
        m_bars.setCheck(IDC_MAVRIN_DEGREE_C, celsius);
        m_bars.setCheck(IDC_MAVRIN_DEGREE_F, !celsius);
    }
}

void SpectrumFrameControls::OnTecOn(bool checked)
{
    if (!allowed(mvWessorTECOn))
        return;
    if (SpectrumFrameView* v = view()) {
        v->setCoolerOn(checked ? 1 : 0);
        if (const uint16_t adc = v->adcType(); adc == kAdcXandel || adc == kAdcUlmar)
            v->setCoolerStateSent(kCoolerStateUnknown);
    }
}

void SpectrumFrameControls::OnGain(bool high)
{
    if (!allowed(high ? mvWessorHighGain : mvWessorLowGain))
        return;
    if (SpectrumFrameView* v = view()) {
        v->setHighGainMode(high ? 1 : 0);
        m_bars.setCheck(IDC_HIGH_GAIN, high);
        m_bars.setCheck(IDC_LOW_GAIN, !high);
        if (v->adcType() == kAdcXandel)
            v->SetXandelHighGain(high ? 1 : 0);
    }
}

void SpectrumFrameControls::OnNorrelVisLampOn(bool checked)
{
    if (!allowed(mvUSBNorrelVisOn))
        return;
    if (SpectrumFrameView* v = view())
        v->CallPavikNorrelSetVisLampOn(checked ? 1 : 0);
}

void SpectrumFrameControls::OnNorrelLampOn(bool checked)
{
    if (!allowed(mvUSBNorrelLampOn))
        return;
    if (SpectrumFrameView* v = view())
        v->CallPavikNorrelLampOn(checked ? 1 : 0);
}

void SpectrumFrameControls::OnNorrelShutterOpen(bool checked)
{
    if (!allowed(mvUSBNorrelShutterOpen))
        return;
    if (SpectrumFrameView* v = view()) {
        v->CallPavikNorrelSetShutterOpened(checked ? 1 : 0);
        m_bars.setCheck(IDC_STROBE_ENABLE, checked);
        setStrobe(*v, checked);
    }
}

void SpectrumFrameControls::OnNorrelSave()
{
    if (!allowed(mvUSBNorrelSave))
        return;
    if (SpectrumFrameView* v = view())
        v->CallPavikNorrelStoreCurrentPotValues();
}
