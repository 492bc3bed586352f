#pragma once

#include "platform/framework/Menu.h"
#include "platform/framework/ToolBar.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

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

    // Button styles and state bits of a button record.
    static constexpr uint8_t TBSTYLE_BUTTON = 0x00;
    static constexpr uint8_t TBSTYLE_SEP = 0x01;
    static constexpr uint8_t TBSTATE_CHECKED = 0x01;
    static constexpr uint8_t TBSTATE_PRESSED = 0x02;
    static constexpr uint8_t TBSTATE_ENABLED = 0x04;
    static constexpr uint8_t TBSTATE_HIDDEN = 0x08;
    static constexpr uint8_t TBSTATE_INDETERMINATE = 0x10;
    static constexpr uint8_t TBSTATE_WRAP = 0x20;
    // The width of a plain separator.
    static constexpr int32_t kSeparatorWidth = 8;

    // One button of the bar, in bar order, separators included. The bar's actions show it.
    struct ButtonRecord
    {
        uint32_t commandId = 0; // 0 for a plain separator
        int32_t image = 0;      // the image index; the width for separators
        uint8_t style = TBSTYLE_BUTTON;
        uint8_t state = TBSTATE_ENABLED;
        std::string text;
        uintptr_t data = 0;
    };

    // The state byte after Enable(on): only TBSTATE_ENABLED changes.
    static uint8_t enabledState(uint8_t state, bool on);
    // The state byte after SetCheck(check): 1 checked, 2 indeterminate, else neither; the other
    // bits (pressed among them) are kept.
    static uint8_t checkedState(uint8_t state, int check);

    // Creates the bar of tool-bar resource `id` at the top of parent, shown when style holds
    // WS_VISIBLE; its buttons run their commands through route. Null when the resource tables
    // have no bar of that id. The bar is a child of parent. The buttons take their images from
    // the bitmap of the same id (16 x 15 each, magenta transparent); buttons without an image
    // show their texts.
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

    // The bitmap of a resource id through the toolkit's loader, kept for later calls (a null
    // image when there is none).
    QImage LoadBitmap(unsigned resourceId);

    int GetButtonCount() const { return static_cast<int>(m_records.size()); }
    // The record of the button at index, or null.
    const ButtonRecord* GetButton(int index) const;
    // The command-UI operations of the bar on the button at index: they change the state byte
    // only, write it (and repaint) only when it changed, and never touch the button's style.
    // True when the state was written.
    bool EnableButton(int index, bool on);
    bool SetButtonCheck(int index, int check);
    // How many times a button's state was written (each write repaints the button).
    int stateWrites() const { return m_stateWrites; }

    // Sets the texts of the buttons whose command lies in first..last (0..65535: all): 0 the
    // command's prompt, 1 its tip, 2 its item text in the main frame's menu (up to the first
    // tab), 3 nothing changed, 4 no text; any other type is stored as 4.
    void SetButtonsText(unsigned firstId = 0, unsigned lastId = 0xFFFF, int textType = 3);
    int GetTextType() const { return m_textType; }
    // The menu type 2 reads; by default the current menu of the main frame that holds the bar.
    void SetMenuSource(std::function<platform::framework::HMENU()> source);
    // The tip of the button at index: its command's string after the first line feed (at most
    // 255 characters), empty for a separator, command 0 or a command without a string.
    std::string GetButtonTipText(int index) const;

    // Refreshes every button's enabled and checked state through the bar's route, writing only
    // what changed (WM_IDLEUPDATECMDUI while the bar is visible).
    void OnUpdateCmdUI();
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

    // The key of the application's profile, where the tool bars' states are kept.
    static std::string profileKey();

private:
    COXCoolToolBar(const platform::framework::ToolBarResource& resource,
                   std::function<platform::framework::CommandTarget*()> route, QWidget* parent);

    QAction* actionAt(int index) const;
    void setState(int index, uint8_t state);
    void showText(int index);
    platform::framework::HMENU mainMenu() const;

    std::function<platform::framework::CommandTarget*()> m_route;
    std::vector<ButtonRecord> m_records;
    int m_textType = 3;
    int m_stateWrites = 0;
    std::function<platform::framework::HMENU()> m_menuSource;
    std::map<unsigned, QImage> m_bitmaps;
};
