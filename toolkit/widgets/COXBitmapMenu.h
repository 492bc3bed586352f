#pragma once

#include "platform/framework/Menu.h"

#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class COXBitmapMenuPopupWnd;
class COXMenuOrganizer;
class QMenu;
class QPainter;
class QPoint;

// An image list of the bitmap menus: images of one size, owned by the organiser.
using OXImageList = std::vector<QPixmap>;

// What a menu item shows as its image: an image of a list, whether it stands for the check mark
// (then drawn only while the item is checked) and the image shown while the item is selected
// (-1: none).
struct OXImageInfo
{
    std::shared_ptr<OXImageList> imageList;
    int32_t index = 0;
    bool checkImage = false;
    int32_t hotIndex = -1;

    // The image at index (or hot index), or a null pixmap when the index is past the list.
    QPixmap pixmap(bool hot = false) const;
    QSize size() const;
};

// The drawing data of an owner-drawn item: its image record (may be null) and its text, a tab
// separating the item text from the accelerator text.
struct OXItemData
{
    OXImageInfo* image = nullptr;
    std::string text;
};

// An owner-drawn pop-up menu over a menu of the model: images, texts with a right-aligned
// accelerator column, etched separators, shading of items that are not recently used and the
// expansion arrow. Measuring is pure geometry over a text measurer; Qt draws the menu through a
// proxy style that calls DrawItem for every item. GUI thread only.
class COXBitmapMenu
{
public:
    // Layout constants in pixels.
    static constexpr int kImageGapLeft = 2;
    static constexpr int kImageTextGap = 4;
    static constexpr int kTextAcceleratorGap = 2;
    static constexpr int kAcceleratorGapRight = 3;
    static constexpr int kTextHeightExtra = 4;
    static constexpr int kImageHeightExtra = 3;
    static constexpr int kSeparatorHeight = 8;
    // The expansion item of the recently-used filter.
    static constexpr unsigned ID_OX_SHOWALLITEMS = 0xFF56;
    // Draw-item state bits.
    static constexpr unsigned ODS_SELECTED = 0x1;
    static constexpr unsigned ODS_GRAYED = 0x2;
    static constexpr unsigned ODS_DISABLED = 0x4;
    static constexpr unsigned ODS_CHECKED = 0x8;
    static constexpr unsigned OXODS_HIDDEN = 0x1000;
    static constexpr unsigned OXODS_PREVVISIBLE = 0x2000;
    static constexpr unsigned OXODS_NEXTVISIBLE = 0x4000;
    // Notification code and command numbers sent to the owner.
    static constexpr unsigned OXBMN_NOTIFY = 32882;
    static constexpr unsigned CMD_SELECTION_CHANGED = 32873;
    static constexpr unsigned CMD_DROP_POSITION_CHANGED = 32876;
    static constexpr unsigned ID_OXCUSTBM_DELETE = 32877;
    static constexpr unsigned ID_OXCUSTBM_OWNER = 32878;
    static constexpr unsigned ID_OXCUSTBM_SEPARATOR_BEFORE = 32879;
    static constexpr unsigned ID_OXCUSTBM_SEPARATOR_AFTER = 32880;
    static constexpr unsigned ID_OXCUSTBM_RECENTLY_USED = 32881;
    // Captions of the customise menu's entries (delete, owner command, toggle, before, after).
    static constexpr unsigned IDS_OX_CUSTOMIZE_FIRST = 26531;

    // Measures single-line text in the menu font.
    using TextMeasurer = std::function<QSize(const QString& text)>;

    explicit COXBitmapMenu(platform::framework::HMENU menu = 0);
    virtual ~COXBitmapMenu();
    COXBitmapMenu(const COXBitmapMenu&) = delete;
    COXBitmapMenu& operator=(const COXBitmapMenu&) = delete;

    platform::framework::HMENU handle() const { return m_hMenu; }
    void setTextMeasurer(TextMeasurer measurer) { m_measurer = std::move(measurer); }
    void setOrganizer(COXMenuOrganizer* organizer) { m_organizer = organizer; }
    COXMenuOrganizer* organizer() const { return m_organizer; }

    // Item data: records the menu owns, attached to the model's items as item data.
    OXItemData* AddItemData(OXImageInfo* image, std::string text);
    // The record of the item at a position, or null when it has none of this menu's.
    OXItemData* itemData(int position) const;
    bool ownsItemData(uintptr_t data) const;
    void freeItemData();

    // Mnemonics: lower-case character to item position.
    void setMnemonic(char32_t character, int position);
    std::optional<int> mnemonic(char32_t character) const;
    void clearMnemonics() { m_mnemonics.clear(); }
    // The character Qt takes as the mnemonic of a text: the one after the first "&" that is not
    // part of "&&"; nothing when there is none.
    static std::optional<char32_t> mnemonicOf(const std::string& text);

