// The spectrum view's chart display: the display commands, the legend, the title, printing's
// colour swap, the clipboard copies, the context menu, the WM_SPECTRUM_COMMAND relay and the
// spectrometer configuration command.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectralDataText.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"

#include <algorithm>
#include <exception>

using namespace platform::chart;
using namespace app::spectrum;
using namespace app::res;

namespace {

// Chart traces: 0 to 7 the channels, 8 to 15 the overlay slots.
constexpr int kTraces = 16;
// Legend labels and the title live in 255-byte fields on the chart's side.
constexpr std::size_t kMaxLabelBytes = 254;

// Framework commands the view approves before the framework runs them.
constexpr unsigned kFileClose = 57602;
constexpr unsigned kFilePrint = 57607;
constexpr unsigned kFilePrintPreview = 57609;
constexpr unsigned kDisplayEditCopy = 57634;

// A/D types whose scans carry the driver's USB validity state.
constexpr uint16_t kUsbScanAdcTypes[] = {4, 9, 11, 253, 7, 12, 13, 15, 16};
constexpr uint16_t kAdcBrontelUsb = 7;

// Suspends drawing for a scope; drawing resumes (and repaints) at its end.
class RepaintHold
{
public:
    explicit RepaintHold(XrtHandle chart) : m_chart(chart)
    {
        XrtSetValues(m_chart, {{kXrtRepaint, 0}});
    }
    ~RepaintHold() { XrtSetValues(m_chart, {{kXrtRepaint, 1}}); }
    RepaintHold(const RepaintHold&) = delete;
    RepaintHold& operator=(const RepaintHold&) = delete;

private:
    XrtHandle m_chart;
};

// The wait cursor of the view's window for a scope.
class ViewWaitCursor
{
public:
    explicit ViewWaitCursor(SpectrumViewWindow& window) : m_window(window)
    {
        m_window.beginWaitCursor();
    }
    ~ViewWaitCursor() { m_window.endWaitCursor(); }
    ViewWaitCursor(const ViewWaitCursor&) = delete;
    ViewWaitCursor& operator=(const ViewWaitCursor&) = delete;

private:
    SpectrumViewWindow& m_window;
};

XrtColor colorOf(XrtHandle chart, int id)
{
    return static_cast<XrtColor>(XrtGetValue(chart, id).toInt());
}

} // namespace

bool CHarluneSpectrumView::verifyFrameworkCommand(unsigned id) const
{
    switch (id) {
    case kFilePrint:
        return verify(mvSpecFilePrint);
    case kFilePrintPreview:
        return verify(mvSpecFilePrintPreview);
    case kFileClose:
        return verify(mvSpecFileClose);
    default:
        return true;
    }
}

void CHarluneSpectrumView::applyFont(int property, const ChartFontSetting& font)
{
    XrtFont f;
    f.face = font.face;
    f.height = font.height;
    XrtSetValues(m_chart, {{property, f}});
}

void CHarluneSpectrumView::setBackgroundBitmapProperty()
{
    if (m_backgroundBitmapVisible != 0 && !m_backgroundBitmapPath.empty())
        XrtSetValues(m_chart, {{kXrtBackgroundBitmap, m_backgroundBitmapPath}});
    else
        XrtSetValues(m_chart, {{kXrtBackgroundBitmap, nullptr}});
}

void CHarluneSpectrumView::applyGridStyle()
{
    m_gridStyle.linePattern = m_gridEnabled != 0 ? m_gridPattern : kXrtLineNone;
    XrtSetValues(m_chart,
                 {{kXrtHorizontalGridStyle, m_gridStyle}, {kXrtVerticalGridStyle, m_gridStyle}});
}

// ---------------------------------------------------------------------------------------
// Display commands

void CHarluneSpectrumView::OnDisplayProperties()
{
    if (verify(mvSpecViewDisplayProperties))
        m_window.runDisplayPropertySheet();
}

void CHarluneSpectrumView::OnSetGraphBackgroundColor()
{
    if (!verify(mvSpecViewSetGraphBackgroundColor))
        return;
    if (const auto color = m_window.chooseColor(colorOf(m_chart, kXrtBackgroundColor)))
        XrtSetValues(m_chart, {{kXrtBackgroundColor, *color & 0xFFFFFFu}});
}

