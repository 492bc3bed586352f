#pragma once

#include "platform/framework/Menu.h"
#include "platform/framework/ToolBar.h"
#include "platform/framework/WinTypes.h"
#include "toolkit/widgets/CustomButtonRecord.h"
#include "toolkit/widgets/ToolBarLayout.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRect>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QActionEvent;
class QMainWindow;
class QMimeData;
class QPainter;
class QPoint;
class QProxyStyle;

// The toolkit's flat tool bar: a tool bar of the framework made from a tool-bar resource (its
// buttons, title and prompts), which docks right beside another bar on the same row and keeps
// its state in the program's tool-bar profile (HKEY_CURRENT_USER, "Software\Varnholt
// Software\Harlune Toolbars", one key per section and bar name). GUI thread only.
class COXCoolToolBar : public platform::framework::ToolBar
{
public:
    // Window styles Create takes.
    static constexpr uint32_t WS_VISIBLE = 0x10000000;
    static constexpr uint32_t WS_CHILD = 0x40000000;
    static constexpr uint32_t TBSTYLE_FLAT = 0x0800;

    // Button styles and state bits of a button record.
    static constexpr uint8_t TBSTYLE_BUTTON = 0x00;
    static constexpr uint8_t TBSTYLE_SEP = 0x01;
    static constexpr uint8_t TBSTYLE_AUTOSIZE = 0x10;
    static constexpr uint8_t TBSTATE_CHECKED = 0x01;
    static constexpr uint8_t TBSTATE_PRESSED = 0x02;
    static constexpr uint8_t TBSTATE_ENABLED = 0x04;
    static constexpr uint8_t TBSTATE_HIDDEN = 0x08;
    static constexpr uint8_t TBSTATE_INDETERMINATE = 0x10;
    static constexpr uint8_t TBSTATE_WRAP = 0x20;
    // The width of a plain separator, also taken by a plain separator whose record gives none.
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
    ~COXCoolToolBar() override;

    // Docks this bar on the row of `other`, right after it, keeping whether it is shown.
    void DockBeside(COXCoolToolBar* other);

    // Properties kept in the profile with the bar's state.
    bool IsCool() const { return m_cool; }
    void SetCool(bool cool) { m_cool = cool; }
    bool IsGripper() const { return m_gripper; }
    void SetGripper(bool gripper);
    bool IsSeparator() const { return m_separatorDrawn; }
    void SetSeparator(bool separator);
    bool IsFlat() const { return m_flat; }
    void SetFlat(bool flat);
    bool IsList() const { return m_list; }
    void SetList(bool list);
    bool GetDropDownArrow() const { return m_dropDownArrow; }
    void SetDropDownArrow(bool on);
    int GetIndent() const { return m_indent; }
    void SetIndent(int indent);
    platform::framework::COLORREF GetDefaultTextColor() const { return m_defaultTextColor; }
    void SetDefaultTextColor(platform::framework::COLORREF color);
    platform::framework::COLORREF GetHotTextColor() const { return m_hotTextColor; }
    void SetHotTextColor(platform::framework::COLORREF color);
    int GetTextRows() const { return m_textRows; }
    void SetMaxTextRows(int rows) { m_textRows = rows; }
    int GetMinButtonsWidth() const { return m_minButtonsWidth; }
    int GetMaxButtonsWidth() const { return m_maxButtonsWidth; }
    void SetButtonsMinMaxWidth(int minWidth, int maxWidth);

    // Customisation: with a table, (true, false) makes the bar adjustable through the common
    // customise dialog and clears the advanced flag; any other pair clears the adjustable style
    // and sets the advanced flag to customizable && advanced. Without a table both are cleared.
    void SetCustomizable(bool customizable = true, bool advanced = true);
    // With advanced the advanced flag, else whether the bar is adjustable (CCS_ADJUSTABLE).
    bool IsCustomizable(bool advanced = true) const;
    // The commands offered for customisation (entry i is the command of image i); then
    // SetCustomizable(true, true).
    void SetCustomizationTable(const unsigned* ids, int count);
    // The bar's buttons as records: insert, delete and move keep the actions, the selected button
    // and the insertion index in step. False for an index out of range.
    bool InsertButton(int index, const ButtonRecord& record);
    virtual bool DeleteButton(int index);
    bool MoveButton(int from, int to);
    int insertionIndex() const { return m_insertionIndex; }
    void setInsertionIndex(int index) { m_insertionIndex = index; }

