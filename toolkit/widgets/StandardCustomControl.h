#pragma once

#include "toolkit/widgets/CustomButtonRecord.h"

#include <QPointer>
#include <QString>

class QWidget;

// Makes the Qt control that stands for a window class of the typed inserts: "ComboBox" a combo
// box, "Edit" a line edit, "RICHEDIT" a rich-text edit, "Static" a label, "msctls_hotkey32" a
// key-sequence edit, "Button" a push button, "msctls_progress32" a progress bar,
// "msctls_trackbar32" a slider, "SysDateTimePick32" a date-time edit (extra: its display format,
// when not empty) and "SysIPAddress32" an edit for a dotted IPv4 address. Null for any other
// class. The control is a child of parent, named by its control id.
QWidget* createStandardControl(const QString& windowClass, unsigned controlId, const QString& text,
                               const QString& extra, QWidget* parent);

// A custom-button control object for the standard window classes above: it makes its window
// with createStandardControl and keeps no state of its own in the profile. GUI thread only.
class StandardCustomControl : public CustomButtonControl
{
public:
    // The class and text used when create is given none.
    explicit StandardCustomControl(QString windowClass = {}, QString text = {}, QString extra = {});

    QWidget* window() const override { return m_window; }
    bool create(unsigned controlId, COXCoolToolBar* bar, uint32_t style, const QString& extra,
                const QString& windowClass, const QString& text) override;
    std::shared_ptr<CustomButtonControl> copyFor(COXCoolToolBar* bar) const override;
    void destroyWindow() override;
    void setCustomizationMode(bool on) override { m_customizationMode = on; }
    bool recreateOnLoad() const override { return false; }
    void saveState(std::vector<uint8_t>&) const override {}
    std::optional<std::size_t> stateSize(std::span<const uint8_t>) const override { return 0; }
    void loadState(std::span<const uint8_t>) override {}

    bool customizationMode() const { return m_customizationMode; }

private:
    QString m_windowClass;
    QString m_text;
    QString m_extra;
    unsigned m_controlId = 0;
    uint32_t m_style = 0;
    bool m_customizationMode = false;
    QPointer<QWidget> m_window;
};
