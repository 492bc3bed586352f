#include "app/spectrum/qt/SpectrumPrinting.h"

#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumPrintMapping.h"
#include "platform/chart/XrtDraw.h"
#include "platform/framework/CDC.h"
#include "platform/qt/UiServices.h"

namespace fw = platform::framework;

void printSpectrumChart(CHarluneSpectrumView& view, fw::CDC& dc, int clientWidth, int clientHeight)
{
    platform::qt::WaitCursor wait;
    const CHarluneSpectrumView::PrintColours saved = view.beginPrint();
    const app::spectrum::PrintPageMapping mapping = app::spectrum::printPageMapping(
        clientWidth, clientHeight, dc.GetDeviceCaps(fw::HORZRES), dc.GetDeviceCaps(fw::VERTRES));
    if (mapping.drawable) {
        dc.SetMapMode(fw::MM_ANISOTROPIC);
        dc.SetWindowExt(mapping.windowExtX, mapping.windowExtY);
        dc.SetViewportExt(mapping.viewportExtX, mapping.viewportExtY);
        dc.SetViewportOrg(mapping.originX, mapping.originY);
        platform::chart::XrtDrawToDC(view.chart(), &dc, platform::chart::kXrtDrawPicture,
                                     platform::chart::kXrtDrawScaleToFit, mapping.left, mapping.top,
                                     mapping.width, mapping.height);
    }
    view.endPrint(saved);
}
