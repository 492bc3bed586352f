#include "app/qt/VYKTemplateChildFrame.h"

#include "app/qt/FramePlacement.h"
#include "platform/framework/ControlIds.h"

#include <QMainWindow>
#include <QStatusBar>

namespace {

constexpr const char* kTemplateFramePlacementSection = "TemplateWindowSize";
constexpr const char* kTemplateFramePlacementEntry = "WindowPos";

} // namespace

CVYKTemplateChildFrame::CVYKTemplateChildFrame(QWidget* parent) : ChildFrame(parent) {}

int CVYKTemplateChildFrame::OnCreate()
{
    // A stored placement whose ten fields all parse is applied; otherwise the frame keeps the
    // default place.
    frame_placement::restore(this, kTemplateFramePlacementSection, kTemplateFramePlacementEntry);

    // The form moves into a window of its own that carries the status bar at the bottom.
    QWidget* view = widget();
    m_barHost = new QMainWindow(nullptr, Qt::Widget);
    if (view != nullptr)
        m_barHost->setCentralWidget(view);
    setWidget(m_barHost);
    platform::framework::setControlId(m_barHost->statusBar(), AFX_IDW_STATUS_BAR);
    m_barHost->statusBar()->setVisible(true);
    return 0;
}

void CVYKTemplateChildFrame::OnDestroy()
{
    frame_placement::save(this, kTemplateFramePlacementSection, kTemplateFramePlacementEntry);
}

QStatusBar* CVYKTemplateChildFrame::frameStatusBar() const
{
    return m_barHost != nullptr ? m_barHost->statusBar() : nullptr;
}
