#pragma once

#include "gridctrl/model/GridControlParts.h"

namespace gridctrl::widgets {

// The grid's text clipboard on the application's clipboard (UTF-8 plain text). GUI thread only.
class GridQtClipboard : public model::GridClipboard
{
public:
    bool setText(const std::string& text) override;
    std::optional<std::string> text() const override;
};

} // namespace gridctrl::widgets
