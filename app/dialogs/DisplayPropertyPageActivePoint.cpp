#include "app/dialogs/DisplayPropertyPageActivePoint.h"

namespace {

// Row label, then the control ids of style, size, fill and swatch.
constexpr app::dialogs::DisplayStyleRow kActivePointRows[] = {
    {"Master", {1046, 1047, 1308, 1334}},           {"Slave 1", {1049, 1050, 1309, 1348}},
    {"Slave 2", {1052, 1053, 1045, 1364}},          {"Slave 3", {1055, 1056, 1058, 1385}},
    {"Slave 4", {1059, 1060, 1062, 1399}},          {"Slave 5", {1063, 1342, 1066, 1404}},
    {"Slave 6", {1354, 1358, 1370, 1407}},          {"Slave 7", {1375, 1072, 1388, 1409}},
    {"Spliced Spectrum", {1075, 1395, 1078, 1411}},
};

} // namespace

CDisplayPropertyPageActivePoint::CDisplayPropertyPageActivePoint()
    : DisplayStylePage(113, "Active Point Type", true, kActivePointRows)
{}
