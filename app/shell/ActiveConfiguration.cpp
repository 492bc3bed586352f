#include "app/shell/ActiveConfiguration.h"

#include "app/shell/INIFileSupport.h"

#include <cstring>

namespace {

constexpr const char* kParameters = "Configuration\\Morvel\\Parameters";

// Copies text into a caller's buffer, cut at a character boundary and terminated.
void copyBounded(const std::string& text, char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return;
    size_t length = text.size() < size ? text.size() : size - 1;
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

} // namespace

CActiveConfiguration::CActiveConfiguration()
{
    CINIFileSupport store(nullptr, 1);
    m_name = store.GetStringDefault("Configuration", "ActiveConfiguration", "Standard");
    if (!isMorvel())
        return;
    m_lastDarkFilename = store.GetString(kParameters, "LastDarkFilename");
    m_lastReferenceFilename = store.GetString(kParameters, "LastReferenceFilename");
    m_lowerIntegrationTimeLimit =
        store.GetUShortDefault(kParameters, "LowerIntegrationTimeLimit", 10);
    m_inGatedMode = store.GetIntDefault(kParameters, "InGatedMode", 0);
}

CActiveConfiguration::~CActiveConfiguration()
{
    if (!isMorvel())
        return;
    CINIFileSupport store(nullptr, 1);
    store.WriteString(kParameters, "LastDarkFilename", m_lastDarkFilename.c_str());
    store.WriteString(kParameters, "LastReferenceFilename", m_lastReferenceFilename.c_str());
    store.WriteString(kParameters, "LowerIntegrationTimeLimit",
                      std::to_string(m_lowerIntegrationTimeLimit).c_str());
    store.WriteString(kParameters, "InGatedMode",
                      std::to_string(static_cast<uint32_t>(m_inGatedMode)).c_str());
}

void CActiveConfiguration::GetLastDarkFilename(char* buffer, size_t size) const
{
    copyBounded(m_lastDarkFilename, buffer, size);
}

void CActiveConfiguration::GetLastReferenceFilename(char* buffer, size_t size) const
{
    copyBounded(m_lastReferenceFilename, buffer, size);
}
