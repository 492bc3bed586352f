#include "driver/core/ExportTable.h"

namespace driver::core {
namespace {

constexpr const char* kExportedNames[] = {
    "VYK_Register",
    "VYK_UnRegister",
    "VYK_ParamSet",
    "VYK_Stat",
    "VYK_BufferEmpty",
    "VYK_SingleScan",
    "VYK_ContinuousScan",
    "VYK_Stop",
    "VYK_SetNLCoefs",
    "VYK_EnableNLCorrection",
    "VYK_SetSLCoef",
    "VYK_EnableSLCorrection",
    "VYK_EnableMultichannelSpectra",
    "VYK_DisableMultichannelSpectra",
    "VYK_Config",
    "SS_Register",
    "SS_UnRegister",
    "SS_ParamSet",
    "SS_Stat",
    "SS_SingleScan",
    "SS_ContinuousScan",
    "SS_Stop",
    "SS_BufferEmpty",
    "SS_Config",
};

} // namespace

std::span<const char* const> exportedNames()
{
    return kExportedNames;
}

} // namespace driver::core
