#include "app/windows/qt/GraphViewWidget.h"

#include "app/dialogs/ChartDialogAdapters.h"
#include "app/dialogs/ConfigureAxisTextDialog.h"
#include "app/dialogs/ConfigureChartTracesDialog.h"
#include "app/dialogs/ConfigureLegendDialog.h"
#include "app/dialogs/ConfigureSpectrumGridDialog.h"
#include "app/dialogs/SetSpectrumScaleDialog.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtDraw.h"
#include "platform/framework/CDC.h"
#include "platform/framework/Printing.h"
#include "platform/qt/UiServices.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStringList>

namespace fw = platform::framework;
using namespace platform::chart;

GraphViewWidget::GraphViewWidget(std::function<int(int)> verify, QWidget* parent)
    : View(parent), m_verify(std::move(verify)), m_chartWindow(new CChart2D(this))
{
    setFocusPolicy(Qt::StrongFocus);
    // The chart window: a visible child at (0,0)-(300,300), id 0. Without a chart the view
    // keeps working on handle 0 (every chart call then fails quietly).
    m_chartWindow->Create("", CChart2D::kStyleVisible, QRect(0, 0, 300, 300), this, 0);
    m_core = std::make_unique<CHarluneGraphView>(*this, m_chartWindow->chartHandle());
    // The core's own command table decides which ids reach it.
    onCommandTable(
        &CHarluneGraphView::answersCommand, [this](unsigned id) { m_core->OnCommand(id); },
        [this](fw::CmdUI& ui) {
            if (const std::optional<bool> checked = m_core->commandChecked(ui.id()))
                ui.SetCheck(*checked ? 1 : 0);
        });
}

GraphViewWidget::~GraphViewWidget()
{
    m_core->OnDestroy();
}

void GraphViewWidget::OnDraw(fw::CDC*)
{
    // The chart window paints itself.
}

bool GraphViewWidget::OnPreparePrinting(fw::PrintInfo* info)
{
    return DoPreparePrinting(info);
}

void GraphViewWidget::OnPrint(fw::CDC* dc, fw::PrintInfo*)
{
    if (dc == nullptr)
        return;
    const GraphPrintRect rect =
        graphPrintRect(m_chartWindow->width(), m_chartWindow->height(),
                       dc->GetDeviceCaps(fw::HORZRES), dc->GetDeviceCaps(fw::VERTRES));
    if (rect.width <= 0 || rect.height <= 0)
        return;
    XrtDrawToDC(m_core->chart(), dc, kXrtDrawPicture, kXrtDrawScaleToFit, rect.left, rect.top,
                rect.width, rect.height);
}

int GraphViewWidget::VerifyCommand(int menuVerify)
{
    return m_verify ? m_verify(menuVerify) : 1;
}

void GraphViewWidget::logException(const std::string& description, const char* file, int line)
{
    if (auto* sink = platform::automation::errorLogSink())
        sink->logException(description.c_str(), file, line);
}

std::array<int, 2> GraphViewWidget::chartClientSize()
{
    return {m_chartWindow->width(), m_chartWindow->height()};
}

void GraphViewWidget::setFocus()
{
    QWidget::setFocus(Qt::MouseFocusReason);
}

