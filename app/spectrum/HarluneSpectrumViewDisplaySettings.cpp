// The spectrum view's display-settings file: the window's placement and the whole look of its
// chart, in a ".display" INI file or in the settings store, and the commands that save and
// restore it.
#include "app/res/MenuVerify.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumDataFile.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

using namespace platform::chart;
using namespace app::spectrum;
using namespace app::res;

namespace {

constexpr const char* kPlacement = "WindowPlacement";
constexpr const char* kGraph = "GraphSettings";
constexpr const char* kCursor = "Cursor";
constexpr const char* kGrid = "Grid";
constexpr const char* kLegend = "Legend";
constexpr const char* kDisplaySettingsAxisFont = "AxisFont";
constexpr const char* kDisplaySettingsHeaderFont = "HeaderFont";
constexpr const char* kAnnotation = "Annotation";
constexpr const char* kKeepPlacement = "xx";

constexpr const char* kDisplayFilters =
    "Display Settings (*.display)|*.display|All Files (*.*)|*.*||";

// LOGFONT heights the chart can draw; anything else reads as the key's default.
constexpr int kMaxFontHeight = 400;
// Widths and sizes in pixels that a style may have.
constexpr int kMaxLineWidth = 10;
constexpr int kMaxPointSize = 100;

std::string traceSection(int trace)
{
    return "GraphSettings\\Trace" + std::to_string(trace);
}

int inRange(int value, int lowest, int highest, int fallback)
{
    return value >= lowest && value <= highest ? value : fallback;
}

XrtColor colour(unsigned value)
{
    return value & 0xFFFFFFu;
}

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": exactly ten integers, else nothing.
std::optional<FramePlacement> parsePlacement(const std::string& text)
{
    FramePlacement values{};
    const char* p = text.c_str();
    const char* end = p + text.size();
    for (int i = 0; i < 10; ++i) {
        while (p < end && *p == ' ')
            ++p;
        long long v = 0;
        const auto result = std::from_chars(p, end, v);
        if (result.ec != std::errc() || v < INT32_MIN || v > UINT32_MAX)
            return std::nullopt;
        values[i] = static_cast<int32_t>(static_cast<uint32_t>(v));
        p = result.ptr;
        while (p < end && *p == ' ')
            ++p;
        if (i < 9) {
            if (p >= end || *p != ',')
                return std::nullopt;
            ++p;
        }
    }
    if (p != end)
        return std::nullopt;
    return values;
}

std::string formatPlacement(const FramePlacement& v)
{
    char text[160];
    std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", static_cast<uint32_t>(v[0]),
                  static_cast<uint32_t>(v[1]), v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
    return text;
}

// The extension of a path's file name (after its last "."), empty when it has none.
std::string extensionOf(const std::string& path)
{
    const std::string name = pathBaseName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

} // namespace

void CHarluneSpectrumView::ReadDisplaySettings(const std::string& fileName)
{
    if (m_chart == 0)
        return;
    if (!fileName.empty()) {
        m_displaySettingsFile = fileName;
        CINIFileSupport store(fileName.c_str(), 0);
        readDisplaySettingsFrom(store, store.iniPath());
    } else {
        CINIFileSupport store(nullptr, 1);
        readDisplaySettingsFrom(store, std::string());
    }
}

void CHarluneSpectrumView::readDisplaySettingsFrom(CINIFileSupport& store,
                                                   const std::string& namingFile)
{
    XrtSetValues(m_chart, {{kXrtRepaint, 0},
                           {kXrtHeaderStrings, std::vector<std::string>{}},
                           {kXrtXAxisTitle, "Wavelength (nm)"}});

    const std::string placement =
        store.GetStringDefault(kPlacement, "WindowPlacement", kKeepPlacement);
    if (placement != kKeepPlacement)
        if (const auto values = parsePlacement(placement))
            m_window.setFramePlacement(*values);

    const auto readY = [&] {
        XrtSetValues(
            m_chart,
            {{kXrtYMin, finiteOr(store.GetDoubleDefault(kGraph, "YAxisMin", 0.0), 0.0)},
             {kXrtYMax, finiteOr(store.GetDoubleDefault(kGraph, "YAxisMax", 4100.0), 4100.0)}});
    };
    readY();

    // X defaults: the calibrated range of the enabled channels.
    double xMin = 9999.0;
    double xMax = 0.0;
    ChannelSpectra& spectra = m_document.spectra();
    const unsigned pixels =
        std::min<unsigned>(std::max(1u, m_configuration->GetPixelCount()), kSpectrumPoints);
    for (int k = 0; k < kSpectrumChannels; ++k) {
        if (m_configuration->GetChannelEnabled(k) == 1) {
            xMin = std::min(xMin, spectra.wavelengths[k][0]);
            xMax = std::max(xMax, spectra.wavelengths[k][pixels - 1]);
        } else {
            std::fill_n(spectra.wavelengths[k].begin(), pixels, 0.0);
        }
        setWavelengthXData(k);
    }
    XrtSetValues(m_chart,
                 {{kXrtXMin, finiteOr(store.GetDoubleDefault(kGraph, "XAxisMin", xMin), xMin)},
                  {kXrtXMax, finiteOr(store.GetDoubleDefault(kGraph, "XAxisMax", xMax), xMax)}});
    readY();

    for (int t = 0; t < 16; ++t) {
        const std::string section = traceSection(t);
        const char* s = section.c_str();
        XrtDataStyle& style = m_traceStyles[t];
        style.linePattern = inRange(store.GetIntDefault(s, "LinePattern", 2), 0, 7, 2);
        style.fillPattern = inRange(store.GetIntDefault(s, "FillPattern", 2), 0, 11, 2);
        style.lineColor = colour(store.GetUIntDefault(s, "LineColor", 0x0000FF));
        style.lineWidth = inRange(store.GetIntDefault(s, "LineWidth", 1), 0, kMaxLineWidth, 1);
        style.pointStyle = inRange(store.GetIntDefault(s, "PointStyle", 1), 0, 16, 1);
        style.pointColor = colour(store.GetUIntDefault(s, "PointColor", 0x0000FF));
        style.pointSize = inRange(store.GetIntDefault(s, "PointSize", 0), 0, kMaxPointSize, 0);
        XrtSetNthDataStyle(m_chart, t, &style);
    }

    const XrtColor foreground = colour(store.GetUIntDefault(kGraph, "ForegroundColor", 0x00FFFF));
    XrtSetValues(m_chart,
                 {{kXrtBackgroundColor, colour(store.GetUIntDefault(kGraph, "BackgroundColor", 0))},
                  {kXrtForegroundColor, foreground}});
    m_backgroundBitmapVisible =
        store.GetUIntDefault(kGraph, "BackgroundBitmapActive", 0) != 0 ? 1 : 0;
    const std::string bitmap = store.GetStringDefault(kGraph, "BackgroundBitmapFilename", "");
    m_backgroundBitmapPath = bitmap.empty() ? bitmap : resolveStoredPath(bitmap, namingFile);
    setBackgroundBitmapProperty();
    // "YMax", "XMax", "YMin" and "XMin" are the view's remembered limits: written, not read.
    XrtSetValues(m_chart, {{kXrtYAxisTitle,
                            store.GetStringDefault(kGraph, "YTitle", "Intensity (counts)")}});
    m_cursorShown = store.GetUIntDefault(kGraph, "CursorActive", 0) != 0 ? 1 : 0;
    m_cursorPixel =
        inRange(store.GetIntDefault(kGraph, "CursorPixel", 1024), 0, kSpectrumPoints - 1, 1024);
    m_cursorChannel = inRange(store.GetIntDefault(kGraph, "CursorActiveTrace", 0), 0, 7, 0);
    m_cursorLimitToDisplay = store.GetUIntDefault(kGraph, "LimitCursorToDisplay", 0) != 0 ? 1 : 0;

    m_cursorStyle.linePattern = inRange(store.GetIntDefault(kCursor, "LinePattern", 2), 0, 7, 2);
    m_cursorStyle.lineColor = colour(store.GetUIntDefault(kCursor, "LineColor", 0x00FF00));
    m_cursorStyle.lineWidth =
        inRange(store.GetIntDefault(kCursor, "LineWidth", 1), 0, kMaxLineWidth, 1);
    m_cursorPrecision =
        inRange(store.GetIntDefault(kCursor, "CursorDisplayPrecision", 3), 0, 10, 3);
    XrtSetValues(m_chart, {{kXrtMarkerStyle, m_cursorStyle}});

    m_gridPattern = inRange(store.GetIntDefault(kGrid, "LinePattern", 4), 0, 7, 4);
    m_gridStyle.lineWidth =
        inRange(store.GetIntDefault(kGrid, "LineWidth", 1), 0, kMaxLineWidth, 1);
    m_gridStyle.lineColor = colour(store.GetUIntDefault(kGrid, "LineColor", 0xFFFF00));
    m_gridEnabled = store.GetUIntDefault(kGraph, "GridActive", 0) != 0 ? 1 : 0;
    applyGridStyle();
    m_displayLimitedRange = store.GetIntDefault(kGraph, "DisplayLimitedRange", 0);
    const auto percent = [&](const char* key) {
        const double value = store.GetDoubleDefault(kGraph, key, 10.0);
        return std::isfinite(value) && value > 0.0 && value <= 100.0 ? value * 0.01 : 0.1;
    };
    m_panStep = percent("PercentPan");
    m_zoomStep = percent("PercentZoom");

    XrtSetValues(m_chart,
                 {{kXrtLegendShown, store.GetIntDefault(kLegend, "Visible", 1) != 0 ? 1 : 0},
                  {kXrtLegendAnchor, store.GetIntDefault(kLegend, "Position", 17)},
                  {kXrtLegendForegroundColor,
                   colour(store.GetUIntDefault(kLegend, "ForegroundColor", 0xFF0000))},
                  {kXrtLegendBackgroundColor,
                   colour(store.GetUIntDefault(kLegend, "BackgroundColor", 0xC0C0C0))},
                  {kXrtLegendBorder, inRange(store.GetIntDefault(kLegend, "Border", 1), 0, 9, 1)},
                  {kXrtLegendBorderWidth,
                   inRange(store.GetIntDefault(kLegend, "BorderWidth", 2), 0, kMaxLineWidth, 2)},
                  {kXrtLegendOrientation,
                   inRange(store.GetIntDefault(kLegend, "Orientation", 1), 0, 2, 1)}});
    const auto readFont = [&](const char* section, const char* nameKey, const char* sizeKey,
                              int defaultSize) {
        ChartFontSetting font;
        font.face = store.GetStringDefault(section, nameKey, "Arial");
        if (font.face.empty())
            font.face = "Arial";
        font.height = inRange(store.GetIntDefault(section, sizeKey, defaultSize), 1, kMaxFontHeight,
                              defaultSize);
        return font;
    };
    m_legendFont = readFont(kLegend, "FontName", "FontSize", 16);
    m_showOverlayFileName = store.GetIntDefault(kLegend, "OverlayShowFilename", 1) != 0 ? 1 : 0;
    m_legendFloating = store.GetIntDefault(kLegend, "Floating", 1) != 0 ? 1 : 0;
    m_cursorValuesInLegend = store.GetIntDefault(kLegend, "ShowCursorIntensity", 0) != 0 ? 1 : 0;
    m_axisFont = readFont(kDisplaySettingsAxisFont, "Name", "Size", 18);
    m_titleFont = readFont(kDisplaySettingsHeaderFont, "Name", "Size", 18);
    XrtSetValues(m_chart, {{kXrtHeaderColor, colour(store.GetUIntDefault(kDisplaySettingsHeaderFont,
                                                                         "Color", foreground))}});
    m_annotationFont = readFont(kAnnotation, "DefaultFontName", "DefaultFontSize", 16);
    m_annotationColor = colour(store.GetUIntDefault(kAnnotation, "DefaultFontColor", foreground));

    applyFont(kXrtLegendFont, m_legendFont);
    applyFont(kXrtAxisFont, m_axisFont);
    applyFont(kXrtHeaderFont, m_titleFont);
    XrtSetValues(m_chart, {{kXrtHeaderStrings, std::vector<std::string>{}}});
    UpdateLegendLabels();
    m_window.showCursorReadOutBar(m_cursorShown == 1 && m_cursorValuesInLegend == 0);
    const auto size = m_window.chartClientSize();
    layoutChartArea(size[0], size[1]);
    XrtSetValues(m_chart, {{kXrtRepaint, 1}});
}

bool CHarluneSpectrumView::WriteDisplaySettings(const std::string& fileName)
{
    if (m_chart == 0)
        return false;
    if (!fileName.empty()) {
        m_displaySettingsFile = fileName;
        CINIFileSupport store(fileName.c_str(), 0);
        return writeDisplaySettingsTo(store);
    }
    CINIFileSupport store(nullptr, 1);
    return writeDisplaySettingsTo(store);
}

bool CHarluneSpectrumView::writeDisplaySettingsTo(CINIFileSupport& store)
{
    // One replacement of the file (or hive) for the whole save.
    store.beginBatch();
    if (auto placement = m_window.framePlacement()) {
        constexpr int kShowMaximized = 3;
        (*placement)[0] = (*placement)[1] == kShowMaximized ? 2 : 0;
        store.WriteString(kPlacement, "WindowPlacement", formatPlacement(*placement).c_str());
    }
    for (int t = 0; t < 16; ++t) {
        const std::string section = traceSection(t);
        const char* s = section.c_str();
        XrtDataStyle style = m_traceStyles[t];
        XrtGetNthDataStyle(m_chart, t, &style);
        store.WriteInt(s, "LinePattern", style.linePattern);
        store.WriteInt(s, "FillPattern", style.fillPattern);
        store.WriteUInt(s, "LineColor", style.lineColor);
        store.WriteInt(s, "LineWidth", style.lineWidth);
        store.WriteInt(s, "PointStyle", style.pointStyle);
        store.WriteUInt(s, "PointColor", style.pointColor);
        store.WriteInt(s, "PointSize", style.pointSize);
    }
    const auto colourOf = [this](int id) {
        return static_cast<unsigned>(XrtGetValue(m_chart, id).toInt());
    };
    store.WriteUInt(kGraph, "BackgroundColor", colourOf(kXrtBackgroundColor));
    store.WriteUInt(kGraph, "ForegroundColor", colourOf(kXrtForegroundColor));
    store.WriteUInt(kGraph, "BackgroundBitmapActive",
                    static_cast<unsigned>(m_backgroundBitmapVisible));
    store.WriteString(kGraph, "BackgroundBitmapFilename", m_backgroundBitmapPath.c_str());
    store.WriteDouble(kGraph, "YAxisMax", chartValue(kXrtYMax));
    store.WriteDouble(kGraph, "YMax", m_storedGraphScale[3]);
    store.WriteDouble(kGraph, "XAxisMax", chartValue(kXrtXMax));
    store.WriteDouble(kGraph, "XMax", m_storedGraphScale[1]);
    store.WriteDouble(kGraph, "YAxisMin", chartValue(kXrtYMin));
    store.WriteDouble(kGraph, "YMin", m_storedGraphScale[2]);
    store.WriteDouble(kGraph, "XAxisMin", chartValue(kXrtXMin));
    store.WriteDouble(kGraph, "XMin", m_storedGraphScale[0]);
    store.WriteString(kGraph, "YTitle", XrtGetValue(m_chart, kXrtYAxisTitle).toText().c_str());
    store.WriteUInt(kGraph, "CursorActive", static_cast<unsigned>(m_cursorShown));
    store.WriteInt(kGraph, "CursorPixel", m_cursorPixel);
    store.WriteInt(kGraph, "CursorActiveTrace", m_cursorChannel);
    store.WriteUInt(kGraph, "LimitCursorToDisplay", static_cast<unsigned>(m_cursorLimitToDisplay));
    store.WriteUInt(kGraph, "CursorInStatusBar", 1);
    store.WriteInt(kCursor, "LinePattern", m_cursorStyle.linePattern);
    store.WriteUInt(kCursor, "LineColor", m_cursorStyle.lineColor);
    store.WriteInt(kCursor, "LineWidth", m_cursorStyle.lineWidth);
    store.WriteInt(kCursor, "CursorDisplayPrecision", m_cursorPrecision);
    store.WriteInt(kGrid, "LinePattern", m_gridPattern);
    store.WriteInt(kGrid, "LineWidth", m_gridStyle.lineWidth);
    store.WriteUInt(kGrid, "LineColor", m_gridStyle.lineColor);
    store.WriteUInt(kGraph, "GridActive", static_cast<unsigned>(m_gridEnabled));
    store.WriteDouble(kGraph, "PercentPan", m_panStep * 100.0);
    store.WriteDouble(kGraph, "PercentZoom", m_zoomStep * 100.0);
    store.WriteInt(kLegend, "Visible",
                   static_cast<int>(XrtGetValue(m_chart, kXrtLegendShown).toInt()));
    store.WriteInt(kLegend, "Position",
                   static_cast<int>(XrtGetValue(m_chart, kXrtLegendAnchor).toInt()));
    store.WriteUInt(kLegend, "ForegroundColor", colourOf(kXrtLegendForegroundColor));
    store.WriteUInt(kLegend, "BackgroundColor", colourOf(kXrtLegendBackgroundColor));
    store.WriteInt(kLegend, "Border",
                   static_cast<int>(XrtGetValue(m_chart, kXrtLegendBorder).toInt()));
    store.WriteInt(kLegend, "BorderWidth",
                   static_cast<int>(XrtGetValue(m_chart, kXrtLegendBorderWidth).toInt()));
    store.WriteInt(kLegend, "Orientation",
                   static_cast<int>(XrtGetValue(m_chart, kXrtLegendOrientation).toInt()));
    store.WriteString(kLegend, "FontName", m_legendFont.face.c_str());
    store.WriteInt(kLegend, "FontSize", m_legendFont.height);
    store.WriteInt(kLegend, "OverlayShowFilename", m_showOverlayFileName);
    store.WriteInt(kLegend, "Floating", m_legendFloating);
    store.WriteInt(kLegend, "ShowCursorIntensity", m_cursorValuesInLegend);
    store.WriteString(kDisplaySettingsAxisFont, "Name", m_axisFont.face.c_str());
    store.WriteInt(kDisplaySettingsAxisFont, "Size", m_axisFont.height);
    store.WriteString(kDisplaySettingsHeaderFont, "Name", m_titleFont.face.c_str());
    store.WriteInt(kDisplaySettingsHeaderFont, "Size", m_titleFont.height);
    store.WriteUInt(kDisplaySettingsHeaderFont, "Color", colourOf(kXrtHeaderColor));
    store.WriteString(kAnnotation, "DefaultFontName", m_annotationFont.face.c_str());
    store.WriteInt(kAnnotation, "DefaultFontSize", m_annotationFont.height);
    store.WriteUInt(kAnnotation, "DefaultFontColor", m_annotationColor);
    return store.endBatch();
}

void CHarluneSpectrumView::askDefaultDisplaySettings(const std::string& name,
                                                     const std::string& previous)
{
    // Reading or writing the file made it the window's display-settings file; No keeps the
    // one in use before, which the window's close rewrites and records.
    if (m_window.showMessageBox("Make " + name + " the default display settings?",
                                "Default Display Settings", SpectrumDocWindow::Buttons::YesNo) !=
        SpectrumDocWindow::Answer::Yes)
        m_displaySettingsFile = previous;
}

void CHarluneSpectrumView::OnRestoreDisplaySettings()
{
    if (!verify(mvSpecViewDisplayPropertyFilesRestoreDisplaySettings))
        return;
    const auto path = m_window.chooseExistingFile("Restore Display Settings", kDisplayFilters);
    if (!path)
        return;
    // Another file would only reset the chart to the defaults.
    if (!app::spectrum::fileHasSettingsSection(*path, kGraph)) {
        m_window.showMessageBox("The file " + *path +
                                    " could not be opened as a display settings file.",
                                "Harlune Error", SpectrumDocWindow::Buttons::Ok);
        return;
    }
    const std::string previous = m_displaySettingsFile;
    m_window.beginWaitCursor();
    ReadDisplaySettings(*path);
    m_window.endWaitCursor();
    askDefaultDisplaySettings(*path, previous);
}

void CHarluneSpectrumView::OnSaveDisplaySettings()
{
    if (!verify(mvSpecViewDisplayPropertyFilesSaveDisplaySettings))
        return;
    const auto chosen = m_window.chooseSaveFile("Save Display Settings", kDisplayFilters, "dis");
    if (!chosen)
        return;
    // The dialog completes a bare name with its three-letter default extension.
    const std::string name = extensionOf(*chosen) == "dis" ? *chosen + "play" : *chosen;
    const std::string previous = m_displaySettingsFile;
    if (!WriteDisplaySettings(name)) {
        // Nothing was stored: say so, and keep the file in use.
        m_displaySettingsFile = previous;
        m_window.showMessageBox("The display settings could not be written to " + name + ".\n" +
                                    fileWriteFailure(name, 0),
                                "Save Display Settings", SpectrumDocWindow::Buttons::Ok);
        return;
    }
    askDefaultDisplaySettings(name, previous);
}