    // Customisation mode: on, a click on a button selects it instead of running its command, and
    // a right click opens the bar's context menu. notify stands for the notify window: it gets
    // the bar's events (0x807C, and the menu commands before they are carried out, when a
    // non-zero answer means the owner did the work); without one the bar's owner answers 0.
    using Notify = std::function<intptr_t(unsigned event, intptr_t extra)>;
    void SetCustomizationMode(bool on, Notify notify = {});
    bool IsInCustomizationMode() const { return m_customizationMode; }
    // Selects a button (-1: none); the previous selection. A pressed state of the new button is
    // cleared and the owner is told (0x807C) when the selection changed.
    int SelectButton(int index);
    int GetSelectedButton() const { return m_selectedButton; }

    // The commands of the customisation context menu.
    static constexpr unsigned ID_DELETE_BUTTON = 32893;
    static constexpr unsigned ID_CUSTOMIZE_BUTTON = 32894;
    static constexpr unsigned ID_HIDE_TEXT = 32895;
    static constexpr unsigned ID_SHOW_TEXT = 32896;
    static constexpr unsigned ID_SEPARATOR_BEFORE = 32897;
    static constexpr unsigned ID_SEPARATOR_AFTER = 32898;
    static constexpr unsigned kSelectionChanged = 0x807C;
    struct MenuItem
    {
        unsigned command = 0; // 0 for a separator
        bool enabled = true;
        bool checked = false;
        bool operator==(const MenuItem&) const = default;
    };
    // The items of the context menu of the button at index (empty for an index out of range).
    std::vector<MenuItem> contextMenuItems(int index) const;
    // Carries out a menu command on the button at index unless the owner's answer is non-zero.
    void carryOutMenuCommand(int index, unsigned command);
    // Opens the context menu of the button at index at a screen position and carries out the
    // chosen command.
    virtual void OnContextMenu(int index, const QPoint& globalPos);

    // The reflected notifications of the customise dialog, as functions of the customisation
    // table. TBN_GETBUTTONINFO: for an index below the table's count the button of image index
    // (command from the table, enabled, style 0) and the command's tip cut to bufferSize - 1
    // bytes; nothing past the table.
    struct ButtonInfo
    {
        int32_t image = 0;
        uint32_t commandId = 0;
        uint8_t state = TBSTATE_ENABLED;
        uint8_t style = TBSTYLE_BUTTON;
        std::string text;
        bool operator==(const ButtonInfo&) const = default;
    };
    std::optional<ButtonInfo> OnGetButtonInfo(int index, std::size_t bufferSize) const;
    // TBN_QUERYINSERT and TBN_QUERYDELETE: every place takes a button, every button may go.
    bool OnQueryInsert(int) const { return true; }
    bool OnQueryDelete(int) const { return true; }
    // TBN_TOOLBARCHANGE: the stored text type applies to all buttons again.
    void OnToolBarChange() { SetButtonsText(0, 0xFFFF, m_textType); }

    // The text kept for a button whose text is hidden, or empty.
    std::string hiddenText(uint32_t commandId) const;

    // Writes the bar's state under section S of the profile: with a bar customisable in either
    // sense "<name>_ButtonsSettings" and "<name>_CustomButtonsPositions" (binary, each with its
    // "_Size") and the button order under value name; once per run
    // "Toolbars_CustomButtonsSettings"; with properties the fourteen properties in section
    // "S_name". Also whether the bar is shown ("Visible" under S\name). False when the profile
    // cannot be written.
    bool SaveBarState(const char* section, const char* name, bool properties) const;
    // Restores what SaveBarState wrote: the properties first (with properties), then, on a
    // customisable bar, the buttons' images, styles and texts. A value that does not parse whole
    // counts as missing and leaves that part of the bar as it is. False when nothing was saved
    // there or the shown state saved does not fit this bar.
    bool LoadBarState(const char* section, const char* name, bool properties);
    // Forgets that this run wrote or read "Toolbars_CustomButtonsSettings" (tests: a new run).
    static void resetRunFlags();

