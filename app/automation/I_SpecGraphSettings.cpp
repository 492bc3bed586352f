#include "app/automation/I_SpecGraphSettings.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace platform::chart;

namespace {

// Drawing formats of the chart: a picture on the clipboard, a Windows bitmap in a file.
constexpr int kClipboardPicture = 3;
constexpr int kBitmapFile = 1;
// The label format lives in a 200-byte work buffer.
constexpr std::size_t kMaxLabelFormatBytes = 199;

bool isReset(const std::string& text)
{
    static constexpr char kReset[] = "RESET";
    if (text.size() != sizeof kReset - 1)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
        if (c != kReset[i])
            return false;
    }
    return true;
}

// The wait cursor of the view's window for a scope.
class GraphSettingsWaitCursor
{
public:
    explicit GraphSettingsWaitCursor(SpectrumViewWindow& window) : m_window(window)
    {
        m_window.beginWaitCursor();
    }
    ~GraphSettingsWaitCursor() { m_window.endWaitCursor(); }
    GraphSettingsWaitCursor(const GraphSettingsWaitCursor&) = delete;
    GraphSettingsWaitCursor& operator=(const GraphSettingsWaitCursor&) = delete;

private:
    SpectrumViewWindow& m_window;
};

} // namespace

const DispatchTable& I_SpecGraphSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecGraphSettings;
        DispatchBinder<C> b;
        b.property("BackgroundColor", &C::GetBackgroundColor, &C::SetBackgroundColor)
            .property("ForegroundColor", &C::GetForegroundColor, &C::SetForegroundColor)
            .property("BackgroundBitmapFilename", &C::GetBackgroundBitmapFilename,
                      &C::SetBackgroundBitmapFilename)
            .property("BackgroundBitmapActive", &C::GetBackgroundBitmapActive,
                      &C::SetBackgroundBitmapActive)
            .property("AxisFontName", &C::GetAxisFontName, &C::SetAxisFontName)
            .property("AxisFontSize", &C::GetAxisFontSize, &C::SetAxisFontSize)
            .property("YAxisLabelFormat", &C::GetYAxisLabelFormat, &C::SetYAxisLabelFormat)
            .property("MainTitle", &C::GetMainTitle, &C::SetMainTitle);
        addWindowMembers(b);
        b.method("Redraw", &C::Redraw)
            .unguarded()
            .method("CopyToClipboard", &C::CopyToClipboard)
            .method("SaveAsBitmap", &C::SaveAsBitmap, {"filename"});
        return b.table();
    }();
    return t;
}

int32_t I_SpecGraphSettings::GetBackgroundColor()
{
    return chartInt(kXrtBackgroundColor);
}

void I_SpecGraphSettings::SetBackgroundColor(int32_t value)
{
    setChartInt(kXrtBackgroundColor, value);
}

int32_t I_SpecGraphSettings::GetForegroundColor()
{
    return chartInt(kXrtForegroundColor);
}

void I_SpecGraphSettings::SetForegroundColor(int32_t value)
{
    setChartInt(kXrtForegroundColor, value);
}

std::string I_SpecGraphSettings::GetBackgroundBitmapFilename()
{
    return onView(std::string(), [](View& v) { return v.backgroundBitmapPath(); });
}

void I_SpecGraphSettings::SetBackgroundBitmapFilename(const std::string& value)
{
    // A path cut to fit would name another file.
    if (value.size() > kMaxPathBytes)
        return;
    withView([&](View& v) {
        v.setBackgroundBitmapPath(value);
        XrtSetValues(v.chart(), {{kXrtBackgroundBitmap, value}});
    });
}

bool I_SpecGraphSettings::GetBackgroundBitmapActive()
{
    return onView(false, [](View& v) { return v.backgroundBitmapVisible() != 0; });
}

void I_SpecGraphSettings::SetBackgroundBitmapActive(bool value)
{
    withView([&](View& v) { v.setBackgroundBitmapVisible(value ? 1 : 0); });
}

void I_SpecGraphSettings::applyAxisFont(View& view)
{
    XrtSetValues(view.chart(), {{kXrtAxisFont, chartFont(view.axisFont())}});
    XrtSetValues(view.chart(), {{kXrtRepaint, 1}});
}

std::string I_SpecGraphSettings::GetAxisFontName()
{
    return onView(std::string(), [](View& v) { return v.axisFont().face; });
}

void I_SpecGraphSettings::SetAxisFontName(const std::string& value)
{
    withView([&](View& v) {
        v.axisFont().face = cut(value, kMaxFaceNameBytes);
        applyAxisFont(v);
    });
}

int32_t I_SpecGraphSettings::GetAxisFontSize()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.axisFont().height); });
}

void I_SpecGraphSettings::SetAxisFontSize(int32_t value)
{
    if (!validFontHeight(value))
        return;
    withView([&](View& v) {
        v.axisFont().height = value;
        applyAxisFont(v);
    });
}

std::string I_SpecGraphSettings::GetYAxisLabelFormat()
{
    return onView(std::string(),
                  [](View& v) { return XrtGetValue(v.chart(), kXrtYAxisLabelFormat).toText(); });
}

void I_SpecGraphSettings::SetYAxisLabelFormat(const std::string& value)
{
    withView([&](View& v) {
        if (isReset(value))
            XrtSetValues(v.chart(), {{kXrtYAxisLabelFormat, nullptr}});
        else
            XrtSetValues(v.chart(), {{kXrtYAxisLabelFormat, cut(value, kMaxLabelFormatBytes)}});
    });
}

std::string I_SpecGraphSettings::GetMainTitle()
{
    return onView(std::string(), [](View& v) { return v.GetGraphTitle(); });
}

void I_SpecGraphSettings::SetMainTitle(const std::string& value)
{
    withView([&](View& v) { v.SetGraphTitle(value); });
}

void I_SpecGraphSettings::Redraw()
{
    if (View* view = targetViewSilently())
        XrtSetValues(view->chart(), {{kXrtRepaint, 1}});
}

bool I_SpecGraphSettings::CopyToClipboard()
{
    try {
        View* view = targetViewSilently();
        AutomationFrame* frame = automationFrame();
        if (view == nullptr || frame == nullptr)
            return false;
        return frame->drawChartToClipboard(view->chart(), kClipboardPicture) != 0;
    } catch (...) {
        return false;
    }
}

bool I_SpecGraphSettings::SaveAsBitmap(const std::string& fileName)
{
    if (fileName.empty() || fileName.size() > kMaxPathBytes)
        return false;
    return onView(false, [&](View& v) {
        AutomationFrame* frame = automationFrame();
        if (frame == nullptr)
            return false;
        GraphSettingsWaitCursor wait(v.window());
        return frame->drawChartToFile(v.chart(), fileName, kBitmapFile) != 0;
    });
}
