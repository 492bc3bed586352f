#pragma once

#include "platform/qt/UiServices.h"

// The UI services of a program no user controls (started hidden for an automation client)
// while it ends: nobody could answer a question, so every box takes its default answer and
// every dialog is cancelled, without showing anything or making a sound. The clipboard still goes
// to the services installed before. GUI thread only.
class UnattendedUiServices : public platform::qt::UiServices
{
public:
    // previous: the services that keep the clipboard; they outlive this object.
    explicit UnattendedUiServices(platform::qt::UiServices& previous) : m_previous(previous) {}

    int messageBox(const std::string& text, const std::string& caption, unsigned flags,
                   QWidget* owner = nullptr) override;
    std::optional<platform::qt::FileDialogResult>
    fileDialog(const platform::qt::FileDialogRequest&) override
    {
        return std::nullopt;
    }
    std::optional<uint32_t> colorDialog(uint32_t, QWidget* = nullptr) override
    {
        return std::nullopt;
    }
    std::optional<platform::qt::FontDialogResult>
    fontDialog(const platform::qt::FontDialogRequest&) override
    {
        return std::nullopt;
    }
    bool printDialog(platform::qt::PrintDialogRequest&) override { return false; }
    bool pageSetupDialog(QPrinter*, QWidget* = nullptr) override { return false; }
    void beep(unsigned) override {}
    void playSound(const std::string&) override {}
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    void setClipboardText(const std::string& text) override { m_previous.setClipboardText(text); }
    void emptyClipboard() override { m_previous.emptyClipboard(); }

private:
    platform::qt::UiServices& m_previous;
};
