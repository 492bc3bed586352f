#include "app/dialogs/DisplayPropertyPageStaticLine.h"

namespace {

// Row label, then the control ids of style, width, fill and swatch.
constexpr app::dialogs::DisplayStyleRow kStaticLineRows[] = {
    {"Overlay 1", {1310, 1311, 0, 1331}}, {"Overlay 2", {1312, 1314, 0, 1154}},
    {"Overlay 3", {1317, 1319, 0, 1155}}, {"Overlay 4", {1322, 1325, 0, 1156}},
    {"Overlay 5", {1061, 1335, 0, 1383}}, {"Overlay 6", {1343, 1346, 0, 1387}},
    {"Overlay 7", {1355, 1359, 0, 1391}}, {"Overlay 8", {1371, 1376, 0, 1394}},
};

} // namespace

CDisplayPropertyPageStaticLine::CDisplayPropertyPageStaticLine()
    : DisplayStylePage(114, "Overlay Line Type", false, kStaticLineRows)
{}
