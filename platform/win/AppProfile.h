#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The application's profile: integer, string and binary entries by section, each section a
// sub-key of one registry key under HKEY_CURRENT_USER that the application sets once at start-up
// ("Software\Varnholt Software\Harlune Toolbars" for the program, also the default). A section
// may name sub-keys ("Bars\Main"). Any thread; writes of one entry are atomic (the hive's own
// rule).
namespace platform::win::app_profile {

// The key the sections live under (no leading or trailing backslash).
void setRegistryKey(const std::string& key);
std::string registryKey();

// An integer entry (a DWORD value); defaultValue when missing or of another kind.
int32_t GetProfileInt(const std::string& section, const std::string& entry, int32_t defaultValue);
bool WriteProfileInt(const std::string& section, const std::string& entry, int32_t value);

// A string entry; defaultValue when missing or of another kind. The text ends at its first NUL.
std::string GetProfileString(const std::string& section, const std::string& entry,
                             const std::string& defaultValue = std::string());
bool WriteProfileString(const std::string& section, const std::string& entry,
                        const std::string& value);

// A string or binary entry as it is stored; nothing when missing or of another kind.
std::optional<std::string> readString(const std::string& section, const std::string& entry);
std::optional<std::vector<uint8_t>> GetProfileBinary(const std::string& section,
                                                     const std::string& entry);
bool WriteProfileBinary(const std::string& section, const std::string& entry,
                        const std::vector<uint8_t>& data);

// Removes one entry; false when it was not there.
bool deleteProfileEntry(const std::string& section, const std::string& entry);

} // namespace platform::win::app_profile