void CHarluneSpectrumView::OnSelectBitmap()
{
    if (!verify(mvSpecViewBackgroundImageSelectBitmap))
        return;
    const auto path = m_window.chooseExistingFile(
        "Select Background Bitmap", "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||");
    if (!path)
        return;
    m_backgroundBitmapPath = *path;
    m_backgroundBitmapVisible = 1;
    setBackgroundBitmapProperty();
}

void CHarluneSpectrumView::OnBackgroundVisible()
{
    if (!verify(mvSpecViewBackgroundImageVisible))
        return;
    m_backgroundBitmapVisible = m_backgroundBitmapVisible != 0 ? 0 : 1;
    setBackgroundBitmapProperty();
}

void CHarluneSpectrumView::OnSetAxisTextProperties()
{
    if (!verify(mvSpecViewSetAxisTextProperties))
        return;
    const ChartFontSetting font = m_axisFont;
    const XrtColor foreground = colorOf(m_chart, kXrtForegroundColor);
    if (m_window.runAxisTextDialog(m_chart, m_axisFont))
        return;
    RepaintHold hold(m_chart);
    m_axisFont = font;
    applyFont(kXrtAxisFont, m_axisFont);
    XrtSetValues(m_chart, {{kXrtForegroundColor, foreground}});
}

void CHarluneSpectrumView::OnSetGraphTitle()
{
    if (!verify(mvSpecViewSetGraphTitle))
        return;
    const std::string title = GetGraphTitle();
    const ChartFontSetting font = m_titleFont;
    const XrtColor foreground = colorOf(m_chart, kXrtForegroundColor);
    if (m_window.runGraphTitleDialog(m_chart, m_titleFont, title))
        return;
    RepaintHold hold(m_chart);
    m_titleFont = font;
    applyFont(kXrtHeaderFont, m_titleFont);
    SetGraphTitle(title);
    XrtSetValues(m_chart, {{kXrtForegroundColor, foreground}});
}

void CHarluneSpectrumView::OnRenameSpectralWindow()
{
    if (!verify(mvSpecViewRenameSpectralWindow))
        return;
    std::string name = cutAtCharacterBoundary(m_window.frameTitle(), 255);
    name = name.substr(0, name.find('|'));
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    const auto typed = m_window.showRenameDialog(name);
    if (!typed)
        return;
    // The typed name is used as text, never as a format: "%" stays "%".
    if (m_autoIncrementEnabled == 1 && m_showNextName == 1)
        m_window.setFrameTitle(*typed + " | Next Save Filename: " + m_nextSaveFileName);
    else
        m_window.setFrameTitle(*typed);
}

void CHarluneSpectrumView::OnLegendEnabled()
{
    if (!verify(mvSpecViewLegendEnabled))
        return;
    const int shown = XrtGetValue(m_chart, kXrtLegendShown).toInt() != 0 ? 0 : 1;
    XrtSetValues(m_chart, {{kXrtLegendShown, shown}});
}

void CHarluneSpectrumView::OnLegendConfigure()
{
    if (!verify(mvSpecViewLegendConfigure))
        return;
    const XrtValue shown = XrtGetValue(m_chart, kXrtLegendShown);
    const XrtValue anchor = XrtGetValue(m_chart, kXrtLegendAnchor);
    const XrtValue orientation = XrtGetValue(m_chart, kXrtLegendOrientation);
    const XrtValue border = XrtGetValue(m_chart, kXrtLegendBorder);
    const XrtValue borderWidth = XrtGetValue(m_chart, kXrtLegendBorderWidth);
    const XrtValue background = XrtGetValue(m_chart, kXrtLegendBackgroundColor);
    const XrtValue foreground = XrtGetValue(m_chart, kXrtLegendForegroundColor);
    const int floating = m_legendFloating;
    const ChartFontSetting font = m_legendFont;
    if (m_window.runLegendDialog(m_chart, m_legendFont, m_legendFloating))
        return;
    RepaintHold hold(m_chart);
    XrtSetValues(m_chart, {{kXrtLegendShown, shown},
                           {kXrtLegendAnchor, anchor},
                           {kXrtLegendOrientation, orientation},
                           {kXrtLegendBorder, border},
                           {kXrtLegendBorderWidth, borderWidth},
                           {kXrtLegendBackgroundColor, background},
                           {kXrtLegendForegroundColor, foreground}});
    m_legendFloating = floating;
    m_legendFont = font;
    applyFont(kXrtLegendFont, m_legendFont);
}

