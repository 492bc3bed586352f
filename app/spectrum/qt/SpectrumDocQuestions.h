#pragma once

#include "app/spectrum/SpectrumDocWindow.h"

#include <functional>

class QWidget;

// The questions, messages and sounds of a spectrum document on Qt: the warning dialog, the
// UI services' message boxes and sounds, owned by the widget that owner() names (the
// document's first view) or by the main window while the document has no view yet. The
// document is made with it, so it asks from its first file operation on. GUI thread only.
class SpectrumDocQuestions : public SpectrumDocWindow
{
public:
    // owner may answer null.
    explicit SpectrumDocQuestions(std::function<QWidget*()> owner) : m_owner(std::move(owner)) {}

    Answer showWarningDialog(const std::string& text, bool& continueToWarn) override;
    Answer showMessageBox(const std::string& text, const std::string& caption,
                          Buttons buttons) override;
    void playSoundAsync(const std::string& file) override;

    // The same over a given owner, for the spectrum view's widget.
    static Answer warningDialog(QWidget* owner, const std::string& text, bool& continueToWarn);
    static Answer messageBox(QWidget* owner, const std::string& text, const std::string& caption,
                             Buttons buttons);

private:
    QWidget* owner() const { return m_owner ? m_owner() : nullptr; }

    std::function<QWidget*()> m_owner;
};
