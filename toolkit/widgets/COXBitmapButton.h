#pragma once

#include "platform/framework/WinTypes.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/COXTipWindow.h"

#include <QCursor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// An owner-drawn push button that shows an image beside or above its text: a flat look raised
// only while the mouse is over it, a grey image for the flat look at rest, a disabled image, an
// optional drop-down arrow, toggle states with a third state, a hyperlink look, pseudo-disabling,
// and a tip (through COXTipWindow) taken from the second line of its window text. Images come
// from the toolkit's bitmap loader; an animation (an animated image whose frames QMovie
// decodes) may stand in for the image and plays once each time the mouse comes over the button. The
// hyperlink look shows the toolkit's hyperlink cursors. GUI thread only.
class QTimer;

class COXBitmapButton : public QPushButton
{
public:
    using COLORREF = platform::framework::COLORREF;

    // No transparent colour.
    static constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
    // Button styles.
    static constexpr uint32_t BS_OWNERDRAW = 0xB;
    static constexpr uint32_t BS_TYPEMASK = 0xF;
    static constexpr uint32_t BS_LEFT = 0x100;
    static constexpr uint32_t BS_RIGHT = 0x200;
    static constexpr uint32_t BS_CENTER = 0x300;
    static constexpr uint32_t BS_TOP = 0x400;
    static constexpr uint32_t BS_BOTTOM = 0x800;
    static constexpr uint32_t BS_VCENTER = 0xC00;
    static constexpr uint32_t BS_MULTILINE = 0x2000;
    static constexpr uint32_t WS_TABSTOP = 0x10000;
    // Extended button styles.
    static constexpr uint32_t OXBB_EX_DROPDOWN = 0x1;
    static constexpr uint32_t OXBB_EX_TOGGLE = 0x2;
    static constexpr uint32_t OXBB_EX_DROPDOWNNOARROW = 0x20000;
    static constexpr uint32_t OXBB_EX_TOGGLE3STATE = 0x40000;
    // States.
    static constexpr uint32_t OXBB_STATE_PRESSED = 0x1;
    static constexpr uint32_t OXBB_STATE_THIRDSTATE = 0x2;
    // Notifications to the parent.
    static constexpr unsigned OXBBN_DROPDOWN = 0x8066;
    static constexpr unsigned OXBBN_TOGGLE = 0x8067;
    // Owner-draw item states.
    static constexpr uint32_t ODS_SELECTED = 0x1;
    static constexpr uint32_t ODS_DISABLED = 0x4;
    static constexpr uint32_t ODS_FOCUS = 0x10;
    // The frame DrawButton draws (DrawFrameControl codes); kFaceOnly fills the face, no frame.
    static constexpr uint32_t DFCS_BUTTONPUSH = 0x10;
    static constexpr uint32_t DFCS_INACTIVE = 0x100;
    static constexpr uint32_t DFCS_PUSHED = 0x200;
    static constexpr uint32_t DFCS_CHECKED = 0x400;
    static constexpr uint32_t kFaceOnly = 0;
    static constexpr uint32_t kHyperBackground = 0xFFFFFFFF;
    static constexpr unsigned kToolId = 1000;

    // Kept for the frames and tests that set the source on the button: the toolkit's loader.
    using BitmapSource = toolkit::widgets::BitmapSource;
    static void setBitmapSource(BitmapSource source);
    static QImage loadBitmapResource(unsigned resourceId);

    explicit COXBitmapButton(QWidget* parent = nullptr);
    ~COXBitmapButton() override;

    // The window text: its first line is shown on the button, its second line is the tip.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const { return m_windowText; }

    // The button style (the owner-draw type is set on a new button).
    uint32_t GetButtonStyle() const { return m_style; }
    void SetButtonStyle(uint32_t style);

