#pragma once

#include "app/qt/SpectrumFrameHost.h"

#include <cstdint>
#include <functional>
#include <string>

// The handlers of the spectrum child frame's dialog bars without their widgets: each asks the
// script's permission, then writes into the frame's active view (nothing happens without one)
// or calls its accessory operations. One per frame. GUI thread only.
class SpectrumFrameControls
{
public:
    // Control ids of the dialog bars.
    enum : unsigned
    {
        IDC_INTEGRATION_TIME = 1006,
        IDC_INTEGRATION_SPIN = 1007,
        IDC_AVERAGE = 1009,
        IDC_AVERAGE_SPIN = 1010,
        IDC_BOXCAR = 1012,
        IDC_BOXCAR_SPIN = 1013,
        IDC_CORRECT_DARK = 1014,
        IDC_STROBE_FREQUENCY = 1017,
        IDC_STROBE_FREQUENCY_SPIN = 1018,
        IDC_STROBE_ENABLE = 1019,
        IDC_MAVRIN_MODULATE = 1020,
        IDC_MAVRIN_GET_TEMPERATURE = 1021,
        IDC_MAVRIN_DEGREE_C = 1540,
        IDC_MAVRIN_DEGREE_F = 1541,
        IDC_MAVRIN_LED_ON = 1542,
        IDC_MAVRIN_TEMPERATURE = 1543,
        IDC_NORREL_SAVE = 1569, // also the "Set" button of the Wessor/Ulmar bar
        IDC_TEC_ON = 1576,
        IDC_HIGH_GAIN = 1578,
        IDC_LOW_GAIN = 1579,
        IDC_DETECTOR_TEMPERATURE = 1580,
        IDC_TEC_SET_POINT = 1581,
        IDC_NORREL_VIS_SPIN = 1583,
        IDC_NORREL_VIS_LAMP_ON = 1584,
        IDC_NORREL_LAMP_ON = 1585,
        IDC_NORREL_SHUTTER_OPEN = 1586,
        IDC_NORREL_UV_SPIN = 1587,
        IDC_NORREL_VIS_INTENSITY = 1588,
        IDC_NORREL_UV_INTENSITY = 1589,
        IDC_NORREL_UV_TEXT = 1593,
        IDC_INTEGRATION_IN_USEC = 1594,
        IDC_USEC = 1596,
        IDC_MSEC = 1597,
        IDC_QUINTAR_LABEL = 1650,
    };

    // A/D types the handlers tell apart.
    static constexpr uint16_t kAdcBrontelUsb = 7;
    static constexpr uint16_t kAdcXandel = 11;
    static constexpr uint16_t kAdcUlmar = 14;
    // Written as the cooler state last sent so that the next scan switches cooler and fan.
    static constexpr int kCoolerStateUnknown = 34;

    // activeView answers the frame's active spectrum view, or null; verify is the main
    // frame's VerifyCommand (non-zero: allowed).
    SpectrumFrameControls(SpectrumFrameBarWindow& bars,
                          std::function<SpectrumFrameView*()> activeView,
                          std::function<int32_t(int32_t)> verify);

    // Spins: false refuses the change (the script forbids it). The integration spin stores
    // the stepped value itself, refills the bar and, when the value changed, has the view
    // start its next scan with it.
    bool OnIntegrationSpin(int delta);
    // Spins whose buddy edit then reports the new text (averages, boxcar, strobe frequency,
    // Norrel intensities).
    bool allowSpin(unsigned spin);

    // A value committed in an acquisition edit (Enter, the edit left, a step of its spin): the
    // edit's handler below stores it, the edit shows the value kept, and a changed value
    // starts the view's next scan at once. Keys typed before that change nothing, so that
    // the figures on the way to a number ("9", "99", ...) never reach a scan.
    void OnEditCommitted(unsigned edit, const std::string& text);
    // Edits (the committed text). The acquisition edits store a whole number clamped to
    // the window's limits, as their spins do, and ignore text that is not a number.
    void OnIntegrationTimeChanged(const std::string& text);
    void OnAverageChanged(const std::string& text);
    void OnBoxcarChanged(const std::string& text);
    void OnStrobeFrequencyChanged(const std::string& text);
    // An acquisition edit was left or confirmed: it shows the value the window keeps, so a
    // clamped number or a slip is seen at once.
    void OnEditFinished(unsigned edit);
    void OnTecSetPointKillFocus(const std::string& text);
    void OnNorrelVisIntensityChanged(const std::string& text);
    void OnNorrelUvIntensityChanged(const std::string& text);

    // Check boxes and radio buttons (checked: the control's state after the click).
    void OnCorrectForDark(bool checked);
    void OnStrobeEnable(bool checked);
    void OnMicroseconds();
    // The "msec" choice: the millisecond limits and range, the record in milliseconds.
    void ResetIntegrationTimeRange();
    void OnMavrinLedOn(bool checked);
    void OnMavrinModulate(bool checked);
    void OnMavrinGetTemperature(bool checked);
    void OnMavrinDegree(bool celsius);
    void OnTecOn(bool checked);
    void OnGain(bool high);
    void OnNorrelVisLampOn(bool checked);
    void OnNorrelLampOn(bool checked);
    void OnNorrelShutterOpen(bool checked);
    void OnNorrelSave();

    // The "usec" and "msec" choices: enabled by the frame's flags; "usec" is checked exactly
    // while the record counts in microseconds. No view: the check is left as it is (-1).
    bool microsecondsEnabled() const { return m_microsecondsEnabled != 0; }
    bool millisecondsEnabled() const { return m_millisecondsEnabled != 0; }
    void setMicrosecondsEnabled(int enabled) { m_microsecondsEnabled = enabled; }
    int microsecondsChecked();
    int millisecondsChecked();

private:
    SpectrumFrameView* view();
    bool allowed(int32_t action);
    void setStrobe(SpectrumFrameView& view, bool on);

    SpectrumFrameBarWindow& m_bars;
    std::function<SpectrumFrameView*()> m_activeView;
    std::function<int32_t(int32_t)> m_verify;
    int m_millisecondsEnabled = 1;
    int m_microsecondsEnabled = 1;
    // Set while the integration spin refills the bar: the edit's echo of the value the spin
    // has just stored is not read back. Kept per frame, and only for the refill, so a spin in
    // one window never swallows a later edit here or in another window.
    bool m_skipIntegrationEdit = false;
};