    // The bitmap of a resource id through the toolkit's loader, kept for later calls (a null
    // image when there is none).
    QImage LoadBitmap(unsigned resourceId);
    // An image list: images of one size cut from a bitmap, the mask colour transparent.
    using ImageList = std::vector<QPixmap>;
    // CLR_NONE as a mask colour: no pixel is transparent.
    static constexpr platform::framework::COLORREF CLR_NONE = 0xFFFFFFFF;
    // The images of width cx in the bitmap of a resource id (as high as the bitmap), kept for
    // later calls; null when there is no bitmap or cx does not fit it. grow, type and flags are
    // those of the image-list call and change nothing here.
    const ImageList* LoadImageList(unsigned resourceId, int cx, int grow = 0,
                                   platform::framework::COLORREF mask = CLR_NONE, unsigned type = 0,
                                   unsigned flags = 0);
    // The images of cx x cy in the bitmap of a resource id (LoadBitmap), kept for later calls;
    // null (and nothing kept) when the images cannot be added: no bitmap, or a size that does
    // not fit it.
    const ImageList* CreateImageList(unsigned bitmapId, int cx, int cy, unsigned flags = 0,
                                     int initial = 0, int grow = 0,
                                     platform::framework::COLORREF mask = CLR_NONE);

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

    // Custom buttons: controls hosted on separators. The registrations are process-wide, keyed
    // by control id, in registration order.
    //
    // Registers a custom button, or updates the registration of its control id; its
    // registration index, or -1 when the update fails.
    static int RegisterCustomButton(const CustomButtonRecord& record);
    // Stores width, height, display flags and image when hidden of record in the registration
    // when it names the same control id, and in the records of every bar that hosts the control
    // (those bars are laid out again). False for an index out of range.
    static bool UpdateCustomButton(int registration, const CustomButtonRecord& record);
    // The registration index of a control id, or of the control id a window hosts; -1 for none.
    static int FindCustomButton(unsigned controlId);
    static int FindCustomButton(const QWidget* window);
    // The registration at an index, or nothing.
    static std::optional<CustomButtonRecord> customButtonRegistration(int registration);
    static int customButtonRegistrationCount();
    // Forgets every registration (tests: a new run).
    static void resetCustomButtons();

    // The button index on this bar that hosts the control id, or -1; whether there is one.
    int FindCustomButtonIndex(unsigned controlId) const;
    bool HasCustomButton(unsigned controlId) const;
    // The custom button at a button index, or null.
    const CustomButtonRecord* GetCustomButton(int index) const;
    int customButtonCount() const { return static_cast<int>(m_customButtons.size()); }

    // Inserts a separator at index and makes the control of a registration on it (a copy when
    // the registration's control is placed elsewhere). False for an index outside 0..count, a
    // registration index out of range, or a control that cannot be made (the bar is unchanged).
    bool InsertCustomButton(int index, int registration, uint32_t style = WS_CHILD | WS_VISIBLE,
                            const QString& extra = {}, const QString& windowClass = {},
                            const QString& text = {});
    // The typed inserts: InsertCustomButton with a fixed window class.
    bool InsertComboBox(int index, int registration, uint32_t style = WS_CHILD | WS_VISIBLE);
    bool InsertEdit(int index, int registration, const QString& text = {},
                    uint32_t style = WS_CHILD | WS_VISIBLE);
    bool InsertRichEdit(int index, int registration, uint32_t style = WS_CHILD | WS_VISIBLE);
    bool InsertStatic(int index, int registration, const QString& text = {},
                      uint32_t style = WS_CHILD | WS_VISIBLE);
    bool InsertHotKey(int index, int registration, uint32_t style = WS_CHILD | WS_VISIBLE);
    // (The text has no default, so that InsertButton(index, {}) stays the record insert.)
    bool InsertButton(int index, int registration, const QString& text,
                      uint32_t style = WS_CHILD | WS_VISIBLE);
    bool InsertProgress(int index, int registration, uint32_t style = WS_CHILD | WS_VISIBLE);
    bool InsertSlider(int index, int registration, uint32_t style = WS_CHILD | WS_VISIBLE);
    // format: the display format of the date-time edit (empty: the locale's).
    bool InsertDateTimePicker(int index, int registration, const QString& format = {},
                              uint32_t style = WS_CHILD | WS_VISIBLE);
    bool InsertIPAddress(int index, int registration, uint32_t style = WS_CHILD | WS_VISIBLE);

    // Places the custom buttons with index in first..last (-1: up to the last button): the
    // control where the display flags allow the bar's state, else a plain button showing the
    // image when hidden.
    void PlaceCustomButtons(int first = 0, int last = -1);
    // Where a control sits in the item rectangle of its button: 2 pixels in from the left and
    // the right; centred at height when that is above 0 and below the item's height, else the
    // item's full height.
    static QRect customControlRect(const QRect& item, int height);