void CHarluneSpectrumView::OnShowOverlayFilename()
{
    if (!verify(mvSpecViewLegendShowOverlayFilename))
        return;
    m_showOverlayFileName = m_showOverlayFileName != 0 ? 0 : 1;
    UpdateLegendLabels();
}

void CHarluneSpectrumView::OnTakeLog()
{
    // The mode command that follows asks the script itself.
    m_verticalLogScale = m_verticalLogScale != 0 ? 0 : 1;
    switch (m_processingMode) {
    case Scope:
        OnScopeMode();
        break;
    case Absorbance:
        OnAbsorbanceMode();
        break;
    case Transmission:
        OnTransmissionMode();
        break;
    case RelativeIrradiance:
        OnRelativeIrradianceMode();
        break;
    case SpecularReflection:
        OnSpecularReflectionMode();
        break;
    case Custom:
        break;
    }
}

void CHarluneSpectrumView::OnGridEnabled()
{
    if (!verify(mvSpecViewGridEnabled))
        return;
    m_gridEnabled = m_gridEnabled != 0 ? 0 : 1;
    XrtSetValues(m_chart, {{kXrtXGridSpacingAuto, 0}, {kXrtYGridSpacingAuto, 0}});
    applyGridStyle();
}

void CHarluneSpectrumView::OnGridConfigure()
{
    if (!verify(mvSpecViewGridConfigure))
        return;
    const auto values = m_window.showGridDialog(
        {m_gridStyle.lineColor, m_gridStyle.linePattern, m_gridStyle.lineWidth});
    if (!values)
        return;
    // The dialog's width is not taken.
    m_gridStyle.lineColor = values->color & 0xFFFFFFu;
    m_gridPattern = values->pattern;
    applyGridStyle();
}

// ---------------------------------------------------------------------------------------
// Legend and title

void CHarluneSpectrumView::UpdateLegendLabels()
{
    const OverlaySlots& overlays = m_document.overlays();
    std::array<std::string, kTraces> labels;
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (m_record.channelEnables[k] == 0)
            continue;
        labels[k] = k == 0 ? std::string("Master") : "Slave " + std::to_string(k);
    }
    for (int s = 0; s < kOverlaySlots; ++s) {
        if (overlays.loaded[s] == 0)
            continue;
        labels[kSpectrumChannels + s] = m_showOverlayFileName != 0
                                            ? pathBaseName(overlays.fileNames[s])
                                            : "Overlay " + std::to_string(s + 1);
    }
    if (m_cursorShown != 0 && m_cursorValuesInLegend != 0) {
        for (int t = 0; t < kTraces; ++t) {
            const bool on = t < kSpectrumChannels ? m_record.channelEnables[t] != 0
                                                  : overlays.loaded[t - kSpectrumChannels] != 0;
            if (on)
                labels[t] = labels[t] + ": " + m_cursorReadOuts[t];
        }
    }
    for (int t = 0; t < kTraces; ++t)
        m_legendLabels[t] = cutAtCharacterBoundary(labels[t], kMaxLabelBytes);
    XrtSetValues(m_chart, {{kXrtLegendLabels, std::vector<std::string>(m_legendLabels.begin(),
                                                                       m_legendLabels.end())}});
}

int CHarluneSpectrumView::SetGraphTitle(const std::string& title)
{
    try {
        XrtSetValues(m_chart,
                     {{kXrtHeaderStrings,
                       std::vector<std::string>{cutAtCharacterBoundary(title, kMaxLabelBytes)}}});
        return 1;
    } catch (const std::exception& e) {
        m_frame.logException(e.what(), __FILE__, __LINE__);
    } catch (...) {
        m_frame.logException("unknown exception", __FILE__, __LINE__);
    }
    return 0;
}

