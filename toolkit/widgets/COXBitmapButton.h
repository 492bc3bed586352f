#pragma once

#include "platform/framework/WinTypes.h"

#include <QImage>
#include <QPushButton>

#include <functional>
#include <string>

// A flat push button that shows a bitmap resource beside its text, with a tool tip taken from
// the second line of its window text. Only what the program's frames use: loading the image
// with a transparent colour, the flat look and the tool tip. GUI thread only.
class COXBitmapButton : public QPushButton
{
public:
    // No transparent colour.
    static constexpr platform::framework::COLORREF CLR_NONE = 0xFFFFFFFF;

    // Where bitmap resources come from: the image of a resource id, or a null image when there
    // is none. The default reads the Qt resource ":/bitmaps/<id>.png".
    using BitmapSource = std::function<QImage(unsigned resourceId)>;
    static void setBitmapSource(BitmapSource source);
    static QImage loadBitmapResource(unsigned resourceId);

    explicit COXBitmapButton(QWidget* parent = nullptr);

    // The window text: its first line is shown on the button, its second line is the tool tip.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const { return m_windowText; }

    // Loads the image of a bitmap resource; pixels of the mask colour become transparent (none
    // with CLR_NONE). With resize the button takes the size of its content. False when the
    // resource does not exist; the old image is gone either way.
    bool LoadBitmap(unsigned resourceId, bool resize = true,
                    platform::framework::COLORREF mask = CLR_NONE);
    // Shows the second line of the window text as the tool tip (when it is not empty).
    void EnableToolTip(bool enable = true);
    bool IsToolTipEnabled() const { return m_toolTipEnabled; }
    // The flat look: the face is raised only while the mouse is over the button.
    void SetFlatLook(bool flat = true);
    bool GetFlatLook() const { return isFlat(); }

private:
    void applyToolTip();

    std::string m_windowText;
    bool m_toolTipEnabled = false;
};
