#include "app/automation/I_GraphData.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphData::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphData;
        DispatchBinder<C> b;
        b.property("OneXForAll", &C::GetOneXForAll, &C::SetOneXForAll);
        b.property("FirstSet", &C::GetFirstSet, &C::SetFirstSet);
        b.property("LastSet", &C::GetLastSet, &C::SetLastSet);
        addWindowMembers(b);
        b.method("SetXData", &C::SetXData,
                 {"trace", "xvals", "numpoints", "sameforall", "startpoint"});
        b.method("GetXData", &C::GetXData, {"trace", "xvals", "numpoints", "startpoint"});
        b.method("SetYData", &C::SetYData, {"trace", "yvals", "numpoints", "startpoint"});
        b.method("GetYData", &C::GetYData, {"trace", "yvals", "numpoints", "startpoint"});
        b.method("ClearTrace", &C::ClearTrace, {"trace"});
        b.indexedProperty("XElement", &C::GetXElement, &C::SetXElement, {"trace", "point"});
        b.indexedProperty("YElement", &C::GetYElement, &C::SetYElement, {"trace", "point"});
        b.indexedProperty("FirstPoint", &C::GetFirstPoint, &C::SetFirstPoint, {"trace"});
        b.indexedProperty("LastPoint", &C::GetLastPoint, &C::SetLastPoint, {"trace"});
        return b.table();
    }();
    return t;
}

bool I_GraphData::GetOneXForAll()
{
    return onView(false, [](View& v) { return v.GetOneXForAll(); });
}

void I_GraphData::SetOneXForAll(bool value)
{
    onView(false, [&](View& v) { return v.SetOneXForAll(value); });
}

int32_t I_GraphData::GetFirstSet()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.GetFirstSet()); });
}

void I_GraphData::SetFirstSet(int32_t value)
{
    onView(false, [&](View& v) { return v.SetFirstSet(value); });
}

int32_t I_GraphData::GetLastSet()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.GetLastSet()); });
}

void I_GraphData::SetLastSet(int32_t value)
{
    onView(false, [&](View& v) { return v.SetLastSet(value); });
}

bool I_GraphData::SetXData(int32_t trace, DoubleArray xvals, int32_t numpoints, bool sameforall,
                           int32_t startpoint)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        return elements(xvals, numpoints, values) &&
               v.SetXData(trace, values, numpoints, sameforall, startpoint);
    });
}

bool I_GraphData::GetXData(int32_t trace, DoubleArray xvals, int32_t numpoints, int32_t startpoint)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        return elements(xvals, numpoints, values) &&
               v.GetXData(trace, values, numpoints, startpoint);
    });
}

bool I_GraphData::SetYData(int32_t trace, DoubleArray yvals, int32_t numpoints, int32_t startpoint)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        return elements(yvals, numpoints, values) &&
               v.SetYData(trace, values, numpoints, startpoint);
    });
}

bool I_GraphData::GetYData(int32_t trace, DoubleArray yvals, int32_t numpoints, int32_t startpoint)
{
    return onView(false, [&](View& v) {
        double* values = nullptr;
        return elements(yvals, numpoints, values) &&
               v.GetYData(trace, values, numpoints, startpoint);
    });
}

bool I_GraphData::ClearTrace(int32_t trace)
{
    return onView(false, [&](View& v) { return v.ClearTrace(trace); });
}

double I_GraphData::GetXElement(int32_t trace, int32_t point)
{
    return onView(0.0, [&](View& v) { return v.GetXElement(trace, point); });
}

void I_GraphData::SetXElement(int32_t trace, int32_t point, double value)
{
    onView(false, [&](View& v) { return v.SetXElement(trace, point, value); });
}

double I_GraphData::GetYElement(int32_t trace, int32_t point)
{
    return onView(0.0, [&](View& v) { return v.GetYElement(trace, point); });
}

void I_GraphData::SetYElement(int32_t trace, int32_t point, double value)
{
    onView(false, [&](View& v) { return v.SetYElement(trace, point, value); });
}

int32_t I_GraphData::GetFirstPoint(int32_t trace)
{
    return onView(int32_t{0},
                  [&](View& v) { return static_cast<int32_t>(v.GetFirstPoint(trace)); });
}

void I_GraphData::SetFirstPoint(int32_t trace, int32_t value)
{
    onView(false, [&](View& v) { return v.SetFirstPoint(trace, value); });
}

int32_t I_GraphData::GetLastPoint(int32_t trace)
{
    return onView(int32_t{0}, [&](View& v) { return static_cast<int32_t>(v.GetLastPoint(trace)); });
}

void I_GraphData::SetLastPoint(int32_t trace, int32_t value)
{
    onView(false, [&](View& v) { return v.SetLastPoint(trace, value); });
}