std::string CHarluneSpectrumView::GetGraphTitle() const
{
    const std::vector<std::string> lines = XrtGetValue(m_chart, kXrtHeaderStrings).toTextList();
    return lines.empty() ? std::string() : lines.front();
}

// ---------------------------------------------------------------------------------------
// Messages

int CHarluneSpectrumView::OnSpectrumCommand(uintptr_t wParam, intptr_t lParam)
{
    if (m_destroyed != 0)
        return 1;
    switch (wParam) {
    case 0:
        OnStoreDark();
        break;
    case 1:
        OnStoreReference();
        m_snapshotState = static_cast<int>(lParam);
        break;
    case 2:
        m_snapshotState = static_cast<int>(lParam);
        break;
    case 3:
        OnEmergencyReset();
        break;
    default:
        break;
    }
    return 1;
}

void CHarluneSpectrumView::OnActivateView(bool activate)
{
    if (activate && m_destroyed == 0) {
        refreshAcquisitionBar();
        // The shared menu names this window's overlay slots while it is the active one.
        UpdateOverlayMenu();
    }
}

void CHarluneSpectrumView::OnContextMenu(int x, int y)
{
    if (m_destroyed != 0)
        return;
    if (x == -1 && y == -1) {
        const auto corner = m_window.viewScreenOrigin();
        x = corner[0] + 5;
        y = corner[1] + 5;
    }
    // The point in the view becomes the anchor of a new annotation; a note under it is
    // selected and gets the annotation pop-up.
    m_annotationAnchor = m_window.screenToView(x, y);
    m_selectedAnnotation = -1;
    for (int i = 0; i < kAnnotationRecords; ++i) {
        const auto& r = m_annotations[i].rect;
        const auto [px, py] = m_annotationAnchor;
        if (m_annotations[i].inUse != 0 && px >= r[0] && px < r[2] && py >= r[1] && py < r[3]) {
            m_selectedAnnotation = i;
            break;
        }
    }
    m_window.trackContextMenu(m_selectedAnnotation >= 0 ? 1 : 0, x, y);
}

// ---------------------------------------------------------------------------------------
// Printing

CHarluneSpectrumView::PrintColours CHarluneSpectrumView::beginPrint()
{
    PrintColours saved;
    if (m_chart == 0)
        return saved;
    if (m_frame.viewPreferences().PrintBWOnly == 1) {
        RepaintHold hold(m_chart);
        saved.swapped = true;
        saved.colours = {colorOf(m_chart, kXrtBackgroundColor),
                         colorOf(m_chart, kXrtForegroundColor),
                         colorOf(m_chart, kXrtLegendBackgroundColor),
                         colorOf(m_chart, kXrtLegendForegroundColor)};
        for (int t = 0; t < kTraces; ++t) {
            XrtGetNthDataStyle(m_chart, t, &saved.traces[t]);
            XrtDataStyle black = saved.traces[t];
            black.lineColor = 0;
            black.pointColor = 0;
            XrtSetNthDataStyle(m_chart, t, &black);
        }
        saved.marker = XrtGetValue(m_chart, kXrtMarkerStyle).toDataStyle();
        saved.horizontalGrid = XrtGetValue(m_chart, kXrtHorizontalGridStyle).toDataStyle();
        saved.verticalGrid = XrtGetValue(m_chart, kXrtVerticalGridStyle).toDataStyle();
        XrtDataStyle marker = saved.marker;
        marker.lineColor = marker.pointColor = 0;
        XrtDataStyle horizontal = saved.horizontalGrid;
        horizontal.lineColor = horizontal.pointColor = 0;
        XrtDataStyle vertical = saved.verticalGrid;
        vertical.lineColor = vertical.pointColor = 0;
        XrtSetValues(m_chart, {{kXrtMarkerStyle, marker},
                               {kXrtHorizontalGridStyle, horizontal},
                               {kXrtVerticalGridStyle, vertical},
                               {kXrtBackgroundColor, xrtRgb(255, 255, 255)},
                               {kXrtForegroundColor, xrtRgb(0, 0, 0)},
                               {kXrtLegendBackgroundColor, xrtRgb(255, 255, 255)},
                               {kXrtLegendForegroundColor, xrtRgb(0, 0, 0)}});
        recolourAnnotations(true);
    }
    XrtSetValues(m_chart, {{kXrtBackgroundBitmap, nullptr}});
    return saved;
}

