// The spectrum view's cursor: its commands and keys, the peak search, mouse placement and the
// read-out of every enabled channel and loaded overlay slot at the cursor's wavelength.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumCursor.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"

#include <algorithm>
#include <cstdio>

using namespace platform::chart;
using namespace app::spectrum;
using namespace app::res;

namespace {

// Read-outs live in 100-byte fields.
constexpr std::size_t kMaxReadOutBytes = 99;

std::string channelPrefix(int channel)
{
    return channel == 0 ? std::string("M: ") : "S" + std::to_string(channel) + ": ";
}

} // namespace

std::array<int, 2> CHarluneSpectrumView::cursorRange() const
{
    const int last = std::max(0, static_cast<int>(m_configuration->GetPixelCount()) - 1);
    if (m_cursorLimitToDisplay == 0)
        return {0, last};
    const auto xMin = XrtGetValue(m_chart, kXrtXMin).toDouble();
    const auto xMax = XrtGetValue(m_chart, kXrtXMax).toDouble();
    return {m_configuration->WavelengthToPixel(m_cursorChannel, xMin),
            m_configuration->WavelengthToPixel(m_cursorChannel, xMax)};
}

void CHarluneSpectrumView::cursorMoved()
{
    UpdateCursor();
    setChartRepaint(true);
}

void CHarluneSpectrumView::OnCursorStep(int step)
{
    const auto [lo, hi] = cursorRange();
    m_cursorPixel = cursorStep(static_cast<CursorStep>(step), m_cursorPixel, lo, hi);
    cursorMoved();
}

void CHarluneSpectrumView::peakSearch(bool left)
{
    const int count = static_cast<int>(m_configuration->GetPixelCount());
    if (count <= 0)
        return;
    const double* v = m_document.spectra().processed[m_cursorChannel].data();
    const double threshold = peakThreshold(m_processingMode, m_verticalLogScale != 0, v, count);
    int pos = left ? peakLeft(v, count, m_cursorPixel, threshold)
                   : peakRight(v, count, m_cursorPixel, threshold);
    if (m_cursorLimitToDisplay != 0) {
        const auto [lo, hi] = cursorRange();
        if (pos < lo || pos > hi)
            pos = left ? lo : hi;
    }
    m_cursorPixel = pos;
    cursorMoved();
}

void CHarluneSpectrumView::OnCursorPeakLeft()
{
    peakSearch(true);
}

void CHarluneSpectrumView::OnCursorPeakRight()
{
    peakSearch(false);
}

std::string CHarluneSpectrumView::peakWidthText(int channel)
{
    const int count = static_cast<int>(m_configuration->GetPixelCount());
    const double* w = m_document.spectra().wavelengths[channel].data();
    const double* v = m_document.spectra().processed[channel].data();
    const int a = lastPixelBelow(w, count, XrtGetValue(m_chart, kXrtXMin).toDouble());
    const int b = lastPixelBelow(w, count, XrtGetValue(m_chart, kXrtXMax).toDouble());
    const PeakWidth pw = peakAndWidth(v, count, a, b);
    float c[4] = {};
    m_configuration->GetWavelengthCoefs(channel, c);
    const auto lambda = [&c](double x) {
        return static_cast<double>(c[0]) + c[1] * x + c[2] * x * x + c[3] * x * x * x;
    };
    char peak[16];
    std::snprintf(peak, sizeof peak, "%4d", pw.peak);
    return std::string(" | Peak: ") + peak + " - " +
           fixedText(m_configuration->PixelToWavelength(channel, pw.peak), 3) + " | FWHM " +
           fixedText(pw.right - pw.left, 3) + " pix, " +
           fixedText(lambda(pw.right) - lambda(pw.left), 3) + " nm";
}

