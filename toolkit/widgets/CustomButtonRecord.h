#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class COXCoolToolBar;

// The object behind a custom button: it owns the child control a tool bar hosts on a separator.
// Whoever registers a custom button supplies the implementation. GUI thread only.
class CustomButtonControl
{
public:
    virtual ~CustomButtonControl() = default;

    // The hosted window, or null when it was never made or is gone.
    virtual QWidget* window() const = 0;
    // Makes the window with the control id, a child of bar; style holds the window style bits
    // (WS_VISIBLE among them), extra an argument the window class gives a meaning to, windowClass
    // and text what the typed inserts pass (empty: the object's own). True on success.
    virtual bool create(unsigned controlId, COXCoolToolBar* bar, uint32_t style,
                        const QString& extra, const QString& windowClass, const QString& text) = 0;
    // A copy of this control hosted in another bar, or null when none can be made.
    virtual std::shared_ptr<CustomButtonControl> copyFor(COXCoolToolBar* bar) const = 0;
    // Destroys the hosted window (its button was deleted).
    virtual void destroyWindow() = 0;
    // The bar's customisation mode changed.
    virtual void setCustomizationMode(bool on) = 0;
    // Whether a bar's state load makes the window again instead of keeping it.
    virtual bool recreateOnLoad() const = 0;
    // Appends the control's own state.
    virtual void saveState(std::vector<uint8_t>& out) const = 0;
    // How many bytes of rest (the bytes left in a saved value) the state saveState wrote takes,
    // or nothing when it does not parse there. Applies nothing.
    virtual std::optional<std::size_t> stateSize(std::span<const uint8_t> rest) const = 0;
    // Restores a state measured by stateSize.
    virtual void loadState(std::span<const uint8_t> state) = 0;
};

// A custom button: one per registration (process-wide) and one per placed button on a bar.
struct CustomButtonRecord
{
    // The display flags: where the control is shown instead of a plain button.
    static constexpr uint32_t kShownVertical = 0x1;
    static constexpr uint32_t kShownHorizontal = 0x2;
    static constexpr uint32_t kShownFloating = 0x4;
    static constexpr uint32_t kShownAlways = 0x7;

    std::shared_ptr<CustomButtonControl> control;
    unsigned controlId = 0;
    int width = -1;  // of the separator that hosts the control
    int height = -1; // -1, or not less than the item height: the full item height
    uint32_t displayFlags = kShownAlways;
    int imageWhenHidden = -1; // the image the button shows where the control is hidden

    // Whether the control shows on a bar in this state (docked horizontally: along the top or
    // the bottom).
    bool shownOn(bool floating, bool horizontal) const;
};
