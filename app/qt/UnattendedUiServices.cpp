#include "app/qt/UnattendedUiServices.h"

#include "platform/win/Log.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QObject>

namespace {

// Rejects every modal dialog as it shows while nobody can answer it: its exec() returns at once
// with the Cancel answer.
class DialogCloser : public QObject
{
public:
    explicit DialogCloser(const UnattendedUiServices& services) : m_services(services)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isModal() && m_services.unattended()) {
                m_services.note("The dialog \"" + dialog->windowTitle().toStdString() +
                                "\" was cancelled: nobody could answer it.");
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    const UnattendedUiServices& m_services;
};

} // namespace

UnattendedUiServices::UnattendedUiServices(platform::qt::UiServices& previous, Note note,
                                           std::function<bool()> attended)
    : m_previous(previous), m_note(std::move(note)), m_attended(std::move(attended)),
      m_dialogCloser(std::make_unique<DialogCloser>(*this))
{}

UnattendedUiServices::~UnattendedUiServices() = default;

void UnattendedUiServices::note(const std::string& text) const
{
    platform::win::logInfo("app", "unattended: %s", text.c_str());
    if (m_note)
        m_note(text);
}

int UnattendedUiServices::messageBox(const std::string& text, const std::string& caption,
                                     unsigned flags, QWidget* owner)
{
    if (!unattended())
        return m_previous.messageBox(text, caption, flags, owner);
    const int answer = platform::qt::defaultMessageBoxAnswer(flags);
    note("\"" + caption + "\" answered " + std::to_string(answer) + ": " + text);
    return answer;
}

std::optional<std::string>
UnattendedUiServices::inputBox(const platform::qt::InputBoxRequest& request)
{
    if (!unattended())
        return m_previous.inputBox(request);
    note("\"" + request.title + "\" answered \"" + request.text + "\": " + request.prompt);
    return request.text;
}

std::optional<platform::qt::FileDialogResult>
UnattendedUiServices::fileDialog(const platform::qt::FileDialogRequest& request)
{
    if (!unattended())
        return m_previous.fileDialog(request);
    note("The file dialog \"" + request.title + "\" was cancelled: nobody could answer it.");
    return std::nullopt;
}

std::optional<uint32_t> UnattendedUiServices::colorDialog(uint32_t initial, QWidget* owner)
{
    if (!unattended())
        return m_previous.colorDialog(initial, owner);
    return std::nullopt;
}

std::optional<platform::qt::FontDialogResult>
UnattendedUiServices::fontDialog(const platform::qt::FontDialogRequest& request)
{
    if (!unattended())
        return m_previous.fontDialog(request);
    return std::nullopt;
}

bool UnattendedUiServices::printDialog(platform::qt::PrintDialogRequest& request)
{
    return !unattended() && m_previous.printDialog(request);
}

bool UnattendedUiServices::pageSetupDialog(QPrinter* printer, QWidget* owner)
{
    return !unattended() && m_previous.pageSetupDialog(printer, owner);
}

int UnattendedUiServices::findReplaceDialog(platform::qt::FindReplaceRequest request)
{
    return unattended() ? 0 : m_previous.findReplaceDialog(std::move(request));
}

void UnattendedUiServices::beep(unsigned type)
{
    if (!unattended())
        m_previous.beep(type);
}

void UnattendedUiServices::playSound(const std::string& file)
{
    if (!unattended())
        m_previous.playSound(file);
}

void UnattendedUiServices::beginWaitCursor()
{
    if (!unattended()) {
        m_previous.beginWaitCursor();
        ++m_waitCursors;
    }
}

void UnattendedUiServices::endWaitCursor()
{
    // Only the wait cursors passed on are ended there, whoever is in control now.
    if (m_waitCursors > 0) {
        --m_waitCursors;
        m_previous.endWaitCursor();
    }
}
