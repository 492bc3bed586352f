#include "app/qt/FrameProfile.h"

#include "platform/win/AppProfile.h"

namespace profile = platform::win::app_profile;

namespace frame_profile {

std::optional<std::string> readText(const std::string& section, const std::string& entry)
{
    return profile::readString(section, entry);
}

bool writeText(const std::string& section, const std::string& entry, const std::string& text)
{
    return profile::WriteProfileString(section, entry, text);
}

std::optional<std::vector<uint8_t>> readBinary(const std::string& section, const std::string& entry)
{
    return profile::GetProfileBinary(section, entry);
}

bool writeBinary(const std::string& section, const std::string& entry,
                 const std::vector<uint8_t>& data)
{
    return profile::WriteProfileBinary(section, entry, data);
}

} // namespace frame_profile
