#pragma once

#include "toolkit/widgets/COXBitmapMenu.h"

#include <QIcon>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QMainWindow;
class QMenu;

// The bitmap-menu organiser: attached to a frame, it turns every pop-up of the frame's menus
// into a COXBitmapMenu when it opens, gives each command the image the same command has on the
// frame's tool bars, and runs the recently-used filter: items marked as not recently used are
// taken out of a pop-up behind an expansion item, and commands chosen from a menu are marked as
// recently used. GUI thread only.
class COXMenuOrganizer
{
public:
    COXMenuOrganizer();
    virtual ~COXMenuOrganizer();
    COXMenuOrganizer(const COXMenuOrganizer&) = delete;
    COXMenuOrganizer& operator=(const COXMenuOrganizer&) = delete;

    // Attaches to a frame (false when null or already attached to another; attaching the same
    // frame again only answers whether it is attached).
    bool AttachFrameWindow(QMainWindow* frame);
    // Restores every converted menu to plain string items with all their items, forgets the
    // frame and the images; the frame that was attached.
    QMainWindow* DetachFrameWindow();
    bool isAttached() const { return !m_frame.isNull(); }

    // Collects the images of the buttons of the frame's tool bars; a command on several bars
    // keeps the later bar's image. False when no frame is attached.
    bool CollectToolBarImages();
    // The image of a command (null icon when none).
    QIcon image(unsigned commandId) const;
    // The image record of a command, or null.
    OXImageInfo* GetImageInfo(unsigned commandId) const;
    // Gives a command an image from a list of images (entered under key); false when no frame is
    // attached or the index is not in the list.
    bool SetMenuImage(unsigned commandId, const std::string& key, const OXImageList& images,
                      int index);
    // Loads a bitmap resource through the toolkit's loader, cut into images of imageWidth
    // (0: the whole bitmap), light grey transparent.
    bool SetMenuBitmap(unsigned commandId, unsigned bitmapId, int index = 0, int imageWidth = 0);
    bool SetMenuHotImage(unsigned commandId, const QPixmap& image);
    // The default check and bullet images (from the style when no images are given).
    void SetDefaultCheckImages(const QPixmap& check = QPixmap(), const QPixmap& bullet = QPixmap());
    const std::shared_ptr<OXImageList>& defaultImages() const { return m_defaultImages; }

    // Pop-up initialisation (the framework's update handlers ran already).
    virtual void OnInitMenuPopup(platform::framework::HMENU menu);
    // Menu character: (2 << 16) | position when the menu's mnemonic map names the character.
    virtual uint32_t OnMenuChar(char32_t character, platform::framework::HMENU menu) const;
    // The size of the item at position of a converted menu.
    virtual std::optional<QSize> MeasureItem(platform::framework::HMENU menu, int position) const;
    virtual void ConvertMenu(COXBitmapMenu* menu, bool newlyWrapped);
    virtual void RestoreMenu(platform::framework::HMENU menu, bool backToStrings);
    void RestoreAllMenus();
    COXBitmapMenu* convertedMenu(platform::framework::HMENU menu) const;
    bool IsPopupOfMenuBar(platform::framework::HMENU menu) const;
    // The menu bar of the attached frame (by default an MDI frame's current menu).
    void setMenuBarSource(std::function<platform::framework::HMENU()> source)
    {
        m_menuBarSource = std::move(source);
    }

    // Customise mode, handed to each menu at its next pop-up initialisation.
    void SetCustomizeMode(bool on, COXBitmapMenu::NotificationTarget target = {});
    bool customizeMode() const { return m_customizeMode; }

