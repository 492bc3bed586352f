#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A spectrum window's frame as the automation objects drive it: its tool bars and dialog bars
// by id, shown and hidden at once, and the Quintar bar's text label. The Qt frame implements
// it; tests use a fake. GUI thread only.
class SpectrumFrameBars
{
public:
    // The frame's bars.
    enum : unsigned
    {
        kSpectrumControls = 16100,
        kCursorControls = 16101,
        kGraphScale = 16102,
        kSpectralViewMode = 16103,
        kTimeAcquisition = 16104,
        kAcquisitionParameters = 16105,
        kUsbMavrin = 16106,
        kWessorUlmar = 16107, // "Wessor/Ulmar Controls", the cooler bar
        kUsbNorrel = 16108,
        kQuintar = 16109,
    };

    virtual ~SpectrumFrameBars() = default;

    // The bar's own visible state; nothing when the frame has no such bar.
    virtual std::optional<bool> barVisible(unsigned id) = 0;
    // Shows or hides the bar now (no delayed layout).
    virtual void showBar(unsigned id, bool show) = 0;

    // The Quintar label: the face name (refused when it does not fit the label's 31-byte
    // field), the font height, the colours (0x00BBGGRR) and the text. Each setter answers
    // whether the label took the value; redraw false leaves the label's picture as it was.
    virtual std::string labelFontName() = 0;
    virtual bool setLabelFontName(const std::string& face, bool redraw) = 0;
    virtual int32_t labelFontHeight() = 0;
    virtual bool setLabelFontHeight(int32_t height, bool redraw) = 0;
    virtual uint32_t labelTextColor() = 0;
    virtual bool setLabelTextColor(uint32_t color, bool redraw) = 0;
    virtual uint32_t labelBackgroundColor() = 0;
    virtual bool setLabelBackgroundColor(uint32_t color, bool redraw) = 0;
    virtual std::string labelText() = 0;
    virtual bool setLabelText(const std::string& text, bool redraw) = 0;
};
