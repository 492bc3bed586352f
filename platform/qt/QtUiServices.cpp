#include "platform/qt/QtUiServices.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>

#include <map>

namespace platform::qt {

namespace {

QString buttonText(int answer)
{
    switch (answer) {
    case kIdOk:
        return QStringLiteral("OK");
    case kIdCancel:
        return QStringLiteral("Cancel");
    case kIdAbort:
        return QStringLiteral("&Abort");
    case kIdRetry:
        return QStringLiteral("&Retry");
    case kIdIgnore:
        return QStringLiteral("&Ignore");
    case kIdYes:
        return QStringLiteral("&Yes");
    case kIdNo:
        return QStringLiteral("&No");
    default:
        return QString();
    }
}

QMessageBox::ButtonRole buttonRole(int answer)
{
    switch (answer) {
    case kIdOk:
    case kIdYes:
    case kIdRetry:
        return QMessageBox::AcceptRole;
    case kIdNo:
        return QMessageBox::NoRole;
    case kIdCancel:
    case kIdAbort:
        return QMessageBox::RejectRole;
    default:
        return QMessageBox::ActionRole;
    }
}

QMessageBox::Icon boxIcon(unsigned flags)
{
    switch (flags & kMbIconMask) {
    case kMbIconError:
        return QMessageBox::Critical;
    case kMbIconQuestion:
        return QMessageBox::Question;
    case kMbIconWarning:
        return QMessageBox::Warning;
    case kMbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QWidget* ownerOrActive(QWidget* owner)
{
    return owner != nullptr ? owner : QApplication::activeWindow();
}

} // namespace

QColor colorFromColorRef(uint32_t colorRef)
{
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

uint32_t colorRefFromColor(const QColor& color)
{
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}

int QtUiServices::messageBox(const std::string& text, const std::string& caption, unsigned flags,
                             QWidget* owner)
{
    QMessageBox box(ownerOrActive(owner));
    box.setIcon(boxIcon(flags));
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.setWindowModality((flags & kMbTaskModal) != 0 ? Qt::ApplicationModal : Qt::WindowModal);
    std::map<QAbstractButton*, int> answers;
    const int defaultAnswer = defaultMessageBoxAnswer(flags);
    const int escapeAnswer = escapeMessageBoxAnswer(flags);
    for (int answer : messageBoxButtons(flags)) {
        QPushButton* button = box.addButton(buttonText(answer), buttonRole(answer));
        answers[button] = answer;
        if (answer == defaultAnswer) {
            box.setDefaultButton(button);
        }
        if (answer == escapeAnswer) {
            box.setEscapeButton(button);
        }
    }
    box.exec();
    const auto found = answers.find(box.clickedButton());
    if (found != answers.end()) {
        return found->second;
    }
    // Closed without a button (a Yes/No box cannot be escaped on Windows): the default answer.
    return escapeAnswer != 0 ? escapeAnswer : defaultAnswer;
}

std::optional<std::string> QtUiServices::inputBox(const InputBoxRequest& request)
{
    QInputDialog dialog(ownerOrActive(request.owner));
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setLabelText(QString::fromStdString(request.prompt));
    dialog.setTextValue(QString::fromStdString(request.text));
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue().toStdString();
}

std::optional<FileDialogResult> QtUiServices::fileDialog(const FileDialogRequest& request)
{
    QFileDialog dialog(ownerOrActive(request.owner), QString::fromStdString(request.title));
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (request.open) {
        if (request.allowMultiSelect) {
            dialog.setFileMode(QFileDialog::ExistingFiles);
        } else {
            dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
        }
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    }
    dialog.setOption(QFileDialog::ReadOnly, false);
    QStringList nameFilters;
    for (const std::string& filter : qtNameFilters(request.filters)) {
        nameFilters.append(QString::fromStdString(filter));
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= nameFilters.size()
                              ? request.filterIndex - 1
                              : 0;
        dialog.selectNameFilter(nameFilters[index]);
    }
    if (!request.defaultExtension.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    }
    // Patterns match whatever the case of the name ("*.dark" lists "run.Master.Dark"), as
    // the program's file names are written with capitals.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    // Nothing named or used yet in this run: the user's home folder, not the folder the
    // program runs in (which holds its settings).
    std::string start = m_dialogFolders.startPath(request);
    if (start.find('/') == std::string::npos) {
        start = QDir::homePath().toStdString() + (start.empty() ? "" : "/" + start);
    }
    {
        const QFileInfo initial(QString::fromStdString(start));
        if (initial.isDir()) {
            dialog.setDirectory(initial.absoluteFilePath());
        } else {
            dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    FileDialogResult result;
    for (const QString& path : dialog.selectedFiles()) {
        result.paths.push_back(withDefaultExtension(
            QFileInfo(path).absoluteFilePath().toStdString(), request.defaultExtension));
    }
    if (result.paths.empty()) {
        return std::nullopt;
    }
    const int chosen = static_cast<int>(nameFilters.indexOf(dialog.selectedNameFilter()));
    result.filterIndex = chosen >= 0 ? chosen + 1 : 1;
    m_dialogFolders.remember(request, result);
    return result;
}

std::optional<uint32_t> QtUiServices::colorDialog(uint32_t initial, QWidget* owner)
{
    const QColor color = QColorDialog::getColor(colorFromColorRef(initial), ownerOrActive(owner));
    if (!color.isValid()) {
        return std::nullopt;
    }
    return colorRefFromColor(color);
}

std::optional<FontDialogResult> QtUiServices::fontDialog(const FontDialogRequest& request)
{
    bool accepted = false;
    const QFont font = QFontDialog::getFont(&accepted, fontFromLogFont(request.font),
                                            ownerOrActive(request.owner));
    if (!accepted) {
        return std::nullopt;
    }
    FontDialogResult result;
    result.font = logFontFromFont(font);
    result.color = request.color;
    result.pointSizeTenths = pointSizeTenths(result.font);
    return result;
}

bool QtUiServices::printDialog(PrintDialogRequest& request)
{
    if (request.printer == nullptr) {
        return false;
    }
    QPrintDialog dialog(request.printer, ownerOrActive(request.owner));
    dialog.setMinMax(request.minPage, request.maxPage);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, request.pageRangeEnabled);
    if (request.fromPage > 0 && request.toPage >= request.fromPage) {
        request.printer->setFromTo(request.fromPage, request.toPage);
        request.printer->setPrintRange(QPrinter::PageRange);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (request.printer->printRange() == QPrinter::PageRange) {
        request.fromPage = request.printer->fromPage();
        request.toPage = request.printer->toPage();
    } else {
        request.fromPage = 0;
        request.toPage = 0;
    }
    return true;
}

bool QtUiServices::pageSetupDialog(QPrinter* printer, QWidget* owner)
{
    if (printer == nullptr) {
        return false;
    }
    QPageSetupDialog dialog(printer, ownerOrActive(owner));
    return dialog.exec() == QDialog::Accepted;
}

QtUiServices::QtUiServices() = default;

QtUiServices::~QtUiServices()
{
    stopSound();
}

void QtUiServices::beep(unsigned)
{
    QApplication::beep();
}

void QtUiServices::playSound(const std::string& file)
{
    stopSound();
    if (file.empty()) {
        return;
    }
    const QFileInfo info(QString::fromLocal8Bit(file.data(), static_cast<qsizetype>(file.size())));
    if (!info.isFile() || !info.isReadable()) {
        return; // nothing to play: silence
    }
    m_player = std::make_unique<QProcess>();
    m_player->setProgram(QStringLiteral("aplay"));
    m_player->setArguments({QStringLiteral("-q"), QStringLiteral("--"), info.absoluteFilePath()});
    m_player->setStandardOutputFile(QProcess::nullDevice());
    m_player->setStandardErrorFile(QProcess::nullDevice());
    // No player installed, or no sound device, leaves the process unstarted or ending at
    // once: silence, as with a machine without sound.
    m_player->start();
}

void QtUiServices::stopSound()
{
    if (!m_player) {
        return;
    }
    if (m_player->state() != QProcess::NotRunning) {
        m_player->kill();
        m_player->waitForFinished(1000);
    }
    m_player.reset();
}

void QtUiServices::beginWaitCursor()
{
    if (m_waitDepth++ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void QtUiServices::endWaitCursor()
{
    if (m_waitDepth == 0) {
        return; // an end without a begin changes nothing
    }
    if (--m_waitDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void QtUiServices::setClipboardText(const std::string& text)
{
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtUiServices::emptyClipboard()
{
    QGuiApplication::clipboard()->clear();
}

bool QtUiServices::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace platform::qt
