#pragma once

#include "app/shell/MainFrameWindow.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumViewHost.h"
#include "platform/chart/Chart2D.h"
#include "platform/framework/View.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class CHarluneSpectrumDoc;
class CTrevanFeaturesDialog;
class SpectrometerConfigurationHost;

// What the program lends every spectrum window: the main frame, the driver library and the
// configuration's host. They outlive the windows.
struct SpectrumViewServices
{
    SpectrumViewFrame& frame;
    SpectrumViewDriver& driver;
    SpectrometerConfigurationHost& configurationHost;
};

// The spectrum window's widget: it embeds the chart window, forwards window events, driver
// messages, keys and commands to its CHarluneSpectrumView and answers the view's questions
// with Qt dialogs. It holds no state of its own beyond the Qt objects. GUI thread only.
class SpectrumViewWidget : public platform::framework::View,
                           public SpectrumViewWindow,
                           public SpectrumScanView
{
public:
    // Creates the view core (which may ask for the first configuration), its record and its
    // chart. The document must outlive the widget.
    SpectrumViewWidget(const SpectrumViewServices& services, CHarluneSpectrumDoc& document,
                       QWidget* parent = nullptr);
    // For a document template: the core is made at the first update, once the framework has
    // attached the document, which findDocument then returns.
    SpectrumViewWidget(
        const SpectrumViewServices& services,
        std::function<CHarluneSpectrumDoc*(platform::framework::Document*)> findDocument,
        QWidget* parent = nullptr);
    // Releases the window's channels in the driver before the core goes.
    ~SpectrumViewWidget() override;

    CHarluneSpectrumView& core() { return *m_core; }
    // Whether the core exists (always after the first update).
    bool isReady() const { return m_core != nullptr; }
    // A new spectrum window opens at a size that shows the chart and its axes.
    QSize sizeHint() const override { return QSize(720, 480); }

    // SpectrumScanView: what the round-robin's scan start reads and writes.
    RegistrationRecord& registrationRecord() override { return m_core->record(); }
    Hardware& hardware() override;
    int32_t mavrinModulation() const override { return m_core->mavrinModulation(); }
    int16_t strobeEnable() const override { return static_cast<int16_t>(m_core->strobeEnable()); }
    bool timeNormalized() const override { return m_core->timeNormalization() == 1; }
    CSpectrometerConfiguration& configuration() override { return m_core->configuration(); }
    void setClosing() override { m_core->setClosing(); }
    platform::chart::CChart2D& chartWindow() { return *m_chartWindow; }

    void OnInitialUpdate() override;
    void OnTimer(unsigned id) override;
    void OnDraw(platform::framework::CDC* dc) override;
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;
    void OnPrint(platform::framework::CDC* dc, platform::framework::PrintInfo* info) override;
    void OnActivateView(bool activate, platform::framework::View* activated,
                        platform::framework::View* deactivated) override;

    // SpectrumViewWindow
    Answer showWarningDialog(const std::string& text, bool& continueToWarn) override;
    Answer showMessageBox(const std::string& text, const std::string& caption,
                          Buttons buttons) override;
    void playSoundAsync(const std::string& file) override;
    uint32_t windowHandle() override;
    platform::chart::XrtHandle chartHandle() override;
    bool inSpectrumFrame() override;
    std::string frameTitle() override;
    void setFrameTitle(const std::string& title) override;
    void showBar(SpectrumBar bar, bool show) override;
    void resetIntegrationTimeRange(bool microsecondsEnabled) override;
    void setBarText(SpectrumBar bar, int control, const std::string& text) override;
    void setBarCheck(SpectrumBar bar, int control, bool checked) override;
    void setBarSpinRange(SpectrumBar bar, int spin, int32_t lower, int32_t upper) override;
    void flashAndActivate() override;
    void startTimer(int id, int periodMs) override;
    void killTimer(int id) override;
    bool isWindow(uint32_t handle) override;
    void sendScanNotice(uint32_t handle, uint32_t tickMs) override;
    std::optional<std::string> chooseExistingFile(const std::string& title,
                                                  const std::string& filters) override;
    std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>& texts) override;
    std::optional<std::string> showColorTemperatureDialog(const std::string& text,
                                                          bool& assumeSecondOrder) override;
    std::optional<std::array<int, 8>> selectChannels(const std::array<int16_t, 8>& enables,
                                                     const std::array<int, 8>& selected) override;
    bool runLegendDialog(platform::chart::XrtHandle chart, ChartFontSetting& font,
                         int& floating) override;
    bool runAxisTextDialog(platform::chart::XrtHandle chart, ChartFontSetting& font) override;
    bool runGraphTitleDialog(platform::chart::XrtHandle chart, ChartFontSetting& font,
                             const std::string& title) override;
    void runDisplayPropertySheet() override;
    SpectrometerSheetResult runSpectrometerSheet() override;
    std::optional<GridDialogValues> showGridDialog(const GridDialogValues& values) override;
    std::optional<platform::chart::XrtColor> chooseColor(platform::chart::XrtColor c) override;
    std::optional<std::string> showRenameDialog(const std::string& name) override;
    std::optional<std::array<int, 16>>
    selectChannelsToCopy(const std::array<int, 16>& offered,
                         const std::array<int, 16>& selected) override;
    std::optional<std::string> chooseSaveFile(const std::string& title, const std::string& filters,
                                              const std::string& defaultExtension) override;
    void copyChartToClipboard(platform::chart::XrtHandle chart) override;
    void setClipboardText(const std::string& text) override;
    void emptyClipboard() override;
    std::array<int, 2> viewScreenOrigin() override;
    std::array<int, 2> screenToView(int x, int y) override;
    void trackContextMenu(int popup, int x, int y) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void showCursorReadOutBar(bool show) override;
    std::optional<FramePlacement> framePlacement() override;
    void setFramePlacement(const FramePlacement& placement) override;
    void setMicrosecondIntegration(bool enabled) override;
    std::array<int, 2> chartClientSize() override;
    // Cursor, overlays and annotations.
    void setCursorReadOut(const std::string& text) override;
    std::optional<AnnotationDialogValues>
    runAnnotationDialog(int record, const AnnotationDialogValues& values) override;
    void captureMouse(bool capture) override;
    uint32_t mainMenu() override;

    void runDataAcquisitionSheet() override;
    void runTimeChannelSheet() override;
    bool runTimeConfigurationDialog(app::spectrum::TimeAcquisitionSettings& settings) override;
    std::optional<SpectrumFileDialogResult>
    runFileDialog(const SpectrumFileDialogRequest& request) override;
    std::optional<AutoincrementDialogValues>
    runAutoincrementDialog(const AutoincrementDialogValues& values) override;
    std::optional<CursorDialogValues> runCursorDialog(const CursorDialogValues& values) override;
    void showFeaturesDialog(int refreshIntervalMs) override;
    // The model features dialogs open on this view.
    int openFeaturesDialogCount() const;
    void runPropertiesSheet() override;

    // Pop-up menus tracked by the context menu: popup index and screen point. Tests replace
    // the tracking (which runs a nested event loop) with a recorder.
    using PopupTracker = std::function<void(int popup, const QPoint& globalPos)>;
    void setPopupTracker(PopupTracker tracker) { m_popupTracker = std::move(tracker); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void makeCore(CHarluneSpectrumDoc& document);

    SpectrumViewServices m_services;
    std::function<CHarluneSpectrumDoc*(platform::framework::Document*)> m_findDocument;
    Hardware m_hardware;
    platform::chart::CChart2D* m_chartWindow;
    std::unique_ptr<CHarluneSpectrumView> m_core;
    PopupTracker m_popupTracker;
    // Closed before the core goes: they write into it.
    std::vector<QPointer<CTrevanFeaturesDialog>> m_featuresDialogs;
};
