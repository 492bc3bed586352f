#include "app/qt/ChildGridFrame.h"

#include "app/qt/FramePlacement.h"

namespace {

constexpr const char* kGridFramePlacementEntry = "GridWindowPos";

} // namespace

CChildGridFrame::CChildGridFrame(QWidget* parent) : ChildFrame(parent) {}

int CChildGridFrame::OnCreate()
{
    frame_placement::restore(this, kGridFramePlacementEntry);
    return 0;
}

void CChildGridFrame::OnDestroy()
{
    frame_placement::save(this, kGridFramePlacementEntry);
}
