#include "app/automation/I_CINIFileSupport.h"

#include "app/automation/ViewSelection.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/DispatchBinder.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

I_CINIFileSupport::I_CINIFileSupport()
    : AutomationObject(platform::automation::findClassByName("I_CINIFileSupport"))
{
    makeStore();
}

I_CINIFileSupport::~I_CINIFileSupport() = default;

void I_CINIFileSupport::makeStore()
{
    m_store.reset();
    m_store = std::make_unique<CINIFileSupport>(m_fileName.c_str(), m_useRegistry ? 1 : 0);
}

const DispatchTable& I_CINIFileSupport::table()
{
    static const DispatchTable t = [] {
        using C = I_CINIFileSupport;
        const std::initializer_list<const char*> get = {"section", "entry", "defvalue"};
        const std::initializer_list<const char*> put = {"section", "entry", "value"};
        DispatchBinder<C> b;
        b.property("RegistryBaseKey", &C::GetRegistryBaseKey, &C::SetRegistryBaseKey)
            .property("UseRegistry", &C::GetUseRegistry, &C::SetUseRegistry)
            .property("INIFileName", &C::GetINIFileName, &C::SetINIFileName)
            .method("GetLong", &C::GetLong, get)
            .method("GetFloat", &C::GetFloat, get)
            .method("GetDouble", &C::GetDouble, get)
            .method("GetString", &C::GetString, get)
            .method("GetColor", &C::GetColor, get)
            .method("WriteShort", &C::WriteShort, put)
            .method("WriteLong", &C::WriteLong, put)
            .method("WriteFloat", &C::WriteFloat, put)
            .method("WriteFloatExponential", &C::WriteFloatExponential, put)
            .method("WriteDouble", &C::WriteDouble, put)
            .method("WriteDoubleExponential", &C::WriteDoubleExponential, put)
            .method("WriteString", &C::WriteString, put)
            .method("GetShort", &C::GetShort, get)
            .method("WriteColor", &C::WriteColor, put);
        return b.table();
    }();
    return t;
}

std::string I_CINIFileSupport::GetRegistryBaseKey()
{
    return m_store->GetRegistryRoot();
}

void I_CINIFileSupport::SetRegistryBaseKey(const std::string& key)
{
    m_store->SetRegistryRoot(key.c_str());
}

bool I_CINIFileSupport::GetUseRegistry()
{
    return m_useRegistry;
}

void I_CINIFileSupport::SetUseRegistry(bool useRegistry)
{
    if (useRegistry == m_useRegistry)
        return;
    m_useRegistry = useRegistry;
    makeStore();
}

std::string I_CINIFileSupport::GetINIFileName()
{
    return m_fileName;
}

void I_CINIFileSupport::SetINIFileName(const std::string& name)
{
    // An empty name would leave an INI-mode store without a file; a name longer than the field
    // is refused rather than cut to another file's name.
    if (name.empty() || name.size() > kMaxFileName || equalsIgnoringCase(name, m_fileName))
        return;
    m_fileName = name;
    makeStore();
}

int32_t I_CINIFileSupport::GetLong(const std::string& section, const std::string& entry,
                                   int32_t defvalue)
{
    return static_cast<int32_t>(m_store->GetLongDefault(section.c_str(), entry.c_str(), defvalue));
}

float I_CINIFileSupport::GetFloat(const std::string& section, const std::string& entry,
                                  float defvalue)
{
    return m_store->GetFloatDefault(section.c_str(), entry.c_str(), defvalue);
}

double I_CINIFileSupport::GetDouble(const std::string& section, const std::string& entry,
                                    double defvalue)
{
    return m_store->GetDoubleDefault(section.c_str(), entry.c_str(), defvalue);
}

std::string I_CINIFileSupport::GetString(const std::string& section, const std::string& entry,
                                         const std::string& defvalue)
{
    return m_store->GetStringDefault(section.c_str(), entry.c_str(), defvalue.c_str());
}

int32_t I_CINIFileSupport::GetColor(const std::string& section, const std::string& entry,
                                    int32_t defvalue)
{
    return static_cast<int32_t>(
        m_store->GetUIntDefault(section.c_str(), entry.c_str(), static_cast<uint32_t>(defvalue)));
}

void I_CINIFileSupport::WriteShort(const std::string& section, const std::string& entry,
                                   int16_t value)
{
    m_store->WriteShort(section.c_str(), entry.c_str(), value);
}

void I_CINIFileSupport::WriteLong(const std::string& section, const std::string& entry,
                                  int32_t value)
{
    m_store->WriteLong(section.c_str(), entry.c_str(), value);
}

void I_CINIFileSupport::WriteFloat(const std::string& section, const std::string& entry,
                                   float value)
{
    m_store->WriteFloat(section.c_str(), entry.c_str(), value);
}

void I_CINIFileSupport::WriteFloatExponential(const std::string& section, const std::string& entry,
                                              float value)
{
    m_store->WriteFloatExp(section.c_str(), entry.c_str(), value);
}

void I_CINIFileSupport::WriteDouble(const std::string& section, const std::string& entry,
                                    double value)
{
    m_store->WriteDouble(section.c_str(), entry.c_str(), value);
}

void I_CINIFileSupport::WriteDoubleExponential(const std::string& section, const std::string& entry,
                                               double value)
{
    m_store->WriteDoubleExp(section.c_str(), entry.c_str(), value);
}

void I_CINIFileSupport::WriteString(const std::string& section, const std::string& entry,
                                    const std::string& value)
{
    m_store->WriteString(section.c_str(), entry.c_str(), value.c_str());
}

int16_t I_CINIFileSupport::GetShort(const std::string& section, const std::string& entry,
                                    int16_t defvalue)
{
    return m_store->GetShortDefault(section.c_str(), entry.c_str(), defvalue);
}

void I_CINIFileSupport::WriteColor(const std::string& section, const std::string& entry,
                                   int32_t value)
{
    m_store->WriteUInt(section.c_str(), entry.c_str(), static_cast<uint32_t>(value));
}

platform::automation::DispatchPtr NewINIFileSupportDispatch()
{
    return platform::automation::DispatchPtr::adopt(I_CINIFileSupport::create());
}