    // The common step after a change: re-places the custom buttons, then, while the bar is
    // shown, lays out (recalc) and repaints it. Nothing while the bar itself inserts or deletes.
    void UpdateLayout(bool recalc = true, bool redraw = true);

    // The custom-draw forward: before the bar draws, the frame is asked (code 0x807B) with a
    // copy of the drawing step; when it clears doDefault, the bar draws none of its own parts
    // (gripper, icon, separators, text colours, selected frame) and answers with the frame's
    // result. By default the forward set with setCustomDrawForward, if any.
    static constexpr unsigned kCustomDrawForward = 0x807B;
    static constexpr int CDDS_PREPAINT = 0x1;
    static constexpr int CDDS_ITEMPREPAINT = 0x10001;
    struct CustomDraw
    {
        int stage = CDDS_PREPAINT;
        int index = -1; // the button, for an item stage
        bool hot = false;
        bool doDefault = true;
        intptr_t result = 0;
    };
    virtual void forwardCustomDraw(CustomDraw& draw);
    void setCustomDrawForward(std::function<void(CustomDraw&)> forward);

    // Drops on the bar (the bar is its own drop target). The record of one drag step; the
    // answer is the drop action (Qt::IgnoreAction: none).
    struct DragRecord
    {
        QPoint point;
        Qt::KeyboardModifiers keys;
        Qt::DropActions allowed;
        const QMimeData* data = nullptr;
    };
    // While the bar is advanced-customisable: entering sets the dragging flag and answers as a
    // move over the bar, which answers none; leaving and dropping clear the flag.
    virtual Qt::DropAction OnDragEnter(const DragRecord& record);
    virtual Qt::DropAction OnDragOver(const DragRecord& record);
    virtual void OnDragLeave();
    virtual Qt::DropAction OnDrop(const DragRecord& record);
    bool isDragging() const { return m_dragging; }

    // The small icon drawn before the gripper (null: none); the bar is laid out again.
    void SetIcon(const QIcon& icon);
    QIcon GetIcon() const { return m_icon; }
    // The width of a drop-down button's arrow (the style's menu-button indicator).
    int arrowWidth() const { return m_arrowWidth; }
    // The room before the first button: icon, gripper and indent.
    int leadingExtent() const;

