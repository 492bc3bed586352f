#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/shell/MainFramePreferences.h"
#include "platform/chart/XrtProperties.h"

#include <array>
#include <map>
#include <string>
#include <vector>

// Recording fakes of what the display and properties sheets and the chart dialogs use: the
// chart calls, a spectrum view and a graph view. Every call goes into one log, in order.
namespace app::dialogs::test {

using platform::chart::XrtDataStyle;
using platform::chart::XrtHandle;
using platform::chart::XrtValue;

struct ChartCall
{
    enum Kind
    {
        Set,
        Style,
    };
    Kind kind = Set;
    int id = 0; // property number, or the data-style number
    XrtValue value;
    XrtDataStyle style;
};

// The chart: records the calls and answers reads from the values set (0 for the others).
class RecordingChart : public DialogChart
{
public:
    int setValue(XrtHandle, int id, const XrtValue& value) override
    {
        calls.push_back({ChartCall::Set, id, value, {}});
        values[id] = value;
        return 1;
    }
    XrtValue getValue(XrtHandle, int id) override
    {
        const auto found = values.find(id);
        return found != values.end() ? found->second : XrtValue(0);
    }
    int setNthDataStyle(XrtHandle, int set, const XrtDataStyle& style) override
    {
        calls.push_back({ChartCall::Style, set, {}, style});
        return 1;
    }
    // The property numbers set, in order (data styles as -1 - set).
    std::vector<int> ids() const
    {
        std::vector<int> out;
        for (const ChartCall& c : calls)
            out.push_back(c.kind == ChartCall::Set ? c.id : -1 - c.id);
        return out;
    }
    // Every set call other than the repaint switch came between 273 = 0 and 273 = 1.
    bool bracketed() const
    {
        int held = 0;
        for (const ChartCall& c : calls) {
            if (c.kind == ChartCall::Set && c.id == platform::chart::kXrtRepaint) {
                held = c.value.toInt() == 0 ? 1 : 0;
                continue;
            }
            if (held == 0)
                return false;
        }
        return held == 0;
    }

    std::vector<ChartCall> calls;
    std::map<int, XrtValue> values;
};

class FakeDisplayView : public DisplaySheetView
{
public:
    FakeDisplayView()
    {
        for (int t = 0; t < 16; ++t) {
            XrtDataStyle& s = styles[static_cast<std::size_t>(t)];
            s.linePattern = 2 + t % 5;
            s.fillPattern = 1 + t % 10;
            s.lineColor = 0x010000u * static_cast<unsigned>(t + 1);
            s.lineWidth = t % 11;
            s.pointStyle = 3 + t % 13;
            s.pointColor = 0x000100u * static_cast<unsigned>(t + 1);
            s.pointSize = (t + 3) % 11;
        }
    }
    XrtHandle chart() override { return 77; }
    XrtDataStyle& traceStyle(int trace) override
    {
        return styles.at(static_cast<std::size_t>(trace));
    }

    std::array<XrtDataStyle, 16> styles{};
};

class FakePropertiesView : public PropertiesSheetView
{
public:
    MainFramePreferences& preferenceRecord() override { return prefs; }
    std::string displaySettingsFile() override { return displayFile; }
    void setDisplaySettingsFile(const std::string& name) override { displayFile = name; }
    std::string spectrometerFile() override { return specFile; }
    void setSpectrometerFile(const std::string& name) override { specFile = name; }
    std::string timeAcquisitionFile() override { return timeFile; }
    void setTimeAcquisitionFile(const std::string& name) override { timeFile = name; }
    double GetScopeModeSaturationThreshold() override { return threshold; }
    void SetScopeModeSaturationThreshold(double value) override
    {
        log.push_back("SetScopeModeSaturationThreshold");
        threshold = value;
    }
    void playSoundAsync(const std::string& file) override { played.push_back(file); }

    MainFramePreferences prefs;
    std::string displayFile = "lab.display";
    std::string specFile = "lab.spec";
    std::string timeFile = "lab.TimeParameters";
    double threshold = 14.0;
    std::vector<std::string> played;
    std::vector<std::string> log;
};

class FakeSpectrumOwner : public ChartSpectrumOwner
{
public:
    XrtHandle chart() override { return 55; }
    DialogFont titleFont() override { return title; }
    void setTitleFont(const DialogFont& f) override { title = f; }
    DialogFont axisFont() override { return axis; }
    void setAxisFont(const DialogFont& f) override { axis = f; }
    DialogFont legendFont() override { return legend; }
    void setLegendFont(const DialogFont& f) override { legend = f; }
    int legendFloating() override { return floating; }
    void setLegendFloating(int value) override { floating = value; }
    void SetGraphTitle(const std::string& text) override { titles.push_back(text); }
    std::array<int, 2> clientSize() override { return {640, 480}; }
    Annotation annotation(int index) override
    {
        return annotations.at(static_cast<std::size_t>(index));
    }
    Annotation annotationDefaults() override { return defaults; }
    void setAnnotationDefaults(const DialogFont& font, platform::chart::XrtColor color) override
    {
        defaults.font = font;
        defaults.color = color;
    }

