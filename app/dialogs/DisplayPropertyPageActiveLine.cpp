#include "app/dialogs/DisplayPropertyPageActiveLine.h"

namespace {

// Row label, then the control ids of style, width, fill and swatch.
constexpr app::dialogs::DisplayStyleRow kActiveLineRows[] = {
    {"Master", {1307, 1038, 0, 1324}},           {"Slave 1", {1040, 1041, 0, 1327}},
    {"Slave 2", {1064, 1065, 0, 1330}},          {"Slave 3", {1067, 1068, 0, 1333}},
    {"Slave 4", {1070, 1374, 0, 1337}},          {"Slave 5", {1073, 1074, 0, 1340}},
    {"Slave 6", {1076, 1077, 0, 1352}},          {"Slave 7", {1079, 1080, 0, 1363}},
    {"Spliced Spectrum", {1043, 1044, 0, 1380}},
};

} // namespace

CDisplayPropertyPageActiveLine::CDisplayPropertyPageActiveLine()
    : DisplayStylePage(112, "Active Line Type", false, kActiveLineRows)
{}
