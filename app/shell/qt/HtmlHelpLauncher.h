#pragma once

#include <QUrl>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Opens the program's help. The help path names the compiled HTML help file
// ("<application path>\Harlune.chm"). When that file is there and a viewer for compiled HTML
// help is installed (xchm or kchmviewer), the viewer opens the file; otherwise the folder
// "Harlune.help" beside it is shown in the desktop's browser: "index.html" as its contents,
// "keywords.html" as its index and "topic-<id>.html" for a context id, a missing page falling
// back to the contents. The pages that come with the program sit in a folder "Harlune.help"
// beside the program itself; they are shown when the application path holds none. When no help
// is found, a message box says where it was looked for. Made where help is asked for. GUI
// thread only.
class CHtmlHelpLauncher
{
public:
    // Opens a URL in the desktop's browser; false when it could not.
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Opens a compiled help file in an installed viewer: true when the viewer started, false
    // when it did not, nothing when no viewer is installed.
    using ChmOpener = std::function<std::optional<bool>(const std::string& file)>;

    // owner: the window handle that message boxes belong to (0: none); helpFilePath: the
    // application's help file path; programFolder: the folder of the program, whose
    // "Harlune.help" is used when the application path has no pages (empty: none). opener: the
    // UI services' openUrl unless given, chmOpener: the first of the known viewers found on the
    // PATH unless given.
    CHtmlHelpLauncher(uint32_t owner, std::string helpFilePath, std::string programFolder,
                      UrlOpener opener = {}, ChmOpener chmOpener = {});

    // Help commands as the help system numbers them: contents 1, index 2, context 15.
    static constexpr int HH_DISPLAY_TOC = 1;
    static constexpr int HH_DISPLAY_INDEX = 2;
    static constexpr int HH_HELP_CONTEXT = 15;

    bool ShowContents();
    bool ShowIndex();
    bool ShowContext(uint32_t contextId);

    // The compiled help file ("Harlune.chm"), with '/' separators.
    std::string helpFile() const;
    // The folder of HTML pages: the one beside the help file when it has a contents page, else
    // the program's own when that has one, else the one beside the help file.
    std::string helpFolder() const;

    // The viewers of compiled HTML help looked for on the PATH, in this order.
    static const char* const kChmViewers[2];
    // Starts the first installed viewer on the file (see ChmOpener).
    static std::optional<bool> openInChmViewer(const std::string& file);

private:
    bool show(int command, uint32_t contextId);
    std::string helpDirectory() const;
    std::string applicationHelpFolder() const;
    std::string programHelpFolder() const;
    void tell(const std::string& text) const;

    uint32_t m_owner;
    std::string m_helpFilePath;
    std::string m_programFolder;
    UrlOpener m_opener;
    ChmOpener m_chmOpener;
};
