#pragma once

#include <string>

// The model features dialog's read-outs and warnings, without widgets. Any thread.

namespace app::dialogs {

inline constexpr const char* kSingleStrobeWarning =
    "WARNING! If the single strobe high time is greater than or equal to the low time, NO "
    "STROBE WILL BE GENERATED!!";
inline constexpr const char* kContinuousStrobeWarning =
    "WARNING! Continuous strobe frequency is out of sync with the integration time clock, "
    "which will result in inconsistent intensities.";

// A driver time in seconds as the dialog shows it: "%.3e msec" of the milliseconds.
std::string millisecondsText(double seconds);
// The analog output's volts: "%.3f V" of count x 5 V / 512.
std::string outputVoltsText(int count);
// The analog input: "%d Counts, %.3f V" of the count and count x 5 V / 8192.
std::string analogInputText(int count);
// Empty while the high count is below the low count.
std::string singleStrobeWarning(int highCount, int lowCount);
// Whether the continuous strobe period divides the integration time. Both are compared in
// milliseconds, and a remainder within a rounding error of 0 or of the period counts as
// exact; a period of 0 (or not a number) never divides.
bool strobeDividesIntegration(double integrationMs, double strobePeriodSeconds);
std::string continuousStrobeWarning(double integrationMs, double strobePeriodSeconds);

} // namespace app::dialogs
