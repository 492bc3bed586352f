#pragma once

#include "app/spectrum/TimeAcquisition.h"
#include "platform/framework/PropertySheet.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

// A page of one time channel (A to F): spectrometer channel, band, scale and the check
// boxes. Every change goes into the page's copy of the record at once. GUI thread only.
class CTimeAcquisitionChannelPropertyPage : public platform::framework::PropertyPage
{
public:
    CTimeAcquisitionChannelPropertyPage(unsigned templateId, const std::string& caption,
                                        const std::string& dacLabel,
                                        app::spectrum::TimeChannelRecord& copy);
    bool OnInitDialog() override;

private:
    void takeControls();
    void enableControls(bool on);

    app::spectrum::TimeChannelRecord& m_copy;
    QCheckBox* m_enabled;
    QCheckBox* m_plotted;
    QComboBox* m_channel;
    QLineEdit* m_wavelength;
    QLineEdit* m_bandwidth;
    QLineEdit* m_factor;
    QLineEdit* m_offset;
    QCheckBox* m_rate;
    QLineEdit* m_rateBandwidth;
    QCheckBox* m_dac;
    bool m_filling = false;
};

// A page of one combination: two operands, the operation, scale and the check boxes. The
// second combination's operand lists also offer "Combo 1". GUI thread only.
class CTimeAcquisitionComboPropertyPage : public platform::framework::PropertyPage
{
public:
    CTimeAcquisitionComboPropertyPage(unsigned templateId, const std::string& caption,
                                      const std::string& dacLabel, bool offerCombo1,
                                      app::spectrum::TimeComboRecord& copy);
    bool OnInitDialog() override;

private:
    void takeControls();
    void enableControls(bool on);

    app::spectrum::TimeComboRecord& m_copy;
    QCheckBox* m_enabled;
    QCheckBox* m_plotted;
    QComboBox* m_first;
    QComboBox* m_operation;
    QComboBox* m_second;
    QLineEdit* m_factor;
    QLineEdit* m_offset;
    QCheckBox* m_rate;
    QLineEdit* m_rateBandwidth;
    QCheckBox* m_dac;
    bool m_filling = false;
};

// "Time Acquisition Channel Configuration": eight pages over copies of the view's records.
// Apply and OK hand the copies to the apply function; Cancel hands nothing. GUI thread only.
class CTimeAcquisitionChannelPropertySheet : public platform::framework::PropertySheet
{
public:
    using Channels = std::array<app::spectrum::TimeChannelRecord, app::spectrum::kTimeChannels>;
    using Combos = std::array<app::spectrum::TimeComboRecord, app::spectrum::kTimeCombos>;
    using ApplyFunction = std::function<void(const Channels&, const Combos&)>;

    CTimeAcquisitionChannelPropertySheet(const Channels& channels, const Combos& combos,
                                         ApplyFunction apply, QWidget* parent = nullptr);
    ~CTimeAcquisitionChannelPropertySheet() override;

    void OnApplySteps() override;
    void ApplyToView();

    Channels m_channels;
    Combos m_combos;

private:
    ApplyFunction m_apply;
    std::array<std::unique_ptr<CTimeAcquisitionChannelPropertyPage>, 6> m_channelPages;
    std::array<std::unique_ptr<CTimeAcquisitionComboPropertyPage>, 2> m_comboPages;
};
