#pragma once

#include "platform/framework/WinTypes.h"
#include "platform/framework/WindowHandle.h"
#include "platform/qt/LOGFONT.h"

#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A tool's description as callers exchange it: the fields of the common tool-tip record
// (window, id, rectangle in the owner's client co-ordinates, text or the text callback, user
// value) followed by the maximum width and the two colours.
struct TOOLINFO
{
    uint32_t cbSize = 56;
    uint32_t uFlags = 0;
    QWidget* hwnd = nullptr;
    uint32_t uId = 0;
    QRect rect;
    bool textCallback = false; // LPSTR_TEXTCALLBACK
    std::string lpszText;
    intptr_t lParam = 0;
    int32_t nMaxWidth = 0;
    platform::framework::COLORREF clrText = 0xFF000000;
    platform::framework::COLORREF clrBackground = 0xFF000000;
};

// A tool-tip popup of its own: a table of tools (rectangles of windows with a text or a text
// callback), following the mouse through the events of its owner (an event filter relays them),
// shown after an initial delay and hidden after an auto-pop time, with an optional second part
// of the text that a click on the tip opens and closes. A frameless top-most window that takes
// no focus. Timers 1 (initial delay) and 2 (hover check) are window timers on the process clock.
// GUI thread only.
class COXTipWindow : public QWidget
{
public:
    using COLORREF = platform::framework::COLORREF;
    static constexpr COLORREF CLR_DEFAULT = 0xFF000000;
    static constexpr int TTDT_AUTOPOP = 2;
    static constexpr int TTDT_INITIAL = 3;
    static constexpr unsigned kInitialTimer = 1;
    static constexpr unsigned kCheckTimer = 2;

    // The text of a callback tool (the tool's window and id), asked each time the tip shows.
    using TextCallback = std::function<std::string(QWidget* tool, uint32_t id)>;
    // Where the tip looks: the cursor's position, the window under a point, the available area
    // of the screen that holds a point. Tests replace them.
    using CursorSource = std::function<QPoint()>;
    using WindowSource = std::function<QWidget*(QPoint global)>;
    using ScreenSource = std::function<QRect(QPoint global)>;

    COXTipWindow();
    ~COXTipWindow() override;

    // Makes the tip for an owner whose events it follows; the tools' rectangles are in the
    // owner's client co-ordinates. False without an owner or when made already.
    bool Create(QWidget* owner);
    QWidget* owner() const { return m_pOwner; }

    // Adds a tool: a window, its text (callback true for the text callback), a rectangle in the
    // tool's client co-ordinates (the whole window without one) and an id. False for no window.
    bool AddTool(QWidget* tool, const std::string& text, std::optional<QRect> rect, uint32_t id,
                 bool callback = false);
    // Removes every tool of that window and id; the tip hides when it was the current one.
    void RemoveTool(QWidget* tool, uint32_t id);
    int toolCount() const { return static_cast<int>(m_tools.size()); }

    platform::framework::RECT GetMargins() const { return m_rcMargins; }
    void SetMargins(platform::framework::RECT margins);
    void SetDelayTime(int which, int32_t ms);
    int32_t GetDelayTime(int which) const;
    int32_t SetMaxTipWidth(int32_t width);
    int32_t GetMaxTipWidth() const { return m_nMaxTipWidth; }
    COLORREF SetTipBkColor(COLORREF color);
    COLORREF GetTipBkColor() const { return m_clrDefaultBk; }
    COLORREF SetTipTextColor(COLORREF color);
    COLORREF GetTipTextColor() const { return m_clrDefaultText; }
    bool GetToolInfo(TOOLINFO& info, QWidget* tool, uint32_t id) const;
    bool SetToolInfo(const TOOLINFO& info);
    bool HitTest(QWidget* window, int x, int y, TOOLINFO* info = nullptr) const;
    void SetTextCallback(TextCallback callback) { m_textCallback = std::move(callback); }

    // Follows an event of the owner: mouse moves choose the tool, presses, keys and other
    // buttons hide the tip. global is the event's point on the screen.
    void RelayEvent(QEvent::Type type, Qt::MouseButton button, QPoint global);
    void SetTipFont(const platform::qt::LOGFONT& font, bool redraw = true);
    const platform::qt::LOGFONT& tipLogFont() const { return m_logFont; }
    bool usesSystemFont() const { return m_bSystemFont; }
    void Hide();

    // Handles window timer id (the tip's window handle delivers them; tests call it too).
    void onTimer(unsigned id);

    virtual void PositionTip(QPoint point, QRect& rect, int item);
    virtual QRect CalcTipRect(const std::string& text, int32_t maxWidth);

    // What the tip shows, for its users and tests.
    bool tipShown() const { return isVisible(); }
    bool isHidden() const { return m_bHidden; }
    bool hasMore() const { return m_bHasMore; }
    bool showingMore() const { return m_bShowMore; }
    std::string shownText() const { return m_shownText; }
    bool hasCurrentTool() const { return m_current >= 0; }
    int32_t elapsedMs() const { return m_nElapsed; }
    QWidget* currentToolWindow() const;
    void setCursorSource(CursorSource source) { m_cursor = std::move(source); }
    void setWindowSource(WindowSource source) { m_windowAt = std::move(source); }
    void setScreenSource(ScreenSource source) { m_screenAt = std::move(source); }
    // A click on the tip: switches between the two parts of the text.
    void clickTip();
    QImage renderToImage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Tool
    {
        uint32_t flags = 0;
        QPointer<QWidget> window;
        uint32_t id = 0;
        QRect rect;
        int textKind = 0; // 0 text, -1 callback
        std::string text;
        int32_t maxWidth = 0;
        COLORREF textColour = CLR_DEFAULT;
        COLORREF bkColour = CLR_DEFAULT;
        intptr_t userValue = 0;
    };

    int ToolFromPoint(QPoint global) const;
    int findTool(QWidget* window, uint32_t id) const;
    void StartTool(int index);
    void ShowTip(QPoint point, bool showMore);
    std::string GetToolText(int index);
    void paintTip(QPainter& painter);
    QWidget* windowAt(QPoint global) const;
    QRect screenAt(QPoint global) const;
    QPoint cursorPos() const;
    void fillInfo(const Tool& tool, TOOLINFO& info) const;
    void takeSystemFont();

    QPointer<QWidget> m_pOwner;
    platform::framework::RECT m_rcMargins{2, 2, 3, 3};
    int32_t m_nMaxTipWidth = 0;
    QPoint m_ptOffset{0, 20};
    QFont m_font;
    platform::qt::LOGFONT m_logFont;
    // The layout of the text in force: word breaks, or breaks anywhere for a word wider than
    // the screen.
    int m_textFlags = Qt::TextWordWrap | Qt::TextExpandTabs;
    bool m_bSystemFont = true;
    int m_current = -1;
    int32_t m_nCheckPeriod = 500;
    int32_t m_nAutoPopTime = 5000;
    int32_t m_nElapsed = 0;
    int32_t m_nInitialTime = 500;
    bool m_bActive = true;
    bool m_bHidden = false;
    bool m_bHasMore = false;
    bool m_bShowMore = false;
    COLORREF m_clrDefaultBk = CLR_DEFAULT;
    COLORREF m_clrDefaultText = CLR_DEFAULT;
    std::vector<Tool> m_tools;
    std::string m_shownText;
    TextCallback m_textCallback;
    CursorSource m_cursor;
    WindowSource m_windowAt;
    ScreenSource m_screenAt;
    std::unique_ptr<platform::framework::WindowHandle> m_handle;
};
