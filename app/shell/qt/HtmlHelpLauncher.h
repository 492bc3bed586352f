#pragma once

#include <QUrl>

#include <cstdint>
#include <functional>
#include <string>

// Opens the program's help. The help is a folder of HTML pages shown in the desktop's browser:
// the folder "Harlune.help" in the folder of the help file path ("<application path>\Harlune.chm"
// names the help as the program has always named it), with "index.html" as its contents,
// "keywords.html" as its index and "topic-<id>.html" for a context id; a page that is missing
// falls back to the contents. When the folder has no contents page, a message box says where
// the help was looked for. Made where help is asked for. GUI thread only.
class CHtmlHelpLauncher
{
public:
    // Opens a URL in the desktop's browser; false when it could not.
    using UrlOpener = std::function<bool(const QUrl&)>;

    // owner: the window handle that message boxes belong to (0: none); helpFilePath: the
    // application's help file path. opener: QDesktopServices::openUrl unless given (tests).
    CHtmlHelpLauncher(uint32_t owner, std::string helpFilePath, UrlOpener opener = {});

    // Help commands as the help system numbers them: contents 1, index 2, context 15.
    static constexpr int HH_DISPLAY_TOC = 1;
    static constexpr int HH_DISPLAY_INDEX = 2;
    static constexpr int HH_HELP_CONTEXT = 15;

    bool ShowContents();
    bool ShowIndex();
    bool ShowContext(uint32_t contextId);

    // The folder of HTML pages that stands for the help file.
    std::string helpFolder() const;

private:
    bool show(int command, uint32_t contextId);

    uint32_t m_owner;
    std::string m_helpFilePath;
    UrlOpener m_opener;
};