    // Recently used.
    virtual void SetShowOnlyRecentlyUsedItems(bool on);
    bool IsShowOnlyRecentlyUsedItems() const { return m_filter; }
    virtual bool HideCommand(unsigned id);
    virtual bool HideSubmenu(platform::framework::HMENU menu);
    virtual bool ShowCommand(unsigned id);
    virtual bool ShowSubmenu(platform::framework::HMENU menu);
    bool IsCommandRecentlyUsed(unsigned id) const { return m_hiddenCommands.count(id) == 0; }
    bool IsSubmenuRecentlyUsed(platform::framework::HMENU menu) const
    {
        return m_hiddenSubmenus.count(menu) == 0;
    }
    bool IsItemRecentlyUsed(platform::framework::HMENU menu, int position) const;
    bool HideItem(platform::framework::HMENU menu, int position);
    bool ShowItem(platform::framework::HMENU menu, int position);
    bool expanded() const { return m_expanded; }

    // "RUContents" layouts; decoding takes the whole value or nothing.
    static std::vector<uint8_t> encodeHiddenCommands(const std::vector<uint32_t>& ids);
    static std::optional<std::vector<uint32_t>> decodeHiddenCommands(const std::vector<uint8_t>&);
    static std::vector<uint8_t> encodeSubmenuPaths(const std::vector<std::vector<int32_t>>& paths);
    static std::optional<std::vector<std::vector<int32_t>>>
    decodeSubmenuPaths(const std::vector<uint8_t>& bytes);

    // Profile values under section (empty: the default section). Loading a value that does not
    // parse changes nothing and answers false; a missing value answers true.
    bool SaveRUCommandsState(const std::string& section = {}) const;
    bool LoadRUCommandsState(const std::string& section = {});
    bool SaveRUSubmenusState(platform::framework::HMENU root,
                             const std::string& section = {}) const;
    bool LoadRUSubmenusState(platform::framework::HMENU root, const std::string& section = {});

    // Told (0x8075) when choosing a command changed a mark.
    void setMarksChangedHandler(std::function<void()> handler)
    {
        m_marksChanged = std::move(handler);
    }

    // The framework's pop-up hook calls (public for the frame's hook and tests).
    void popupShown(platform::framework::HMENU menu, QMenu* qtMenu,
                    platform::framework::HMENU parentMenu, const std::function<void()>& refill);
    void commandChosen(unsigned commandId);
    void menuLoopEnded();
    // Shows every item of the open pop-up menu (the expansion item was chosen).
    void expand(platform::framework::HMENU menu);

private:
    struct SavedItem
    {
        int position = 0;
        unsigned state = 0;
        unsigned id = 0;
        platform::framework::HMENU subMenu = 0;
        uintptr_t data = 0;
        std::string text;
    };
    bool takeItemsOut(COXBitmapMenu* menu);
    // The sub-menus (0 for other items) of a menu by the positions its items had before any
    // was taken out, and the path of positions from root to target through them.
    std::vector<platform::framework::HMENU> fullSubmenus(platform::framework::HMENU menu) const;
    bool findPath(platform::framework::HMENU root, platform::framework::HMENU target,
                  std::vector<int32_t>& path, int depth = 0) const;
    std::shared_ptr<OXImageList> defaultListFor(unsigned id);
    platform::framework::HMENU menuBar() const;

    QPointer<QMainWindow> m_frame;
    std::map<std::string, std::shared_ptr<OXImageList>> m_imageLists;
    std::map<unsigned, std::unique_ptr<OXImageInfo>> m_imageInfo;
    std::shared_ptr<OXImageList> m_defaultImages;
    bool m_customizeMode = false;
    COXBitmapMenu::NotificationTarget m_target;
    std::map<platform::framework::HMENU, std::unique_ptr<COXBitmapMenu>> m_converted;
    std::function<platform::framework::HMENU()> m_menuBarSource;

    bool m_filter = true;
    std::set<unsigned> m_hiddenCommands;
    std::set<platform::framework::HMENU> m_hiddenSubmenus;
    std::map<platform::framework::HMENU, std::vector<SavedItem>> m_saved;
    std::vector<platform::framework::HMENU> m_openPopups;
    bool m_expanded = false;
    std::function<void()> m_marksChanged;
};
