#pragma once

#include "platform/chart/XrtTypes.h"

#include <array>
#include <memory>
#include <string>

struct MainFramePreferences;

// What the display sheet, the properties sheet and the chart dialogs use of the windows they
// edit: the chart's function set (replaceable, so that tests record the calls), a spectrum
// view's styles, file names and fonts, and a graph view's traces and titles. The program
// implements them over CHarluneSpectrumView and CHarluneGraphView; tests use recording fakes.
// GUI thread only.

namespace app::dialogs {

// The chart calls the dialogs make. The default forwards to the charting functions.
class DialogChart
{
public:
    virtual ~DialogChart() = default;
    virtual int setValue(platform::chart::XrtHandle chart, int id,
                         const platform::chart::XrtValue& value);
    virtual platform::chart::XrtValue getValue(platform::chart::XrtHandle chart, int id);
    virtual int setNthDataStyle(platform::chart::XrtHandle chart, int set,
                                const platform::chart::XrtDataStyle& style);
};

// The chart calls in force (the forwarding one unless a ScopedDialogChart replaced it).
DialogChart& dialogChart();

// Replaces the chart calls while it lives.
class ScopedDialogChart
{
public:
    explicit ScopedDialogChart(DialogChart& chart);
    ~ScopedDialogChart();
    ScopedDialogChart(const ScopedDialogChart&) = delete;
    ScopedDialogChart& operator=(const ScopedDialogChart&) = delete;

private:
    DialogChart* m_previous;
};

// A spectrum view as the display sheet sees it: the chart and the sixteen data-style records
// (0 to 7 the channels, 8 to 15 the overlays).
class DisplaySheetView
{
public:
    virtual ~DisplaySheetView() = default;
    virtual platform::chart::XrtHandle chart() = 0;
    virtual platform::chart::XrtDataStyle& traceStyle(int trace) = 0;
};

// A spectrum view as the properties sheet sees it: the main frame's preference record, the
// view's three default file names, its configuration's saturation threshold and its sounds.
class PropertiesSheetView
{
public:
    virtual ~PropertiesSheetView() = default;
    virtual MainFramePreferences& preferenceRecord() = 0;
    virtual std::string displaySettingsFile() = 0;
    virtual void setDisplaySettingsFile(const std::string& name) = 0;
    virtual std::string spectrometerFile() = 0;
    virtual void setSpectrometerFile(const std::string& name) = 0;
    virtual std::string timeAcquisitionFile() = 0;
    virtual void setTimeAcquisitionFile(const std::string& name) = 0;
    virtual double GetScopeModeSaturationThreshold() = 0;
    virtual void SetScopeModeSaturationThreshold(double threshold) = 0;
    // Plays a wave file without waiting; a missing file or sound device is silence.
    virtual void playSoundAsync(const std::string& file) = 0;
};

// A font the owner keeps: face name and height (0 is the default height).
struct DialogFont
{
    std::string face;
    int size = 0;
};

// A spectrum view as the chart dialogs see it.
class ChartSpectrumOwner
{
public:
    virtual ~ChartSpectrumOwner() = default;
    virtual platform::chart::XrtHandle chart() = 0;
    virtual DialogFont titleFont() = 0;
    virtual void setTitleFont(const DialogFont& font) = 0;
    virtual DialogFont axisFont() = 0;
    virtual void setAxisFont(const DialogFont& font) = 0;
    virtual DialogFont legendFont() = 0;
    virtual void setLegendFont(const DialogFont& font) = 0;
    virtual int legendFloating() = 0;
    virtual void setLegendFloating(int floating) = 0;
    // Sets the chart's main title and repaints.
    virtual void SetGraphTitle(const std::string& title) = 0;
    // The owner window's client size in pixels.
    virtual std::array<int, 2> clientSize() = 0;
    // Annotations: a slot's text, face, size and colour, and the defaults for new ones.
    struct Annotation
    {
        std::string text;
        DialogFont font;
        platform::chart::XrtColor color = 0;
    };
    virtual Annotation annotation(int index) = 0;
    virtual Annotation annotationDefaults() = 0;
    virtual void setAnnotationDefaults(const DialogFont& font, platform::chart::XrtColor color) = 0;
};

// A graph view as the chart dialogs see it.
class ChartGraphOwner
{
public:
    virtual ~ChartGraphOwner() = default;
    virtual platform::chart::XrtHandle chart() = 0;
    virtual int traces() = 0;
    virtual platform::chart::XrtDataStyle traceStyle(int trace) = 0;
    virtual std::string legendText(int trace) = 0;
    virtual void setTraceLineColor(int trace, platform::chart::XrtColor color) = 0;
    virtual void setTracePointColor(int trace, platform::chart::XrtColor color) = 0;
    virtual void setTraceLineStyle(int trace, int value) = 0;
    virtual void setTraceLineWidth(int trace, int value) = 0;
    virtual void setTracePointFillPattern(int trace, int value) = 0;
    virtual void setTracePointSize(int trace, int value) = 0;
    virtual void setTracePointStyle(int trace, int value) = 0;
    virtual void setLegendText(int trace, const std::string& text) = 0;
    virtual void setMainTitle(const std::string& text) = 0;
    virtual void setXTitle(const std::string& text) = 0;
    virtual void setYTitle(const std::string& text) = 0;
    virtual void repaint() = 0;
    virtual DialogFont titleFont() = 0;
    virtual void setTitleFont(const DialogFont& font) = 0;
    virtual DialogFont axisFont() = 0;
    virtual void setAxisFont(const DialogFont& font) = 0;
    virtual DialogFont legendFont() = 0;
    virtual void setLegendFont(const DialogFont& font) = 0;
    virtual int legendFloating() = 0;
    virtual void setLegendFloating(int floating) = 0;
    virtual std::array<int, 2> clientSize() = 0;
};

// The window a chart dialog was opened from: a spectrum view, else a graph view.
struct ChartDialogParent
{
    ChartSpectrumOwner* spectrumView = nullptr;
    ChartGraphOwner* graphView = nullptr;
};

} // namespace app::dialogs