    DialogFont title{"Arial", 18};
    DialogFont axis{"Arial", 18};
    DialogFont legend{"Arial", 16};
    int floating = 1;
    std::vector<std::string> titles;
    std::array<Annotation, 4> annotations{};
    Annotation defaults{"", {"Arial", 16}, 0x00FFFF};
};

class FakeGraphOwner : public ChartGraphOwner
{
public:
    explicit FakeGraphOwner(int traceCount = 3) : styles(static_cast<std::size_t>(traceCount))
    {
        for (std::size_t t = 0; t < styles.size(); ++t) {
            styles[t].linePattern = 2;
            styles[t].lineWidth = 1 + static_cast<int>(t);
            styles[t].lineColor = 0x0000FFu << (8 * (t % 3));
            legends.push_back("Trace " + std::to_string(t));
        }
    }
    XrtHandle chart() override { return 66; }
    int traces() override { return static_cast<int>(styles.size()); }
    XrtDataStyle traceStyle(int trace) override
    {
        return styles.at(static_cast<std::size_t>(trace));
    }
    std::string legendText(int trace) override
    {
        return legends.at(static_cast<std::size_t>(trace));
    }
    void setTraceLineColor(int t, platform::chart::XrtColor c) override
    {
        record("setTraceLineColor", t, static_cast<int>(c));
        at(t).lineColor = c;
    }
    void setTracePointColor(int t, platform::chart::XrtColor c) override
    {
        record("setTracePointColor", t, static_cast<int>(c));
        at(t).pointColor = c;
    }
    void setTraceLineStyle(int t, int v) override
    {
        record("setTraceLineStyle", t, v);
        at(t).linePattern = v;
    }
    void setTraceLineWidth(int t, int v) override
    {
        record("setTraceLineWidth", t, v);
        at(t).lineWidth = v;
    }
    void setTracePointFillPattern(int t, int v) override
    {
        record("setTracePointFillPattern", t, v);
        at(t).fillPattern = v;
    }
    void setTracePointSize(int t, int v) override
    {
        record("setTracePointSize", t, v);
        at(t).pointSize = v;
    }
    void setTracePointStyle(int t, int v) override
    {
        record("setTracePointStyle", t, v);
        at(t).pointStyle = v;
    }
    void setLegendText(int t, const std::string& text) override
    {
        log.push_back("setLegendText(" + std::to_string(t) + "," + text + ")");
        legends.at(static_cast<std::size_t>(t)) = text;
    }
    void setMainTitle(const std::string& text) override
    {
        log.push_back("setMainTitle(" + text + ")");
    }
    void setXTitle(const std::string& text) override { log.push_back("setXTitle(" + text + ")"); }
    void setYTitle(const std::string& text) override { log.push_back("setYTitle(" + text + ")"); }
    void repaint() override { log.push_back("repaint"); }
    DialogFont titleFont() override { return title; }
    void setTitleFont(const DialogFont& f) override { title = f; }
    DialogFont axisFont() override { return axis; }
    void setAxisFont(const DialogFont& f) override { axis = f; }
    DialogFont legendFont() override { return legend; }
    void setLegendFont(const DialogFont& f) override { legend = f; }
    int legendFloating() override { return floating; }
    void setLegendFloating(int value) override { floating = value; }
    std::array<int, 2> clientSize() override { return {300, 200}; }

    std::vector<XrtDataStyle> styles;
    std::vector<std::string> legends;
    std::vector<std::string> log;
    DialogFont title{"Arial", 20};
    DialogFont axis{"Arial", 18};
    DialogFont legend{"Arial", 18};
    int floating = 1;

private:
    XrtDataStyle& at(int t) { return styles.at(static_cast<std::size_t>(t)); }
    void record(const char* name, int t, int v)
    {
        log.push_back(std::string(name) + "(" + std::to_string(t) + "," + std::to_string(v) + ")");
    }
};

} // namespace app::dialogs::test