    // Images 0 normal, 1 inactive (grey copy of palette bitmaps), 2 disabled. False when the
    // resource does not exist; the old images are gone either way.
    bool LoadBitmap(unsigned resourceId, bool resize = true, COLORREF mask = CLR_NONE);
    bool LoadInactiveBitmap(unsigned resourceId);
    bool LoadDisabledBitmap(unsigned resourceId);
    bool LoadInactiveIcon(unsigned resourceId, int cx = 0, int cy = 0);
    bool LoadDisabledIcon(unsigned resourceId, int cx = 0, int cy = 0);
    // Shows the animation of that resource (the toolkit's animation source; by name when one
    // is given) instead of the images: its first frame at rest, played once from the first to
    // the last frame whenever the mouse comes over the enabled button. False, and nothing
    // changed, when the resource does not exist or is not an animation.
    bool LoadAnimation(unsigned resourceId, bool resize = true, const QString& name = QString());
    bool isAnimated() const { return !m_animationFrames.empty(); }
    // The animation's number of frames, the frame shown now (-1 without an animation), whether
    // it has been started for this hover and whether it is running now.
    int animationFrameCount() const { return static_cast<int>(m_animationFrames.size()); }
    int animationFrame() const { return m_animationFrame; }
    bool isPlaying() const { return m_bPlaying; }
    bool isAnimationRunning() const;
    // Called with each frame the animation shows (a status line, tests).
    void setFrameObserver(std::function<void(int frame)> observer)
    {
        m_frameObserver = std::move(observer);
    }
    // The cursor shown over the enabled and over the disabled button (none: the default).
    const std::optional<QCursor>& enabledCursor() const { return m_hCursor; }
    const std::optional<QCursor>& disabledCursor() const { return m_hDisabledCursor; }
    void RemoveImage(bool resize = true);
    int imageCount() const { return static_cast<int>(m_images.size()); }
    QPixmap image(int index) const;

    // The flat look; refused (false) for a button that is not owner-drawn.
    bool SetFlatLook(bool flat = true);
    bool GetFlatLook() const { return m_bFlat; }
    void SetHorizontalAlignment(uint32_t alignment);
    uint32_t GetHorizontalAlignment() const;
    void SetVerticalAlignment(uint32_t alignment);
    uint32_t GetVerticalAlignment() const;
    void SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_clrText; }
    void SetFont(const QFont& font);
    QFont GetFont() const { return font(); }
    void EnableToolTip(bool enable = true);
    bool IsToolTipEnabled() const { return m_tipWindow != nullptr; }
    COXTipWindow* tipWindow() const { return m_tipWindow.get(); }
    // The text of the tip's tool, empty without one.
    std::string toolTipText() const;
    void SetHyperLook(bool hyper);
    bool GetHyperLook() const { return m_bHyperLook; }
    void SetPseudoDisable(bool pseudo);
    bool GetPseudoDisable() const { return m_bPseudoDisabled; }
    void EnableButton(bool enable);
    bool IsButtonEnabled() const;
    void SetExStyle(uint32_t exStyle, bool redraw = true);
    uint32_t GetExStyle() const { return m_dwExStyle; }
    void SetState(uint32_t state, bool redraw = true);
    uint32_t GetState() const { return m_dwState; }
    // Pressed, third state and back, for drop-down and toggle buttons only.
    void ToggleState();
    bool isHot() const { return m_bHot; }

    virtual void SizeToContent();
    virtual QSize GetFitSize() const;
    virtual QSize GetArrowSize() const;
    // The image and the text rectangles in a button rectangle, moved while held or pressed.
    virtual void DistributeSpace(uint32_t itemState, const QRect& button, QRect& imageRect,
                                 QRect& textRect) const;
    // The frame DrawButton draws for an item state: a DFCS code, kFaceOnly or kHyperBackground.
    virtual uint32_t buttonFrame(uint32_t itemState) const;
    // The image DrawImage draws for an item state (an index into the images).
    virtual int imageIndex(uint32_t itemState) const;
    // The colour DrawButtonText uses for an item state; CLR_NONE for the disabled look.
    virtual COLORREF textColour(uint32_t itemState) const;
    // The button's owner-draw state now.
    uint32_t itemState() const;
    // Paints the button as it is now into an image of its size.
    QImage renderToImage();

    // Notification code to the parent (0x8066 drop-down, 0x8067 toggle); the answer of the
    // parent's handler, 0 without one. Non-zero vetoes the default action.
    virtual intptr_t notifyParent(unsigned code);
    using NotifyHandler = std::function<intptr_t(COXBitmapButton& button, unsigned code)>;
    void setNotifyHandler(NotifyHandler handler) { m_notify = std::move(handler); }

    virtual void OnDropDown() {}
    virtual void OnToggle() {}
    virtual void OnClicked();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

    virtual void DrawItem(QPainter& painter, uint32_t itemState);
    virtual void DrawButton(QPainter& painter, uint32_t itemState, const QRect& rect);
    virtual void DrawImage(QPainter& painter, uint32_t itemState, const QRect& rect);
    virtual void DrawButtonText(QPainter& painter, uint32_t itemState, const QRect& rect,
                                const QString& text);
    virtual void DrawFocusRectangle(QPainter& painter, uint32_t itemState, const QRect& image,
                                    const QRect& text);
    virtual void DrawArrow(QPainter& painter, uint32_t itemState, const QRect& arrow);