void GraphViewWidget::beginWaitCursor()
{
    if (m_waitDepth++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void GraphViewWidget::endWaitCursor()
{
    if (m_waitDepth > 0 && --m_waitDepth == 0)
        QApplication::restoreOverrideCursor();
}

std::optional<std::string> GraphViewWidget::chooseSaveFile(const std::string& title,
                                                           const std::string& filters,
                                                           const std::string& defaultExtension)
{
    platform::qt::FileDialogRequest request;
    request.open = false;
    request.title = title;
    request.filters = platform::qt::fileFiltersFromText(filters);
    request.defaultExtension = defaultExtension;
    request.overwritePrompt = true;
    request.hideReadOnly = true;
    request.owner = this;
    const auto answer = platform::qt::uiServices().fileDialog(request);
    if (!answer || answer->paths.empty())
        return std::nullopt;
    return answer->paths.front();
}

std::optional<XrtColor> GraphViewWidget::chooseColor(XrtColor c)
{
    return platform::qt::uiServices().colorDialog(c, this);
}

int GraphViewWidget::drawChartToFile(XrtHandle chart, const std::string& path)
{
    return XrtDrawToFile(chart, path.c_str(), kXrtDrawBitmap);
}

int GraphViewWidget::drawChartToClipboard(XrtHandle chart)
{
    return XrtDrawToClipboard(chart, kXrtDrawPicture);
}

void GraphViewWidget::filePrint()
{
    OnFilePrint();
}

void GraphViewWidget::filePrintPreview()
{
    OnFilePrintPreview();
}

void GraphViewWidget::closeWindow()
{
    if (fw::Document* document = GetDocument())
        document->OnFileClose();
}

// The chart dialogs on this graph. The axis-text, trace and legend dialogs change the graph
// while they are open.
int GraphViewWidget::runAxisTextDialog(CHarluneGraphView& view, int mode, const std::string& title)
{
    app::dialogs::GraphChartOwnerAdapter owner(view, [this] { return chartClientSize(); });
    CConfigureAxisTextDialog dialog({nullptr, &owner}, this);
    dialog.m_mode = mode;
    dialog.m_text = title;
    return dialog.DoModal();
}

std::optional<std::array<std::string, 4>>
GraphViewWidget::showSetScaleDialog(const std::array<std::string, 4>& texts)
{
    CSetSpectrumScaleDialog dialog(this);
    dialog.m_graph = 1;
    dialog.m_xMin = texts[0];
    dialog.m_xMax = texts[1];
    dialog.m_yMin = texts[2];
    dialog.m_yMax = texts[3];
    if (dialog.DoModal() != CSetSpectrumScaleDialog::IDOK)
        return std::nullopt;
    return std::array<std::string, 4>{dialog.m_xMin, dialog.m_xMax, dialog.m_yMin, dialog.m_yMax};
}

int GraphViewWidget::runTraceDialog(CHarluneGraphView& view)
{
    app::dialogs::GraphChartOwnerAdapter owner(view, [this] { return chartClientSize(); });
    CConfigureChartTracesDialog dialog(owner, this);
    return dialog.DoModal();
}

std::optional<GraphGridDialogValues>
GraphViewWidget::showGridDialog(const GraphGridDialogValues& values)
{
    CConfigureSpectrumGridDialog dialog(this);
    dialog.m_color = values.color;
    dialog.m_lineStyle = values.pattern;
    dialog.m_lineWidth = values.width;
    if (dialog.DoModal() != CConfigureSpectrumGridDialog::IDOK)
        return std::nullopt;
    GraphGridDialogValues out = values;
    out.color = dialog.m_color;
    if (dialog.m_lineStyle >= 0)
        out.pattern = dialog.m_lineStyle;
    if (dialog.m_lineWidth >= 0)
        out.width = dialog.m_lineWidth;
    return out;
}

int GraphViewWidget::runLegendDialog(CHarluneGraphView& view)
{
    app::dialogs::GraphChartOwnerAdapter owner(view, [this] { return chartClientSize(); });
    CConfigureLegendDialog dialog({nullptr, &owner}, this);
    return dialog.DoModal();
}

void GraphViewWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint at = m_chartWindow->mapFrom(this, event->position().toPoint());
        m_core->OnLButtonDown(at.x(), at.y());
    }
    View::mousePressEvent(event);
}

void GraphViewWidget::resizeEvent(QResizeEvent* event)
{
    View::resizeEvent(event);
    m_chartWindow->setGeometry(0, 0, width(), height());
    m_core->OnSize(width(), height());
}
