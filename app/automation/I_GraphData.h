#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphData": the target graph window's trace data, 0-based traces and points: arrays
// of X and Y values put and read, single elements, the traces and points shown and the
// one-X-for-all switch. A count beyond the script's array answers FALSE before the view is
// called; the view refuses traces and points outside its arrays. GUI thread only.
class I_GraphData : public GraphAutomationObject
{
public:
    using DoubleArray = platform::automation::ByRef<double>;

    static I_GraphData* create() { return new I_GraphData(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetOneXForAll();
    void SetOneXForAll(bool value);
    int32_t GetFirstSet();
    void SetFirstSet(int32_t value);
    int32_t GetLastSet();
    void SetLastSet(int32_t value);
    bool SetXData(int32_t trace, DoubleArray xvals, int32_t numpoints, bool sameforall,
                  int32_t startpoint);
    bool GetXData(int32_t trace, DoubleArray xvals, int32_t numpoints, int32_t startpoint);
    bool SetYData(int32_t trace, DoubleArray yvals, int32_t numpoints, int32_t startpoint);
    bool GetYData(int32_t trace, DoubleArray yvals, int32_t numpoints, int32_t startpoint);
    bool ClearTrace(int32_t trace);
    double GetXElement(int32_t trace, int32_t point);
    void SetXElement(int32_t trace, int32_t point, double value);
    double GetYElement(int32_t trace, int32_t point);
    void SetYElement(int32_t trace, int32_t point, double value);
    int32_t GetFirstPoint(int32_t trace);
    void SetFirstPoint(int32_t trace, int32_t value);
    int32_t GetLastPoint(int32_t trace);
    void SetLastPoint(int32_t trace, int32_t value);

private:
    I_GraphData() : GraphAutomationObject("I_GraphData") {}
    ~I_GraphData() override = default;
};
