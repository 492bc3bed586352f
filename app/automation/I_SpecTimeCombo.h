#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecTimeCombo": the two combinations (0 = Combo 1, 1 = Combo 2) of the target
// spectrum window's time acquisition. A put stores the value; the window uses it from its next
// sample on. A combination outside 0 to 1 answers the neutral result and changes nothing. GUI
// thread only.
class I_SpecTimeCombo : public SpectrumAutomationObject
{
public:
    static I_SpecTimeCombo* create() { return new I_SpecTimeCombo(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetEnabled(int16_t combo);
    void SetEnabled(int16_t combo, bool value);
    bool GetPlotted(int16_t combo);
    void SetPlotted(int16_t combo, bool value);
    int16_t GetFirstChannel(int16_t combo);
    void SetFirstChannel(int16_t combo, int16_t value);
    int16_t GetOperation(int16_t combo);
    void SetOperation(int16_t combo, int16_t value);
    int16_t GetSecondChannel(int16_t combo);
    void SetSecondChannel(int16_t combo, int16_t value);
    double GetOffset(int16_t combo);
    void SetOffset(int16_t combo, double value);
    double GetFactor(int16_t combo);
    void SetFactor(int16_t combo, double value);
    bool GetDACEnabled(int16_t combo);
    void SetDACEnabled(int16_t combo, bool value);

private:
    I_SpecTimeCombo() : SpectrumAutomationObject("I_SpecTimeCombo") {}
    ~I_SpecTimeCombo() override = default;

    // Reads and writes one field of the target's combination record.
    template <class R, class F> R read(int16_t combo, R neutral, F&& field);
    template <class F> void write(int16_t combo, F&& field);
};
