#pragma once

#include "platform/automation/Guid.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform::automation {

enum class ClassGroup
{
    General,  // act on the application and the main frame
    Spectrum, // act on one spectrum window
    Grid,     // act on one grid window
    Graph,    // act on one graph window
};

const char* classGroupName(ClassGroup group);

// One creatable automation class: its ProgID, class name, group, number of dispatch
// members, the source name its handlers report to the error log (null: its handlers
// have no guard) and the Data3 of its CLSID (its dispatch interface's is one less).
struct ClassInfo
{
    const char* progId;
    const char* className;
    ClassGroup group;
    uint16_t memberCount;
    const char* sourceName;
    uint16_t clsidData3;

    Guid clsid() const { return harluneGuid(clsidData3); }
    Guid iid() const { return harluneGuid(static_cast<uint16_t>(clsidData3 - 1)); }
    // The name of the class's dispatch interface in the type library ("IGenVersion").
    std::string typeName() const;
};

// The program's 61 creatable classes.
std::span<const ClassInfo> harluneClasses();
const ClassInfo* findClassByProgId(std::string_view progId); // without regard to case
const ClassInfo* findClassByClsid(const Guid& clsid);
const ClassInfo* findClassByName(std::string_view className);

// Identifiers outside the class table.
constexpr uint16_t kLibraryMajorVersion = 1;
constexpr uint16_t kLibraryMinorVersion = 5;
Guid harluneLibraryId();
// The event generator: its own dispatch interface, its outgoing event interface and its
// coclass in the type library (it has no class factory).
Guid eventGeneratorIid();
Guid eventGeneratorEventsIid();
Guid eventGeneratorClsid();
// The spectrum document served as "Harlune.Document" and its dispatch interface.
constexpr const char* kDocumentProgId = "Harlune.Document";
Guid documentClsid();
Guid documentIid();

} // namespace platform::automation
