#pragma once

#include "app/automation/SpectrumFrameBars.h"
#include "app/qt/SpectrumFrameControls.h"
#include "platform/framework/ChildFrame.h"

#include <QPointer>
#include <QString>

#include <map>
#include <memory>
#include <set>
#include <vector>

class COXBitmapButton;
class COXCoolToolBar;
class SpectrumViewBarAdapter;
class COXTextLabel;
class QMainWindow;
class QStatusBar;

namespace platform::framework {
class DialogBar;
}

// The frame of a spectrum window: its tool bars, its dialog bars (acquisition parameters and
// the accessories' controls) with their controls, and a status bar around the spectrum view.
// The bars' handlers live in SpectrumFrameControls; this class builds the bars, shows and
// hides them, and keeps their state in the framework profile. GUI thread only.
class CChildFrameSpectrum : public platform::framework::ChildFrame,
                            private SpectrumFrameBarWindow,
                            private SpectrumFrameBars
{
public:
    // Bars of the frame.
    enum : unsigned
    {
        IDR_SPECTRUM_CONTROLS = 16100,
        IDR_CURSOR_CONTROLS = 16101,
        IDR_GRAPH_SCALE = 16102,
        IDR_SPECTRAL_VIEW_MODE = 16103,
        IDR_TIME_ACQUISITION = 16104,
        IDD_ACQUISITION_PARAMETERS = 16105,
        IDD_USB_MAVRIN = 16106,
        IDD_WESSOR_ULMAR = 16107,
        IDD_USB_NORREL = 16108,
        IDD_QUINTAR = 16109,
        ID_VIEW_SPECTRUM_STATUS_BAR = 32814,
    };

    explicit CChildFrameSpectrum(QWidget* parent = nullptr);
    ~CChildFrameSpectrum() override;

    int OnCreate() override;
    void OnDestroy() override;

    // The "msec" choice of the acquisition bar: millisecond limits and range (the view calls
    // it at its first update).
    void ResetIntegrationTimeRange();
    // The view enables the "usec" choice by its hardware.
    void setMicrosecondsEnabled(int enabled);

    SpectrumFrameControls& controls() { return *m_controls; }
    // The bars' controls by id, for the view's refresh.
    SpectrumFrameBarWindow& barWindow() { return *this; }
    // A tool bar or dialog bar of the frame by its id, or null.
    QWidget* controlBar(unsigned id) const;
    QStatusBar* frameStatusBar() const;
    // The frame's own text in its status bar (the cursor read-out): shown at once, or when the
    // prompt of a bar's button that covers it goes.
    void setStatusText(const std::string& text);
    // The window that docks the bars around the view.
    QMainWindow* barHost() const { return m_barHost; }
    COXTextLabel* quintarLabel() const { return m_label; }
    // The bars and the label as the automation objects drive them.
    SpectrumFrameBars& automationBars() { return *this; }

    // Shows the spectrum bars' pop-up menu at a global position.
    void showBarMenu(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // SpectrumFrameBarWindow
    void setCheck(unsigned control, bool checked) override;
    void setText(unsigned control, const std::string& text) override;
    void setSpinRange(unsigned spin, int32_t lower, int32_t upper) override;

    // SpectrumFrameBars
    std::optional<bool> barVisible(unsigned id) override;
    void showBar(unsigned id, bool show) override;
    std::string labelFontName() override;
    bool setLabelFontName(const std::string& face, bool redraw) override;
    int32_t labelFontHeight() override;
    bool setLabelFontHeight(int32_t height, bool redraw) override;
    uint32_t labelTextColor() override;
    bool setLabelTextColor(uint32_t color, bool redraw) override;
    uint32_t labelBackgroundColor() override;
    bool setLabelBackgroundColor(uint32_t color, bool redraw) override;
    std::string labelText() override;
    bool setLabelText(const std::string& text, bool redraw) override;

    // A control of the frame's bars by its id, or null.
    QWidget* barControl(unsigned id) const;
    SpectrumFrameView* activeFrameView();
    int32_t verify(int32_t action);
    bool manufacturingExtensionsEnabled();
    void installCommands();
    void createToolBars();
    COXCoolToolBar* toolBar(unsigned id) const;
    void createDialogBars();
    void createAcquisitionControls(platform::framework::DialogBar& bar);
    void createMavrinControls(platform::framework::DialogBar& bar);
    void createWessorControls(platform::framework::DialogBar& bar);
    void createNorrelControls(platform::framework::DialogBar& bar);
    void createQuintarControls(platform::framework::DialogBar& bar);
    void loadBarStates();
    void saveBarStates();
    // Clips bars (hides them for the time being, least needed first) until the view has half
    // of the frame's height, and gives them back when there is room again. The bar the user
    // showed last is not clipped: showing it must show it.
    void fitBars();
    // Gives the docked dialog bars their own heights again.
    void shrinkDockedBars();

    std::unique_ptr<SpectrumFrameControls> m_controls;
    // The spectrum view's core as the handlers see it (made for the view it was asked for).
    std::unique_ptr<SpectrumViewBarAdapter> m_viewAdapter;
    QMainWindow* m_barHost = nullptr;
    std::map<unsigned, QPointer<QWidget>> m_bars;
    std::vector<COXBitmapButton*> m_buttons;
    COXTextLabel* m_label = nullptr;
    // Bars the user shows that fitBars has hidden for want of room.
    std::set<unsigned> m_clipped;
    // The bar the user showed last (0: none), which fitBars leaves shown.
    unsigned m_chosen = 0;
    bool m_fitting = false;
    // The status bar's own text, and whether a button's prompt covers it.
    QString m_statusText;
    bool m_prompting = false;
};
