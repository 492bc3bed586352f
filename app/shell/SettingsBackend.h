#pragma once

#include <optional>
#include <string>

// The settings store's access to the registry (HKEY_LOCAL_MACHINE) and to profile files,
// over platform/win. GUI thread.
namespace app::settings {

// The REG_SZ value `name` of the key at `keyPath`; nothing when the key or value is missing.
std::optional<std::string> readRegistryString(const std::string& keyPath, const char* name);
// Creates the key (and missing parents) and sets the value; 0 or a Win32 error code.
long writeRegistryString(const std::string& keyPath, const char* name, const std::string& text);

// Writes to HKEY_LOCAL_MACHINE between these two calls replace its hive once, at the end.
void beginRegistryBatch();
bool endRegistryBatch();

// The value of key in section of the profile file, or def; at most 255 characters.
std::string readProfileString(const char* section, const char* key, const std::string& def,
                              const std::string& path);
// Writes one value, creating the file and section; false when the file could not be written.
bool writeProfileString(const char* section, const char* key, const std::string& text,
                        const std::string& path);
// Writes to the file between these two calls replace it once, at the end.
void beginProfileBatch(const std::string& path);
bool endProfileBatch(const std::string& path);

// The folder of the user's own profile files, standing in for the Windows folder where bare
// profile names are looked up: "$XDG_CONFIG_HOME/Varnholt Software".
std::string configurationFolder();

// An OK box with the given text and caption.
void showMessageBox(const char* text, const char* caption);

} // namespace app::settings
