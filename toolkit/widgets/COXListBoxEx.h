#pragma once

#include "platform/framework/WinTypes.h"

#include <QFont>
#include <QListWidget>
#include <QPixmap>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QListWidgetItem;

// A list box whose items each carry their own font, colours, image and tip text, and whose top
// entries form a block of recently-used entries: an entry moved into the block goes to its top
// (or a given place), the block is cut to a maximum length, a line separates it from the rest,
// and it can be saved to and restored from the application's profile. Indices are rows; a
// maximum of 0 or -1 means no block (both read so everywhere). GUI thread only.
class COXListBoxEx : public QListWidget
{
public:
    using COLORREF = platform::framework::COLORREF;

    // SetItemInfo mask bits.
    static constexpr uint32_t OXLBI_FONT = 0x1;
    static constexpr uint32_t OXLBI_TEXT = 0x2;
    static constexpr uint32_t OXLBI_BK = 0x4;
    static constexpr uint32_t OXLBI_TOOLTIP = 0x8;
    static constexpr uint32_t OXLBI_IMAGE = 0x10;
    static constexpr uint32_t OXLBI_INDENT = 0x20;
    static constexpr uint32_t OXLBI_HIGHLIGHTTEXT = 0x40;
    static constexpr uint32_t OXLBI_HIGHLIGHTBK = 0x80;
    static constexpr int LB_ERR = -1;
    // The section of the box's own saving and loading.
    static constexpr const char* kMruSection = "OXLISTBOXEX_MRU";

    // One item's attributes; an item without them uses the window colours and the box's font.
    struct ItemInfo
    {
        std::optional<QFont> font;
        COLORREF textColour = 0xFFFFFFFF;
        COLORREF highlightTextColour = 0xFFFFFFFF;
        COLORREF bkColour = 0xFFFFFFFF;
        COLORREF highlightBkColour = 0xFFFFFFFF;
        std::string tipText;
        int32_t image = -1;
        int32_t indent = 0; // the further value: pixels the item is indented by
        int32_t mruPosition = -1;
    };

    explicit COXListBoxEx(bool multipleSelection = false, QWidget* parent = nullptr);
    ~COXListBoxEx() override;

    // The list box's strings.
    int AddString(const std::string& text);
    int InsertString(int index, const std::string& text);
    // Removes an item and its info, the infos after it following; the count left or LB_ERR.
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return count(); }
    std::string GetText(int index) const;
    bool SetItemData(int index, intptr_t data);
    intptr_t GetItemData(int index) const;
    // The first item from after start (-1: from the top) whose text equals text, case ignored.
    int FindStringExact(int start, const std::string& text) const;
    int GetCurSel() const;
    int SetCurSel(int index);
    bool GetSel(int index) const;
    int SetSel(int index, bool select);
    int GetCaretIndex() const;
    int SetCaretIndex(int index);

    // Sets attributes of an item (index -1: every item) by mask; FALSE outside the list.
    bool SetItemInfo(int index, uint32_t mask, const QFont* font, COLORREF textColour,
                     COLORREF bkColour, const std::string& tipText, int32_t image, int32_t indent,
                     COLORREF highlightTextColour, COLORREF highlightBkColour);
    const ItemInfo* itemInfo(int index) const;
    std::optional<QFont> GetItemFont(int index) const;
    COLORREF GetItemTextColor(int index) const;
    COLORREF GetItemBkColor(int index) const;
    COLORREF GetItemHighlightTextColor(int index) const;
    COLORREF GetItemHighlightBkColor(int index) const;
    std::string GetItemToolTipText(int index) const;
    int32_t GetItemImageIndex(int index) const;
    int32_t GetItemIndent(int index) const;
    int GetMRUPosition(int index) const;

    // The recently-used block.
    int GetMaxMRU() const { return m_nMaxMRU; }
    void SetMaxMRU(int count);
    int GetLastMRU() const { return m_nLastMRU; }
    // Moves an item into the block at place position (0 = top); its new index, or -1.
    virtual int MoveToMRU(int index, int position = 0, bool force = false);
    // Takes an item out of the block; its new index, or -1 outside the block.
    virtual int RemoveFromMRU(int index);
    // Orders two items by their places in the block: negative, 0 or positive.
    virtual int CompareItem(int first, int second) const;
    virtual bool SaveMRU(const std::string& section) const;
    virtual bool LoadMRU(const std::string& section);
    void SetSaveMRU(bool save) { m_bSaveMRU = save; }
    bool GetSaveMRU() const { return m_bSaveMRU; }
    // Loads the block from the box's own section when saving is on.
    virtual bool Initialize();

    void SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_clrBackground; }
    void SetEraseAll(bool eraseAll) { m_bEraseAll = eraseAll; }
    bool GetEraseAll() const { return m_bEraseAll; }
    // The images items refer to by index.
    void SetImageList(std::vector<QPixmap> images);
    const std::vector<QPixmap>& GetImageList() const { return m_images; }

    // The text shown for an item and the font it is drawn in (the font list shows symbol fonts
    // differently).
    virtual QString displayText(int index) const;
    virtual QFont displayFont(int index) const;
    // Paints one item into a painter (the delegate's work, callable by tests).
    void paintItem(QPainter& painter, int index, const QRect& rect, bool selected,
                   bool focused) const;
    QSize itemSize(int index) const;

protected:
    // Appends an item with its data and attributes without measuring it (for filling long lists
    // whose rows share one height).
    int appendItem(const std::string& text, intptr_t data, const ItemInfo& info);
    // Puts an item back outside the block after it left it: at the block's end in this list.
    virtual int InsertItem(const std::string& text, int preferredIndex);
    bool viewportEvent(QEvent* event) override;

private:
    struct Saved;
    Saved take(int index);
    int put(int index, Saved saved);
    void refreshItem(int index);
    void renumberMru();

    std::vector<QPixmap> m_images;
    int m_nMaxMRU = 0;
    int m_nLastMRU = -1;
    COLORREF m_clrBackground;
    bool m_bEraseAll = false;
    bool m_bSaveMRU = false;
};