private:
    QString firstLine() const;
    std::string secondLine() const;
    void setHot(bool hot);
    void rearmTip();
    bool hasVisibleArrow() const;
    void closeAnimation();
    void showAnimationFrame(int frame);
    void playAnimation();
    // Shows the enabled or disabled cursor by the button's logical state.
    void applyCursor();
    QSize textSize() const;

    std::vector<QPixmap> m_animationFrames;
    std::vector<int> m_animationDelays; // milliseconds each frame stays
    QTimer* m_animationTimer = nullptr;
    int m_animationFrame = -1;
    std::function<void(int)> m_frameObserver;
    bool m_bPlaying = false;
    unsigned m_nCursorId = 0;
    std::optional<QCursor> m_hCursor;
    unsigned m_nDisabledCursorId = 0;
    std::optional<QCursor> m_hDisabledCursor;
    std::vector<QPixmap> m_images;
    COLORREF m_clrText = 0;
    std::unique_ptr<COXTipWindow> m_tipWindow;
    bool m_bFlat = false;
    bool m_bHot = false;
    bool m_bMouseDown = false;
    bool m_bHyperLook = false;
    bool m_bPseudoDisabled = false;
    bool m_bPseudoEnabled = true;
    bool m_bHadTabStop = false;
    bool m_bArrowSeparator = true;
    QSize m_szImageMargin{-5, -5};
    QSize m_szTextMargin{-7, -6};
    QSize m_szFocusRectInflate{-4, -4};
    QSize m_szFrameInflate{0, 0};
    QSize m_szHyperFocus{7, 6};
    QSize m_szSelectedOffset{2, 2};
    QSize m_szPressedOffset{1, 1};
    QSize m_szHotOffset{-1, -1};
    int m_nArrowGap = -2;
    uint32_t m_dwExStyle = 0;
    uint32_t m_dwState = 0;
    uint32_t m_style = BS_OWNERDRAW;
    std::string m_windowText;
    NotifyHandler m_notify;
};

// Dialog data exchange of a toggle button's state: saving gives -1 (not a toggle button), 2
// (third state), 1 (pressed) or 0; loading 1 presses, 2 sets the third state, anything else
// clears both and writes 0 back. The control of that id on the dialog must be a bitmap button:
// false otherwise, and nothing is read or written.
bool DDX_BitmapButtonState(bool saveAndValidate, QWidget* dialog, unsigned controlId, int& value);

namespace toolkit::widgets {

// The grey level of a palette colour for the inactive image: the luminance quantised to 0, 128,
// 192 or 255.
int greyLevel(int red, int green, int blue);

} // namespace toolkit::widgets
