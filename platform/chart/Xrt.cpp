#include "platform/chart/Xrt.h"

#include <map>
#include <memory>
#include <span>

namespace platform::chart {

namespace {

// The process-wide table behind the handles. Handles are never reused, so a stale handle
// finds nothing.
struct Registry
{
    XrtHandle next = 1;
    std::map<XrtHandle, std::unique_ptr<XrtChart>> charts;
    std::map<XrtHandle, std::unique_ptr<XrtDataObject>> data;
    std::map<XrtHandle, XrtHandle> textAreas; // text area -> its chart

    XrtHandle allocate() { return next == 0 ? 0 : next++; }
};

Registry& registry()
{
    static Registry r;
    return r;
}

XrtDataObject* mutableData(XrtHandle handle)
{
    auto& d = registry().data;
    auto it = d.find(handle);
    return it == d.end() ? nullptr : it->second.get();
}

XrtChart* textAreaChart(XrtHandle textArea)
{
    auto& t = registry().textAreas;
    auto it = t.find(textArea);
    return it == t.end() ? nullptr : xrtChart(it->second);
}

int setData(XrtHandle handle, int set, const double* values, int count, int first, bool isX)
{
    XrtDataObject* d = mutableData(handle);
    if (!d || count < 0 || (count > 0 && !values))
        return 0;
    std::span<const double> span(values, static_cast<std::size_t>(count));
    return (isX ? d->setX(set, span, first) : d->setY(set, span, first)) ? 1 : 0;
}

} // namespace

bool XrtTarget::assign(const XrtValue& value) const
{
    return std::visit(
        [&](auto* p) -> bool {
            using T = std::remove_pointer_t<decltype(p)>;
            if (!p)
                return false;
            if constexpr (std::is_same_v<T, int>)
                *p = static_cast<int>(value.toInt());
            else if constexpr (std::is_same_v<T, short>)
                *p = static_cast<short>(value.toInt());
            else if constexpr (std::is_same_v<T, long>)
                *p = static_cast<long>(value.toInt());
            else if constexpr (std::is_same_v<T, unsigned>)
                *p = static_cast<unsigned>(value.toInt());
            else if constexpr (std::is_same_v<T, double>)
                *p = value.toDouble();
            else if constexpr (std::is_same_v<T, std::string>)
                *p = value.toText();
            else if constexpr (std::is_same_v<T, std::vector<std::string>>)
                *p = value.toTextList();
            else if constexpr (std::is_same_v<T, XrtFont>)
                *p = value.toFont();
            else if constexpr (std::is_same_v<T, XrtDataStyle>)
                *p = value.toDataStyle();
            else
                *p = value;
            return true;
        },
        m_target);
}

XrtHandle XrtCreate()
{
    Registry& r = registry();
    XrtHandle h = r.allocate();
    if (h != 0)
        r.charts[h] = std::make_unique<XrtChart>();
    return h;
}

int XrtAttachWindow(XrtHandle chart, XrtChartWindow* window)
{
    XrtChart* c = xrtChart(chart);
    if (!c)
        return 0;
    c->attachWindow(window);
    return 1;
}

int XrtDestroy(XrtHandle chart)
{
    Registry& r = registry();
    auto it = r.charts.find(chart);
    if (it == r.charts.end())
        return 0;
    for (auto t = r.textAreas.begin(); t != r.textAreas.end();) {
        if (t->second == chart)
            t = r.textAreas.erase(t);
        else
            ++t;
    }
    r.charts.erase(it);
    return 1;
}

int XrtSetValues(XrtHandle chart, std::initializer_list<XrtSetting> settings)
{
    XrtChart* c = xrtChart(chart);
    if (!c)
        return 0;
    int ok = 1;
    for (const XrtSetting& s : settings) {
        if (s.id == 0)
            break;
        c->notify({XrtCall::Kind::ChartValue, 0, s.id, s.value});
        if (!c->setValue(s.id, s.value))
            ok = 0;
    }
    return ok;
}

int XrtGetValues(XrtHandle chart, std::initializer_list<XrtQuery> queries)
{
    XrtChart* c = xrtChart(chart);
    if (!c)
        return 0;
    int ok = 1;
    for (const XrtQuery& q : queries) {
        if (q.id == 0)
            break;
        if (!q.target.assign(c->value(q.id)))
            ok = 0;
    }
    return ok;
}

XrtValue XrtGetValue(XrtHandle chart, int id)
{
    XrtChart* c = xrtChart(chart);
    return c ? c->value(id) : XrtValue();
}

int XrtSetNthDataStyle(XrtHandle chart, int set, const XrtDataStyle* style)
{
    XrtChart* c = xrtChart(chart);
    if (!c || !style)
        return 0;
    c->notify({XrtCall::Kind::DataStyle, 0, set, *style});
    return c->setDataStyle(set, *style) ? 1 : 0;
}

int XrtGetNthDataStyle(XrtHandle chart, int set, XrtDataStyle* style)
{
    XrtChart* c = xrtChart(chart);
    if (!c || !style || set < 0)
        return 0;
    *style = c->dataStyle(set);
    return 1;
}

XrtHandle XrtDataCreate(int type, int sets, int points)
{
    if (type != kXrtDataGeneral || sets < 1 || points < 1 || sets > 1000000 || points > 1000000 ||
        static_cast<long long>(sets) * points > 64LL * 1024 * 1024)
        return 0;
    Registry& r = registry();
    XrtHandle h = r.allocate();
    if (h != 0)
        r.data[h] = std::make_unique<XrtDataObject>(sets, points);
    return h;
}

int XrtDataDestroy(XrtHandle data)
{
    return registry().data.erase(data) ? 1 : 0;
}

int XrtDataSetXData(XrtHandle data, int set, const double* values, int count, int first)
{
    return setData(data, set, values, count, first, true);
}

int XrtDataSetYData(XrtHandle data, int set, const double* values, int count, int first)
{
    return setData(data, set, values, count, first, false);
}

int XrtDataSetXElement(XrtHandle data, int set, int point, double value)
{
    XrtDataObject* d = mutableData(data);
    return d && d->setXElement(set, point, value) ? 1 : 0;
}

int XrtDataSetYElement(XrtHandle data, int set, int point, double value)
{
    XrtDataObject* d = mutableData(data);
    return d && d->setYElement(set, point, value) ? 1 : 0;
}

int XrtDataGetXElementIndirect(XrtHandle data, int set, int point, double* value)
{
    const XrtDataObject* d = xrtDataObject(data);
    return d && value && d->xElement(set, point, *value) ? 1 : 0;
}

int XrtDataGetYElementIndirect(XrtHandle data, int set, int point, double* value)
{
    const XrtDataObject* d = xrtDataObject(data);
    return d && value && d->yElement(set, point, *value) ? 1 : 0;
}

int XrtDataSetFirstSet(XrtHandle data, int set)
{
    XrtDataObject* d = mutableData(data);
    return d && d->setFirstSet(set) ? 1 : 0;
}

int XrtDataSetLastSet(XrtHandle data, int set)
{
    XrtDataObject* d = mutableData(data);
    return d && d->setLastSet(set) ? 1 : 0;
}

int XrtDataSetFirstPoint(XrtHandle data, int set, int point)
{
    XrtDataObject* d = mutableData(data);
    return d && d->setFirstPoint(set, point) ? 1 : 0;
}

int XrtDataSetLastPoint(XrtHandle data, int set, int point)
{
    XrtDataObject* d = mutableData(data);
    return d && d->setLastPoint(set, point) ? 1 : 0;
}

int XrtDataGetFirstSet(XrtHandle data)
{
    const XrtDataObject* d = xrtDataObject(data);
    return d ? d->firstSet() : -1;
}

int XrtDataGetLastSet(XrtHandle data)
{
    const XrtDataObject* d = xrtDataObject(data);
    return d ? d->lastSet() : -1;
}

int XrtDataGetFirstPoint(XrtHandle data, int set)
{
    const XrtDataObject* d = xrtDataObject(data);
    return d && set >= 0 && set < d->sets() ? d->firstPoint(set) : -1;
}

int XrtDataGetLastPoint(XrtHandle data, int set)
{
    const XrtDataObject* d = xrtDataObject(data);
    return d && set >= 0 && set < d->sets() ? d->lastPoint(set) : -1;
}

int XrtMap(XrtHandle chart, int mode, int px, int py, double* x, double* y)
{
    XrtChart* c = xrtChart(chart);
    if (!c || mode != kXrtMapToData || !x || !y)
        return 0;
    return c->map(px, py, *x, *y) ? 1 : 0;
}

int XrtUnmap(XrtHandle chart, double x, double y, int* px, int* py)
{
    XrtChart* c = xrtChart(chart);
    if (!c || !px || !py)
        return 0;
    return c->unmap(x, y, *px, *py) ? 1 : 0;
}

XrtHandle XrtTextAreaCreate(XrtHandle chart)
{
    XrtChart* c = xrtChart(chart);
    if (!c)
        return 0;
    Registry& r = registry();
    XrtHandle h = r.allocate();
    if (h == 0)
        return 0;
    r.textAreas[h] = chart;
    c->addTextArea(h);
    c->notify({XrtCall::Kind::TextAreaCreate, h, 0, {}});
    return h;
}

int XrtTextAreaDestroy(XrtHandle textArea)
{
    XrtChart* c = textAreaChart(textArea);
    registry().textAreas.erase(textArea);
    return c && c->removeTextArea(textArea) ? 1 : 0;
}

int XrtTextAreaSetValues(XrtHandle textArea, std::initializer_list<XrtSetting> settings)
{
    XrtChart* c = textAreaChart(textArea);
    if (!c)
        return 0;
    int ok = 1;
    for (const XrtSetting& s : settings) {
        if (s.id == 0)
            break;
        c->notify({XrtCall::Kind::TextAreaValue, textArea, s.id, s.value});
        if (!c->setTextAreaValue(textArea, s.id, s.value))
            ok = 0;
    }
    return ok;
}

int XrtTextAreaGetValues(XrtHandle textArea, std::initializer_list<XrtQuery> queries)
{
    XrtChart* c = textAreaChart(textArea);
    if (!c)
        return 0;
    int ok = 1;
    for (const XrtQuery& q : queries) {
        if (q.id == 0)
            break;
        const XrtValue value = c->textAreaValue(textArea, q.id);
        c->notify({XrtCall::Kind::TextAreaRead, textArea, q.id, value});
        if (!q.target.assign(value))
            ok = 0;
    }
    return ok;
}

XrtChart* xrtChart(XrtHandle chart)
{
    auto& c = registry().charts;
    auto it = c.find(chart);
    return it == c.end() ? nullptr : it->second.get();
}

const XrtDataObject* xrtDataObject(XrtHandle data)
{
    return mutableData(data);
}

} // namespace platform::chart
