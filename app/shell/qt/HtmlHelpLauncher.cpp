#include "app/shell/qt/HtmlHelpLauncher.h"

#include "platform/qt/UiServices.h"
#include "platform/win/System.h"

#include <QProcess>
#include <QStandardPaths>

#include <filesystem>

namespace fs = std::filesystem;

const char* const CHtmlHelpLauncher::kChmViewers[2] = {"xchm", "kchmviewer"};

CHtmlHelpLauncher::CHtmlHelpLauncher(uint32_t owner, std::string helpFilePath,
                                     std::string programFolder, UrlOpener opener,
                                     ChmOpener chmOpener)
    : m_owner(owner), m_helpFilePath(std::move(helpFilePath)),
      m_programFolder(std::move(programFolder)), m_opener(std::move(opener)),
      m_chmOpener(std::move(chmOpener))
{
    if (!m_opener)
        m_opener = [](const QUrl& url) { return platform::qt::uiServices().openUrl(url); };
    if (!m_chmOpener)
        m_chmOpener = &CHtmlHelpLauncher::openInChmViewer;
}

std::optional<bool> CHtmlHelpLauncher::openInChmViewer(const std::string& file)
{
    for (const char* viewer : kChmViewers) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(viewer));
        if (!program.isEmpty())
            return QProcess::startDetached(program, {QString::fromStdString(file)});
    }
    return std::nullopt;
}

std::string CHtmlHelpLauncher::helpDirectory() const
{
    // The stored path may use either separator; only its folder part is used.
    std::string path = m_helpFilePath;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string CHtmlHelpLauncher::helpFile() const
{
    const std::string folder = helpDirectory();
    return folder.empty() ? std::string("Harlune.chm") : folder + "/Harlune.chm";
}

std::string CHtmlHelpLauncher::applicationHelpFolder() const
{
    const std::string folder = helpDirectory();
    return folder.empty() ? std::string("Harlune.help") : folder + "/Harlune.help";
}

std::string CHtmlHelpLauncher::programHelpFolder() const
{
    return m_programFolder.empty() ? std::string() : m_programFolder + "/Harlune.help";
}

std::string CHtmlHelpLauncher::helpFolder() const
{
    std::error_code error;
    const std::string application = applicationHelpFolder();
    if (fs::is_regular_file(fs::path(application) / "index.html", error))
        return application;
    const std::string program = programHelpFolder();
    if (!program.empty() && fs::is_regular_file(fs::path(program) / "index.html", error))
        return program;
    return application;
}

bool CHtmlHelpLauncher::ShowContents()
{
    return show(HH_DISPLAY_TOC, 0);
}

bool CHtmlHelpLauncher::ShowIndex()
{
    return show(HH_DISPLAY_INDEX, 0);
}

bool CHtmlHelpLauncher::ShowContext(uint32_t contextId)
{
    return show(HH_HELP_CONTEXT, contextId);
}

void CHtmlHelpLauncher::tell(const std::string& text) const
{
    platform::win::MessageBox(m_owner, text.c_str(), "Harlune Help",
                              platform::win::MB_OK | platform::win::MB_ICONINFORMATION);
}

bool CHtmlHelpLauncher::show(int command, uint32_t contextId)
{
    std::error_code error;
    // The compiled help first, in its own viewer (which opens at its contents).
    const fs::path chm = helpFile();
    const bool haveChm = fs::is_regular_file(chm, error);
    bool noViewer = false;
    if (haveChm) {
        const std::string absolute = fs::absolute(chm, error).string();
        const std::optional<bool> opened = m_chmOpener(absolute);
        if (opened.value_or(false))
            return true;
        noViewer = !opened.has_value();
    }

    const fs::path folder = helpFolder();
    const fs::path contents = folder / "index.html";
    if (!fs::is_regular_file(contents, error)) {
        // Every folder that was looked in, for the message.
        std::string folders = folder.string();
        if (!programHelpFolder().empty() && programHelpFolder() != folder.string())
            folders += "\nor\n" + programHelpFolder();
        std::string text;
        if (haveChm && noViewer)
            text = "The Harlune help file\n" + chm.string() +
                   "\nneeds a viewer for compiled HTML help (xchm or kchmviewer), and none is "
                   "installed.\n\nThe help pages were not found either: they are looked for in "
                   "the folder\n" +
                   folders + "\nwhose start page is index.html.";
        else if (haveChm)
            text = "The Harlune help file could not be opened in its viewer:\n" + chm.string();
        else
            text = "The Harlune help was not found.\n\nIt is looked for as the file\n" +
                   chm.string() + "\n(opened with xchm or kchmviewer) and in the folder\n" +
                   folders + "\nwhose start page is index.html.";
        tell(text);
        return false;
    }
    fs::path page = contents;
    if (command == HH_DISPLAY_INDEX)
        page = folder / "keywords.html";
    else if (command == HH_HELP_CONTEXT)
        page = folder / ("topic-" + std::to_string(contextId) + ".html");
    if (!fs::is_regular_file(page, error))
        page = contents;
    const QString absolute = QString::fromStdString(fs::absolute(page, error).string());
    if (m_opener(QUrl::fromLocalFile(absolute)))
        return true;
    tell("The Harlune help could not be opened in the web browser:\n" + absolute.toStdString());
    return false;
}
