#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The framework profile of the child frames: entries of the application's profile
// (platform/win/AppProfile.h) by section, where the frames keep their window placements
// ("MainWindowSize") and their bars' states. Any thread; the program calls it on the GUI thread.
namespace frame_profile {

// A text entry; nothing when it is missing or not text.
std::optional<std::string> readText(const std::string& section, const std::string& entry);
bool writeText(const std::string& section, const std::string& entry, const std::string& text);
// A binary entry; nothing when it is missing or not binary.
std::optional<std::vector<uint8_t>> readBinary(const std::string& section,
                                               const std::string& entry);
bool writeBinary(const std::string& section, const std::string& entry,
                 const std::vector<uint8_t>& data);

} // namespace frame_profile
