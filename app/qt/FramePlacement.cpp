#include "app/qt/FramePlacement.h"

#include "app/qt/FrameProfile.h"
#include "platform/framework/WindowPlacement.h"

namespace fw = platform::framework;

namespace frame_placement {

namespace {

constexpr const char* kSection = "MainWindowSize";

} // namespace

bool restore(QWidget* frame, const std::string& entry)
{
    return restore(frame, kSection, entry);
}

bool restore(QWidget* frame, const std::string& section, const std::string& entry)
{
    const auto text = frame_profile::readText(section, entry);
    if (!text)
        return false;
    const auto placement = fw::parseWindowPlacement(*text);
    if (!placement)
        return false;
    fw::SetWindowPlacement(frame, *placement);
    return true;
}

void save(const QWidget* frame, const std::string& entry)
{
    save(frame, kSection, entry);
}

void save(const QWidget* frame, const std::string& section, const std::string& entry)
{
    fw::WINDOWPLACEMENT placement = fw::GetWindowPlacement(frame);
    placement.flags = placement.showCmd == fw::SW_SHOWMAXIMIZED ? fw::WPF_RESTORETOMAXIMIZED : 0;
    frame_profile::writeText(section, entry, fw::formatWindowPlacement(placement));
}

} // namespace frame_placement
