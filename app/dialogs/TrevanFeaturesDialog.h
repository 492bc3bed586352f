#pragma once

#include "app/dialogs/SpectrometerSheetNeighbours.h"

#include <QDialog>
#include <QTimer>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QSpinBox;

// "Trevan Features" (dialog 231): modeless, direct access to the strobe timing, trigger
// delay, GPIO pins and analog output of the driver's current device, with a periodic
// read-out of the analog input and the GPIO levels (timer 999). Every change goes to the
// device at once. It lives until its window is destroyed (Cancel, Escape or the close box
// end in DestroyWindow, which stops the timer and deletes the dialog); made a child of its
// view's window, it goes with that window too. GUI thread only.
class CTrevanFeaturesDialog : public QDialog
{
public:
    static constexpr int kRefreshTimerId = 999;

    CTrevanFeaturesDialog(app::dialogs::FeaturesDialogOwner& owner,
                          app::dialogs::DialogDriver& driver, QWidget* parent);
    ~CTrevanFeaturesDialog() override;

    static constexpr int kMaxRefreshIntervalMs = 100000000;

    // The refresh interval the dialog starts with (the view's stored one); a stored value
    // outside 0 to 100000000 is held within it.
    void setRefreshIntervalMs(int intervalMs)
    {
        m_intervalMs = std::clamp(intervalMs, 0, kMaxRefreshIntervalMs);
    }
    // Objects the dialog keeps alive while it lives (the adapters it was given).
    void keepAlive(std::shared_ptr<void> object) { m_kept.push_back(std::move(object)); }

    // Creates the modeless window: OnInitDialog, then shown.
    bool Create();
    // Stops the refresh timer and destroys the window; the object deletes itself after.
    bool DestroyWindow();

    // The running refresh timer: its id (0 when none) and period.
    int refreshTimerId() const { return m_timer.isActive() ? kRefreshTimerId : 0; }
    int refreshTimerIntervalMs() const { return m_timer.isActive() ? m_timer.interval() : 0; }
    // One refresh, as timer 999 runs it.
    void OnTimer(int id);

protected:
    bool OnInitDialog();
    // Controls into the fields (save) or fields into the controls.
    void UpdateData(bool save);
    void closeEvent(QCloseEvent* event) override;

public:
    // Cancel and Escape.
    void reject() override { DestroyWindow(); }

private:
    void restartTimer();
    void countChanged(unsigned control);
    void pinChanged(unsigned control);
    void updateContinuousStrobeWarning();

    app::dialogs::FeaturesDialogOwner& m_owner;
    app::dialogs::DialogDriver& m_driver;
    std::vector<std::shared_ptr<void>> m_kept;
    QTimer m_timer;
    bool m_created = false;
    bool m_filling = false;

    uint16_t m_adcType = 0;
    int m_singleStrobeHigh = 0;
    int m_singleStrobeLow = 0;
    int m_strobeBase = 0;
    int m_strobeClock = 0;
    int m_triggerDelay = 0;
    int m_analogOut = 0;
    int m_intervalMs = 0;
    std::array<int, 10> m_alternate{};
    std::array<int, 10> m_output{};
    std::array<int, 10> m_value{};
    std::string m_highTime;
    std::string m_lowTime;
    std::string m_baseTime;
    std::string m_strobeTime;
    std::string m_triggerTime;
    std::string m_outputVolts;
    std::string m_analogInput;
    std::string m_singleStrobeWarning;
    std::string m_continuousStrobeWarning;

    QSpinBox* m_highBox;
    QSpinBox* m_lowBox;
    QSpinBox* m_baseBox;
    QSpinBox* m_clockBox;
    QSpinBox* m_delayBox;
    QSpinBox* m_analogOutBox;
    QSpinBox* m_intervalBox;
    std::array<QCheckBox*, 10> m_alternateBoxes{};
    std::array<QCheckBox*, 10> m_outputBoxes{};
    std::array<QCheckBox*, 10> m_valueBoxes{};
    QLabel* m_highTimeText;
    QLabel* m_lowTimeText;
    QLabel* m_singleWarningText;
    QLabel* m_baseTimeText;
    QLabel* m_strobeTimeText;
    QLabel* m_continuousWarningText;
    QLabel* m_triggerTimeText;
    QLabel* m_outputVoltsText;
    QLabel* m_analogInputText;
};
