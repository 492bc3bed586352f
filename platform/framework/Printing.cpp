#include "platform/framework/Printing.h"

#include "platform/framework/CDC.h"
#include "platform/framework/View.h"
#include "platform/qt/UiServices.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace platform::framework {

namespace {

int runPrintJob(View* view, QPrinter& printer, PrintInfo& info)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        return 0;
    }
    int printed = 0;
    {
        // The DC saves the painter's state and restores it when it goes: it must go before the
        // painter ends, or the painter ends with a saved state and the restore finds none.
        CDC dc(&painter, &printer);
        dc.setPrinting(true);
        try {
            view->OnBeginPrinting(&dc, &info);
            dc.StartDoc(view->windowTitle().toStdString());
            const unsigned first = std::max(info.m_fromPage, info.m_minPage);
            const unsigned last = std::min(info.m_toPage, info.m_maxPage);
            for (info.m_nCurPage = first; info.m_nCurPage <= last; ++info.m_nCurPage) {
                info.m_bContinuePrinting = true;
                view->OnPrepareDC(&dc, &info);
                if (!info.m_bContinuePrinting) {
                    break;
                }
                if (dc.StartPage() < 0) {
                    break;
                }
                info.m_rectDraw = {0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES)};
                // Each page starts from the same painter state, whatever the last one left.
                painter.save();
                const int saved = dc.SaveDC();
                try {
                    view->OnPrint(&dc, &info);
                } catch (...) {
                    dc.RestoreDC(saved);
                    painter.restore();
                    throw;
                }
                dc.RestoreDC(saved);
                painter.restore();
                dc.EndPage();
                ++printed;
            }
            dc.EndDoc();
            view->OnEndPrinting(&dc, &info);
        } catch (...) {
            dc.AbortDoc();
            printed = 0;
        }
    }
    painter.end();
    return printed;
}

} // namespace

bool doPreparePrinting(PrintInfo* info, QWidget* owner)
{
    if (info == nullptr || info->printer == nullptr) {
        return false;
    }
    if (info->m_bDirect || info->m_bPreview) {
        return true;
    }
    qt::PrintDialogRequest request;
    request.printer = info->printer;
    request.minPage = static_cast<int>(info->m_minPage);
    request.maxPage = static_cast<int>(info->m_maxPage);
    request.owner = owner;
    if (!qt::uiServices().printDialog(request)) {
        return false;
    }
    if (request.fromPage > 0 && request.toPage >= request.fromPage) {
        info->m_fromPage = static_cast<unsigned>(request.fromPage);
        info->m_toPage = static_cast<unsigned>(request.toPage);
    } else {
        info->m_fromPage = info->m_minPage;
        info->m_toPage = info->m_maxPage;
    }
    return true;
}

int printView(View* view, QPrinter& printer, bool direct)
{
    if (view == nullptr) {
        return 0;
    }
    PrintInfo info;
    info.printer = &printer;
    info.m_bDirect = direct;
    try {
        if (!view->OnPreparePrinting(&info)) {
            return 0;
        }
    } catch (...) {
        return 0;
    }
    return runPrintJob(view, printer, info);
}

void printPreview(View* view, QPrinter& printer)
{
    if (view == nullptr) {
        return;
    }
    PrintInfo info;
    info.printer = &printer;
    info.m_bPreview = true;
    try {
        if (!view->OnPreparePrinting(&info)) {
            return;
        }
    } catch (...) {
        return;
    }
    QPrintPreviewDialog dialog(&printer, view);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [view, info](QPrinter* target) mutable {
                         PrintInfo pageInfo = info;
                         pageInfo.printer = target;
                         runPrintJob(view, *target, pageInfo);
                     });
    dialog.exec();
}

} // namespace platform::framework
