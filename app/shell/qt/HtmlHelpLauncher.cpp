#include "app/shell/qt/HtmlHelpLauncher.h"

#include "platform/win/System.h"

#include <QDesktopServices>

#include <filesystem>

namespace fs = std::filesystem;

CHtmlHelpLauncher::CHtmlHelpLauncher(uint32_t owner, std::string helpFilePath, UrlOpener opener)
    : m_owner(owner), m_helpFilePath(std::move(helpFilePath)), m_opener(std::move(opener))
{
    if (!m_opener)
        m_opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

std::string CHtmlHelpLauncher::helpFolder() const
{
    // The stored path may use either separator; only its folder part is used.
    std::string path = m_helpFilePath;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    return (folder.empty() ? std::string("Harlune.help") : folder + "/Harlune.help");
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

bool CHtmlHelpLauncher::show(int command, uint32_t contextId)
{
    const fs::path folder = helpFolder();
    const fs::path contents = folder / "index.html";
    std::error_code error;
    if (!fs::is_regular_file(contents, error)) {
        const std::string text = "The Harlune help was not found.\n\nIt is looked for in the "
                                 "folder\n" +
                                 folder.string() + "\nwhose start page is index.html.";
        platform::win::MessageBox(m_owner, text.c_str(), "Harlune Help",
                                  platform::win::MB_OK | platform::win::MB_ICONINFORMATION);
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
    const std::string text =
        "The Harlune help could not be opened in the web browser:\n" + absolute.toStdString();
    platform::win::MessageBox(m_owner, text.c_str(), "Harlune Help",
                              platform::win::MB_OK | platform::win::MB_ICONINFORMATION);
    return false;
}
