#include "platform/basic/ide/BasicEditorWindow.h"

#include "platform/qt/UiServices.h"
#include "platform/win/Messages.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>

namespace platform::basic::ide {

using automation::Variant;

namespace {

QColor colourOf(const Variant& v)
{
    // Colours are 0x00BBGGRR.
    const auto c = static_cast<uint32_t>(v.toI4().value);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

} // namespace

BasicEditorWindow::BasicEditorWindow(BasicEngine& engine, QWidget* parent)
    : QMainWindow(parent), m_engine(engine), m_text(new QPlainTextEdit(this)),
      m_debug(new QPlainTextEdit(this)), m_split(new QSplitter(Qt::Vertical, this)),
      m_tools(addToolBar(QStringLiteral("Script")))
{
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->installEventFilter(this);
    m_debug->setReadOnly(true);
    m_split->addWidget(m_text);
    m_split->addWidget(m_debug);
    // The code pane takes what the window gains or loses; the debug pane keeps its height.
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 0);
    m_split->setCollapsible(0, false);
    setCentralWidget(m_split);
    statusBar();

    m_tools->addAction(QStringLiteral("Open"), this, [this] {
        const QString path = askScriptPath(true);
        if (!path.isEmpty()) {
            openFile(path);
        }
    });
    m_tools->addAction(QStringLiteral("Save"), this, [this] {
        QString path = QString::fromStdString(m_engine.fileName());
        if (path.isEmpty()) {
            path = askScriptPath(false);
        }
        if (!path.isEmpty()) {
            saveFile(path);
        }
    });
    m_tools->addAction(QStringLiteral("Run"), this, [this] { run(); });
    m_pause = m_tools->addAction(QStringLiteral("Pause"));
    m_pause->setCheckable(true);
    connect(m_pause, &QAction::toggled, this, [this](bool on) { pause(on); });
    m_tools->addAction(QStringLiteral("Stop"), this, [this] { stop(); });

    // Typing clears the error mark; the engine gets the text when it runs or saves.
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_updating) {
            markLine(0);
        }
    });
    m_engine.setEditor(this);
    // The editor holds a reference of its own: the host may release the engine (at the main
    // window's close) while the editor window still exists.
    m_engine.AddRef();
}

BasicEditorWindow::~BasicEditorWindow()
{
    if (m_hwnd != 0)
        platform::win::DestroyWindow(m_hwnd);
    m_engine.setEditor(nullptr);
    m_engine.Release();
}

QString BasicEditorWindow::askScriptPath(bool open)
{
    platform::qt::FileDialogRequest request;
    request.open = open;
    request.title = open ? "Open Script" : "Save Script";
    request.filters = {{"Basic Macros (*.bas)", "*.bas"}};
    request.defaultExtension = "bas";
    request.initialPath = m_engine.setting(106).toBstr().value;
    request.fileMustExist = open;
    request.overwritePrompt = !open;
    request.owner = this;
    m_engine.editorDialog(true);
    const std::optional<platform::qt::FileDialogResult> chosen =
        platform::qt::uiServices().fileDialog(request);
    m_engine.editorDialog(false);
    return chosen ? QString::fromStdString(chosen->paths.front()) : QString();
}

bool BasicEditorWindow::openFile(const QString& path)
{
    const bool ok = m_engine.openScript(path.toStdString());
    statusBar()->showMessage(ok ? path : QStringLiteral("Cannot open %1").arg(path));
    return ok;
}

bool BasicEditorWindow::saveFile(const QString& path)
{
    if (!syncCodeToEngine()) {
        return false;
    }
    const bool ok = m_engine.saveScript(path.toStdString());
    statusBar()->showMessage(ok ? QStringLiteral("Saved %1").arg(path)
                                : QStringLiteral("Cannot save %1").arg(path));
    return ok;
}

bool BasicEditorWindow::syncCodeToEngine()
{
    const std::string text = m_text->toPlainText().toStdString();
    if (text == m_engine.code()) {
        return true;
    }
    if (m_engine.busy()) {
        // The running macro's code cannot be replaced under it.
        statusBar()->showMessage(QStringLiteral("Stop the macro before saving or running the "
                                                "changed code"));
        return false;
    }
    m_engine.setCode(text);
    return true;
}

void BasicEditorWindow::run()
{
    // The engine refuses code that did not load and says so, as it says what a run did.
    if (syncCodeToEngine()) {
        m_engine.runScript();
    }
}

void BasicEditorWindow::pause(bool paused)
{
    m_engine.pauseScript(paused);
}

void BasicEditorWindow::stop()
{
    m_engine.stopScript();
    if (m_pause->isChecked()) {
        m_pause->setChecked(false);
    }
}

void BasicEditorWindow::showEditor(bool shown)
{
    setVisible(shown);
}

