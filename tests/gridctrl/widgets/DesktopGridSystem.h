#pragma once

#include "tests/gridctrl/model/FakeGridSystem.h"

namespace gridctrl::widgets::test {

// Desktop colours for drawing tests: a white window, grey faces and shadows, a dark blue
// highlight.
class DesktopGridSystem : public model::test::FakeGridSystem
{
public:
    model::COLORREF sysColor(int index) const override
    {
        switch (index) {
        case 5:
            return 0xFFFFFF; // window
        case 13:
            return 0x800000; // highlight
        case 14:
            return 0xFFFFFF; // highlight text
        case 15:
            return 0xC0C0C0; // button face
        case 16:
            return 0x808080; // button shadow
        case 20:
            return 0xF0F0F0; // button highlight
        default:
            return 0;
        }
    }
    int systemMetric(int) const override { return 17; }
};

} // namespace gridctrl::widgets::test
