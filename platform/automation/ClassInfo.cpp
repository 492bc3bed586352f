#include "platform/automation/ClassInfo.h"

#include "platform/automation/DispatchTable.h"

#include <array>

namespace platform::automation {

namespace {

// The class table: the order is the type library's, the identifiers are part of the
// external interface.
constexpr std::array<ClassInfo, 61> kClasses{{
    {"Harlune.GenINIFile", "I_CINIFileSupport", ClassGroup::General, 17, nullptr, 0x0008},
    {"Harlune.GenAcquisition", "I_GenAcquisition", ClassGroup::General, 5, "I_GenAcquisition",
     0x0066},
    {"Harlune.GenMainToolbars", "I_GenMainToolbars", ClassGroup::General, 3, "I_GenMainToolbars",
     0x0054},
    {"Harlune.GenMenu", "I_GenMenu", ClassGroup::General, 28, "I_GenMenu", 0x007E},
    {"Harlune.GenSpectralMath", "I_GenSpectralMath", ClassGroup::General, 25, "I_GenSpectralMath",
     0x000C},
    {"Harlune.GenTimers", "I_GenTimers", ClassGroup::General, 2, "I_GenTimers", 0x0080},
    {"Harlune.GenVersion", "I_GenVersion", ClassGroup::General, 3, "I_GenVersion", 0x0058},
    {"Harlune.GenWindows", "I_GenWindows", ClassGroup::General, 13, "I_GenWindows", 0x003A},
    {"Harlune.SpecAcquisitionParameters", "I_SpecAcquisitionParameters", ClassGroup::Spectrum, 17,
     "I_SpecAcquisitionParameters", 0x001E},
    {"Harlune.SpecAnalogOutput", "I_SpecAnalogOutput", ClassGroup::Spectrum, 12,
     "I_SpecAnalogOutput", 0x0084},
    {"Harlune.SpecAnnotation", "I_SpecAnnotation", ClassGroup::Spectrum, 9, "I_SpecAnnotation",
     0x006A},
    {"Harlune.SpecAutoincrementFilename", "I_SpecAutoincrementFilename", ClassGroup::Spectrum, 12,
     "I_SpecAutoincrementFilename", 0x002E},
    {"Harlune.SpecConcentration", "I_SpecConcentration", ClassGroup::Spectrum, 6, nullptr, 0x0038},
    {"Harlune.SpecConfigFilesSettings", "I_SpecConfigurationFilesSettings", ClassGroup::Spectrum,
     11, "I_SpecConfigurationFilesSettings", 0x0044},
    {"Harlune.SpecCursor", "I_SpecCursor", ClassGroup::Spectrum, 25, "I_SpecCursor", 0x0026},
    {"Harlune.SpecDataDisplay", "I_SpecDataDisplay", ClassGroup::Spectrum, 12, "I_SpecDataDisplay",
     0x0020},
    {"Harlune.SpecEmergency", "I_SpecEmergency", ClassGroup::Spectrum, 9, "I_SpecEmergency",
     0x0036},
    {"Harlune.SpecFileOpeningSettings", "I_SpecFileOpeningSettings", ClassGroup::Spectrum, 10,
     "I_SpecFileOpeningSettings", 0x003E},
    {"Harlune.SpecFileSavingSettings", "I_SpecFileSavingSettings", ClassGroup::Spectrum, 15,
     "I_SpecFileSavingSettings", 0x003C},
    {"Harlune.SpecGraphScale", "I_SpecGraphScale", ClassGroup::Spectrum, 13, "I_SpecGraphScale",
     0x002A},
    {"Harlune.SpecGraphSettings", "I_SpecGraphSettings", ClassGroup::Spectrum, 17,
     "I_SpecGraphSettings", 0x002C},
    {"Harlune.SpecGrid", "I_SpecGrid", ClassGroup::Spectrum, 10, "I_SpecGrid", 0x0022},
    {"Harlune.SpecLegend", "I_SpecLegend", ClassGroup::Spectrum, 18, "I_SpecLegend", 0x0068},
    {"Harlune.SpecMiscSettings", "I_SpecMiscSettings", ClassGroup::Spectrum, 13,
     "I_SpecMiscSettings", 0x0048},
    {"Harlune.SpecWessor", "I_SpecWessor", ClassGroup::Spectrum, 6, nullptr, 0x0082},
    {"Harlune.SpecOverlay", "I_SpecOverlay", ClassGroup::Spectrum, 14, "I_SpecOverlay", 0x000E},
    {"Harlune.SpecPrintingSettings", "I_SpecPrintingSettings", ClassGroup::Spectrum, 7,
     "I_SpecPrintingSettings", 0x0040},
    {"Harlune.SpecSettings", "I_SpecSettings", ClassGroup::Spectrum, 6, nullptr, 0x004A},
    {"Harlune.SpecSoundsSettings", "I_SpecSoundsSettings", ClassGroup::Spectrum, 16,
     "I_SpecSoundsSettings", 0x0042},
    {"Harlune.SpecSpecInterface", "I_SpecSpecInterface", ClassGroup::Spectrum, 22,
     "I_SpecSpecInterface", 0x0012},
    {"Harlune.SpecSpecNonLinearity", "I_SpecSpecNonLinearity", ClassGroup::Spectrum, 9,
     "I_SpecSpecNonLinearity", 0x001A},
    {"Harlune.SpecSpecReference", "I_SpecSpecReference", ClassGroup::Spectrum, 15,
     "I_SpecSpecReference", 0x0016},
    {"Harlune.SpecSpecStrayLight", "I_SpecSpecStrayLight", ClassGroup::Spectrum, 8,
     "I_SpecSpecStrayLight", 0x0018},
    {"Harlune.SpecSpectralData", "I_SpecSpectralData", ClassGroup::Spectrum, 26,
     "I_SpecSpectralData", 0x000A},
    {"Harlune.SpecSpectrometer", "I_SpecSpectrometer", ClassGroup::Spectrum, 13,
     "I_SpecSpectrometer", 0x001C},
    {"Harlune.SpecSpectrumFiles", "I_SpecSpectrumFiles", ClassGroup::Spectrum, 47,
     "I_SpecSpectrumFiles", 0x0030},
    {"Harlune.SpecSpectrumToolbars", "I_SpecSpectrumToolbars", ClassGroup::Spectrum, 26,
     "I_SpecSpectrumToolbars", 0x0056},
    {"Harlune.SpecSpecWavelength", "I_SpecSpecWavelength", ClassGroup::Spectrum, 16,
     "I_SpecSpecWavelength", 0x0014},
    {"Harlune.SpecStoreSpectra", "I_SpecStoreSpectra", ClassGroup::Spectrum, 15,
     "I_SpecStoreSpectra", 0x0032},
    {"Harlune.SpecTimeAcquisition", "I_SpecTimeAcquisition", ClassGroup::Spectrum, 15,
     "I_SpecTimeAcquisition", 0x0052},
    {"Harlune.SpecTimeAcquisitionParameters", "I_SpecTimeAcquisitionParameters",
     ClassGroup::Spectrum, 19, "I_SpecTimeAcquisitionParameters", 0x004C},
    {"Harlune.SpecTimeChannels", "I_SpecTimeChannels", ClassGroup::Spectrum, 14,
     "I_SpecTimeChannels", 0x004E},
    {"Harlune.SpecTimeCombo", "I_SpecTimeCombo", ClassGroup::Spectrum, 14, "I_SpecTimeCombo",
     0x0050},
    {"Harlune.SpecTraceSettings", "I_SpecTraceSettings", ClassGroup::Spectrum, 13,
     "I_SpecTraceSettings", 0x0028},
    {"Harlune.SpecUSBNorrel", "I_SpecUSBNorrel", ClassGroup::Spectrum, 12, nullptr, 0x0086},
    {"Harlune.SpecUSBMavrin", "I_SpecUSBMavrin", ClassGroup::Spectrum, 12, "I_SpecUSBMavrin",
     0x0010},
    {"Harlune.GridClipboard", "I_GridClipboard", ClassGroup::Grid, 10, nullptr, 0x005E},
    {"Harlune.GridData", "I_GridData", ClassGroup::Grid, 8, "I_GridData", 0x0060},
    {"Harlune.GridFile", "I_GridFile", ClassGroup::Grid, 9, nullptr, 0x0062},
    {"Harlune.GridFormat", "I_GridFormat", ClassGroup::Grid, 45, "I_GridFormat", 0x005C},
    {"Harlune.GridGeneral", "I_GridGeneral", ClassGroup::Grid, 14, "I_GridGeneral", 0x005A},
    {"Harlune.GridPrint", "I_GridPrint", ClassGroup::Grid, 2, nullptr, 0x0064},
    {"Harlune.GraphCursor", "I_GraphCursor", ClassGroup::Graph, 11, "I_GraphCursor", 0x0078},
    {"Harlune.GraphData", "I_GraphData", ClassGroup::Graph, 14, nullptr, 0x006E},
    {"Harlune.GraphGeneral", "I_GraphGeneral", ClassGroup::Graph, 11, nullptr, 0x006C},
    {"Harlune.GraphGrid", "I_GraphGrid", ClassGroup::Graph, 7, nullptr, 0x0076},
    {"Harlune.GraphLegend", "I_GraphLegend", ClassGroup::Graph, 13, nullptr, 0x0070},
    {"Harlune.GraphScale", "I_GraphScale", ClassGroup::Graph, 9, nullptr, 0x0072},
    {"Harlune.GraphSettings", "I_GraphSettings", ClassGroup::Graph, 4, nullptr, 0x007A},
    {"Harlune.GraphTitles", "I_GraphTitles", ClassGroup::Graph, 5, nullptr, 0x007C},
    {"Harlune.GraphTraceSettings", "I_GraphTraceSettings", ClassGroup::Graph, 10, nullptr, 0x0074},
}};

} // namespace

const char* classGroupName(ClassGroup group)
{
    switch (group) {
    case ClassGroup::General:
        return "general";
    case ClassGroup::Spectrum:
        return "spectrum";
    case ClassGroup::Grid:
        return "grid";
    case ClassGroup::Graph:
        return "graph";
    }
    return "?";
}

std::string ClassInfo::typeName() const
{
    // "I" and the ProgID's part after "Harlune.".
    std::string_view prog(progId);
    prog.remove_prefix(prog.find('.') + 1);
    return "I" + std::string(prog);
}

std::span<const ClassInfo> harluneClasses()
{
    return kClasses;
}

const ClassInfo* findClassByProgId(std::string_view progId)
{
    for (const ClassInfo& c : kClasses) {
        if (namesEqual(c.progId, progId)) {
            return &c;
        }
    }
    return nullptr;
}

const ClassInfo* findClassByClsid(const Guid& clsid)
{
    for (const ClassInfo& c : kClasses) {
        if (c.clsid() == clsid) {
            return &c;
        }
    }
    return nullptr;
}

const ClassInfo* findClassByName(std::string_view className)
{
    for (const ClassInfo& c : kClasses) {
        if (className == c.className) {
            return &c;
        }
    }
    return nullptr;
}

Guid harluneLibraryId()
{
    return harluneGuid(0x0000);
}

Guid eventGeneratorIid()
{
    return harluneGuid(0xAA01);
}

Guid eventGeneratorEventsIid()
{
    return harluneGuid(0x0005);
}

Guid eventGeneratorClsid()
{
    return harluneGuid(0x0006);
}

Guid documentClsid()
{
    return harluneGuid(0x0002);
}

Guid documentIid()
{
    return harluneGuid(0x0001);
}

} // namespace platform::automation