void CHarluneSpectrumView::endPrint(const PrintColours& saved)
{
    if (m_chart == 0)
        return;
    setBackgroundBitmapProperty();
    if (!saved.swapped)
        return;
    RepaintHold hold(m_chart);
    for (int t = 0; t < kTraces; ++t)
        XrtSetNthDataStyle(m_chart, t, &saved.traces[t]);
    XrtSetValues(m_chart, {{kXrtMarkerStyle, saved.marker},
                           {kXrtHorizontalGridStyle, saved.horizontalGrid},
                           {kXrtVerticalGridStyle, saved.verticalGrid},
                           {kXrtBackgroundColor, saved.colours[0]},
                           {kXrtForegroundColor, saved.colours[1]},
                           {kXrtLegendBackgroundColor, saved.colours[2]},
                           {kXrtLegendForegroundColor, saved.colours[3]}});
    recolourAnnotations(false);
}

// ---------------------------------------------------------------------------------------
// Clipboard

void CHarluneSpectrumView::OnCopyGraphicalSpectra()
{
    if (!verify(mvSpecEditCopyGraphicalSpectra))
        return;
    ViewWaitCursor wait(m_window);
    m_window.copyChartToClipboard(m_chart);
}

void CHarluneSpectrumView::copySpectralData(const std::array<int, 16>& columns)
{
    const SpectrumPreferences& prefs = m_frame.preferences();
    SpectralTextFormat format;
    format.header = m_frame.viewPreferences().CopyIncludeHeader == 1;
    format.exponential = prefs.AlwaysExponential == 1;
    format.precision = prefs.DefaultSavePrecision;
    m_window.setClipboardText(spectralDataText(columns, m_document.spectra(), m_document.overlays(),
                                               m_configuration->GetPixelCount(), format));
    m_largeClipboard = 1;
}

void CHarluneSpectrumView::OnCopyAllSpectralData()
{
    if (!verify(mvSpecEditCopySpectralDataAll))
        return;
    std::array<int, 16> columns{};
    for (int k = 0; k < kSpectrumChannels; ++k)
        columns[k] = m_record.channelEnables[k] != 0 ? 1 : 0;
    for (int s = 0; s < kOverlaySlots; ++s)
        columns[kSpectrumChannels + s] = m_document.overlays().loaded[s] != 0 ? 1 : 0;
    copySpectralData(columns);
}

void CHarluneSpectrumView::OnCopySelectedSpectralData()
{
    if (!verify(mvSpecEditCopySpectralDataSelected))
        return;
    std::array<int, 16> offered{};
    for (int k = 0; k < kSpectrumChannels; ++k)
        offered[k] = m_record.channelEnables[k] != 0 ? 1 : 0;
    for (int s = 0; s < kOverlaySlots; ++s)
        offered[kSpectrumChannels + s] = m_document.overlays().loaded[s] != 0 ? 1 : 0;
    const auto chosen = m_window.selectChannelsToCopy(offered, m_copySelection);
    if (!chosen)
        return;
    m_copySelection = *chosen;
    // Only what was offered can be copied.
    std::array<int, 16> columns{};
    for (int t = 0; t < kTraces; ++t)
        columns[t] = offered[t] != 0 && m_copySelection[t] != 0 ? 1 : 0;
    copySpectralData(columns);
}

