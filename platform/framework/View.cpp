#include "platform/framework/View.h"

#include "platform/framework/Application.h"
#include "platform/framework/CDC.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/Document.h"
#include "platform/framework/Printing.h"
#include "platform/framework/WindowHandle.h"
#include "platform/qt/UiServices.h"

#include <QPainter>
#include <QPrinter>

namespace platform::framework {

View::View(QWidget* parent) : QWidget(parent)
{
    m_window = std::make_unique<WindowHandle>(
        [this](unsigned message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
            return windowProc(message, wParam, lParam);
        });
    onCommand(ID_FILE_PRINT, [this]() { OnFilePrint(); });
    onCommand(ID_FILE_PRINT_DIRECT, [this]() { OnFilePrintDirect(); });
    onCommand(ID_FILE_PRINT_PREVIEW, [this]() { OnFilePrintPreview(); });
}

View::~View()
{
    detachDocument();
}

ChildFrame* View::GetParentFrame() const
{
    for (QWidget* parent = parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        if (auto* frame = dynamic_cast<ChildFrame*>(parent)) {
            return frame;
        }
    }
    return nullptr;
}

void View::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void View::OnUpdate(View*, long, void*)
{
    update();
}

void View::OnDraw(CDC*) {}

bool View::OnPreparePrinting(PrintInfo* info)
{
    return DoPreparePrinting(info);
}

void View::OnBeginPrinting(CDC*, PrintInfo*) {}

void View::OnPrepareDC(CDC*, PrintInfo* info)
{
    // Without a page count, one page is printed.
    if (info != nullptr && info->GetMaxPage() == 0xFFFF) {
        info->m_bContinuePrinting = info->m_nCurPage == 1;
    }
}

void View::OnPrint(CDC* dc, PrintInfo*)
{
    OnDraw(dc);
}

void View::OnEndPrinting(CDC*, PrintInfo*) {}

void View::OnActivateView(bool, View*, View*) {}

bool View::DoPreparePrinting(PrintInfo* info)
{
    return doPreparePrinting(info, this);
}

uint32_t View::GetSafeHwnd() const
{
    return m_window ? m_window->hwnd() : 0;
}

intptr_t View::windowProc(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (message == kTimerMessage) {
        OnTimer(static_cast<unsigned>(wParam));
        return 0;
    }
    bool handled = false;
    return OnWindowMessage(message, wParam, lParam, handled);
}

namespace {

// The application's printer, or one of our own when there is no application object.
QPrinter& sharedPrinter()
{
    if (Application* app = Application::instance()) {
        return app->printer();
    }
    static QPrinter fallback(QPrinter::HighResolution);
    return fallback;
}

} // namespace

void View::OnFilePrint()
{
    printView(this, sharedPrinter());
}

void View::OnFilePrintDirect()
{
    printView(this, sharedPrinter(), true);
}

void View::OnFilePrintPreview()
{
    printPreview(this, sharedPrinter());
}

unsigned View::SetTimer(unsigned id, unsigned elapseMs)
{
    return m_window ? m_window->SetTimer(id, elapseMs) : 0;
}

bool View::KillTimer(unsigned id)
{
    return m_window && m_window->KillTimer(id);
}

void View::OnTimer(unsigned) {}

bool View::OnCmdMsg(unsigned id, CmdUI* ui)
{
    if (dispatchOwn(id, ui)) {
        return true;
    }
    return m_document != nullptr && m_document->OnCmdMsg(id, ui);
}

bool View::hasCommandHandler(unsigned id)
{
    return hasOwnCommandHandler(id) || (m_document != nullptr && m_document->hasCommandHandler(id));
}

intptr_t View::OnWindowMessage(unsigned, uintptr_t, intptr_t, bool& handled)
{
    handled = false;
    return 0;
}

void View::attachDocument(Document* document)
{
    detachDocument();
    m_document = document;
    if (document != nullptr) {
        document->addView(this);
    }
}

void View::detachDocument()
{
    Document* document = m_document;
    m_document = nullptr;
    if (document != nullptr) {
        document->removeView(this);
    }
}

void View::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CDC dc(&painter, this);
    try {
        OnDraw(&dc);
    } catch (...) {
        // A drawing fault must not reach the event loop.
    }
}

} // namespace platform::framework
