#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/ResourceTables.h"
#include "platform/framework/WindowMessages.h"

#include <QImage>
#include <QToolBar>

#include <functional>
#include <vector>

class QAction;
class QIcon;

namespace platform::framework {

// A tool bar built from a tool-bar table: one button per command id, with the status-bar prompt
// and tool tip of the command. A click runs the command through the route unless it is
// disabled; the buttons' enabled and checked states are refreshed at idle
// (WM_IDLEUPDATECMDUI). GUI thread only.
class ToolBar : public QToolBar, public WindowMessageHandler
{
public:
    ToolBar(const ToolBarResource& resource, std::function<CommandTarget*()> route,
            QWidget* parent = nullptr);

    unsigned barId() const { return m_id; }
    // The button of a command, or null.
    QAction* button(unsigned id) const;
    // Cuts the button images from a strip (one image of imageSize per button, in table order);
    // magenta (0xFF00FF) pixels become transparent. A high-density strip, when given, holds the
    // same images at twice the size: the buttons show them on screens of device pixel ratio 2.
    void setBitmap(const QImage& strip, const QSize& imageSize,
                   const QImage& highDensityStrip = QImage());
    // The images of a strip (and of its high-density twin when it matches) as icons, in order.
    static std::vector<QIcon> stripIcons(const QImage& strip, const QSize& imageSize,
                                         const QImage& highDensityStrip);
    // Gives the buttons these icons, in table order (the icons of stripIcons, cut once).
    void setIcons(const std::vector<QIcon>& icons);
    // Refreshes the buttons' states through the route.
    void updateButtons();

    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

private:
    unsigned m_id;
    std::function<CommandTarget*()> m_route;
    std::vector<QAction*> m_buttons;   // in table order, separators not counted
    std::vector<unsigned> m_buttonIds; // their commands, read at every idle update
};

} // namespace platform::framework