void BasicEditorWindow::settingChanged(automation::DISPID id, const Variant& value)
{
    switch (id) {
    case 9: // EditTools
        for (QAction* a : m_tools->actions()) {
            a->setEnabled(value.toBool().value);
        }
        break;
    case 21:
        statusBar()->setVisible(value.toBool().value);
        break;
    case 22:
        m_tools->setVisible(value.toBool().value);
        break;
    case 31: // AlwaysSplit: the debug pane always shown
        m_debug->setVisible(value.toBool().value || !m_debug->toPlainText().isEmpty());
        applyDebugHeight();
        break;
    case 66: // DebugHeight
        m_debugHeight = std::max(0, static_cast<int>(value.toI2().value));
        applyDebugHeight();
        break;
    case 81:
        m_tabAsSpaces = value.toBool().value;
        break;
    case 82:
        m_tabWidth = std::clamp(static_cast<int>(value.toI2().value), 1, 32);
        m_text->setTabStopDistance(m_text->fontMetrics().horizontalAdvance(QLatin1Char(' ')) *
                                   m_tabWidth);
        break;
    case 90:
        m_geometry.moveLeft(value.toI4().value);
        applyGeometry();
        break;
    case 91:
        m_geometry.moveTop(value.toI4().value);
        applyGeometry();
        break;
    case 92:
        m_geometry.setWidth(value.toI4().value);
        applyGeometry();
        break;
    case 93:
        m_geometry.setHeight(value.toI4().value);
        applyGeometry();
        break;
    case -501:
    case -513: {
        QPalette p = m_text->palette();
        p.setColor(id == -501 ? QPalette::Base : QPalette::Text, colourOf(value));
        m_text->setPalette(p);
        break;
    }
    case -514:
        setEnabled(value.toBool().value);
        break;
    case -518:
        setWindowTitle(QString::fromStdString(value.toBstr().value));
        break;
    default:
        break;
    }
}

void BasicEditorWindow::applyDebugHeight()
{
    // Before the window is laid out the splitter's height means nothing; the show applies it.
    const int total = m_split->height();
    if (m_debug->isHidden() || total <= 0 || !m_laidOut)
        return;
    // The code pane keeps most of the height whatever the setting says.
    const int debug = std::min(m_debugHeight, total / 3);
    m_split->setSizes({total - debug, debug});
}

void BasicEditorWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_laidOut) {
        m_laidOut = true;
        applyDebugHeight();
    }
}

void BasicEditorWindow::applyGeometry()
{
    // A zero size is an unset setting.
    if (m_geometry.width() > 0 && m_geometry.height() > 0) {
        setGeometry(m_geometry);
    }
}

void BasicEditorWindow::codeChanged()
{
    m_updating = true;
    m_text->setPlainText(QString::fromStdString(m_engine.code()));
    m_updating = false;
    markLine(0);
}

void BasicEditorWindow::errorReported(int line, const std::string& text)
{
    markLine(line);
    statusBar()->showMessage(
        QStringLiteral("Line %1: %2").arg(line).arg(QString::fromStdString(text)));
}

void BasicEditorWindow::debugOutput(const std::string& text)
{
    if (m_debug->isHidden()) {
        m_debug->setVisible(true);
        applyDebugHeight();
        // Once more after the splitter has laid out the pane it now shows.
        QTimer::singleShot(0, this, [this] { applyDebugHeight(); });
    }
    m_debug->appendPlainText(QString::fromStdString(text));
}

void BasicEditorWindow::runReported(const std::string& text)
{
    statusBar()->showMessage(QString::fromStdString(text));
}

int32_t BasicEditorWindow::windowHandle()
{
    // A message window names the editor; nothing is sent to it.
    if (m_hwnd == 0)
        m_hwnd = platform::win::createMessageWindow(
            [](platform::win::HWND, platform::win::UINT, platform::win::WPARAM,
               platform::win::LPARAM) { return platform::win::LRESULT(0); });
    return static_cast<int32_t>(m_hwnd);
}

void BasicEditorWindow::markLine(int line)
{
    m_errorLine = line;
    QList<QTextEdit::ExtraSelection> marks;
    if (line > 0) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_text->document()->findBlockByNumber(line - 1));
        mark.format.setBackground(QColor(255, 200, 200));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
    }
    m_text->setExtraSelections(marks);
}

void BasicEditorWindow::closeEvent(QCloseEvent* event)
{
    // The editor is hidden, not closed: the engine and its scripts stay loaded.
    event->ignore();
    m_engine.requestEditorClose();
}

bool BasicEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text && event->type() == QEvent::KeyPress && m_tabAsSpaces) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) {
            m_text->insertPlainText(QString(m_tabWidth, QLatin1Char(' ')));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace platform::basic::ide
