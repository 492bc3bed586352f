#pragma once

#include "platform/basic/BasicEngine.h"

#include <QMainWindow>

class QAction;
class QPlainTextEdit;
class QSplitter;
class QToolBar;

namespace platform::basic::ide {

// The engine's editor: the script's text, a tool bar (open, save, run, pause, stop), the
// Debug.Print pane, the error line marked, and the engine's editor settings applied
// (tab width and tabs as blanks, tool and status bar, position and size, colours,
// caption, debug pane height). The close box asks the engine's host, which hides it.
// GUI thread only; the engine must outlive the window.
class BasicEditorWindow : public QMainWindow, public EngineEditor
{
public:
    explicit BasicEditorWindow(BasicEngine& engine, QWidget* parent = nullptr);
    ~BasicEditorWindow() override;

    QPlainTextEdit* editor() const { return m_text; }
    QPlainTextEdit* debugPane() const { return m_debug; }
    QToolBar* toolBar() const { return m_tools; }
    // The line marked as the last error's (0: none).
    int markedLine() const { return m_errorLine; }

    // Tool bar commands; open and save ask for a file first.
    bool openFile(const QString& path);
    bool saveFile(const QString& path);
    void run();
    void pause(bool paused);
    void stop();

    // EngineEditor
    void showEditor(bool shown) override;
    void settingChanged(automation::DISPID id, const automation::Variant& value) override;
    void codeChanged() override;
    void errorReported(int line, const std::string& text) override;
    void debugOutput(const std::string& text) override;
    void runReported(const std::string& text) override;
    int32_t windowHandle() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void markLine(int line);
    // The file dialog of Open (open) or Save; empty when cancelled.
    QString askScriptPath(bool open);
    // Hands the edited text to the engine; false while a macro runs (the text stays).
    bool syncCodeToEngine();
    void applyGeometry();
    // Gives the debug pane its set height (at most a third of the panes' height).
    void applyDebugHeight();

    BasicEngine& m_engine;
    QPlainTextEdit* m_text;
    QPlainTextEdit* m_debug;
    QSplitter* m_split;
    QToolBar* m_tools;
    QAction* m_pause = nullptr;
    int m_errorLine = 0;
    bool m_tabAsSpaces = false;
    int m_tabWidth = 4;
    int m_debugHeight = 100;
    bool m_laidOut = false;
    bool m_updating = false;
    QRect m_geometry{0, 0, 400, 500};
    // The editor's handle in the program's window table, by which the host recognises it.
    uint32_t m_hwnd = 0;
};

} // namespace platform::basic::ide