void CHarluneSpectrumView::UpdateCursor()
{
    if (m_cursorShown == 0 || m_chart == 0 || m_destroyed != 0)
        return;
    XrtSetValues(m_chart, {{kXrtMarkerPoint, m_cursorPixel}});
    const int channel = m_cursorChannel;
    const double wl =
        static_cast<float>(m_configuration->PixelToWavelength(channel, m_cursorPixel));
    const int count = static_cast<int>(m_configuration->GetPixelCount());
    const ChannelSpectra& spectra = m_document.spectra();
    const OverlaySlots& overlays = m_document.overlays();

    std::string bar = (channel == 0 ? std::string("M: ") : "S" + std::to_string(channel) + ": ") +
                      fixedText(wl, 2) + " nm--";
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (m_record.channelEnables[k] == 0)
            continue;
        int p = k == channel ? m_cursorPixel : m_configuration->WavelengthToPixel(k, wl);
        p = std::clamp(p, 0, std::max(0, count - 1));
        m_cursorChannelPixels[k] = p;
        m_cursorChannelValues[k] = spectra.processed[k][p];
        const std::string text = cursorValueText(m_cursorPrecision, p, spectra.processed[k][p]);
        m_cursorReadOuts[k] = cutAtCharacterBoundary(
            k == channel ? fixedText(wl, 2) + " nm, " + text : text, kMaxReadOutBytes);
        bar += channelPrefix(k) + text + " | ";
    }
    for (int s = 0; s < kOverlaySlots; ++s) {
        if (overlays.loaded[s] == 0)
            continue;
        const int j = overlayIndex(overlays.wavelengths[s].data(), wl);
        m_cursorSlotIndices[s] = j;
        m_cursorSlotValues[s] = overlays.values[s][j];
        const std::string text = cursorValueText(m_cursorPrecision, j, overlays.values[s][j]);
        m_cursorReadOuts[kSpectrumChannels + s] = cutAtCharacterBoundary(text, kMaxReadOutBytes);
        bar += "O" + std::to_string(s + 1) + ": " + text + " | ";
    }
    bar.resize(bar.size() - 2);
    if (m_frame.viewPreferences().ManufacturingExtensionsEnabled != 0 &&
        m_record.channelEnables[channel] != 0) {
        const std::string peak = peakWidthText(channel);
        bar += peak;
        m_cursorReadOuts[channel] =
            cutAtCharacterBoundary(m_cursorReadOuts[channel] + peak, kMaxReadOutBytes);
    }
    m_cursorBarText = bar;
    if (m_cursorValuesInLegend != 0)
        UpdateLegendLabels();
    m_window.setCursorReadOut(bar);
}

void CHarluneSpectrumView::OnCursorEnabled()
{
    if (m_cursorShown != 0) {
        m_window.showCursorReadOutBar(false);
        m_cursorShown = 0;
    } else {
        m_cursorShown = 1;
        m_window.showCursorReadOutBar(m_cursorValuesInLegend == 0);
        UpdateCursor();
    }
    XrtSetValues(m_chart, {{kXrtMarkerAttach, 1},
                           {kXrtMarkerHorizontalLine, 0},
                           {kXrtMarkerStyle, m_cursorStyle},
                           {kXrtMarkerPoint, m_cursorPixel},
                           {kXrtMarkerShown, m_cursorShown}});
    UpdateLegendLabels();
}

