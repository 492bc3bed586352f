#pragma once

#include <cstdint>
#include <string>

// The active configuration: its name ("Configuration" "ActiveConfiguration", default
// "Standard") and, for the configuration "Morvel" only, its parameters in
// "Configuration\Morvel\Parameters" of the settings store: the lower integration-time limit,
// the last dark and reference file names and the gated mode. They are read when the record is
// made and written back when it goes; for any other name nothing is read or written and the
// values stay empty or 0. One record, owned by the main frame. GUI thread only.
class CActiveConfiguration
{
public:
    CActiveConfiguration();
    ~CActiveConfiguration();
    CActiveConfiguration(const CActiveConfiguration&) = delete;
    CActiveConfiguration& operator=(const CActiveConfiguration&) = delete;

    const std::string& name() const { return m_name; }

    uint16_t GetLowerIntegrationTimeLimit() const { return m_lowerIntegrationTimeLimit; }
    void SetLowerIntegrationTimeLimit(uint16_t limit) { m_lowerIntegrationTimeLimit = limit; }
    // Copy the name into buffer (size bytes, cut and terminated); nothing when size is 0.
    void GetLastDarkFilename(char* buffer, size_t size) const;
    void GetLastReferenceFilename(char* buffer, size_t size) const;
    const std::string& lastDarkFilename() const { return m_lastDarkFilename; }
    const std::string& lastReferenceFilename() const { return m_lastReferenceFilename; }
    void SetLastDarkFilename(const std::string& name) { m_lastDarkFilename = name; }
    void SetLastReferenceFilename(const std::string& name) { m_lastReferenceFilename = name; }
    int32_t GetInGatedMode() const { return m_inGatedMode; }
    void SetInGatedMode(int32_t gated) { m_inGatedMode = gated; }

private:
    bool isMorvel() const { return m_name == "Morvel"; }

    std::string m_name;
    uint16_t m_lowerIntegrationTimeLimit = 0;
    std::string m_lastDarkFilename;
    std::string m_lastReferenceFilename;
    int32_t m_inGatedMode = 0;
};
