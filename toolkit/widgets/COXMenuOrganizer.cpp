#include "toolkit/widgets/COXMenuOrganizer.h"

#include "platform/framework/Resources.h"
#include "platform/framework/ToolBar.h"

#include <QAction>
#include <QMainWindow>

COXMenuOrganizer::~COXMenuOrganizer()
{
    DetachFrameWindow();
}

bool COXMenuOrganizer::AttachFrameWindow(QMainWindow* frame)
{
    if (!frame || (m_frame && m_frame != frame))
        return false;
    m_frame = frame;
    return true;
}

void COXMenuOrganizer::DetachFrameWindow()
{
    m_frame = nullptr;
    m_images.clear();
}

int COXMenuOrganizer::CollectToolBarImages()
{
    if (!m_frame)
        return 0;
    // ToolBar has no meta-object of its own, so findChildren<ToolBar*> would hand back every
    // QToolBar cast to ToolBar: pick ours out by their dynamic type.
    for (auto* child : m_frame->findChildren<QToolBar*>()) {
        auto* bar = dynamic_cast<platform::framework::ToolBar*>(child);
        if (!bar)
            continue;
        const platform::framework::ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(bar->barId());
        if (!resource)
            continue;
        for (unsigned id : resource->buttons) {
            QAction* button = id != 0 ? bar->button(id) : nullptr;
            if (button && !button->icon().isNull())
                m_images.emplace(id, button->icon());
        }
    }
    return static_cast<int>(m_images.size());
}

QIcon COXMenuOrganizer::image(unsigned commandId) const
{
    const auto found = m_images.find(commandId);
    return found == m_images.end() ? QIcon() : found->second;
}
