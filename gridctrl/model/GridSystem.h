#pragma once

#include "gridctrl/model/GridColor.h"

#include <QLocale>

#include <string>

namespace gridctrl::model {

// System colour indexes the grid reads.
constexpr int kColorWindow = 5;
constexpr int kColorWindowText = 8;
constexpr int kColorHighlight = 13;
constexpr int kColorHighlightText = 14;
constexpr int kColorBtnFace = 15;

// System metrics the grid reads.
constexpr int kMetricVScrollWidth = 2;
constexpr int kMetricHScrollHeight = 3;

// Virtual keys whose state the selection reads.
constexpr int kVirtualKeyShift = 0x10;
constexpr int kVirtualKeyControl = 0x11;

// Key flags of a mouse event.
constexpr unsigned kMouseKeyShift = 0x4;
constexpr unsigned kMouseKeyControl = 0x8;

// What the grid model reads of the system: colours, metrics, the keyboard's Shift and Ctrl
// state and the user's locale. The built-in answers are standard desktop colours, no key down
// and QLocale::system(); the Qt layer makes one that asks the keyboard the default (its grid
// window does so when it is made), and tests install fakes over it. GUI thread only.
class GridSystem
{
public:
    virtual ~GridSystem() = default;

    virtual COLORREF sysColor(int index) const;
    virtual int systemMetric(int index) const;
    virtual bool isKeyDown(int virtualKey) const;
    // The locale whose decimal separator and date formats cells show.
    virtual QLocale userLocale() const;
};

// The installed provider, else the default one.
const GridSystem& gridSystem();

// Makes `system` (not owned; it must stay alive while it is the default) the provider that
// answers while none is installed, or the built-in answers again for nullptr.
void setDefaultGridSystem(const GridSystem* system);

// Installs `system` (not owned; it must stay alive while installed), or the default for
// nullptr. Returns the provider installed before.
const GridSystem* setGridSystem(const GridSystem* system);

// The user's decimal separator in UTF-8, read once per installed provider.
const std::string& userDecimalSeparator();

// Installs a provider for the lifetime of the guard and restores the previous one.
class ScopedGridSystem
{
public:
    explicit ScopedGridSystem(const GridSystem& system) : m_previous(setGridSystem(&system)) {}
    ~ScopedGridSystem() { setGridSystem(m_previous); }
    ScopedGridSystem(const ScopedGridSystem&) = delete;
    ScopedGridSystem& operator=(const ScopedGridSystem&) = delete;

private:
    const GridSystem* m_previous;
};

} // namespace gridctrl::model
