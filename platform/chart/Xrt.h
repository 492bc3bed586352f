#pragma once

#include "platform/chart/XrtChart.h"
#include "platform/chart/XrtDataObject.h"
#include "platform/chart/XrtProperties.h"
#include "platform/chart/XrtTypes.h"

#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

// The charting function set: charts, data objects and text areas by 32-bit handle, their
// properties by number (XrtProperties.h), data styles, and the conversion between chart
// pixels and data coordinates. Results are 1 for success and 0 for failure; a stale or
// unknown handle is a failure, never a crash. The drawing calls (XrtDrawToDC,
// XrtDrawToClipboard, XrtDrawToFile) are in XrtDraw.h. GUI thread only.

namespace platform::chart {

// One property-number and value pair of a set call. A pair with number 0 ends the list,
// as the old argument lists were ended by 0.
struct XrtSetting
{
    int id;
    XrtValue value;
};

// Where a get call puts one value; the value is converted to the variable's type.
class XrtTarget
{
public:
    XrtTarget(int* p) : m_target(p) {}
    XrtTarget(short* p) : m_target(p) {}
    XrtTarget(long* p) : m_target(p) {}
    XrtTarget(unsigned* p) : m_target(p) {}
    XrtTarget(double* p) : m_target(p) {}
    XrtTarget(std::string* p) : m_target(p) {}
    XrtTarget(std::vector<std::string>* p) : m_target(p) {}
    XrtTarget(XrtFont* p) : m_target(p) {}
    XrtTarget(XrtDataStyle* p) : m_target(p) {}
    XrtTarget(XrtValue* p) : m_target(p) {}

    // Stores the value; false for a null target.
    bool assign(const XrtValue& value) const;

private:
    std::variant<int*, short*, long*, unsigned*, double*, std::string*, std::vector<std::string>*,
                 XrtFont*, XrtDataStyle*, XrtValue*>
        m_target;
};

struct XrtQuery
{
    int id;
    XrtTarget target;
};

// Charts.
XrtHandle XrtCreate();
// Binds the chart to the window that shows it (null to unbind); the window is told when
// the chart wants to be drawn again.
int XrtAttachWindow(XrtHandle chart, XrtChartWindow* window);
// Destroys the chart and its text areas (not its data object, which is the caller's).
int XrtDestroy(XrtHandle chart);
int XrtSetValues(XrtHandle chart, std::initializer_list<XrtSetting> settings);
int XrtGetValues(XrtHandle chart, std::initializer_list<XrtQuery> queries);
// One value (the null value for an unknown chart).
XrtValue XrtGetValue(XrtHandle chart, int id);
int XrtSetNthDataStyle(XrtHandle chart, int set, const XrtDataStyle* style);
int XrtGetNthDataStyle(XrtHandle chart, int set, XrtDataStyle* style);

// Data objects: type kXrtDataGeneral (2), sets x points, both 1 to 1,000,000 and at most
// 64 million values.
XrtHandle XrtDataCreate(int type, int sets, int points);
int XrtDataDestroy(XrtHandle data);
// Copies count values into the set from point first on; refused when they do not fit.
int XrtDataSetXData(XrtHandle data, int set, const double* values, int count, int first);
int XrtDataSetYData(XrtHandle data, int set, const double* values, int count, int first);
int XrtDataSetXElement(XrtHandle data, int set, int point, double value);
int XrtDataSetYElement(XrtHandle data, int set, int point, double value);
int XrtDataGetXElementIndirect(XrtHandle data, int set, int point, double* value);
int XrtDataGetYElementIndirect(XrtHandle data, int set, int point, double* value);
int XrtDataSetFirstSet(XrtHandle data, int set);
int XrtDataSetLastSet(XrtHandle data, int set);
int XrtDataSetFirstPoint(XrtHandle data, int set, int point);
int XrtDataSetLastPoint(XrtHandle data, int set, int point);
// -1 for an unknown data object or set.
int XrtDataGetFirstSet(XrtHandle data);
int XrtDataGetLastSet(XrtHandle data);
int XrtDataGetFirstPoint(XrtHandle data, int set);
int XrtDataGetLastPoint(XrtHandle data, int set);

// Mode 1 of XrtMap: chart pixels to data coordinates.
inline constexpr int kXrtMapToData = 1;
// Converts a pixel of the chart window to data coordinates; 0 when the mode is not 1 or an
// axis range is unusable.
int XrtMap(XrtHandle chart, int mode, int px, int py, double* x, double* y);
// Converts data coordinates to the nearest chart pixel.
int XrtUnmap(XrtHandle chart, double x, double y, int* px, int* py);

// Text areas on a chart, placed at a point in data coordinates.
XrtHandle XrtTextAreaCreate(XrtHandle chart);
int XrtTextAreaDestroy(XrtHandle textArea);
int XrtTextAreaSetValues(XrtHandle textArea, std::initializer_list<XrtSetting> settings);
int XrtTextAreaGetValues(XrtHandle textArea, std::initializer_list<XrtQuery> queries);

// The objects behind handles, for the renderer and the chart window (null when unknown).
XrtChart* xrtChart(XrtHandle chart);
const XrtDataObject* xrtDataObject(XrtHandle data);

} // namespace platform::chart
