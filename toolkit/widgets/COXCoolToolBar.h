#pragma once

#include "platform/framework/ToolBar.h"

#include <cstdint>
#include <functional>
#include <string>

class QMainWindow;

// The toolkit's flat tool bar: a tool bar of the framework made from a tool-bar resource (its
// buttons, title and prompts), which docks right beside another bar on the same row and keeps
// its state in the program's tool-bar profile (HKEY_CURRENT_USER, "Software\Varnholt
// Software\Harlune Toolbars", one key per section and bar name). GUI thread only.
class COXCoolToolBar : public platform::framework::ToolBar
{
public:
    // Window styles Create takes.
    static constexpr uint32_t WS_VISIBLE = 0x10000000;
    static constexpr uint32_t TBSTYLE_FLAT = 0x0800;

    // Creates the bar of tool-bar resource `id` at the top of parent, shown when style holds
    // WS_VISIBLE; its buttons run their commands through route. Null when the resource tables
    // have no bar of that id. The bar is a child of parent.
    static COXCoolToolBar* Create(QMainWindow* parent, uint32_t style, unsigned id,
                                  std::function<platform::framework::CommandTarget*()> route);

    // Docks this bar on the row of `other`, right after it, keeping whether it is shown.
    void DockBeside(COXCoolToolBar* other);

    // Writes whether the bar is shown under section\name of the profile; with properties the
    // bar's buttons too (the command ids in order). False when the profile cannot be written.
    bool SaveBarState(const char* section, const char* name, bool properties) const;
    // Restores what SaveBarState wrote: false (and nothing changed) when nothing was saved
    // there or the saved state does not fit this bar.
    bool LoadBarState(const char* section, const char* name, bool properties);

    // The key of the application's profile, where the tool bars' states are kept.
    static std::string profileKey();

private:
    COXCoolToolBar(const platform::framework::ToolBarResource& resource,
                   std::function<platform::framework::CommandTarget*()> route, QWidget* parent);
};
