#pragma once

#include "app/dialogs/ValueDialog.h"
#include "app/spectrum/TimeAcquisition.h"

#include <array>
#include <string>

class QAbstractButton;
class QCheckBox;
class QLineEdit;

// "Time Acquisition Configuration" (dialog 184): the settings of a spectrum window's time
// acquisition. Fill() loads a settings record, storeInto() copies the values back after OK.
// GUI thread only.
class CTimeAcquisitionConfigurationDialog : public app::dialogs::ValueDialog
{
public:
    explicit CTimeAcquisitionConfigurationDialog(QWidget* parent);

    void fill(const app::spectrum::TimeAcquisitionSettings& settings);
    void storeInto(app::spectrum::TimeAcquisitionSettings& settings) const;

    int m_continueUntilManuallyStopped = 0;
    std::string m_duration;
    std::string m_filename;
    std::string m_frequency;
    std::string m_initialDelay;
    int m_saveEveryAcquisition = 0;
    int m_streamDataToDisk = 0;
    int m_showValuesInStatusBar = 0;
    int m_saveFullSpectrum = 0;
    long long m_logFrequency = 0;
    // Unit codes: 0 hours, 1 minutes, 2 seconds, 3 milliseconds.
    int m_initialDelayUnit = 2;
    int m_frequencyUnit = 2;
    int m_durationUnit = 2;

    // "...": a save dialog; a chosen name ending in ".tim" is completed to ".time".
    void OnBrowse();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;

private:
    void updateEnables();
    void setUnit(int group, int code);

    std::array<std::array<QAbstractButton*, 4>, 3> m_units{};
    QLineEdit* m_logFrequencyEdit = nullptr;
    QLineEdit* m_durationEdit = nullptr;
    QLineEdit* m_frequencyEdit = nullptr;
    QCheckBox* m_stream = nullptr;
    QCheckBox* m_continue = nullptr;
    QCheckBox* m_every = nullptr;
};
