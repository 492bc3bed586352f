#pragma once

#include "app/shell/INIFileSupport.h"
#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <memory>
#include <string>

// "Harlune.GenINIFile": the settings store for scripts. The object owns a CINIFileSupport made
// from its INI file name and use-registry flag (registry mode and "Test.ini" at creation) and
// made anew whenever either changes. Its handlers are plain forwarders without a guard.
// GUI thread only.
class I_CINIFileSupport : public platform::automation::AutomationObject
{
public:
    // The longest INI file name the object keeps.
    static constexpr size_t kMaxFileName = 259;

    static I_CINIFileSupport* create() { return new I_CINIFileSupport(); }
    static const platform::automation::DispatchTable& table();

    std::string GetRegistryBaseKey();
    void SetRegistryBaseKey(const std::string& key);
    bool GetUseRegistry();
    void SetUseRegistry(bool useRegistry);
    std::string GetINIFileName();
    void SetINIFileName(const std::string& name);

    int32_t GetLong(const std::string& section, const std::string& entry, int32_t defvalue);
    float GetFloat(const std::string& section, const std::string& entry, float defvalue);
    double GetDouble(const std::string& section, const std::string& entry, double defvalue);
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defvalue);
    int32_t GetColor(const std::string& section, const std::string& entry, int32_t defvalue);
    void WriteShort(const std::string& section, const std::string& entry, int16_t value);
    void WriteLong(const std::string& section, const std::string& entry, int32_t value);
    void WriteFloat(const std::string& section, const std::string& entry, float value);
    void WriteFloatExponential(const std::string& section, const std::string& entry, float value);
    void WriteDouble(const std::string& section, const std::string& entry, double value);
    void WriteDoubleExponential(const std::string& section, const std::string& entry, double value);
    void WriteString(const std::string& section, const std::string& entry,
                     const std::string& value);
    int16_t GetShort(const std::string& section, const std::string& entry, int16_t defvalue);
    void WriteColor(const std::string& section, const std::string& entry, int32_t value);

    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

private:
    I_CINIFileSupport();
    ~I_CINIFileSupport() override;
    void makeStore();

    std::unique_ptr<CINIFileSupport> m_store;
    bool m_useRegistry = true;
    std::string m_fileName = "Test.ini";
};

// Makes an I_CINIFileSupport object for the script host and answers its IDispatch, owning the
// one reference.
platform::automation::DispatchPtr NewINIFileSupportDispatch();