void CHarluneSpectrumView::OnCursorConfigure()
{
    CursorDialogValues values;
    values.linePattern = m_cursorStyle.linePattern;
    values.lineWidth = m_cursorStyle.lineWidth;
    values.color = m_cursorStyle.lineColor;
    values.channel = m_cursorChannel;
    values.statusBar = 1;
    values.limitToDisplay = m_cursorLimitToDisplay;
    values.precision = m_cursorPrecision;
    values.valuesInLegend = m_cursorValuesInLegend;
    const auto answer = m_window.runCursorDialog(values);
    if (!answer)
        return;
    m_cursorStyle.lineColor = answer->color;
    m_cursorStyle.linePattern = std::clamp(answer->linePattern, 0, 7);
    m_cursorStyle.lineWidth = std::clamp(answer->lineWidth, 0, 10);
    XrtSetValues(m_chart, {{kXrtMarkerStyle, m_cursorStyle}});
    m_cursorPrecision = std::clamp(answer->precision, 0, 10);
    m_cursorLimitToDisplay = answer->limitToDisplay != 0 ? 1 : 0;
    if (answer->channel != m_cursorChannel) {
        if (answer->channel < 0 || answer->channel >= kSpectrumChannels ||
            m_record.channelEnables[answer->channel] == 0) {
            m_window.showMessageBox("You selected a non-active graph trace to control the "
                                    "cursor.  The controlling graph trace will not be changed.",
                                    "Cursor Configuration Warning", SpectrumDocWindow::Buttons::Ok);
        } else {
            m_cursorChannel = answer->channel;
            XrtSetValues(m_chart, {{kXrtMarkerDataSet, m_cursorChannel}});
        }
    }
    UpdateLegendLabels();
    const int legend = answer->valuesInLegend != 0 ? 1 : 0;
    if (legend != m_cursorValuesInLegend) {
        m_cursorValuesInLegend = legend;
        m_window.showCursorReadOutBar(legend == 0);
        UpdateLegendLabels();
    }
    const int option = answer->statusBar != 0 ? 1 : 0;
    if (option != m_cursorDisplayOption) {
        m_cursorDisplayOption = option;
        if (option == 1)
            m_window.showCursorReadOutBar(true);
    }
}

void CHarluneSpectrumView::OnLButtonDown(int x, int y)
{
    if (m_destroyed != 0 || m_chart == 0)
        return;
    if (m_annotationMoving != 0) {
        m_annotationMoving = 0;
        m_window.captureMouse(false);
        return;
    }
    if (m_cursorShown == 0)
        return;
    double dx = 0.0;
    double dy = 0.0;
    XrtMap(m_chart, kXrtMapToData, x, y, &dx, &dy);
    m_cursorPixel = m_configuration->WavelengthToPixel(m_cursorChannel, dx);
    UpdateCursor();
    PlotSpectra();
}

bool CHarluneSpectrumView::cursorCommand(unsigned id)
{
    const auto run = [this](int menuVerify, auto action) {
        if (verify(menuVerify))
            action();
        return true;
    };
    switch (id) {
    case ID_CURSOR_ENABLED:
        return run(mvSpecViewCursorEnabled, [this] { OnCursorEnabled(); });
    case ID_CURSOR_CONFIGURE:
        return run(mvSpecViewCursorConfigure, [this] { OnCursorConfigure(); });
    case ID_CURSOR_LEFT:
        return run(mvSpecViewCursorLittleLeft,
                   [this] { OnCursorStep(static_cast<int>(CursorStep::Left)); });
    case ID_CURSOR_RIGHT:
        return run(mvSpecViewCursorLittleRight,
                   [this] { OnCursorStep(static_cast<int>(CursorStep::Right)); });
    case ID_CURSOR_BIG_LEFT:
        return run(mvSpecViewCursorBigLeft,
                   [this] { OnCursorStep(static_cast<int>(CursorStep::BigLeft)); });
    case ID_CURSOR_BIG_RIGHT:
        return run(mvSpecViewCursorBigRight,
                   [this] { OnCursorStep(static_cast<int>(CursorStep::BigRight)); });
    case ID_CURSOR_PEAK_LEFT:
        return run(mvSpecViewCursorPeakLeft, [this] { OnCursorPeakLeft(); });
    case ID_CURSOR_PEAK_RIGHT:
        return run(mvSpecViewCursorPeakRight, [this] { OnCursorPeakRight(); });
    default:
        return false;
    }
}

CHarluneSpectrumView::CommandState CHarluneSpectrumView::cursorCommandState(unsigned id) const
{
    switch (id) {
    case ID_CURSOR_ENABLED:
        return {true, true, m_cursorShown != 0 ? 1 : 0};
    case ID_CURSOR_LEFT:
    case ID_CURSOR_RIGHT:
    case ID_CURSOR_BIG_LEFT:
    case ID_CURSOR_BIG_RIGHT:
    case ID_CURSOR_PEAK_LEFT:
    case ID_CURSOR_PEAK_RIGHT:
        return {true, m_cursorShown != 0, -1};
    default:
        return {};
    }
}