    // The bar lays its buttons out itself, by the layout rules over its records: docked along
    // the top or bottom in one row, docked at a side in one column, floating wrapped at the
    // last floating width (at first the widest); a floating bar given another size is wrapped
    // again for it. Separators take the width of their records.
    //
    // The widget that shows an action on the bar (a button, a separator or a custom button's
    // host), or null.
    QWidget* widgetForAction(QAction* action) const;
    // The records as the layout rules take them (widths measured from the buttons), with the
    // wraps of the current layout.
    std::vector<toolkit::widgets::barlayout::Button> layoutButtons() const;
    // The uniform button size (the widest button within the width limits, the tallest one),
    // the arrow width and whether the bar is flat.
    toolkit::widgets::barlayout::Metrics layoutMetrics() const;
    // The size the buttons take as laid out (CalcSize, or an empty bar's size); the bar's size
    // hint is this plus the room before the first button and the bar's margins.
    QSize buttonsSize() const { return m_buttonsSize; }
    // Where the buttons' area starts in the bar.
    QPoint buttonsOrigin() const;
    // The width a floating bar is wrapped at.
    int floatingWidth() const { return m_floatingWidth; }
    // How near its right or bottom edge a floating bar is sized by the mouse.
    static constexpr int kSizingEdge = 4;
    // Whether the bar draws its separators itself (flat, separator flag on).
    bool drawsOwnSeparators() const { return m_flat && m_separatorDrawn; }
    // False while the frame draws the bar (its answer to the last custom-draw forward).
    bool drawsOwnParts() const { return m_ownParts; }
    // Draws the area before the first button: the icon, then the gripper.
    void drawLeadingArea(QPainter& painter, const QRect& rect);
    // The bar's own parts. The gripper and the icon take their room off the front of rect.
    virtual void DrawGripper(QPainter& painter, QRect& rect);
    virtual void DrawSeparator(QPainter& painter, const QRect& rect);
    virtual void DrawIcon(QPainter& painter, QRect& rect);
    virtual void DrawSelectedButtonFrame(QPainter& painter, const QRect& rect);

protected:
    // Tells the owner of an event (code 0x8083): by default the notify callback of the
    // customisation mode; 0 without one.
    virtual intptr_t notifyOwner(unsigned event, intptr_t extra);

private:
    COXCoolToolBar(const platform::framework::ToolBarResource& resource,
                   std::function<platform::framework::CommandTarget*()> route, QWidget* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void watchButtons();
    int indexOfWidget(QObject* widget) const;

    QAction* actionAt(int index) const;
    void setState(int index, uint8_t state);
    void showText(int index);
    void applyTextStyle();
    void loadProperties(const std::string& section);
    bool restoreButtonOrder(std::span<const uint8_t> value);
    platform::framework::HMENU mainMenu() const;
    void setImages(const QImage& strip, const QImage& highDensityStrip);
    QIcon imageAt(int image) const;
    bool createCustomControl(int index, int registration, uint32_t style, const QString& extra,
                             const QString& windowClass, const QString& text);
    void placeCustomButton(int index);
    std::optional<CustomButtonRecord> takeCustomButton(int index);
    bool putBackCustomButton(int index, CustomButtonRecord record);
    void loadCustomButtonsSettings(const std::string& section);
    void runCommand(unsigned id);
    void applyButtonLooks();
    void applyTextColor(QWidget* button, bool hot);
    void placeSelectionFrame();
    bool event(QEvent* event) override;
    void actionEvent(QActionEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The buttons' widgets in place of the framework's: each action gets its own widget here.
    void adoptButtons();
    void addButtonWidget(QAction* action);
    void removeButtonWidget(QAction* action);
    // Wraps the records for the bar's state and places the widgets.
    void arrangeButtons();
    // Wraps a floating bar again for the size it was given, and fits the bar to the result.
    void fitFloatingBar();
    void placeButtons();
    // The edges of a floating bar at a point (1 right, 2 bottom), 0 for none or a docked bar.
    int sizingEdges(const QPoint& pos) const;
    // Sizes a floating bar by an edge dragged with the mouse; true when the event was used.
    bool sizeByMouse(QEvent* event);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    std::function<platform::framework::CommandTarget*()> m_route;
    std::vector<ButtonRecord> m_records;
    int m_textType = 3;
    int m_stateWrites = 0;
    std::function<platform::framework::HMENU()> m_menuSource;
    std::map<unsigned, QImage> m_bitmaps;
    std::map<unsigned, ImageList> m_imageLists;

    bool m_cool = false;
    bool m_gripper = true;
    bool m_separatorDrawn = true;
    bool m_dropDownArrow = false;
    bool m_flat = false;
    bool m_list = false;
    int m_indent = 0;
    int m_textRows = 1;
    int m_minButtonsWidth = -1;
    int m_maxButtonsWidth = -1;
    platform::framework::COLORREF m_defaultTextColor = 0;
    platform::framework::COLORREF m_hotTextColor = 0;
    bool m_advancedCustomizable = false;
    bool m_adjustable = false; // CCS_ADJUSTABLE
    std::vector<unsigned> m_customizationTable;
    std::map<uint32_t, std::string> m_hiddenTexts;
    bool m_customizationMode = false;
    Notify m_notify;
    int m_selectedButton = -1;
    int m_insertionIndex = -1;
    std::vector<QIcon> m_images;                       // the button images cut from the bar's strip
    std::map<int, CustomButtonRecord> m_customButtons; // by button index
    bool m_internalChange = false;
    // Work left for the next idle update: bit 0 lay out again, bit 1 re-place custom buttons.
    uint8_t m_idleWork = 0;
    QIcon m_icon;
    QRect m_iconRect; // where the icon was drawn last
    int m_arrowWidth = 0;
    std::unique_ptr<QProxyStyle> m_style; // draws the gripper, icon and separators
    QWidget* m_selectionFrame = nullptr;
    std::function<void(CustomDraw&)> m_customDrawForward;
    bool m_ownParts = true; // false while the frame draws the bar (the last prepaint's answer)
    bool m_dragging = false;

    std::map<QAction*, QWidget*> m_actionWidgets;
    QWidget* m_buttonArea = nullptr; // stands in the framework's layout for all the buttons
    QAction* m_areaAction = nullptr;
    std::vector<QRect> m_itemRects; // by button index, in the buttons' area
    QSize m_buttonsSize;
    int m_floatingWidth = 32767;
    bool m_arranging = false;
    bool m_placing = false;
    bool m_fitting = false;
    int m_sizingEdges = 0; // the edges being dragged
    QPoint m_sizingStart;
    QSize m_sizingFrom;
};
