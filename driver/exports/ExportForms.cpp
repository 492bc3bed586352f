#include "driver/exports/ExportForms.h"

#include "driver/include/vykdrv32.h"

#include <algorithm>

namespace driver::exports {
namespace {

struct Decorated
{
    const char* plain;
    const char* decorated;
};

#define VYK_DECORATED_ENTRY(plain, decorated) {#plain, #decorated},
constexpr Decorated kDecorated[] = {VYK_DECORATED_TWINS(VYK_DECORATED_ENTRY)};

#define VYK_TWIN_NAME(result, name, params, args) #name,
#define VYK_LVD_NAME(result, wrapper, target, params, args) {#wrapper, #target},
#define VYK_COEFFICIENT_NAMES(get, set, getWrapper, setWrapper, Record, Value, Last)               \
    {#getWrapper, #get}, {#setWrapper, #set},

// clang-format off
constexpr const char* kTwinPlainNames[] = {
    VYK_TWIN_ROWS(VYK_TWIN_NAME)
#define VYK_TWIN_ROW VYK_TWIN_NAME
    VYK_TWIN_ROWS_JAVA
#undef VYK_TWIN_ROW
};
// clang-format on

struct Row
{
    const char* wrapper;
    const char* target;
};
constexpr Row kLvdRows[] = {VYK_LVD_ROWS(VYK_LVD_NAME) VYK_COEFFICIENT_ROWS(VYK_COEFFICIENT_NAMES){
                                "VYK_FS_LVD", "VYK_FullScan"},
                            {"VYK_FS_LVD_32", "VYK_FullScan"}};

} // namespace

std::vector<ExportForm> twinForms()
{
    std::vector<ExportForm> forms;
    for (const char* plain : kTwinPlainNames) {
        const auto decorated =
            std::find_if(std::begin(kDecorated), std::end(kDecorated),
                         [&](const Decorated& d) { return std::string(d.plain) == plain; });
        forms.push_back({decorated != std::end(kDecorated) ? decorated->decorated
                                                           : std::string(plain) + "_stdcall",
                         plain});
    }
    forms.push_back({"VYK_GetPointerToArray_stdcall", ""});
    return forms;
}

std::vector<ExportForm> lvdForms()
{
    std::vector<ExportForm> forms;
    for (const Row& row : kLvdRows)
        forms.push_back({row.wrapper, row.target});
    return forms;
}

std::vector<std::string> plainWithoutTwin()
{
    static constexpr const char* kNames[] = {VYK_PLAIN_ONLY};
    return {std::begin(kNames), std::end(kNames)};
}

} // namespace driver::exports
