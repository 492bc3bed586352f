#include "driver/core/ExportTable.h"

#include "driver/include/vykdrv32.h"

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
// Java-driven models: the feature bodies under each model's word, Ulmar's and Quarn's
// own features, and the common exports (from the table of vykdrv32_java.h).
// clang-format off
#define VYK_JAVA_NAME(model, word) #model "_" #word,
#define VYK_JAVA_NAME_TREVAN(result, word, params, args) VYK_JAVA_NAME(Trevan, word)
#define VYK_JAVA_NAME_SOLVIPLUS(result, word, params, args) VYK_JAVA_NAME(SolviPlus, word)
#define VYK_JAVA_NAME_ULMAR(result, word, params, args) VYK_JAVA_NAME(Ulmar, word)
#define VYK_JAVA_NAME_PAVIKPLUS(result, word, params, args) VYK_JAVA_NAME(PavikPlus, word)
#define VYK_JAVA_NAME_QUARN(result, word, params, args) VYK_JAVA_NAME(Quarn, word)
#define VYK_JAVA_NAME_COMMON(model) \
    #model "_Identify" #model, #model "_GetFirmwareVersion", #model "_SetStoredString", \
    #model "_GetStoredString", "VYK_IdentifyAll" #model, #model "_GetCoefficients", \
    #model "_SetCoefficients",
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_NAME_TREVAN)
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_NAME_TREVAN)
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_NAME_SOLVIPLUS)
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_NAME_SOLVIPLUS)
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_NAME_ULMAR)
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_NAME_PAVIKPLUS)
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_NAME_PAVIKPLUS)
    VYK_JAVA_AUTONULLING(VYK_JAVA_NAME_PAVIKPLUS)
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_NAME_QUARN)
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_NAME_QUARN)
    VYK_JAVA_AUTONULLING(VYK_JAVA_NAME_QUARN)
    VYK_JAVA_MODELS(VYK_JAVA_NAME_COMMON)
    // clang-format on
    "Ulmar_GetMainBoardTemperature",
    "Ulmar_GetDetectorBoardTemperature",
    "Ulmar_GetTECTemperature",
    "Ulmar_SetFanEnable",
    "Ulmar_SetTECEnable",
    "Ulmar_SetTECSetPoint",
    "Quarn_GetExternalTemperatureCelsius",
    "Quarn_GetTemperatureCoefficient",
    "Quarn_SetTemperatureCoefficients",
    "Quarn_GetO2ProbeCalibrationCoefficients",
    "Quarn_SetO2ProbeCalibrationCoefficients",
    "Quarn_GetMavrinModulation",
    "Quarn_SetMavrinModulation",
    "Quarn_SetMavrinDa",
    "Quarn_Norrel_LampEnable",
    // CadrelPCI card: digital and analog I/O.
    "CadrelPCI_WriteDIO",
    "CadrelPCI_ReadDIO",
    "CadrelPCI_AnalogOut",
    "CadrelPCI_IsPCIPlus",
    "Shutdown_CadrelPCI_Istrel",
};

} // namespace

std::span<const char* const> exportedNames()
{
    return kExportedNames;
}

} // namespace driver::core
