#include "app/dialogs/DisplayPropertyPageStaticPoint.h"

namespace {

// Row label, then the control ids of style, size, fill and swatch.
constexpr app::dialogs::DisplayStyleRow kStaticPointRows[] = {
    {"Overlay 1", {1313, 1315, 1054, 1417}}, {"Overlay 2", {1320, 1057, 1326, 1157}},
    {"Overlay 3", {1328, 1332, 1339, 1158}}, {"Overlay 4", {1344, 1347, 1356, 1159}},
    {"Overlay 5", {1360, 1069, 1071, 1418}}, {"Overlay 6", {1378, 1384, 1392, 1419}},
    {"Overlay 7", {1396, 1398, 1403, 1160}}, {"Overlay 8", {1406, 1081, 1083, 1420}},
};

} // namespace

CDisplayPropertyPageStaticPoint::CDisplayPropertyPageStaticPoint()
    : DisplayStylePage(115, "Overlay Point Type", true, kStaticPointRows)
{}