    // Extents.
    void CalcExtents();
    int bitmapExtent() const { return m_bitmapExtent; }
    int textHeight() const { return m_textHeight; }
    int acceleratorExtent() const { return m_acceleratorExtent; }
    int stringExtent() const { return m_stringExtent; }

    // The size of the item at a position; nothing for an item without item data.
    std::optional<QSize> MeasureItem(int position) const;
    struct ItemRects
    {
        QRect image;
        QRect imageFrame;
        QRect text;
        QRect accelerator;
    };
    ItemRects GetItemRects(const QRect& item, const QSize& image) const;
    // The item at a point (menu coordinates, items stacked from y 0), -1 past the last item.
    int ItemFromPoint(const QPoint& point, bool* lowerHalf = nullptr) const;

    // Draws the item at a position into rect with the draw-item state (ODS_...).
    virtual void DrawItem(QPainter& painter, const QRect& rect, int position, unsigned state);

    // Customisation.
    bool IsCustomizable() const { return m_customizable; }
    void SetCustomizable(bool on) { m_customizable = on; }
    bool customizeMode() const { return m_customizeMode; }
    void setCustomizeMode(bool on) { m_customizeMode = on; }
    int selectedIndex() const { return m_selectedIndex; }
    void SelectItem(int index);
    int dropPosition() const { return m_dropPosition; }
    // The customisation window that shows the menu, or null.
    COXBitmapMenuPopupWnd* popupWnd() const { return m_popupWnd; }
    void setPopupWnd(COXBitmapMenuPopupWnd* window) { m_popupWnd = window; }
    void SetDropPosition(int position);
    // The owner's answer to a notification (non-zero vetoes); by default the notification
    // target's, 0 without one.
    using NotificationTarget = std::function<int(unsigned code, unsigned command)>;
    void setNotificationTarget(NotificationTarget target) { m_target = std::move(target); }
    virtual int NotifyOwner(unsigned command);

    // The entries of the customise menu of the item at index: (command, caption, flags); empty
    // when the item gets no menu. A 0 command is a separator.
    struct MenuEntry
    {
        unsigned command = 0;
        unsigned flags = 0;
    };
    std::vector<MenuEntry> CustomizeMenuEntries(int index) const;
    // Shows the customise menu of the item at index at a screen point; runs the chosen command.
    virtual bool ShowCustomizeMenu(int index, const QPoint& screenPoint);
    // The five commands; each first asks the owner and does nothing on a veto.
    virtual void OnCommand(unsigned command);
    // Converts the menu again through the organiser.
    void Refresh();

    // Drag start and the drag notifications answer "no drop" (no item is dragged out of a
    // menu); true while customisable.
    virtual void OnDragStart(int index);
    virtual bool OnDragEnter();
    virtual bool OnDragOver(int* dropEffect);
    virtual bool OnDragLeave();
    virtual bool OnDrop(int* dropEffect);
    bool dragging() const { return m_dragging; }

    // Inserts the item records of a drag buffer at position: command id (32-bit; 0 separator,
    // 0xFFFFFFFF sub-menu), a NUL-terminated text, five skipped bytes, a continuation code
    // (32-bit). Stops at the end of the data; a truncated record inserts nothing. The number of
    // items inserted at this level.
    int InsertDraggedItems(const uint8_t*& cursor, const uint8_t* end,
                           platform::framework::HMENU menu, int position);

private:
    platform::framework::HMENU m_hMenu = 0;
    std::map<char32_t, int> m_mnemonics;
    std::vector<std::unique_ptr<OXItemData>> m_itemData;
    int m_bitmapExtent = 0;
    int m_textHeight = 0;
    int m_acceleratorExtent = 0;
    int m_stringExtent = 0;
    bool m_customizable = false;
    int m_selectedIndex = -1;
    bool m_customizeMode = false;
    NotificationTarget m_target;
    bool m_dragging = false;
    bool m_dragOver = false;
    int m_dropPosition = -1;
    TextMeasurer m_measurer;
    COXMenuOrganizer* m_organizer = nullptr;
    COXBitmapMenuPopupWnd* m_popupWnd = nullptr;
};

// The geometry of the customisation window that shows a menu: the item rectangles stacked
// from the top and the window rectangle placed by alignment (0 left, 4 centred, 8 right).
struct OXPopupLayout
{
    QRect window;
    std::vector<QRect> items;
};
OXPopupLayout layoutBitmapMenuPopup(const std::vector<QSize>& itemSizes, int alignment, int x,
                                    int y, int frameWidth, int frameHeight);