void CHarluneSpectrumView::OnCopySpectra()
{
    switch (m_frame.viewPreferences().CopyToolbarButtonFunction) {
    case 0:
        OnCopyGraphicalSpectra();
        break;
    case 1:
        OnCopyAllSpectralData();
        break;
    case 2:
        OnCopySelectedSpectralData();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Spectrometer configuration

void CHarluneSpectrumView::OnConfigureSpectrometer()
{
    if (!verify(mvSpecSpectrometerConfigure))
        return;
    const uint16_t oldAdcType = m_configuration->GetADCType();
    const SpectrometerSheetResult result = m_window.runSpectrometerSheet();
    if (result.ok) {
        const std::string title = windowName();
        if (m_holdEvents == 0)
            m_frame.fireSpectrometerConfigChanged(title);
    }
    // The rest runs after OK and after Cancel alike.
    if (result.strobeOff == 1)
        m_strobeEnable = 0;
    refreshAcquisitionBar();
    const uint16_t adcType = m_configuration->GetADCType();
    if (std::find(std::begin(kUsbScanAdcTypes), std::end(kUsbScanAdcTypes), adcType) !=
        std::end(kUsbScanAdcTypes)) {
        m_driver.VYK_SetLastUSBScanValid(0);
        m_usbScanState = oldAdcType == kAdcBrontelUsb && adcType == kAdcBrontelUsb ? 1 : 0;
    }
    const uint16_t type = m_configuration->GetSpectrometerType();
    const bool microseconds = type == kJolvar || type == kUlmar ||
                              (type == kIstrel && (adcType == kAdcSolviPlus || adcType == 15));
    m_window.setMicrosecondIntegration(microseconds);
    if (!microseconds)
        m_record.microsecondFlag = 0;
    if (m_cursorValuesInLegend == 0)
        UpdateLegendLabels();
    m_frame.OnKickStart();
}

// ---------------------------------------------------------------------------------------
// Command routing of the display part

bool CHarluneSpectrumView::displayCommand(unsigned id)
{
    switch (id) {
    case ID_DISPLAY_PROPERTIES:
        OnDisplayProperties();
        return true;
    case ID_GRAPH_BACKGROUND_COLOR:
        OnSetGraphBackgroundColor();
        return true;
    case ID_BACKGROUND_SELECT_BITMAP:
        OnSelectBitmap();
        return true;
    case ID_BACKGROUND_VISIBLE:
        OnBackgroundVisible();
        return true;
    case ID_AXIS_TEXT_PROPERTIES:
        OnSetAxisTextProperties();
        return true;
    case ID_SET_GRAPH_TITLE:
        OnSetGraphTitle();
        return true;
    case ID_RENAME_SPECTRAL_WINDOW:
        OnRenameSpectralWindow();
        return true;
    case ID_LEGEND_ENABLED:
        OnLegendEnabled();
        return true;
    case ID_LEGEND_CONFIGURE:
        OnLegendConfigure();
        return true;
    case ID_LEGEND_SHOW_OVERLAY_FILENAME:
        OnShowOverlayFilename();
        return true;
    case ID_TAKE_LOG:
        OnTakeLog();
        return true;
    case ID_GRID_ENABLED:
        OnGridEnabled();
        return true;
    case ID_GRID_CONFIGURE:
        OnGridConfigure();
        return true;
    case kDisplayEditCopy:
        OnCopyGraphicalSpectra();
        return true;
    case ID_COPY_DATA_ALL:
        OnCopyAllSpectralData();
        return true;
    case ID_COPY_DATA_SELECTED:
        OnCopySelectedSpectralData();
        return true;
    case ID_COPY_SPECTRA:
        OnCopySpectra();
        return true;
    case ID_CONFIGURE_SPECTROMETER:
        OnConfigureSpectrometer();
        return true;
    case ID_SAVE_DISPLAY_SETTINGS:
        OnSaveDisplaySettings();
        return true;
    case ID_RESTORE_DISPLAY_SETTINGS:
        OnRestoreDisplaySettings();
        return true;
    default:
        return false;
    }
}

CHarluneSpectrumView::CommandState CHarluneSpectrumView::displayCommandState(unsigned id) const
{
    switch (id) {
    case ID_BACKGROUND_VISIBLE:
        return {true, true, m_backgroundBitmapVisible != 0 ? 1 : 0};
    case ID_LEGEND_ENABLED:
        return {true, true, XrtGetValue(m_chart, kXrtLegendShown).toInt() != 0 ? 1 : 0};
    case ID_LEGEND_SHOW_OVERLAY_FILENAME:
        return {true, true, m_showOverlayFileName != 0 ? 1 : 0};
    case ID_TAKE_LOG:
        return {true, true, m_verticalLogScale != 0 ? 1 : 0};
    case ID_GRID_ENABLED:
        return {true, true, m_gridEnabled != 0 ? 1 : 0};
    default:
        return {};
    }
}
