#include "app/windows/qt/GridViewWidget.h"

#include "gridctrl/widgets/GridCdcPrintTarget.h"
#include "gridctrl/widgets/GridWidget.h"
#include "platform/automation/AutomationObject.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/framework/CDC.h"
#include "platform/framework/Printing.h"
#include "platform/qt/UiServices.h"

#include <QApplication>
#include <QResizeEvent>

namespace fw = platform::framework;

namespace {

constexpr int kGridWindowId = 131;

platform::qt::FileDialogRequest dialogRequest(bool open, const std::string& title,
                                              const std::vector<GridFileFilter>& filters,
                                              const std::string& defaultExtension)
{
    platform::qt::FileDialogRequest request;
    request.open = open;
    request.title = title;
    for (const GridFileFilter& filter : filters)
        request.filters.push_back({filter.text, filter.patterns});
    request.defaultExtension = defaultExtension;
    request.hideReadOnly = true;
    // The dialogs have no owner window.
    request.owner = nullptr;
    return request;
}

} // namespace

CHarluneGridDoc::CHarluneGridDoc()
{
    platform::automation::lockApplication();
}

CHarluneGridDoc::~CHarluneGridDoc()
{
    platform::automation::unlockApplication();
}

GridViewWidget::GridViewWidget(std::function<int(int)> verify, std::function<void(int)> help,
                               QWidget* parent)
    : View(parent), m_verify(std::move(verify)), m_core(std::make_unique<CHarluneGridView>(*this))
{
    m_gridWindow = new gridctrl::widgets::GridWidget(m_core->grid(), this);
    m_gridWindow->setProperty("controlId", kGridWindowId);
    m_gridWindow->setGeometry(0, 0, 100, 100);
    if (help)
        m_core->grid().setHelpHandler(std::move(help));
    // The core's own command table decides which ids reach it.
    onCommandTable(&CHarluneGridView::answersCommand,
                   [this](unsigned id) { m_core->OnCommand(id); }, {});
}

GridViewWidget::~GridViewWidget()
{
    // The control's window goes before the control it shows.
    delete m_gridWindow;
    m_gridWindow = nullptr;
}

void GridViewWidget::OnDraw(fw::CDC*)
{
    // The grid paints itself.
}

bool GridViewWidget::OnPreparePrinting(fw::PrintInfo* info)
{
    return DoPreparePrinting(info);
}

void GridViewWidget::OnBeginPrinting(fw::CDC* dc, fw::PrintInfo* info)
{
    if (!dc || !info)
        return;
    auto& grid = m_core->grid();
    const int pages = gridctrl::widgets::gridPrintInit(*dc, grid, 0, 0, grid.GetNumberCols() - 1,
                                                       grid.GetNumberRows() - 1);
    info->SetMaxPage(static_cast<unsigned>(std::max(pages, 0)));
}

void GridViewWidget::OnPrint(fw::CDC* dc, fw::PrintInfo* info)
{
    if (!dc || !info)
        return;
    gridctrl::widgets::GridCdcPrintTarget target(*dc, m_core->grid());
    m_core->grid().PrintPage(target, static_cast<int>(info->m_nCurPage));
    View::OnPrint(dc, info);
}

int GridViewWidget::VerifyCommand(int menuVerify)
{
    return m_verify ? m_verify(menuVerify) : 1;
}

void GridViewWidget::logException(const char* file, int line)
{
    if (auto* sink = platform::automation::errorLogSink())
        sink->logException(nullptr, file, line);
}

void GridViewWidget::beginWaitCursor()
{
    if (m_waitDepth++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void GridViewWidget::endWaitCursor()
{
    if (m_waitDepth > 0 && --m_waitDepth == 0)
        QApplication::restoreOverrideCursor();
}

std::vector<std::string> GridViewWidget::chooseOpenFiles(const std::string& title,
                                                         const std::vector<GridFileFilter>& filters,
                                                         const std::string& defaultExtension)
{
    platform::qt::FileDialogRequest request = dialogRequest(true, title, filters, defaultExtension);
    request.allowMultiSelect = true;
    request.fileMustExist = true;
    const auto answer = platform::qt::uiServices().fileDialog(request);
    if (!answer)
        return {};
    return answer->paths;
}

std::optional<std::string>
GridViewWidget::chooseSaveFile(const std::string& title, const std::vector<GridFileFilter>& filters,
                               const std::string& defaultExtension)
{
    platform::qt::FileDialogRequest request =
        dialogRequest(false, title, filters, defaultExtension);
    // A sheet may be saved under a new name: the file need not exist.
    request.overwritePrompt = true;
    const auto answer = platform::qt::uiServices().fileDialog(request);
    if (!answer || answer->paths.empty())
        return std::nullopt;
    return answer->paths.front();
}

void GridViewWidget::filePrint()
{
    OnFilePrint();
}

void GridViewWidget::filePrintPreview()
{
    OnFilePrintPreview();
}

void GridViewWidget::closeWindow()
{
    if (fw::Document* document = GetDocument())
        document->OnFileClose();
}

void GridViewWidget::setTitle(const std::string& title)
{
    if (fw::Document* document = GetDocument())
        document->SetTitle(title);
}

void GridViewWidget::showError(const std::string& text)
{
    platform::qt::uiServices().messageBox(text, "Harlune Error", platform::qt::kMbOk, this);
}

void GridViewWidget::resizeEvent(QResizeEvent* event)
{
    View::resizeEvent(event);
    m_gridWindow->setGeometry(0, 0, width(), height());
}
